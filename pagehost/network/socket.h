// Winsock for serve mode: the library's lifetime, an owned socket, and a listening
// socket on the loopback address only (serve mode is for trying pages locally).
#pragma once

// winsock2.h must come before anything that includes windows.h.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdint>
#include <utility>

namespace kestrune {

class WinsockSession {
public:
    WinsockSession() { ok_ = WSAStartup(MAKEWORD(2, 2), &data_) == 0; }
    ~WinsockSession() {
        if (ok_) WSACleanup();
    }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
    bool Ok() const { return ok_; }

private:
    WSADATA data_{};
    bool ok_ = false;
};

class UniqueSocket {
public:
    UniqueSocket() = default;
    explicit UniqueSocket(SOCKET socket) : socket_(socket) {}
    ~UniqueSocket() { Close(); }
    UniqueSocket(UniqueSocket&& other) noexcept : socket_(std::exchange(other.socket_, INVALID_SOCKET)) {}
    UniqueSocket& operator=(UniqueSocket&& other) noexcept {
        if (this != &other) {
            Close();
            socket_ = std::exchange(other.socket_, INVALID_SOCKET);
        }
        return *this;
    }
    UniqueSocket(const UniqueSocket&) = delete;
    UniqueSocket& operator=(const UniqueSocket&) = delete;

    SOCKET Get() const { return socket_; }
    bool Valid() const { return socket_ != INVALID_SOCKET; }
    // Gives the socket up without closing it (someone else closed or owns it).
    SOCKET Release() { return std::exchange(socket_, INVALID_SOCKET); }
    void Close() {
        if (socket_ != INVALID_SOCKET) closesocket(socket_);
        socket_ = INVALID_SOCKET;
    }

private:
    SOCKET socket_ = INVALID_SOCKET;
};

// A socket listening on 127.0.0.1:port (0: a free port). Invalid on failure, with the
// Winsock error in *error.
UniqueSocket ListenOnLoopback(std::uint16_t port, int* error);

// The local port of a bound socket, 0 when unknown.
std::uint16_t LocalPort(SOCKET socket);

// The peer's port, 0 when unknown.
std::uint16_t PeerPort(SOCKET socket);

}  // namespace kestrune

// Winsock for serve mode, and an owned socket.
#pragma once

// winsock2.h must come before anything that includes windows.h.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <utility>

namespace kestrune {

class UniqueSocket {
public:
    explicit UniqueSocket(SOCKET socket = INVALID_SOCKET) : socket_(socket) {}
    ~UniqueSocket() { Close(); }
    UniqueSocket(UniqueSocket&& other) noexcept : socket_(other.Release()) {}

    SOCKET Get() const { return socket_; }
    bool Valid() const { return socket_ != INVALID_SOCKET; }
    // Gives the socket up without closing it (someone else closed or owns it).
    SOCKET Release() { return std::exchange(socket_, INVALID_SOCKET); }
    void Close() {
        if (Valid()) closesocket(Release());
    }

private:
    SOCKET socket_;
};

}  // namespace kestrune

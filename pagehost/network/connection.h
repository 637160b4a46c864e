// Serve mode's sockets: an owned socket, and one client's connection, for one request:
// its head, its body as the page's request source, and its socket as the response's
// transport.
#pragma once

// winsock2.h must come before anything that includes windows.h.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "pagehost/channels.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
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

// Used by one thread at a time.
class Connection final : public RequestSource, public ResponseTransport {
public:
    explicit Connection(UniqueSocket socket);

    // The request head up to and including its empty line; the bytes received after it
    // are kept for the body. Empty when the client left first or the head grew past
    // kMaxHeadBytes.
    std::string ReceiveHead();

    // The body is Content-Length bytes, read as the page asks for them. A client that
    // sent "Expect: 100-continue" gets "100 Continue" when the page first reads.
    void ExpectBody(std::int64_t length, bool expectContinue) {
        length_ = length;
        expectContinue_ = expectContinue;
    }
    std::int64_t TotalBytes() override { return length_; }
    // Fills destination (up to what the body still holds): the bytes kept after the
    // head first, then straight from the socket. Throws std::runtime_error when the
    // client goes away first.
    std::size_t Read(char* destination, std::size_t count) override;
    std::int64_t Left() const override { return length_ - taken_; }

    // Nothing more is sent once a send failed: the client is gone.
    void SendHead(std::string_view head) override { Send(head); }
    void Send(std::string_view bytes) override;

    // False once a receive or send failed, or when a look at the socket (without waiting
    // or taking bytes) finds it closed or reset. Bytes received within the last few
    // milliseconds answer without looking: a page that asks before every read of a
    // streamed body would otherwise pay a select and a peek per pass.
    bool IsClientConnected() override;

    // Ends the connection so that the response arrives whole even when the client is
    // still sending a body nobody read: stops sending, takes what the client sends for
    // a short while, then closes (closing with unread bytes would reset the connection).
    void Close();

private:
    std::size_t ReceiveFromSocket(char* destination, std::size_t count);

    UniqueSocket socket_;
    std::string pending_;  // received after the head, not taken yet
    bool connected_ = true;
    ULONGLONG lastReceived_ = 0;  // GetTickCount64() of the last successful receive
    std::int64_t length_ = 0;
    std::int64_t taken_ = 0;
    bool expectContinue_ = false;
};

}  // namespace kestrune

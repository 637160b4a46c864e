// The page's channels over a client connection: the request body as the client sends
// it, and the response's bytes back to it.
#pragma once

#include "pagehost/channels.h"
#include "pagehost/http/page_response.h"
#include "pagehost/network/client_connection.h"

#include <cstdint>

namespace kestrune {

// The body of one request: Content-Length bytes, read as the page asks for them.
class SocketRequestSource final : public RequestSource {
public:
    SocketRequestSource(ClientConnection& connection, std::int64_t length)
        : connection_(connection), length_(length) {}

    std::int64_t TotalBytes() override { return length_; }
    // Fills destination (up to what the body still holds); throws std::runtime_error
    // when the client goes away first.
    std::size_t Read(char* destination, std::size_t count) override;

    // Body bytes the page has not read.
    std::int64_t Left() const { return length_ - taken_; }

private:
    ClientConnection& connection_;
    std::int64_t length_;
    std::int64_t taken_ = 0;
};

class SocketTransport final : public ResponseTransport {
public:
    explicit SocketTransport(ClientConnection& connection) : connection_(connection) {}
    bool Send(std::string_view bytes) override { return connection_.SendAll(bytes); }
    bool ClientConnected() override { return connection_.StillThere(); }

private:
    ClientConnection& connection_;
};

}  // namespace kestrune

// One client's connection: the bytes received but not yet taken, sending, and whether
// the client is still there. Used by one thread at a time.
#pragma once

#include "pagehost/network/socket.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace kestrune {

class ClientConnection {
public:
    explicit ClientConnection(UniqueSocket socket);

    SOCKET Socket() const { return socket_.Get(); }

    // Received bytes not taken yet: after a request head, the start of its body or of the
    // next request.
    std::string& Pending() { return pending_; }

    // Appends what the client sends next to Pending(); false once it has closed, failed
    // or said nothing for the receive timeout.
    bool ReceiveMore();

    // Up to count bytes: from Pending() first, then straight from the socket, waiting
    // for at least one. 0 means the client is gone.
    std::size_t Receive(char* destination, std::size_t count);

    // False when the client is gone (the rest is not sent).
    bool SendAll(std::string_view bytes);

    // The client's state now: false once a receive or send failed, or when a look at
    // the socket (without waiting or taking bytes) finds it closed or reset. Bytes
    // received within the last few milliseconds answer without looking: a page that
    // asks before every read of a streamed body would otherwise pay a select and a peek
    // per pass.
    bool StillThere();

    bool Gone() const { return gone_; }

    // Ends the connection so that a response sent just before arrives whole: stops
    // sending, takes what the client still sends for a short while, then closes.
    void CloseGracefully();

private:
    UniqueSocket socket_;
    std::string pending_;
    bool gone_ = false;
    ULONGLONG lastReceived_ = 0;  // GetTickCount64() of the last successful receive
};

}  // namespace kestrune

// Where a page's request body comes from and where its response goes. The intrinsic
// Request object reads a request source and Response writes through a PageResponse
// (http/) to a response transport, so the same objects serve a body file and stdout in
// script mode and a socket in serve mode. Each virtual answers one host call the
// component makes (TotalBytes, BinaryRead, Write, IsClientConnected), which is where
// console/ wraps them to make a call fail or the client leave.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kestrune {

class RequestSource {
public:
    virtual ~RequestSource() = default;

    // Request.TotalBytes: the size of the whole body in bytes.
    virtual std::int64_t TotalBytes() = 0;

    // Request.BinaryRead: copies up to count next bytes of the body to destination and
    // returns how many (fewer only at its end). Throws std::runtime_error, whose text
    // the page sees as the error's description, when the body cannot be read.
    virtual std::size_t Read(char* destination, std::size_t count) = 0;

    // Body bytes not read yet, by which BinaryRead sizes its array; not a host call.
    virtual std::int64_t Left() const = 0;
};

class ResponseTransport {
public:
    virtual ~ResponseTransport() = default;

    // The status line and headers, once. A transport without a head (stdout) drops them.
    virtual void SendHead(std::string_view head) = 0;

    // Bytes of the body, in order, once per Response.Write when output is not buffered.
    // Dropped once the client is gone; may throw std::runtime_error for a failed write.
    virtual void Send(std::string_view bytes) = 0;

    // Response.IsClientConnected: false once the client has gone away, and from the
    // first send that could not reach it.
    virtual bool IsClientConnected() = 0;
};

}  // namespace kestrune

#pragma once
// Connection and body framing decisions for one request (RFC 9112 sections 6 and 9).

#include <cstdint>
#include <string>

#include "pagehost/http/request_head.h"

namespace kestrune {

// Whether the connection may carry another request after this one's response:
// HTTP/1.1 unless "Connection: close"; HTTP/1.0 only with "Connection: keep-alive".
bool WantsKeepAlive(const RequestHead& head);

struct BodyFraming {
    int status = 0;               // 0: read `length` body bytes; else answer this status and close
    std::string reason;           // for a status: one line for the error page
    std::uint64_t length = 0;     // body bytes that follow the head
    bool expectContinue = false;  // send "100 Continue" before reading the body
};

// Decides how the body is framed before a byte of it is read, so an oversized body is
// refused with 413 while the client still waits. Chunked request bodies get 411:
// pages learn the body's size from Request.TotalBytes before they read it, which
// needs Content-Length; other transfer codings get 501. A Content-Length that is not
// one decimal number (or a list of equal ones) is 400, as is a request that has both.
// An Expect other than 100-continue is 417; HTTP/1.0 expectations are ignored.
BodyFraming DecideBody(const RequestHead& head, std::uint64_t maxBodyBytes);

}  // namespace kestrune

#pragma once
// Incremental parser for an HTTP/1.x request head (RFC 9112 sections 2-5).
//
// Bytes arrive in any split; the parser keeps the head until its empty line, then
// parses it whole. It never consumes a byte past the head, so what follows (a body or
// the next pipelined request) stays with the caller.

#include <cstddef>
#include <string>

#include "pagehost/http/request_head.h"

namespace kestrune {

enum class HeadStatus { kIncomplete, kDone, kError };

struct HeadLimits {
    std::size_t maxHeadBytes = 16 * 1024;   // whole head, request line included
    std::size_t maxRequestLine = 8 * 1024;  // longer: 414
    std::size_t maxHeaders = 100;           // more header lines: 431
};

class RequestHeadParser {
public:
    explicit RequestHeadParser(HeadLimits limits = {}) : limits_(limits) {}

    // Takes bytes; returns how many belong to the head (all of them until the head is
    // complete; none once Status() is not kIncomplete).
    std::size_t Feed(const char* data, std::size_t size);

    HeadStatus Status() const { return status_; }
    // Valid when Status() is kDone. Only GET, HEAD and POST get this far; an
    // absolute-form target ("http://host/x") is reduced to its origin form ("/x").
    const RequestHead& Head() const { return head_; }
    // When Status() is kError: 400, 414, 431, 501 or 505, and a one-line reason.
    int ErrorStatus() const { return errorStatus_; }
    const std::string& ErrorReason() const { return errorReason_; }

    // Ready for the next request on the same connection.
    void Reset();

private:
    bool Fail(int status, std::string reason);
    std::size_t FindHeadEnd(std::size_t from) const;
    void ParseHead();
    bool ParseRequestLine(std::string_view line);
    bool ParseHeaderLine(std::string_view line);
    bool CheckHeaders();

    HeadLimits limits_;
    std::string buffer_;
    std::size_t scanned_ = 0;
    HeadStatus status_ = HeadStatus::kIncomplete;
    RequestHead head_;
    int errorStatus_ = 0;
    std::string errorReason_;
};

}  // namespace kestrune

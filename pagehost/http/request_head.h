#pragma once
// A request head as the page host takes it (RFC 9112 sections 2-6), cut to what a local
// stand-in for IIS needs: one HTTP/1.0 or 1.1 request per connection, GET or POST, and a
// body framed by Content-Length. Whatever else a client asks for gets one plain status.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrune {

struct RequestHead {
    std::string method;  // "GET" or "POST"
    std::string target;  // origin form as sent: "/a%20b.asp?x=1"
    int versionMinor = 1;
    std::vector<std::pair<std::string, std::string>> headers;  // in order, values trimmed

    // Every value of a header (case-insensitive name) joined with ", " (RFC 9110 section
    // 5.3); empty when absent.
    std::string Header(std::string_view name) const;
    // "/a%20b.asp" and "x=1": the target split at its first "?".
    std::string_view Path() const;
    std::string_view Query() const;
};

struct ParsedRequest {
    int status = 0;  // 0: serve it; else answer 400, 413 or 501 and close
    RequestHead head;
    std::uint64_t bodyLength = 0;  // Content-Length
    bool expectContinue = false;   // the client waits for "100 Continue" before the body
};

// A control byte other than tab: never in a header value or a status line.
bool HasControl(std::string_view text);

// Header field grammar (RFC 9110 section 5): the name a token, the value free of control
// bytes (no CR, LF or NUL: no smuggled requests, no split responses).
bool IsValidHeader(std::string_view name, std::string_view value);

// A head longer than this is refused (400) before it ends.
constexpr std::size_t kMaxHeadBytes = 16 * 1024;

// head is everything up to and including its empty line (CR LF line ends). 400 for a
// malformed head or Content-Length, 413 for a body over maxBodyBytes (answered before
// it is sent), 501 for another method or version and for any Transfer-Encoding
// (chunked request bodies: a page learns the body's size from TotalBytes first).
ParsedRequest ParseRequest(std::string_view head, std::uint64_t maxBodyBytes);

}  // namespace kestrune

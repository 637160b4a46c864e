#pragma once
// The status line and header block of a response (RFC 9112 sections 4 and 6).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrune {

struct ResponseHead {
    int status = 200;
    std::string reason;  // empty: the standard phrase for status
    // Content-Type, Location, Cache-Control...: written in order, as given. The writer
    // adds Date, Server, the framing headers and Connection itself.
    std::vector<std::pair<std::string, std::string>> headers;
    std::optional<std::uint64_t> contentLength;  // known size of the body
    bool keepAlive = true;                       // the host's wish; the writer may clear it
    bool chunked = false;                        // out: the body must be sent chunked
};

// Standard reason phrase; "Unknown" for a code without one.
std::string_view ReasonPhrase(int status);

// IMF-fixdate (RFC 9110 section 5.6.7): "Sun, 06 Nov 1994 08:49:37 GMT".
std::string FormatHttpDate(std::int64_t unixSeconds);

// Writes the head. Framing: a known contentLength gives Content-Length; otherwise an
// HTTP/1.1 client gets chunked (head.chunked is set) and an HTTP/1.0 client a body
// ended by closing (head.keepAlive is cleared). 1xx, 204 and 304 carry no framing.
// HTTP/1.0 keep-alive is confirmed with "Connection: keep-alive".
std::string WriteResponseHead(ResponseHead& head, bool clientIs11, std::int64_t nowUnixSeconds);

// Chunk framing for a chunked body: the size line before size bytes, the CR LF after
// them, and the last chunk that ends the body.
std::string ChunkPrefix(std::size_t size);
constexpr std::string_view kChunkSuffix = "\r\n";
constexpr std::string_view kLastChunk = "0\r\n\r\n";

}  // namespace kestrune

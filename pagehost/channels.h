// Where a page's request body comes from and where its output goes. The intrinsic
// Request and Response objects sit on these two channels, so the same objects serve a
// body file and stdout here and a socket in an HTTP server.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace kestrune {

class RequestSource {
public:
    virtual ~RequestSource() = default;

    // Size of the whole body in bytes.
    virtual std::int64_t TotalBytes() = 0;

    // Copies up to count next bytes of the body to destination; returns how many (0 at
    // the end). Throws std::runtime_error when the body cannot be read.
    virtual std::size_t Read(char* destination, std::size_t count) = 0;
};

class ResponseSink {
public:
    virtual ~ResponseSink() = default;

    // Appends UTF-8 text to the page output.
    virtual void Write(std::string_view text) = 0;

    // False once the client has gone away.
    virtual bool IsConnected() = 0;
};

// A request with no body.
std::shared_ptr<RequestSource> MakeEmptyRequestSource();

// Answers IsConnected from inner for the first answers calls, false from then on.
std::shared_ptr<ResponseSink> MakeDisconnectingSink(std::shared_ptr<ResponseSink> inner,
                                                    std::int64_t answers);

}  // namespace kestrune

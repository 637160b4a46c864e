// Where a page's request body comes from and where its output goes. The intrinsic
// Request and Response objects sit on these two channels, so the same objects serve a
// body file and stdout in script mode and a socket in serve mode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
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

    // Appends bytes (UTF-8 text, or what BinaryWrite hands over) to the page output.
    virtual void Write(std::string_view bytes) = 0;

    // False once the client has gone away.
    virtual bool IsConnected() = 0;

    // The head and buffering of an HTTP response. A sink without a head (stdout) takes
    // every setting and ignores it, and reads back the defaults. A setter returns false
    // once the head has been sent and can no longer change.
    virtual bool SetStatus(int /*code*/, const std::string& /*reason*/) { return true; }
    virtual std::string StatusLine() const { return "200 OK"; }
    virtual bool SetContentType(const std::string& /*type*/) { return true; }
    virtual std::string ContentType() const { return "text/html"; }
    virtual bool SetCharSet(const std::string& /*charset*/) { return true; }
    virtual std::string CharSet() const { return {}; }
    virtual bool AddHeader(const std::string& /*name*/, const std::string& /*value*/) { return true; }
    virtual bool SetBuffer(bool /*on*/) { return true; }
    virtual bool Buffer() const { return false; }
    virtual void Flush() {}
    // Drops buffered output that has not been sent.
    virtual void Clear() {}
    // 302 to location, with the buffered output replaced; then the response ends.
    virtual bool Redirect(const std::string& /*location*/) { return true; }
    // Nothing the page writes from now on is sent.
    virtual void End() {}
    virtual bool Ended() const { return false; }
};

// A request with no body.
std::shared_ptr<RequestSource> MakeEmptyRequestSource();

// Answers IsConnected from inner for the first answers calls, false from then on.
std::shared_ptr<ResponseSink> MakeDisconnectingSink(std::shared_ptr<ResponseSink> inner,
                                                    std::int64_t answers);

}  // namespace kestrune

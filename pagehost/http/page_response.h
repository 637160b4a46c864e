#pragma once
// The HTTP response a page builds through Response: status, headers, and a body that
// is either buffered (sent whole, with Content-Length) or streamed (chunked on
// HTTP/1.1, ended by closing on HTTP/1.0) once the page flushes or turns Buffer off.
// What the page writes after its client has gone is dropped quietly, as IIS does.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pagehost/channels.h"

namespace kestrune {

// Where the bytes of a response go.
class ResponseTransport {
public:
    virtual ~ResponseTransport() = default;
    // False once the client is gone; nothing is sent after that.
    virtual bool Send(std::string_view bytes) = 0;
    virtual bool ClientConnected() = 0;
};

struct PageResponseSettings {
    bool clientIs11 = true;
    bool headRequest = false;             // HEAD: the head as for GET, never a body
    bool keepAlive = true;                // the connection may stay open, as far as the request goes
    std::function<std::int64_t()> clock;  // Unix seconds for the Date header
};

class PageResponse final : public ResponseSink {
public:
    PageResponse(ResponseTransport& transport, PageResponseSettings settings);

    void Write(std::string_view bytes) override;
    bool IsConnected() override { return !gone_ && transport_.ClientConnected(); }

    bool SetStatus(int code, const std::string& reason) override;
    std::string StatusLine() const override;
    bool SetContentType(const std::string& type) override;
    std::string ContentType() const override { return contentType_; }
    bool SetCharSet(const std::string& charset) override;
    std::string CharSet() const override { return charset_; }
    bool AddHeader(const std::string& name, const std::string& value) override;
    bool SetBuffer(bool on) override;
    bool Buffer() const override { return buffer_; }
    void Flush() override;
    void Clear() override { body_.clear(); }
    bool Redirect(const std::string& location) override;
    void End() override { ended_ = true; }
    bool Ended() const override { return ended_; }

    bool HeadSent() const { return headSent_; }

    // Replaces the response with an error page when nothing has left yet; otherwise the
    // page is appended to what was sent (the client sees it after the partial output).
    void Fail(int status, std::string_view html);

    // Sends what is left and ends the body. Call once, after the page has run.
    void Finish();

    // After Finish: whether the connection can carry another request.
    bool KeepsConnection() const { return keepAlive_ && !gone_; }

private:
    void SendHead(bool knownLength);
    void SendBody(std::string_view bytes);
    void SendRaw(std::string_view bytes);

    ResponseTransport& transport_;
    PageResponseSettings settings_;
    int status_ = 200;
    std::string reason_;
    std::string contentType_ = "text/html";
    std::string charset_;
    std::vector<std::pair<std::string, std::string>> headers_;
    std::string body_;  // buffered, not yet sent
    bool buffer_ = true;
    bool headSent_ = false;
    bool chunked_ = false;
    bool keepAlive_;
    bool ended_ = false;
    bool finished_ = false;
    bool gone_ = false;
};

// "404 Not Found" -> 404 and "Not Found": three digits from 100 to 999, a space, then
// any text without control characters. False for anything else.
bool ParseStatusLine(std::string_view text, int& code, std::string& reason);

// Header names are tokens; values hold no CR, LF or NUL (no response splitting).
bool IsValidHeader(std::string_view name, std::string_view value);

}  // namespace kestrune

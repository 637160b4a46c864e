#pragma once
// The response a page builds through Response: status, headers, and a body that is
// buffered and sent whole with Content-Length, or, once the page flushes or turns Buffer
// off, streamed and ended by closing the connection. Every response says
// "Connection: close": one request per connection. What the page writes after its
// client has gone is dropped quietly, as IIS does.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pagehost/channels.h"

namespace kestrune {

using HeaderList = std::vector<std::pair<std::string, std::string>>;

class PageResponse final {
public:
    // buffer: Response.Buffer at the start (true on a web server).
    explicit PageResponse(ResponseTransport& transport, bool buffer = true)
        : transport_(transport), buffer_(buffer) {}

    // Throws what the transport throws; the bytes are then not sent.
    void Write(std::string_view bytes);
    bool IsClientConnected() { return transport_.IsClientConnected(); }

    // The head's settings; a setter returns false once the head has left.
    bool SetStatus(int code, const std::string& reason);
    int Status() const { return status_; }
    std::string StatusLine() const;
    bool SetContentType(const std::string& type);
    std::string ContentType() const { return contentType_; }
    bool SetCharSet(const std::string& charset);
    std::string CharSet() const { return charset_; }
    bool AddHeader(const std::string& name, const std::string& value);
    bool SetBuffer(bool on);
    bool Buffer() const { return buffer_; }

    void Flush();
    // Drops buffered output that has not been sent.
    void Clear() { body_.clear(); }
    // 302 to location, with the buffered output replaced by html; then the response ends.
    bool Redirect(const std::string& location, std::string_view html);
    // Nothing the page writes from now on is sent.
    void End() { ended_ = true; }

    // Replaces the response with an error page when nothing has left yet; otherwise the
    // page is appended to what was sent (the client sees it after the partial output).
    void Fail(int status, std::string_view html);

    // Sends what is left. Call once, after the page has run.
    void Finish();

private:
    void SendHead(bool withLength);
    void SendBuffered();

    ResponseTransport& transport_;
    int status_ = 200;
    std::string reason_;
    std::string contentType_ = "text/html";
    std::string charset_;
    HeaderList headers_;
    std::string body_;  // buffered, not yet sent
    bool buffer_;
    bool headSent_ = false;
    bool ended_ = false;
    bool finished_ = false;
};

}  // namespace kestrune

#include "pagehost/http/page_response.h"

#include "base/ascii.h"
#include "pagehost/http/request_head.h"

namespace kestrune {
namespace {

// Headers the framing owns: a page setting them would contradict what is sent.
bool IsFramingHeader(std::string_view name) {
    for (std::string_view owned : {"Content-Length", "Transfer-Encoding", "Connection"}) {
        if (EqualsNoCase(name, owned)) return true;
    }
    return false;
}

// The statuses the host answers itself; a page's own status brings its own phrase.
constexpr std::pair<int, std::string_view> kPhrases[] = {
    {200, "OK"},
    {302, "Found"},
    {400, "Bad Request"},
    {403, "Forbidden"},
    {404, "Not Found"},
    {413, "Content Too Large"},
    {500, "Internal Server Error"},
    {501, "Not Implemented"},
};

std::string_view ReasonPhrase(int status) {
    for (auto [code, phrase] : kPhrases) {
        if (code == status) return phrase;
    }
    return {};
}

}  // namespace

std::string PageResponse::StatusLine() const {
    return std::to_string(status_) + " " + (reason_.empty() ? std::string(ReasonPhrase(status_)) : reason_);
}

bool PageResponse::SetStatus(int code, const std::string& reason) {
    if (headSent_) return false;
    status_ = code;
    reason_ = reason;
    return true;
}

bool PageResponse::SetContentType(const std::string& type) {
    if (headSent_ || HasControl(type)) return false;
    contentType_ = type;
    return true;
}

bool PageResponse::SetCharSet(const std::string& charset) {
    if (headSent_ || HasControl(charset)) return false;
    charset_ = charset;
    return true;
}

bool PageResponse::AddHeader(const std::string& name, const std::string& value) {
    if (headSent_ || !IsValidHeader(name, value) || IsFramingHeader(name)) return false;
    headers_.emplace_back(name, value);
    return true;
}

bool PageResponse::SetBuffer(bool on) {
    // Once output has left, buffering cannot be turned back on (ASP says the same).
    if (headSent_ && on && !buffer_) return false;
    buffer_ = on;
    return true;
}

void PageResponse::Write(std::string_view bytes) {
    if (ended_ || finished_) return;
    if (buffer_) {
        body_.append(bytes);
        return;
    }
    Flush();
    transport_.Send(bytes);
}

void PageResponse::Flush() {
    if (finished_) return;
    if (!headSent_) SendHead(false);
    SendBuffered();
}

bool PageResponse::Redirect(const std::string& location, std::string_view html) {
    if (headSent_ || HasControl(location)) return false;
    status_ = 302;
    reason_ = "Object Moved";
    headers_.emplace_back("Location", location);
    body_.assign(html);
    ended_ = true;
    return true;
}

void PageResponse::Fail(int status, std::string_view html) {
    if (finished_) return;
    if (!headSent_) {
        status_ = status;
        reason_.clear();
        contentType_ = "text/html";
        charset_ = "utf-8";
        headers_.clear();
        body_.clear();
    }
    body_.append(html);
    ended_ = true;
}

void PageResponse::Finish() {
    if (finished_) return;
    if (!headSent_) SendHead(true);
    finished_ = true;
    SendBuffered();
}

// "HTTP/1.1 200 OK", the headers, Content-Length when the whole body is at hand, and
// "Connection: close": the end of the connection ends a streamed body.
void PageResponse::SendHead(bool withLength) {
    std::string head = "HTTP/1.1 " + StatusLine() + "\r\nContent-Type: " + contentType_;
    if (!charset_.empty()) head += "; charset=" + charset_;
    head += "\r\n";
    for (const auto& [name, value] : headers_) head += name + ": " + value + "\r\n";
    if (withLength) head += "Content-Length: " + std::to_string(body_.size()) + "\r\n";
    headSent_ = true;
    transport_.SendHead(head + "Connection: close\r\n\r\n");
}

// Out of the buffer before it is sent: bytes a throwing transport refused are not sent again.
void PageResponse::SendBuffered() {
    std::string pending = std::exchange(body_, {});
    if (!pending.empty()) transport_.Send(pending);
}

}  // namespace kestrune

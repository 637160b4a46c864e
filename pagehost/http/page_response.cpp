#include "pagehost/http/page_response.h"

#include "base/ascii.h"
#include "pagehost/http/error_page.h"
#include "pagehost/http/request_head.h"
#include "pagehost/http/response_head.h"

namespace kestrune {
namespace {

bool HasControl(std::string_view text) {
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t') || byte == 0x7F) return true;
    }
    return false;
}

// Headers the framing owns: a page setting them would contradict what is sent.
bool IsFramingHeader(std::string_view name) {
    for (std::string_view owned : {"Content-Length", "Transfer-Encoding", "Connection", "Date", "Server"}) {
        if (EqualsNoCase(name, owned)) return true;
    }
    return false;
}

}  // namespace

bool ParseStatusLine(std::string_view text, int& code, std::string& reason) {
    if (text.size() < 4 || text[3] != ' ' || HasControl(text)) return false;
    int value = 0;
    for (int i = 0; i < 3; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    if (value < 100) return false;
    code = value;
    reason = std::string(text.substr(4));
    return true;
}

bool IsValidHeader(std::string_view name, std::string_view value) {
    if (name.empty()) return false;
    for (char c : name) {
        if (!IsTokenChar(c)) return false;
    }
    return !HasControl(value);
}

PageResponse::PageResponse(ResponseTransport& transport, PageResponseSettings settings)
    : transport_(transport), settings_(std::move(settings)), keepAlive_(settings_.keepAlive) {}

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
    if (!headSent_) SendHead(false);
    if (!body_.empty()) {
        SendBody(body_);
        body_.clear();
    }
    SendBody(bytes);
}

void PageResponse::Flush() {
    if (finished_) return;
    if (!headSent_) SendHead(false);
    SendBody(body_);
    body_.clear();
}

bool PageResponse::Redirect(const std::string& location) {
    if (headSent_ || HasControl(location)) return false;
    status_ = 302;
    reason_ = "Object Moved";
    headers_.emplace_back("Location", location);
    body_ =
        "<html><head><title>Object moved</title></head><body><h1>Object Moved</h1>"
        "This object may be found <a href=\"" +
        EscapeHtml(location) + "\">here</a>.</body></html>\r\n";
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
        body_.assign(html);
    } else {
        body_.append(html);
    }
    ended_ = true;
}

void PageResponse::Finish() {
    if (finished_) return;
    if (!headSent_) {
        SendHead(true);
        SendBody(body_);
    } else {
        SendBody(body_);
        if (chunked_ && !settings_.headRequest) SendRaw(kLastChunk);
    }
    body_.clear();
    finished_ = true;
}

void PageResponse::SendHead(bool knownLength) {
    ResponseHead head;
    head.status = status_;
    head.reason = reason_;
    head.keepAlive = keepAlive_;
    std::string type = contentType_;
    if (!charset_.empty()) type += "; charset=" + charset_;
    head.headers.emplace_back("Content-Type", type);
    for (const auto& header : headers_) head.headers.push_back(header);
    if (knownLength) head.contentLength = body_.size();
    std::int64_t now = settings_.clock ? settings_.clock() : 0;
    std::string text = WriteResponseHead(head, settings_.clientIs11, now);
    keepAlive_ = head.keepAlive;
    chunked_ = head.chunked;
    headSent_ = true;
    SendRaw(text);
}

void PageResponse::SendBody(std::string_view bytes) {
    if (bytes.empty() || settings_.headRequest) return;
    if (!chunked_) {
        SendRaw(bytes);
        return;
    }
    SendRaw(ChunkPrefix(bytes.size()));
    SendRaw(bytes);
    SendRaw(kChunkSuffix);
}

void PageResponse::SendRaw(std::string_view bytes) {
    if (gone_) return;
    if (!transport_.Send(bytes)) gone_ = true;
}

}  // namespace kestrune

#include "pagehost/http/request_head_parser.h"

#include "base/ascii.h"

namespace kestrune {
namespace {

bool IsToken(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (!IsTokenChar(c)) return false;
    }
    return true;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimSpaces(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// Reduces an absolute-form target (RFC 9112 section 3.2.2) to origin form.
bool ToOriginForm(std::string& target) {
    if (!target.empty() && target[0] == '/') return true;
    std::size_t scheme = target.find("://");
    if (scheme == std::string::npos || !EqualsNoCase(std::string_view(target).substr(0, scheme), "http"))
        return false;
    std::size_t path = target.find_first_of("/?", scheme + 3);
    if (path == std::string::npos) {
        target = "/";
    } else {
        target = (target[path] == '?' ? "/" : "") + target.substr(path);
    }
    return true;
}

}  // namespace

void RequestHeadParser::Reset() {
    buffer_.clear();
    scanned_ = 0;
    status_ = HeadStatus::kIncomplete;
    head_ = RequestHead();
    errorStatus_ = 0;
    errorReason_.clear();
}

bool RequestHeadParser::Fail(int status, std::string reason) {
    status_ = HeadStatus::kError;
    errorStatus_ = status;
    errorReason_ = std::move(reason);
    return false;
}

// Offset just past the LF that ends the empty line, or npos.
std::size_t RequestHeadParser::FindHeadEnd(std::size_t from) const {
    std::size_t lf = buffer_.find('\n', from);
    while (lf != std::string::npos) {
        std::size_t next = lf + 1;
        if (next < buffer_.size() && buffer_[next] == '\n') return next + 1;
        if (next + 1 < buffer_.size() && buffer_[next] == '\r' && buffer_[next + 1] == '\n') return next + 2;
        lf = buffer_.find('\n', next);
    }
    return std::string::npos;
}

std::size_t RequestHeadParser::Feed(const char* data, std::size_t size) {
    if (status_ != HeadStatus::kIncomplete) return 0;
    std::size_t consumed = 0;
    // Empty lines before a request line are ignored (RFC 9112 section 2.2).
    while (buffer_.empty() && consumed < size && (data[consumed] == '\r' || data[consumed] == '\n'))
        ++consumed;
    std::size_t before = buffer_.size();
    buffer_.append(data + consumed, size - consumed);
    std::size_t end = FindHeadEnd(scanned_ > 2 ? scanned_ - 2 : 0);
    if (end == std::string::npos) {
        scanned_ = buffer_.size();
        if (buffer_.find('\n') == std::string::npos && buffer_.size() > limits_.maxRequestLine)
            Fail(414, "request line too long");
        else if (buffer_.size() > limits_.maxHeadBytes)
            Fail(431, "request head too large");
        return size;
    }
    if (end > limits_.maxHeadBytes) {
        Fail(431, "request head too large");
        return size;
    }
    buffer_.resize(end);
    ParseHead();
    return consumed + (end - before);
}

void RequestHeadParser::ParseHead() {
    std::string_view rest = buffer_;
    bool first = true;
    std::size_t count = 0;
    while (!rest.empty()) {
        std::size_t lf = rest.find('\n');
        std::string_view line = rest.substr(0, lf);
        rest.remove_prefix(lf + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) break;
        if (first) {
            if (line.size() > limits_.maxRequestLine) {
                Fail(414, "request line too long");
                return;
            }
            if (!ParseRequestLine(line)) return;
            first = false;
            continue;
        }
        if (++count > limits_.maxHeaders) {
            Fail(431, "too many header fields");
            return;
        }
        if (!ParseHeaderLine(line)) return;
    }
    if (CheckHeaders()) status_ = HeadStatus::kDone;
}

bool RequestHeadParser::ParseRequestLine(std::string_view line) {
    std::size_t space1 = line.find(' ');
    std::size_t space2 = space1 == std::string_view::npos ? space1 : line.find(' ', space1 + 1);
    if (space2 == std::string_view::npos || line.find(' ', space2 + 1) != std::string_view::npos)
        return Fail(400, "malformed request line");
    std::string_view method = line.substr(0, space1);
    std::string_view target = line.substr(space1 + 1, space2 - space1 - 1);
    std::string_view version = line.substr(space2 + 1);
    if (!IsToken(method)) return Fail(400, "malformed method");
    if (target.empty()) return Fail(400, "empty request target");
    for (char c : target) {
        auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F)
            return Fail(400, "request target holds a byte that must be encoded");
    }
    if (version.size() != 8 || version.substr(0, 5) != "HTTP/" || !IsDigit(version[5]) || version[6] != '.' ||
        !IsDigit(version[7]))
        return Fail(400, "malformed HTTP version");
    head_.versionMajor = version[5] - '0';
    head_.versionMinor = version[7] - '0';
    if (head_.versionMajor != 1) return Fail(505, "only HTTP/1.x is supported");
    head_.method = std::string(method);
    if (method != "GET" && method != "HEAD" && method != "POST")
        return Fail(501, "method " + head_.method + " is not implemented");
    head_.target = std::string(target);
    if (!ToOriginForm(head_.target)) return Fail(400, "unsupported request target form");
    return true;
}

bool RequestHeadParser::ParseHeaderLine(std::string_view line) {
    if (line.front() == ' ' || line.front() == '\t')
        return Fail(400, "obsolete line folding is not accepted");
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return Fail(400, "header line without ':'");
    std::string_view name = line.substr(0, colon);
    if (!IsToken(name)) return Fail(400, "malformed header name");
    std::string_view value = TrimSpaces(line.substr(colon + 1));
    for (char c : value) {
        if (c == '\0' || c == '\r') return Fail(400, "header value holds NUL or CR");
    }
    head_.headers.emplace_back(std::string(name), std::string(value));
    return true;
}

bool RequestHeadParser::CheckHeaders() {
    int hosts = head_.HeaderCount("Host");
    if (hosts > 1) return Fail(400, "more than one Host header");
    if (hosts == 0 && head_.AtLeast11()) return Fail(400, "HTTP/1.1 request without Host");
    return true;
}

}  // namespace kestrune

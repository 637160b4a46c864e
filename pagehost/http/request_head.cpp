#include "pagehost/http/request_head.h"

#include "base/ascii.h"

namespace kestrune {
namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

bool IsToken(std::string_view text) {
    for (char c : text) {
        if (!IsTokenChar(c)) return false;
    }
    return !text.empty();
}

// "METHOD /target HTTP/1.x": 400 unless that shape, 501 for what the host does not do.
int ParseRequestLine(std::string_view line, RequestHead& head) {
    std::size_t space1 = line.find(' ');
    std::size_t space2 = space1 == std::string_view::npos ? space1 : line.find(' ', space1 + 1);
    if (space2 == std::string_view::npos || line.find(' ', space2 + 1) != std::string_view::npos) return 400;
    head.method = std::string(line.substr(0, space1));
    head.target = std::string(line.substr(space1 + 1, space2 - space1 - 1));
    std::string_view version = line.substr(space2 + 1);
    if (!IsToken(head.method) || head.target[0] != '/') return 400;
    for (char c : head.target) {
        if (static_cast<unsigned char>(c) <= 0x20 || static_cast<unsigned char>(c) >= 0x7F) return 400;
    }
    if (version != "HTTP/1.1" && version != "HTTP/1.0") return 501;
    head.versionMinor = version.back() - '0';
    return head.method == "GET" || head.method == "POST" ? 0 : 501;
}

int ParseHeaderLine(std::string_view line, RequestHead& head) {
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return 400;
    std::string_view name = line.substr(0, colon);
    std::string_view value = Trim(line.substr(colon + 1));
    if (!IsValidHeader(name, value)) return 400;
    head.headers.emplace_back(std::string(name), std::string(value));
    return 0;
}

int DecideBody(ParsedRequest& parsed, std::uint64_t maxBodyBytes) {
    const RequestHead& head = parsed.head;
    // Any Transfer-Encoding: also guards against a second, conflicting framing.
    if (!head.Header("Transfer-Encoding").empty()) return 501;
    // Plain digits only: a sign, hex or a list of two ("7, 7") is malformed. More than 18
    // digits is far over any limit (and would overflow).
    std::string length = head.Header("Content-Length");
    if (length.find_first_not_of("0123456789") != std::string::npos) return 400;
    if (length.size() > 18 || (!length.empty() && std::stoull(length) > maxBodyBytes)) return 413;
    parsed.bodyLength = length.empty() ? 0 : std::stoull(length);
    // RFC 9110 section 10.1.1: never a 100 to an HTTP/1.0 client.
    parsed.expectContinue = parsed.bodyLength > 0 && head.versionMinor >= 1 &&
                            EqualsNoCase(head.Header("Expect"), "100-continue");
    return 0;
}

}  // namespace

bool HasControl(std::string_view text) {
    for (char c : text) {
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F) return true;
    }
    return false;
}

bool IsValidHeader(std::string_view name, std::string_view value) {
    return IsToken(name) && !HasControl(value);
}

std::string RequestHead::Header(std::string_view name) const {
    std::string joined;
    for (const auto& [key, value] : headers) {
        if (!EqualsNoCase(key, name)) continue;
        if (!joined.empty()) joined += ", ";
        joined += value;
    }
    return joined;
}

std::string_view RequestHead::Path() const { return std::string_view(target).substr(0, target.find('?')); }

std::string_view RequestHead::Query() const {
    std::size_t mark = target.find('?');
    return mark == std::string::npos ? std::string_view() : std::string_view(target).substr(mark + 1);
}

ParsedRequest ParseRequest(std::string_view text, std::uint64_t maxBodyBytes) {
    ParsedRequest parsed;
    bool first = true;
    while (parsed.status == 0) {
        std::size_t end = text.find("\r\n");
        if (end == 0 || end == std::string_view::npos) break;  // the empty line ends the head
        std::string_view line = text.substr(0, end);
        parsed.status = first ? ParseRequestLine(line, parsed.head) : ParseHeaderLine(line, parsed.head);
        text.remove_prefix(end + 2);
        first = false;
    }
    if (parsed.status == 0) parsed.status = first ? 400 : DecideBody(parsed, maxBodyBytes);
    return parsed;
}

}  // namespace kestrune

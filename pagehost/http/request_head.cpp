#include "pagehost/http/request_head.h"

#include "base/ascii.h"

#include <optional>

namespace kestrune {
namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

bool IsToken(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (!IsTokenChar(c)) return false;
    }
    return true;
}

// Plain digits, saturating far above any limit; nullopt otherwise (signs, lists, hex).
std::optional<std::uint64_t> ParseLength(std::string_view text) {
    constexpr std::uint64_t kCeiling = 1ULL << 62;
    if (text.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value > kCeiling / 10 ? kCeiling : value * 10 + static_cast<unsigned>(c - '0');
    }
    return value;
}

ParsedRequest Refuse(int status, std::string reason) {
    ParsedRequest parsed;
    parsed.status = status;
    parsed.reason = std::move(reason);
    return parsed;
}

// "METHOD /target HTTP/1.x": 400 unless that shape, 501 for what the host does not do.
std::optional<ParsedRequest> ParseRequestLine(std::string_view line, RequestHead& head) {
    std::size_t space1 = line.find(' ');
    std::size_t space2 = space1 == std::string_view::npos ? space1 : line.find(' ', space1 + 1);
    if (space2 == std::string_view::npos || line.find(' ', space2 + 1) != std::string_view::npos)
        return Refuse(400, "malformed request line");
    head.method = std::string(line.substr(0, space1));
    head.target = std::string(line.substr(space1 + 1, space2 - space1 - 1));
    std::string_view version = line.substr(space2 + 1);
    if (!IsToken(head.method)) return Refuse(400, "malformed method");
    if (head.target.empty() || head.target[0] != '/') return Refuse(400, "the target is not a path");
    for (char c : head.target) {
        auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F) return Refuse(400, "the target holds a byte that must be encoded");
    }
    if (version != "HTTP/1.1" && version != "HTTP/1.0")
        return Refuse(501, "only HTTP/1.0 and 1.1 are served");
    head.versionMinor = version.back() - '0';
    if (head.method != "GET" && head.method != "POST") return Refuse(501, "only GET and POST are served");
    return std::nullopt;
}

std::optional<ParsedRequest> ParseHeaderLine(std::string_view line, RequestHead& head) {
    std::size_t colon = line.find(':');
    std::string_view name = line.substr(0, colon);
    std::string_view value = colon == std::string_view::npos ? "" : Trim(line.substr(colon + 1));
    if (colon == std::string_view::npos || !IsValidHeader(name, value))
        return Refuse(400, "malformed header line");
    head.headers.emplace_back(std::string(name), std::string(value));
    return std::nullopt;
}

ParsedRequest DecideBody(ParsedRequest parsed, std::uint64_t maxBodyBytes) {
    const RequestHead& head = parsed.head;
    // Any Transfer-Encoding: also guards against a second, conflicting framing.
    if (!head.JoinedHeader("Transfer-Encoding").empty())
        return Refuse(501, "request bodies need Content-Length, not Transfer-Encoding");
    std::string length = head.JoinedHeader("Content-Length");
    if (!length.empty()) {
        std::optional<std::uint64_t> value = ParseLength(Trim(length));
        if (!value) return Refuse(400, "malformed Content-Length");
        if (*value > maxBodyBytes)
            return Refuse(413, "request body of " + std::to_string(*value) + " bytes exceeds the limit of " +
                                   std::to_string(maxBodyBytes));
        parsed.bodyLength = *value;
    }
    // RFC 9110 section 10.1.1: never a 100 to an HTTP/1.0 client.
    parsed.expectContinue = parsed.bodyLength > 0 && head.versionMinor >= 1 &&
                            EqualsNoCase(Trim(head.Header("Expect")), "100-continue");
    return parsed;
}

}  // namespace

bool HasControl(std::string_view text) {
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t') || byte == 0x7F) return true;
    }
    return false;
}

bool IsValidHeader(std::string_view name, std::string_view value) {
    return IsToken(name) && !HasControl(value);
}

std::string_view RequestHead::Header(std::string_view name) const {
    for (const auto& header : headers) {
        if (EqualsNoCase(header.first, name)) return header.second;
    }
    return {};
}

std::string RequestHead::JoinedHeader(std::string_view name) const {
    std::string joined;
    for (const auto& header : headers) {
        if (!EqualsNoCase(header.first, name)) continue;
        if (!joined.empty()) joined += ", ";
        joined += header.second;
    }
    return joined;
}

std::string_view RequestHead::Path() const { return std::string_view(target).substr(0, target.find('?')); }

std::string_view RequestHead::Query() const {
    std::size_t mark = target.find('?');
    return mark == std::string::npos ? std::string_view() : std::string_view(target).substr(mark + 1);
}

std::size_t FindHeadEnd(std::string_view received) {
    std::size_t end = received.find("\r\n\r\n");
    return end == std::string_view::npos ? end : end + 4;
}

ParsedRequest ParseRequest(std::string_view text, std::uint64_t maxBodyBytes) {
    ParsedRequest parsed;
    bool first = true;
    while (!text.empty()) {
        std::size_t end = text.find("\r\n");
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 2);
        if (line.empty()) break;
        std::optional<ParsedRequest> refused =
            first ? ParseRequestLine(line, parsed.head) : ParseHeaderLine(line, parsed.head);
        if (refused) return *refused;
        first = false;
    }
    if (first) return Refuse(400, "no request line");
    return DecideBody(std::move(parsed), maxBodyBytes);
}

}  // namespace kestrune

#include "pagehost/http/message_rules.h"

#include "base/ascii.h"

#include <optional>

namespace kestrune {
namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// Values above this are refused as too large, whatever the limit.
constexpr std::uint64_t kLengthCeiling = 1ULL << 62;

// One value of a Content-Length list; nullopt unless plain digits. Saturates at the ceiling.
std::optional<std::uint64_t> ParseLength(std::string_view text) {
    if (text.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value > kLengthCeiling / 10 ? kLengthCeiling : value * 10 + static_cast<unsigned>(c - '0');
    }
    return value;
}

// "5", or "5, 5" from repeated headers (RFC 9110 section 8.6): all values must agree.
std::optional<std::uint64_t> ContentLength(const RequestHead& head) {
    std::string joined = head.JoinedHeader("Content-Length");
    std::string_view rest = joined;
    std::optional<std::uint64_t> length;
    while (true) {
        std::size_t comma = rest.find(',');
        std::optional<std::uint64_t> value = ParseLength(Trim(rest.substr(0, comma)));
        if (!value || (length && *length != *value)) return std::nullopt;
        length = value;
        if (comma == std::string_view::npos) return length;
        rest.remove_prefix(comma + 1);
    }
}

BodyFraming Refuse(int status, std::string reason) {
    BodyFraming framing;
    framing.status = status;
    framing.reason = std::move(reason);
    return framing;
}

}  // namespace

bool WantsKeepAlive(const RequestHead& head) {
    if (head.HeaderHasToken("Connection", "close")) return false;
    if (head.AtLeast11()) return true;
    return head.HeaderHasToken("Connection", "keep-alive");
}

BodyFraming DecideBody(const RequestHead& head, std::uint64_t maxBodyBytes) {
    bool hasLength = head.HeaderCount("Content-Length") > 0;
    if (head.HeaderCount("Transfer-Encoding") > 0) {
        if (hasLength) return Refuse(400, "both Transfer-Encoding and Content-Length");
        if (!head.AtLeast11()) return Refuse(400, "Transfer-Encoding in an HTTP/1.0 request");
        if (head.HeaderHasToken("Transfer-Encoding", "chunked"))
            return Refuse(411, "chunked request bodies are not accepted: send Content-Length");
        return Refuse(501, "transfer coding not implemented");
    }
    BodyFraming framing;
    if (hasLength) {
        std::optional<std::uint64_t> length = ContentLength(head);
        if (!length) return Refuse(400, "malformed Content-Length");
        if (*length > maxBodyBytes)
            return Refuse(413, "request body of " + std::to_string(*length) + " bytes exceeds the limit of " +
                                   std::to_string(maxBodyBytes));
        framing.length = *length;
    }
    if (head.HeaderCount("Expect") > 0 && head.AtLeast11()) {
        if (!EqualsNoCase(Trim(head.JoinedHeader("Expect")), "100-continue"))
            return Refuse(417, "unsupported expectation");
        framing.expectContinue = framing.length > 0;
    }
    return framing;
}

}  // namespace kestrune

#include "pagehost/http/query_string.h"

#include "base/ascii.h"

namespace kestrune {

std::string DecodeFormComponent(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '+') {
            decoded += ' ';
        } else if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
                   HexValue(text[i + 2]) >= 0) {
            decoded += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            decoded += c;
        }
    }
    return decoded;
}

QueryPairs ParseQueryString(std::string_view query) {
    QueryPairs pairs;
    while (true) {
        std::size_t amp = query.find('&');
        std::string_view item = query.substr(0, amp);
        if (!item.empty()) {
            std::size_t equals = item.find('=');
            std::string_view name = item.substr(0, equals);
            std::string_view value =
                equals == std::string_view::npos ? std::string_view() : item.substr(equals + 1);
            pairs.emplace_back(DecodeFormComponent(name), DecodeFormComponent(value));
        }
        if (amp == std::string_view::npos) break;
        query.remove_prefix(amp + 1);
    }
    return pairs;
}

std::optional<std::string> QueryValue(const QueryPairs& pairs, std::string_view name) {
    std::optional<std::string> joined;
    for (const auto& pair : pairs) {
        if (!EqualsNoCase(pair.first, name)) continue;
        if (joined) {
            *joined += ", " + pair.second;
        } else {
            joined = pair.second;
        }
    }
    return joined;
}

int QueryCount(const QueryPairs& pairs, std::string_view name) {
    int count = 0;
    for (const auto& pair : pairs) count += EqualsNoCase(pair.first, name) ? 1 : 0;
    return count;
}

}  // namespace kestrune

#include "pagehost/http/request_head.h"

#include "base/ascii.h"

namespace kestrune {
namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

}  // namespace

std::string_view RequestHead::Header(std::string_view name) const {
    for (const auto& header : headers) {
        if (EqualsNoCase(header.first, name)) return header.second;
    }
    return {};
}

int RequestHead::HeaderCount(std::string_view name) const {
    int count = 0;
    for (const auto& header : headers) count += EqualsNoCase(header.first, name) ? 1 : 0;
    return count;
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

bool RequestHead::HeaderHasToken(std::string_view name, std::string_view token) const {
    std::string joined = JoinedHeader(name);
    std::string_view rest = joined;
    while (!rest.empty()) {
        std::size_t comma = rest.find(',');
        std::string_view item = Trim(rest.substr(0, comma));
        if (EqualsNoCase(item, token)) return true;
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    return false;
}

std::string_view RequestHead::Path() const {
    std::string_view all = target;
    return all.substr(0, all.find('?'));
}

std::string_view RequestHead::Query() const {
    std::size_t mark = target.find('?');
    return mark == std::string::npos ? std::string_view() : std::string_view(target).substr(mark + 1);
}

}  // namespace kestrune

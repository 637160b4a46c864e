#pragma once
// A parsed HTTP/1.x request head (RFC 9112 section 2-5).

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrune {

struct RequestHead {
    std::string method;  // as sent; methods are case-sensitive
    std::string target;  // request-target as sent: "/a%20b.asp?x=1"
    int versionMajor = 1;
    int versionMinor = 1;
    std::vector<std::pair<std::string, std::string>> headers;  // in order, values trimmed

    // First value of a header, by case-insensitive name; empty when absent.
    std::string_view Header(std::string_view name) const;
    // Number of header lines with this name.
    int HeaderCount(std::string_view name) const;
    // All values of a header joined with ", " (RFC 9110 section 5.3).
    std::string JoinedHeader(std::string_view name) const;
    // True when a comma-separated header (Connection, Expect...) lists token, in any case.
    bool HeaderHasToken(std::string_view name, std::string_view token) const;

    bool AtLeast11() const { return versionMajor > 1 || (versionMajor == 1 && versionMinor >= 1); }
    // "/a%20b.asp" and "x=1": the target split at its first "?".
    std::string_view Path() const;
    std::string_view Query() const;
};

}  // namespace kestrune

#pragma once
// Response.Status: the status line a page sets, in the grammar classic ASP takes.

#include <string>
#include <string_view>

namespace kestrune {

// "404 Not Found" -> 404 and "Not Found": three digits from 100 to 999, a space, then
// any text without control characters (no split heads). False for anything else.
bool ParseStatusLine(std::string_view text, int& code, std::string& reason);

}  // namespace kestrune

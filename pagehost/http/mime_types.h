#pragma once
// Content-Type of a static file, by its extension.

#include <string_view>

namespace kestrune {

// Extension compared without regard to ASCII case; application/octet-stream for one
// not in the table, or for a name without extension.
std::string_view MimeTypeForPath(std::string_view path);

}  // namespace kestrune

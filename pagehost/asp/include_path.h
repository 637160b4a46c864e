#pragma once
// Where an include directive points, as a site path ("/inc/menu.inc").

#include <string>
#include <string_view>

namespace kestrune {

enum class IncludeKind { kFile, kVirtual };

// file= is relative to the folder of the including page; virtual= starting with "/"
// is relative to the site root (without one it is relative like file=). "\" and "/"
// both separate; "." and ".." are resolved. Throws std::invalid_argument when the
// target is empty, holds NUL or ":", or climbs above the site root.
std::string ResolveIncludePath(std::string_view includingPage, IncludeKind kind, std::string_view target);

}  // namespace kestrune

// Reading a page, an include or a script in one piece.
#pragma once

#include <optional>
#include <string>

namespace kestrune {

// The bytes of a file, or nullopt when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::wstring& path);

}  // namespace kestrune

// The two path helpers shared by the parser and SaveFile. "\", ":" and "/" separate
// path components. Both search from the end; a NUL byte, and the second byte of a
// double-byte character, never count as a separator or dot.
#pragma once

#include <string>
#include <string_view>

#include "host/code_page.h"

namespace kestrune {

// The text after the rightmost separator, or the whole path when there is none.
std::string PathFileName(std::string_view path, const CodePage& codePage);

// The text from the rightmost dot to the end, dot included, when no separator follows
// that dot; otherwise empty.
std::string PathExtension(std::string_view path, const CodePage& codePage);

}  // namespace kestrune

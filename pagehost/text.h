// UTF-8 and UTF-16 conversions for the host's own text (scripts, output, messages).
#pragma once

#include <string>
#include <string_view>

namespace kestrune {

std::string ToUtf8(std::wstring_view text);

// Invalid sequences become U+FFFD.
std::wstring FromUtf8(std::string_view text);

}  // namespace kestrune

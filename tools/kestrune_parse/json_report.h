// The JSON report of one parsed upload. Every byte of text stands for the Unicode code
// point of the same value (Latin-1), so the report is exact for any body.
#pragma once

#include <string>
#include <string_view>

#include "upload/tessock.h"

namespace kestrune::tools {

// text as a JSON string: quote and backslash escaped, bytes below 0x20 as \u00xx
// (lower-case hex), bytes 0x80-0xFF as the UTF-8 encoding of U+0080-U+00FF.
std::string JsonString(std::string_view text);

// The report, indented by two spaces a level, keys in a fixed order, ending in a newline:
// {"form_fields": [...], "file": {"name", "ext", "base", "content_type", "size",
// "sha256"}, "form_variable": {name: FormVariable(name)}, "by_index": [...]}.
std::string JsonReport(const TTessock& upload);

}  // namespace kestrune::tools

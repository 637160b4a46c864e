// UTF-8 and UTF-16 conversions for the host's own text (scripts, output, messages,
// results handed to scripts), and page output in the page's code page.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>

namespace kestrune {

std::string ToUtf8(std::wstring_view text);

// Invalid sequences become U+FFFD.
std::wstring FromUtf8(std::string_view text);

// Text in codePage (one IsTextCodePage accepts); characters it lacks become its default
// character, as on a web server.
std::string ToCodePage(std::wstring_view text, unsigned codePage);

// A new BSTR for a result: of UTF-16 text, or of UTF-8 text. E_OUTOFMEMORY, with *out
// null, when none can be made.
HRESULT ReturnBstr(std::wstring_view text, BSTR* out);
HRESULT ReturnBstr(std::string_view utf8, BSTR* out);

}  // namespace kestrune

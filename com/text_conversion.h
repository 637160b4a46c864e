// Text across the automation boundary: UTF-16 (BSTR) on the outside, narrow text inside,
// in the ANSI code page unless a call names another (CP_UTF8, for the component's Unicode
// road). Conversions use no flags, so characters the code page lacks are replaced the
// platform's way (lone surrogates become U+FFFD in UTF-8); lengths are always explicit,
// so NULs inside a string survive in both directions.
//
//   std::string name = NarrowFromBstr(argument);
//   *result = BstrFromNarrow(text);   // throws std::bad_alloc
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>

namespace kestrune {

std::string NarrowFromWide(std::wstring_view text, UINT codePage = CP_ACP);

// The whole BSTR by its length prefix; a null BSTR is the empty string.
std::string NarrowFromBstr(BSTR text, UINT codePage = CP_ACP);

// The same, with *exact false where the text did not come through unchanged: a lone
// surrogate, or a character the code page lacks (replaced by its default character or a
// look-alike). Paths and names that must be the page's own are taken this way.
std::string NarrowFromBstr(BSTR text, UINT codePage, bool* exact);

std::wstring WideFromNarrow(std::string_view text, UINT codePage = CP_ACP);

// A new BSTR that the caller owns; throws std::bad_alloc when none can be allocated.
BSTR BstrFromNarrow(std::string_view text, UINT codePage = CP_ACP);

// True for a code page the system has that turns text into bytes and back and keeps ASCII
// as ASCII: not UTF-16 (1200, 1201), UTF-32 (12000, 12001) or UTF-7 (65000), nor the
// symbolic CP_ACP and its kin (0 to 3, 42), nor one that spells ASCII otherwise (EBCDIC).
// The one rule for a page's code page, in the component and in the page host.
bool IsTextCodePage(long codePage);

}  // namespace kestrune

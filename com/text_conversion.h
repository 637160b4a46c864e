// Text across the automation boundary: UTF-16 (BSTR) on the outside, narrow text in the
// ANSI code page inside. Conversions use CP_ACP without flags, so characters the code
// page lacks are replaced the platform's way; lengths are always explicit, so NULs
// inside a string survive in both directions.
//
//   std::string name = NarrowFromBstr(argument);
//   *result = BstrFromNarrow(text);   // throws std::bad_alloc
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>

namespace kestrune {

std::string NarrowFromWide(std::wstring_view text);

// The whole BSTR by its length prefix; a null BSTR is the empty string.
std::string NarrowFromBstr(BSTR text);

std::wstring WideFromNarrow(std::string_view text);

// A new BSTR that the caller owns; throws std::bad_alloc when none can be allocated.
BSTR BstrFromNarrow(std::string_view text);

}  // namespace kestrune

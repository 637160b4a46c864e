#include "pagehost/text.h"

#include "com/text_conversion.h"

namespace kestrune {

std::string ToUtf8(std::wstring_view text) { return NarrowFromWide(text, CP_UTF8); }

std::wstring FromUtf8(std::string_view text) { return WideFromNarrow(text, CP_UTF8); }

std::string ToCodePage(std::wstring_view text, unsigned codePage) { return NarrowFromWide(text, codePage); }

HRESULT ReturnBstr(std::wstring_view text, BSTR* out) {
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT ReturnBstr(std::string_view utf8, BSTR* out) { return ReturnBstr(FromUtf8(utf8), out); }

}  // namespace kestrune

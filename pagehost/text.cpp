#include "pagehost/text.h"

#include <algorithm>
#include <iterator>

namespace kestrune {

std::string ToUtf8(std::wstring_view text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                   nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr,
                        nullptr);
    return result;
}

std::wstring FromUtf8(std::string_view text) {
    if (text.empty()) return {};
    int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size);
    return result;
}

bool IsTextCodePage(long codePage) {
    constexpr long kRefused[] = {CP_ACP, CP_OEMCP, CP_MACCP, CP_THREAD_ACP, CP_SYMBOL,
                                 1200,   1201,     12000,    12001,         CP_UTF7};
    if (std::find(std::begin(kRefused), std::end(kRefused), codePage) != std::end(kRefused)) return false;
    CPINFO info;
    return codePage > 0 && codePage <= 65535 && IsValidCodePage(static_cast<UINT>(codePage)) &&
           GetCPInfo(static_cast<UINT>(codePage), &info);
}

std::string ToCodePage(std::wstring_view text, unsigned codePage) {
    if (codePage == CP_UTF8) return ToUtf8(text);
    if (text.empty()) return {};
    int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                   nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr,
                        nullptr);
    return result;
}

HRESULT ReturnBstr(std::wstring_view text, BSTR* out) {
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT ReturnBstr(std::string_view utf8, BSTR* out) { return ReturnBstr(FromUtf8(utf8), out); }

}  // namespace kestrune

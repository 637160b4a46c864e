#include "com/text_conversion.h"

#include <climits>
#include <new>

namespace kestrune {

namespace {

int CheckedLength(std::size_t size) {
    if (size > static_cast<std::size_t>(INT_MAX)) throw std::bad_alloc();
    return static_cast<int>(size);
}

}  // namespace

std::string NarrowFromWide(std::wstring_view text, UINT codePage) {
    if (text.empty()) return {};
    const int length = CheckedLength(text.size());
    const int needed = WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return {};
    std::string result(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), length, result.data(), needed, nullptr, nullptr);
    return result;
}

std::string NarrowFromBstr(BSTR text, UINT codePage) {
    if (text == nullptr) return {};
    return NarrowFromWide(std::wstring_view(text, SysStringLen(text)), codePage);
}

std::string NarrowFromBstr(BSTR text, UINT codePage, bool* exact) {
    std::string narrow = NarrowFromBstr(text, codePage);
    const std::wstring_view wide(text == nullptr ? L"" : text, text == nullptr ? 0 : SysStringLen(text));
    *exact = WideFromNarrow(narrow, codePage) == wide;
    return narrow;
}

std::wstring WideFromNarrow(std::string_view text, UINT codePage) {
    if (text.empty()) return {};
    const int length = CheckedLength(text.size());
    const int needed = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    if (needed <= 0) return {};
    std::wstring result(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), length, result.data(), needed);
    return result;
}

BSTR BstrFromNarrow(std::string_view text, UINT codePage) {
    const std::wstring wide = WideFromNarrow(text, codePage);
    BSTR result = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (result == nullptr) throw std::bad_alloc();
    return result;
}

bool IsTextCodePage(long codePage) {
    switch (codePage) {
        case CP_ACP:
        case CP_OEMCP:
        case CP_MACCP:
        case CP_THREAD_ACP:
        case CP_SYMBOL:
        case 1200:   // UTF-16LE
        case 1201:   // UTF-16BE
        case 12000:  // UTF-32LE
        case 12001:  // UTF-32BE
        case CP_UTF7:
            return false;
        default:
            break;
    }
    if (codePage < 0 || codePage > 0xFFFF || !IsValidCodePage(static_cast<UINT>(codePage))) return false;
    WCHAR probe[4];
    return MultiByteToWideChar(static_cast<UINT>(codePage), 0, "Aa", 2, probe, 4) == 2 && probe[0] == L'A' &&
           probe[1] == L'a';
}

}  // namespace kestrune

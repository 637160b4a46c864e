#include "host/win32/win32_code_page.h"

#include <windows.h>

#include <climits>

namespace kestrune {

namespace {

constexpr DWORD kNameFlags = NORM_IGNORECASE;

int Length(std::string_view text) {
    return text.size() > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(text.size());
}

}  // namespace

bool Win32CodePage::IsLeadByte(unsigned char byte) const { return IsDBCSLeadByte(byte) != FALSE; }

bool Win32CodePage::NamesEqual(std::string_view a, std::string_view b) const {
    return CompareStringA(LOCALE_USER_DEFAULT, kNameFlags, a.data(), Length(a), b.data(), Length(b)) ==
           CSTR_EQUAL;
}

std::string Win32CodePage::NameKey(std::string_view name) const {
    // LCMapStringA refuses an empty string, yet CompareStringA calls it equal to any name
    // of ignorable characters only; a lone NUL is such a name, so its key stands in.
    static constexpr char kIgnorable[1] = {'\0'};
    const std::string_view keyed = name.empty() ? std::string_view(kIgnorable, 1) : name;
    const DWORD flags = LCMAP_SORTKEY | kNameFlags;
    const int needed = LCMapStringA(LOCALE_USER_DEFAULT, flags, keyed.data(), Length(keyed), nullptr, 0);
    if (needed > 0) {
        std::string key(static_cast<std::size_t>(needed), '\0');
        const int written =
            LCMapStringA(LOCALE_USER_DEFAULT, flags, keyed.data(), Length(keyed), key.data(), needed);
        if (written > 0) {
            key.resize(static_cast<std::size_t>(written));
            return key;
        }
    }
    // A sort key never starts with a NUL byte (its first level ends with 0x01), so this
    // exact fallback, NUL followed by the bytes, stays apart from every sort key.
    std::string exact(1, '\0');
    exact.append(name);
    return exact;
}

}  // namespace kestrune

// How this works: the ANSI code page (number 0) keeps the A functions, so the default
// road of the component compares and keys names exactly as it always has. Any other
// code page decodes to UTF-16 first and uses the W functions under the same flags.
// ToUtf8 decodes strictly; only where that fails does it go character by character,
// so that each invalid sequence becomes one U+FFFD (flags 0 would give the code page's
// default character, or drop it).
#include "host/win32/win32_code_page.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "base/ascii.h"
#include "base/utf8.h"
#include "com/text_conversion.h"

namespace kestrune {

namespace {

constexpr DWORD kNameFlags = NORM_IGNORECASE;

// Names up to this many bytes are compared and keyed whole by the locale. A sort key
// costs many times its name, and the platform's sort-key code fails outright on names
// of tens of megabytes, so a longer name is keyed by its first this-many bytes (whole
// characters) and the rest upper-cased by ASCII rules.
constexpr std::size_t kLocaleKeyedBytes = 32 * 1024;
constexpr UINT kGb18030 = 54936;

int Length(std::string_view text) {
    return text.size() > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(text.size());
}

int Length(std::wstring_view text) {
    return text.size() > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(text.size());
}

// text decoded by MultiByteToWideChar under flags; false when the call refuses it.
bool Decode(UINT codePage, DWORD flags, std::string_view text, std::wstring& wide) {
    wide.clear();
    if (text.empty()) return true;
    const int needed = MultiByteToWideChar(codePage, flags, text.data(), Length(text), nullptr, 0);
    if (needed <= 0) return false;
    wide.resize(static_cast<std::size_t>(needed));
    return MultiByteToWideChar(codePage, flags, text.data(), Length(text), wide.data(), needed) == needed;
}

// The length of the character at text[0] by the lead-byte rules of codePage: two bytes
// after a lead byte, four for GB 18030's four-byte form (a digit in second place).
std::size_t CharacterLength(UINT codePage, std::string_view text) {
    const auto first = static_cast<BYTE>(text[0]);
    if (text.size() < 2 || !IsDBCSLeadByteEx(codePage, first)) return 1;
    const auto second = static_cast<BYTE>(text[1]);
    if (codePage == kGb18030 && second >= '0' && second <= '9') return text.size() < 4 ? 1 : 4;
    return 2;
}

// The text decoded one character at a time, each one the code page refuses as U+FFFD.
std::string ToUtf8ByCharacter(UINT codePage, std::string_view text) {
    std::string utf8;
    std::wstring wide;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = CharacterLength(codePage, text.substr(at));
        if (Decode(codePage, MB_ERR_INVALID_CHARS, text.substr(at, length), wide)) {
            utf8 += NarrowFromWide(wide, CP_UTF8);
        } else {
            utf8.append(kUtf8Replacement);
        }
        at += length;
    }
    return utf8;
}

}  // namespace

bool Win32CodePage::IsLeadByte(unsigned char byte) const {
    if (number_ == CP_ACP) return IsDBCSLeadByte(byte) != FALSE;
    return !IsUtf8() && IsDBCSLeadByteEx(number_, byte) != FALSE;
}

bool Win32CodePage::IsUtf8() const { return number_ == CP_UTF8; }

bool Win32CodePage::NamesEqual(std::string_view a, std::string_view b) const {
    if (a.size() > kLocaleKeyedBytes || b.size() > kLocaleKeyedBytes) return NameKey(a) == NameKey(b);
    if (number_ == CP_ACP) {
        return CompareStringA(LOCALE_USER_DEFAULT, kNameFlags, a.data(), Length(a), b.data(), Length(b)) ==
               CSTR_EQUAL;
    }
    std::wstring wideA, wideB;
    Decode(number_, 0, a, wideA);
    Decode(number_, 0, b, wideB);
    return CompareStringW(LOCALE_USER_DEFAULT, kNameFlags, wideA.data(), Length(wideA), wideB.data(),
                          Length(wideB)) == CSTR_EQUAL;
}

std::string Win32CodePage::NameKey(std::string_view name) const {
    if (name.size() > kLocaleKeyedBytes) {
        std::size_t cut = 0;
        while (cut < kLocaleKeyedBytes) cut += IsLeadByte(static_cast<unsigned char>(name[cut])) ? 2 : 1;
        cut = std::min(cut, name.size());
        // A sort key ends at its NUL, so no whole name's key runs on past it as these do.
        std::string key = LocaleKey(name.substr(0, cut));
        key.push_back('\0');
        key += AsciiUpperCase(name.substr(cut));
        return key;
    }
    return LocaleKey(name);
}

std::string Win32CodePage::LocaleKey(std::string_view name) const {
    // LCMapString refuses an empty string, yet CompareString calls it equal to any name
    // of ignorable characters only; a lone NUL is such a name, so its key stands in.
    static constexpr char kIgnorable[1] = {'\0'};
    const std::string_view keyed = name.empty() ? std::string_view(kIgnorable, 1) : name;
    const DWORD flags = LCMAP_SORTKEY | kNameFlags;
    std::wstring wide;
    if (number_ != CP_ACP) Decode(number_, 0, keyed, wide);
    const auto map = [&](char* key, int size) {
        if (number_ == CP_ACP)
            return LCMapStringA(LOCALE_USER_DEFAULT, flags, keyed.data(), Length(keyed), key, size);
        // A sort key is bytes, whichever function makes it.
        return LCMapStringW(LOCALE_USER_DEFAULT, flags, wide.data(), Length(wide),
                            reinterpret_cast<LPWSTR>(key), size);
    };
    const int needed = map(nullptr, 0);
    if (needed > 0) {
        std::string key(static_cast<std::size_t>(needed), '\0');
        const int written = map(key.data(), needed);
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

std::string Win32CodePage::OrdinalNameKey(std::string_view utf8) const {
    // The invariant locale's upper case is the simple mapping ordinal comparison uses:
    // no letter becomes two, and no other character is touched.
    const std::wstring wide = WideFromNarrow(utf8, CP_UTF8);
    std::string key(wide.size() * sizeof(wchar_t), '\0');
    if (!wide.empty()) {
        auto* upper = reinterpret_cast<LPWSTR>(key.data());
        if (LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, wide.data(), Length(wide), upper, Length(wide)) !=
            Length(wide))
            std::memcpy(upper, wide.data(), key.size());
    }
    return key;
}

std::string Win32CodePage::ToUtf8(std::string_view text) const {
    // UTF-8 by hand: the platform's decoder differs between versions in how many U+FFFD
    // an ill-formed stretch gives.
    if (IsUtf8()) return WellFormedUtf8(text);
    std::wstring wide;
    if (Decode(number_, MB_ERR_INVALID_CHARS, text, wide)) return NarrowFromWide(wide, CP_UTF8);
    // Code pages that take no flags at all (ISO 2022 and the like) decode their own way.
    if (GetLastError() == ERROR_INVALID_FLAGS && Decode(number_, 0, text, wide))
        return NarrowFromWide(wide, CP_UTF8);
    return ToUtf8ByCharacter(number_, text);
}

std::string Win32CodePage::FromUtf8(std::string_view utf8) const {
    return NarrowFromWide(WideFromNarrow(utf8, CP_UTF8), number_);
}

}  // namespace kestrune

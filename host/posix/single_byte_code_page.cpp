#include "host/posix/single_byte_code_page.h"

#include <algorithm>
#include <array>

#include "base/ascii.h"
#include "base/utf8.h"

namespace kestrune {

namespace {

// Windows-1252 at 0x80-0x9F (elsewhere a byte is its own scalar value); 0 where the code
// page has no character.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

bool SingleByteCodePage::IsLeadByte(unsigned char) const { return false; }

bool SingleByteCodePage::NamesEqual(std::string_view a, std::string_view b) const {
    return EqualsNoCase(a, b);
}

std::string SingleByteCodePage::NameKey(std::string_view name) const { return AsciiUpperCase(name); }

std::string SingleByteCodePage::OrdinalNameKey(std::string_view utf8) const { return AsciiUpperCase(utf8); }

std::string SingleByteCodePage::ToUtf8(std::string_view text) const {
    std::string utf8;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const char32_t scalar = byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : byte;
        if (scalar == 0) {
            utf8.append(kUtf8Replacement);
        } else {
            AppendUtf8(utf8, scalar);
        }
    }
    return utf8;
}

std::string SingleByteCodePage::FromUtf8(std::string_view utf8) const {
    std::string text;
    for (std::size_t at = 0; at < utf8.size();) {
        const char32_t scalar = NextScalar(utf8, &at);
        const auto high = std::find(kHighControls.begin(), kHighControls.end(), scalar);
        if (scalar < 0x80 || (scalar >= 0xA0 && scalar <= 0xFF)) {
            text.push_back(static_cast<char>(scalar));
        } else if (scalar != 0 && high != kHighControls.end()) {
            text.push_back(static_cast<char>(0x80 + (high - kHighControls.begin())));
        } else {
            text.push_back('?');
        }
    }
    return text;
}

}  // namespace kestrune

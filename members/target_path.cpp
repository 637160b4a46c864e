#include "members/target_path.h"

#include <array>

#include "multipart/path_names.h"

namespace kestrune {

namespace {

bool EqualsIgnoringAsciiCase(std::string_view text, std::string_view upper) {
    if (text.size() != upper.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != upper[i]) return false;
    }
    return true;
}

// Windows also takes COM and LPT followed by the superscript digits 1, 2 and 3 (U+00B9,
// U+00B2, U+00B3) as devices. In a single-byte code page these are the bytes 0xB9, 0xB2
// and 0xB3 (their values in 1252; other single-byte pages are refused alike, which costs
// nothing but a few odd names); in a double-byte page the same bytes are other characters.
bool IsSingleByte(const CodePage& codePage) {
    for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
        if (codePage.IsLeadByte(static_cast<unsigned char>(byte))) return false;
    }
    return true;
}

bool IsPortSuffix(unsigned char last, const CodePage& codePage) {
    if (last >= '0' && last <= '9') return true;
    return (last == 0xB9 || last == 0xB2 || last == 0xB3) && IsSingleByte(codePage);
}

bool IsReservedDeviceName(std::string_view component, const CodePage& codePage) {
    // The device is named by the text before the first dot, blanks at its end ignored.
    std::string_view stem = component.substr(0, component.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
    static constexpr std::array<std::string_view, 6> kPlain = {"CON", "PRN",    "AUX",
                                                               "NUL", "CONIN$", "CONOUT$"};
    for (const auto name : kPlain) {
        if (EqualsIgnoringAsciiCase(stem, name)) return true;
    }
    if (stem.size() == 4 && IsPortSuffix(static_cast<unsigned char>(stem[3]), codePage)) {
        const std::string_view prefix = stem.substr(0, 3);
        return EqualsIgnoringAsciiCase(prefix, "COM") || EqualsIgnoringAsciiCase(prefix, "LPT");
    }
    return false;
}

}  // namespace

bool IsAcceptableTarget(std::string_view path, const CodePage& codePage) {
    if (path.find('\0') != std::string_view::npos) return false;
    const std::string component = PathFileName(path, codePage);
    if (component.empty()) return false;
    if (component.back() == '.' || component.back() == ' ') return false;
    return !IsReservedDeviceName(component, codePage);
}

}  // namespace kestrune

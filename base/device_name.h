// The names Windows keeps for its devices (CON, NUL, COM1...). A path whose last
// component has such a stem opens the device, in any folder and with any extension, so
// neither a saved file nor a served page may carry one.
#pragma once

#include <string_view>

#include "base/ascii.h"

namespace kestrune {

// How the text at hand spells the superscript digits 1, 2 and 3, which Windows also
// takes as port numbers after COM and LPT.
enum class SuperscriptDigits {
    kNone,        // a double-byte code page, where those bytes are other characters
    kSingleByte,  // 0xB9, 0xB2 and 0xB3, as in code page 1252
    kUtf8,        // U+00B9, U+00B2 and U+00B3 encoded as UTF-8
};

namespace device_name_detail {

constexpr bool IsSuperscriptPort(std::string_view suffix, SuperscriptDigits digits) {
    auto isSuperscript = [](char c) { return c == '\xB9' || c == '\xB2' || c == '\xB3'; };
    switch (digits) {
        case SuperscriptDigits::kSingleByte:
            return suffix.size() == 1 && isSuperscript(suffix[0]);
        case SuperscriptDigits::kUtf8:
            return suffix.size() == 2 && suffix[0] == '\xC2' && isSuperscript(suffix[1]);
        case SuperscriptDigits::kNone:
            break;
    }
    return false;
}

}  // namespace device_name_detail

// True when the component's stem (its text before the first dot, blanks at the end
// ignored) is CON, PRN, AUX, NUL, CONIN$ or CONOUT$, or COM or LPT followed by one digit
// 0 to 9 or one superscript 1, 2 or 3; ASCII letters in either case.
constexpr bool IsWindowsDeviceName(std::string_view component, SuperscriptDigits digits) {
    std::string_view stem = component.substr(0, component.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
    for (std::string_view name : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
        if (EqualsNoCase(stem, name)) return true;
    }
    if (stem.size() < 4) return false;
    std::string_view prefix = stem.substr(0, 3);
    if (!EqualsNoCase(prefix, "COM") && !EqualsNoCase(prefix, "LPT")) return false;
    std::string_view port = stem.substr(3);
    bool digit = port.size() == 1 && port[0] >= '0' && port[0] <= '9';
    return digit || device_name_detail::IsSuperscriptPort(port, digits);
}

}  // namespace kestrune

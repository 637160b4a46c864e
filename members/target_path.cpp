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

bool IsReservedDeviceName(std::string_view component) {
    // The device is named by the text before the first dot, blanks at its end ignored.
    std::string_view stem = component.substr(0, component.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
    static constexpr std::array<std::string_view, 4> kPlain = {"CON", "PRN", "AUX", "NUL"};
    for (const auto name : kPlain) {
        if (EqualsIgnoringAsciiCase(stem, name)) return true;
    }
    if (stem.size() == 4 && stem[3] >= '1' && stem[3] <= '9') {
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
    return !IsReservedDeviceName(component);
}

}  // namespace kestrune

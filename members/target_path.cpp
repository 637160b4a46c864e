#include "members/target_path.h"

#include "base/device_name.h"
#include "multipart/path_names.h"

namespace kestrune {

namespace {

// Windows takes COM and LPT with a superscript 1, 2 or 3 for devices whatever the path's
// encoding: in UTF-8 those digits are two bytes each. They are single bytes only in a
// single-byte code page (their values in 1252; other single-byte pages are refused alike,
// which costs nothing but a few odd names); in a double-byte page the same bytes are
// other characters.
SuperscriptDigits SuperscriptsOf(const CodePage& codePage) {
    if (codePage.IsUtf8()) return SuperscriptDigits::kUtf8;
    for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
        if (codePage.IsLeadByte(static_cast<unsigned char>(byte))) return SuperscriptDigits::kNone;
    }
    return SuperscriptDigits::kSingleByte;
}

}  // namespace

bool IsAcceptableTarget(std::string_view path, const CodePage& codePage) {
    if (path.find('\0') != std::string_view::npos) return false;
    const std::string component = PathFileName(path, codePage);
    if (component.empty()) return false;
    if (component.back() == '.' || component.back() == ' ') return false;
    return !IsWindowsDeviceName(component, SuperscriptsOf(codePage));
}

}  // namespace kestrune

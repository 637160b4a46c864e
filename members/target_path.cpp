#include "members/target_path.h"

#include "base/ascii.h"
#include "base/device_name.h"
#include "multipart/path_names.h"

namespace kestrune {

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

namespace {

bool IsSlash(char c) { return c == '\\' || c == '/'; }

// Takes the first component off rest (runs of slashes count as one, as Windows folds
// them); a double-byte character's trail byte never ends a component.
std::string_view TakeComponent(std::string_view& rest, const CodePage& codePage) {
    while (!rest.empty() && IsSlash(rest.front())) rest.remove_prefix(1);
    std::size_t i = 0;
    while (i < rest.size() && !IsSlash(rest[i]))
        i += codePage.IsLeadByte(static_cast<unsigned char>(rest[i])) && i + 1 < rest.size() ? 2 : 1;
    const std::string_view component = rest.substr(0, i);
    rest.remove_prefix(i);
    return component;
}

// "\\server\share": a share named pipe, mailslot or IPC$ is that server's (or, for
// "localhost", this machine's) named pipes and mailslots, not a folder; Windows drops
// trailing dots of a component, so "pipe." counts too.
bool IsPipeShare(std::string_view unc, const CodePage& codePage) {
    const std::string_view server = TakeComponent(unc, codePage);
    std::string_view share = TakeComponent(unc, codePage);
    while (!share.empty() && (share.back() == '.' || share.back() == ' ')) share.remove_suffix(1);
    return server == "." || server == ".." || share.empty() || EqualsNoCase(share, "pipe") ||
           EqualsNoCase(share, "mailslot") || EqualsNoCase(share, "IPC$");
}

// "\\.\", "\\?\" and "\??\" open whatever the object namespace holds under the next
// name: PhysicalDrive0, pipe\x and GLOBALROOT\... are devices. Past such a prefix only a
// drive ("C:\") or "UNC\server\share" names a file.
bool ReachesDevice(std::string_view path, const CodePage& codePage) {
    if (path.size() < 2 || !IsSlash(path[0])) return false;
    const bool devicePrefix =
        path.size() >= 4 && IsSlash(path[3]) &&
        ((IsSlash(path[1]) && (path[2] == '.' || path[2] == '?')) || (path[1] == '?' && path[2] == '?'));
    if (!devicePrefix) return IsSlash(path[1]) && IsPipeShare(path.substr(2), codePage);
    const std::string_view rest = path.substr(4);
    const bool drive = rest.size() >= 3 && AsciiUpper(rest[0]) >= 'A' && AsciiUpper(rest[0]) <= 'Z' &&
                       rest[1] == ':' && IsSlash(rest[2]);
    if (drive) return false;
    const bool unc = rest.size() >= 4 && EqualsNoCase(rest.substr(0, 3), "UNC") && IsSlash(rest[3]);
    return !unc || IsPipeShare(rest.substr(4), codePage);
}

}  // namespace

bool IsAcceptableTarget(std::string_view path, const CodePage& codePage) {
    if (path.find('\0') != std::string_view::npos) return false;
    const std::string component = PathFileName(path, codePage);
    if (component.empty()) return false;
    if (component.back() == '.' || component.back() == ' ') return false;
    if (ReachesDevice(path, codePage)) return false;
    return !IsWindowsDeviceName(component, SuperscriptsOf(codePage));
}

}  // namespace kestrune

#include "members/safe_name.h"

#include <vector>

#include "base/device_name.h"
#include "base/utf8.h"
#include "members/target_path.h"

namespace kestrune {

namespace {

// One character of a name: where its bytes are, and how many UTF-16 units it is.
struct Character {
    std::size_t start;
    std::size_t size;
    std::size_t units;
};

// No double-byte code page of Windows has a trail byte below 0x40, so none of the
// forbidden characters, dots and blanks but \ and | can be one: after a lead byte they
// stand for themselves (and Windows reads them so).
constexpr unsigned char kLeastTrailByte = 0x40;

// The characters of text. A byte that starts no character of the encoding (a lone lead
// byte, ill-formed UTF-8) counts as one, as it becomes one character when converted.
std::vector<Character> Characters(std::string_view text, const CodePage& codePage) {
    std::vector<Character> characters;
    characters.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        std::size_t size = 1;
        std::size_t units = 1;
        if (codePage.IsUtf8() && byte >= 0x80) {
            std::size_t subpart = 1;
            const std::size_t length = Utf8SequenceLength(text.substr(i), &subpart);
            size = length > 0 ? length : 1;
            units = length == 4 ? 2 : 1;  // beyond the BMP: a surrogate pair
        } else if (codePage.IsLeadByte(byte) && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) >= kLeastTrailByte) {
            size = 2;
        }
        characters.push_back({i, size, units});
        i += size;
    }
    return characters;
}

bool IsForbidden(char c) {
    return static_cast<unsigned char>(c) < 0x20 ||
           std::string_view("<>:\"/\\|?*;%").find(c) != std::string_view::npos;
}

bool IsDotOrBlank(std::string_view name, const Character& character) {
    return character.size == 1 && (name[character.start] == '.' || name[character.start] == ' ');
}

// name without dots and blanks at its end.
std::string TrimEnd(std::string name, const std::vector<Character>& characters) {
    std::size_t end = characters.size();
    while (end > 0 && IsDotOrBlank(name, characters[end - 1])) --end;
    name.resize(end == 0 ? 0 : characters[end - 1].start + characters[end - 1].size);
    return name;
}

// name within kSafeNameLimit units: the whole name, or its stem cut before the extension
// where that leaves a character of it, or else its first characters; then TrimEnd.
std::string Fit(std::string name, const CodePage& codePage) {
    const std::vector<Character> characters = Characters(name, codePage);
    std::size_t units = 0;
    std::size_t lastDot = characters.size();
    for (std::size_t i = 0; i < characters.size(); ++i) {
        units += characters[i].units;
        if (characters[i].size == 1 && name[characters[i].start] == '.') lastDot = i;
    }
    if (units <= kSafeNameLimit) return TrimEnd(std::move(name), characters);
    std::size_t extensionUnits = 0;
    for (std::size_t i = lastDot; i < characters.size(); ++i) extensionUnits += characters[i].units;
    const bool keepExtension =
        lastDot > 0 && lastDot < characters.size() && extensionUnits + characters[0].units <= kSafeNameLimit;
    const std::size_t stemLimit = keepExtension ? kSafeNameLimit - extensionUnits : kSafeNameLimit;
    std::size_t stemEnd = 0;
    for (std::size_t stemUnits = 0; stemEnd < characters.size(); ++stemEnd) {
        if (stemUnits + characters[stemEnd].units > stemLimit) break;
        stemUnits += characters[stemEnd].units;
    }
    std::string cut = name.substr(0, characters[stemEnd].start);
    if (keepExtension) cut += name.substr(characters[lastDot].start);
    return TrimEnd(cut, Characters(cut, codePage));
}

}  // namespace

std::string SafeFilename(std::string_view fileName, const CodePage& codePage) {
    std::string name(fileName);
    const std::vector<Character> characters = Characters(name, codePage);
    for (const Character& character : characters) {
        if (character.size == 1 && IsForbidden(name[character.start])) name[character.start] = '_';
    }
    std::size_t first = 0;
    while (first < characters.size() && IsDotOrBlank(name, characters[first])) ++first;
    if (first == characters.size()) return std::string();
    name = Fit(name.substr(characters[first].start), codePage);
    // A cut can leave a device name's stem ("CON" + a long extension): so the check
    // comes after it, and the _ it adds is fitted in again.
    if (IsWindowsDeviceName(name, SuperscriptsOf(codePage))) name = Fit("_" + name, codePage);
    return name;
}

// By the characters SafeFilename sees: where a lead byte stands before a dot, Windows
// reads the dot, and so does this.
std::string SafeNameExtension(std::string_view safeName, const CodePage& codePage) {
    const std::vector<Character> characters = Characters(safeName, codePage);
    for (std::size_t i = characters.size(); i-- > 0;) {
        if (characters[i].size == 1 && safeName[characters[i].start] == '.')
            return std::string(safeName.substr(characters[i].start + 1));
    }
    return std::string();
}

}  // namespace kestrune

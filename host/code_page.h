// The system's ANSI code page, as far as the core needs it: which bytes start a
// double-byte character, and the case-insensitive, locale-aware comparison by which
// the form-field list finds a line by name.
#pragma once

#include <string>
#include <string_view>

namespace kestrune {

class CodePage {
public:
    virtual ~CodePage() = default;

    // True when byte starts a double-byte character (never true in a single-byte code page).
    virtual bool IsLeadByte(unsigned char byte) const = 0;

    // The list name comparison: case-insensitive, locale-aware, over exactly these bytes.
    virtual bool NamesEqual(std::string_view a, std::string_view b) const = 0;

    // A canonical form of name: NameKey(a) == NameKey(b) exactly when NamesEqual(a, b).
    // Lets the list index names instead of walking every line.
    virtual std::string NameKey(std::string_view name) const = 0;
};

}  // namespace kestrune

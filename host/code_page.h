// A code page, as far as the core needs it: which bytes start a double-byte character,
// the case-insensitive, locale-aware comparison by which the form-field list finds a line
// by name (IsLeadByte and NameKey, from NameCollation), and the way between its bytes and
// UTF-8, which the Unicode road of the component holds its texts in.
#pragma once

#include <string>
#include <string_view>

#include "base/name_collation.h"

namespace kestrune {

class CodePage : public NameCollation {
public:
    // The list name comparison itself; NameKey(a) == NameKey(b) exactly when NamesEqual(a, b).
    virtual bool NamesEqual(std::string_view a, std::string_view b) const = 0;

    // The text as UTF-8; every byte sequence that is no character of this code page
    // becomes one U+FFFD, never dropped and never an error.
    virtual std::string ToUtf8(std::string_view text) const = 0;

    // UTF-8 text in this code page; characters it lacks become its default character.
    virtual std::string FromUtf8(std::string_view utf8) const = 0;

    // A key of UTF-8 text under ordinal comparison with letter case ignored and nothing
    // else (each character's simple upper-case mapping): ß, ss and the soft hyphen stay
    // apart. Whatever the code page, the text is UTF-8.
    virtual std::string OrdinalNameKey(std::string_view utf8) const = 0;

    // True for UTF-8 itself, whose texts spell the superscript digits in two bytes.
    virtual bool IsUtf8() const = 0;
};

}  // namespace kestrune

// The native stand-in for the system's ANSI code page: Windows-1252 rules. No byte
// starts a double-byte character, and the list name comparison folds ASCII letters
// only (accented letters must match exactly), over texts of equal length. Its own
// characters map to Unicode as Windows-1252's do; the five bytes it leaves undefined
// become U+FFFD, and characters it lacks become "?".
#pragma once

#include "host/code_page.h"

namespace kestrune {

class SingleByteCodePage final : public CodePage {
public:
    bool IsLeadByte(unsigned char byte) const override;
    bool NamesEqual(std::string_view a, std::string_view b) const override;
    // The ASCII upper-cased name.
    std::string NameKey(std::string_view name) const override;
    std::string ToUtf8(std::string_view text) const override;
    std::string FromUtf8(std::string_view utf8) const override;
    // ASCII letters folded; other characters stay as they are.
    std::string OrdinalNameKey(std::string_view utf8) const override;
    bool IsUtf8() const override { return false; }
};

}  // namespace kestrune

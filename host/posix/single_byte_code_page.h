// The native stand-in for the system's ANSI code page: Windows-1252 rules. No byte
// starts a double-byte character, and the list name comparison folds ASCII letters
// only (accented letters must match exactly), over texts of equal length.
#pragma once

#include "host/code_page.h"

namespace kestrune {

class SingleByteCodePage final : public CodePage {
public:
    bool IsLeadByte(unsigned char byte) const override;
    bool NamesEqual(std::string_view a, std::string_view b) const override;
    // The ASCII upper-cased name.
    std::string NameKey(std::string_view name) const override;
};

}  // namespace kestrune

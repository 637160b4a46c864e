// UTF-8 (code page 65001) as far as the rules of names need it: no lead bytes, and
// IsUtf8. It stands for the texts of the Unicode road; every other call breaks the test.
#pragma once

#include "host/code_page.h"

namespace kestrune {

class Utf8CodePage final : public CodePage {
public:
    bool IsLeadByte(unsigned char) const override { return false; }
    bool NamesEqual(std::string_view a, std::string_view b) const override;
    std::string NameKey(std::string_view name) const override;
    std::string ToUtf8(std::string_view text) const override;
    std::string FromUtf8(std::string_view utf8) const override;
    std::string OrdinalNameKey(std::string_view utf8) const override;
    bool IsUtf8() const override { return true; }
};

}  // namespace kestrune

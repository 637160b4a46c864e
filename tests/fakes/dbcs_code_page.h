// A double-byte test code page after Windows code page 932: lead bytes 0x81-0x9F and
// 0xE0-0xFC. Names compare by character: single-byte ASCII letters fold, and so do the
// full-width Latin letters (0x82 0x60-0x79 upper, 0x82 0x81-0x9A lower), the way a
// Japanese locale ignores their case. A byte that trails a lead byte is never folded
// on its own, even when it looks like an ASCII letter.
#pragma once

#include "host/code_page.h"

namespace kestrune {

class DbcsCodePage final : public CodePage {
public:
    bool IsLeadByte(unsigned char byte) const override;
    bool NamesEqual(std::string_view a, std::string_view b) const override;
    std::string NameKey(std::string_view name) const override;
    // No test takes this page to or from UTF-8: a call breaks the test.
    std::string ToUtf8(std::string_view text) const override;
    std::string FromUtf8(std::string_view utf8) const override;
    std::string OrdinalNameKey(std::string_view utf8) const override;
    bool IsUtf8() const override { return false; }
};

}  // namespace kestrune

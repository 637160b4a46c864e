// The system's ANSI code page: lead bytes and the list name comparison of the user's
// locale (CompareStringA, case-insensitive).
#pragma once

#include "host/code_page.h"

namespace kestrune {

class Win32CodePage final : public CodePage {
public:
    bool IsLeadByte(unsigned char byte) const override;
    bool NamesEqual(std::string_view a, std::string_view b) const override;

    // The locale's sort key under the same flags: equal keys are exactly the names that
    // CompareStringA calls equal. Names the locale cannot key (none seen so far) fall
    // back to an exact, byte-for-byte key that cannot collide with a sort key.
    std::string NameKey(std::string_view name) const override;
};

}  // namespace kestrune

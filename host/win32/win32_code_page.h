// A Windows code page: the system's ANSI one by default (lead bytes, and the list name
// comparison of the user's locale through CompareStringA, case-insensitive), or any code
// page the system converts, whose names compare as Unicode text under the same locale
// rules (CompareStringW).
#pragma once

#include "host/code_page.h"

namespace kestrune {

class Win32CodePage final : public CodePage {
public:
    // 0 (CP_ACP) is the system's ANSI code page, by the same calls as ever.
    explicit Win32CodePage(unsigned number = 0) : number_(number) {}

    unsigned Number() const { return number_; }

    bool IsLeadByte(unsigned char byte) const override;
    bool NamesEqual(std::string_view a, std::string_view b) const override;

    // The locale's sort key under the same flags: equal keys are exactly the names that
    // CompareString calls equal. Names the locale cannot key (none seen so far) fall
    // back to an exact, byte-for-byte key that cannot collide with a sort key. Names of
    // over 32 KiB are keyed by the sort key of their start and the rest with ASCII case
    // ignored, and NamesEqual compares them by that key.
    std::string NameKey(std::string_view name) const override;

    std::string ToUtf8(std::string_view text) const override;
    std::string FromUtf8(std::string_view utf8) const override;
    std::string OrdinalNameKey(std::string_view utf8) const override;
    bool IsUtf8() const override;

private:
    std::string LocaleKey(std::string_view name) const;

    unsigned number_;
};

}  // namespace kestrune

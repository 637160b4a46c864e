// The system's ANSI code page, as far as the core needs it: which bytes start a
// double-byte character, and the case-insensitive, locale-aware comparison by which
// the form-field list finds a line by name (IsLeadByte and NameKey, from NameCollation).
#pragma once

#include <string_view>

#include "base/name_collation.h"

namespace kestrune {

class CodePage : public NameCollation {
public:
    // The list name comparison itself; NameKey(a) == NameKey(b) exactly when NamesEqual(a, b).
    virtual bool NamesEqual(std::string_view a, std::string_view b) const = 0;
};

}  // namespace kestrune

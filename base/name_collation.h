// What the form-field list needs of a code page to find a line by name, declared here so
// that base/ stays below host/: host's CodePage is one of these.
#pragma once

#include <string>
#include <string_view>

namespace kestrune {

class NameCollation {
public:
    virtual ~NameCollation() = default;

    // True when byte starts a double-byte character (never true in a single-byte code page).
    virtual bool IsLeadByte(unsigned char byte) const = 0;

    // A canonical form of name under the list name comparison (case-insensitive,
    // locale-aware, over exactly these bytes): two names are equal exactly when their keys
    // are. Lets the list index names instead of walking every line.
    virtual std::string NameKey(std::string_view name) const = 0;
};

}  // namespace kestrune

#pragma once
// The <%@ ... %> page directive.

#include <map>
#include <string>
#include <string_view>

namespace kestrune {

struct PageDirective {
    // Attribute names upper-cased; values as written, without quotes.
    std::map<std::string, std::string> attributes;
};

// Parses the text between "<%@" and "%>". Names are LANGUAGE, CODEPAGE, LCID,
// ENABLESESSIONSTATE and TRANSACTION, in any case; values may be quoted with " or ' or
// bare. Throws std::invalid_argument for another name, a repeated name, a missing
// value, or a LANGUAGE other than VBScript: this host runs VBScript only.
PageDirective ParsePageDirective(std::string_view text);

}  // namespace kestrune

#pragma once
// The <%@ ... %> page directive.

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace kestrune {

enum class ScriptLanguage { kVBScript, kJScript };

struct PageDirective {
    // Attribute names upper-cased; values as written, without quotes.
    std::map<std::string, std::string> attributes;
    ScriptLanguage language = ScriptLanguage::kVBScript;
    // CODEPAGE as a number. Whether the system has that code page is the host's to say.
    std::optional<unsigned> codePage;
    int line = 0;  // the page's line that holds the directive; 0 when there is none
};

// Parses the text between "<%@" and "%>". Names are LANGUAGE, CODEPAGE, LCID,
// ENABLESESSIONSTATE and TRANSACTION, in any case; values may be quoted with " or ' or
// bare. Throws std::invalid_argument for another name, a repeated name, a missing
// value, a LANGUAGE other than VBScript or JScript (JavaScript is JScript), or a
// CODEPAGE that is not a number from 0 to 65535.
PageDirective ParsePageDirective(std::string_view text);

}  // namespace kestrune

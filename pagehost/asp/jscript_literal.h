#pragma once
// Turns literal page text into JScript Response.Write statements, for pages in
// <%@ Language=JScript %>; the JScript twin of vbscript_literal.h.

#include <cstddef>
#include <string_view>
#include <vector>

#include "pagehost/asp/vbscript_literal.h"

namespace kestrune {

// Each statement is Response.Write("...") with one string literal: backslash, quote,
// CR and LF are escaped, other control bytes except tab become \xNN, and U+2028 and
// U+2029 (line ends to JScript, even inside a string) in UTF-8 become \u2028 and \u2029.
// Other bytes from 0x80 up pass through, and statements are cut only after two bytes
// below 0x80, as for VBScript.
std::vector<LiteralStatement> LiteralToJScriptStatements(std::string_view literal,
                                                         std::size_t statementBytes = kLiteralStatementBytes);

}  // namespace kestrune

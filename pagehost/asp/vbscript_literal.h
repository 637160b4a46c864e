#pragma once
// Turns literal page text (the HTML between script blocks) into Response.Write
// statements whose string expressions rebuild the bytes exactly.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

struct LiteralStatement {
    std::string text;  // one VBScript statement, no line break
    int lineOffset;    // source line breaks between the literal's start and this statement's first byte
};

// A statement is closed once it carries about this many bytes of text.
constexpr std::size_t kLiteralStatementBytes = 1000;

// Quotes are doubled; CR LF, CR and LF become vbCrLf, vbCr and vbLf; other control
// bytes except tab become Chr(n). Bytes from 0x80 up pass through untouched, and a
// long run is only cut after two bytes below 0x80, so neither a UTF-8 sequence nor a
// double-byte character of an ANSI code page is ever split between two literals.
std::vector<LiteralStatement> LiteralToStatements(std::string_view literal,
                                                  std::size_t statementBytes = kLiteralStatementBytes);

}  // namespace kestrune

#include "pagehost/asp/jscript_literal.h"

#include <string>

namespace kestrune {
namespace {

constexpr std::string_view kLineSeparator = "\xE2\x80\xA8";
constexpr std::string_view kParagraphSeparator = "\xE2\x80\xA9";

// True when a cut before position i cannot fall inside a multi-byte character.
bool SafeCut(std::string_view text, std::size_t i) {
    if (i < 2) return i == 0;
    return static_cast<unsigned char>(text[i - 1]) < 0x80 && static_cast<unsigned char>(text[i - 2]) < 0x80;
}

// Appends the escape for the byte at i and returns how many bytes it covers.
std::size_t AppendEscaped(std::string_view text, std::size_t i, std::string& out) {
    static const char kHex[] = "0123456789ABCDEF";
    auto c = static_cast<unsigned char>(text[i]);
    if (text.substr(i, 3) == kLineSeparator || text.substr(i, 3) == kParagraphSeparator) {
        out += text[i + 2] == kLineSeparator[2] ? "\\u2028" : "\\u2029";
        return 3;
    }
    if (c == '\\' || c == '"') {
        out += '\\';
        out += static_cast<char>(c);
    } else if (c == '\r') {
        out += "\\r";
    } else if (c == '\n') {
        out += "\\n";
    } else if ((c < 0x20 && c != '\t') || c == 0x7F) {
        out += "\\x";
        out += kHex[c >> 4];
        out += kHex[c & 0xF];
    } else {
        out += static_cast<char>(c);
    }
    return 1;
}

}  // namespace

std::vector<LiteralStatement> LiteralToJScriptStatements(std::string_view literal,
                                                         std::size_t statementBytes) {
    std::vector<LiteralStatement> statements;
    std::string text;
    std::size_t bytes = 0;
    int lineBreaks = 0;
    int statementStart = 0;
    auto flush = [&] {
        if (bytes == 0) return;
        statements.push_back(LiteralStatement{"Response.Write(\"" + text + "\");", statementStart});
        text.clear();
        bytes = 0;
    };
    std::size_t i = 0;
    while (i < literal.size()) {
        if (bytes >= statementBytes && SafeCut(literal, i)) flush();
        if (bytes == 0) statementStart = lineBreaks;
        // CR LF is one line break, as the translator counts them.
        bool crlf = literal[i] == '\r' && i + 1 < literal.size() && literal[i + 1] == '\n';
        if (literal[i] == '\n' || (literal[i] == '\r' && !crlf)) ++lineBreaks;
        std::size_t taken = AppendEscaped(literal, i, text);
        bytes += taken;
        i += taken;
    }
    flush();
    return statements;
}

}  // namespace kestrune

#include "pagehost/asp/vbscript_literal.h"

#include "pagehost/asp/jscript_literal.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

std::string Joined(const std::vector<LiteralStatement>& statements) {
    std::string text;
    for (const auto& statement : statements)
        text += statement.text + "|" + std::to_string(statement.lineOffset) + "\n";
    return text;
}

TEST(LiteralToStatements, RendersEachKindOfByte) {
    struct Case {
        std::string literal;
        std::string expected;
        const char* label;
    } cases[] = {
        {"", "", "empty literal writes nothing"},
        {"<p>Hi</p>", "Response.Write \"<p>Hi</p>\"|0\n", "plain text"},
        {"say \"hi\"", "Response.Write \"say \"\"hi\"\"\"|0\n", "quotes doubled"},
        {"\"", "Response.Write \"\"\"\"|0\n", "lone quote"},
        {"a\r\nb", "Response.Write \"a\" & vbCrLf & \"b\"|0\n", "CR LF"},
        {"a\nb\rc", "Response.Write \"a\" & vbLf & \"b\" & vbCr & \"c\"|0\n", "lone LF and CR"},
        {"\r\n", "Response.Write vbCrLf|0\n", "only a line break"},
        {"a\tb", "Response.Write \"a\tb\"|0\n", "tab passes"},
        {std::string("a\0b", 3), "Response.Write \"a\" & Chr(0) & \"b\"|0\n", "NUL as Chr"},
        {"\x1b\x7f", "Response.Write Chr(27) & Chr(127)|0\n", "other controls"},
        {"caf\xc3\xa9 \xe2\x82\xac", "Response.Write \"caf\xc3\xa9 \xe2\x82\xac\"|0\n", "UTF-8 untouched"},
        {"%> <% ", "Response.Write \"%> <% \"|0\n", "block marks are just text here"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(Joined(LiteralToStatements(c.literal)), c.expected);
    }
}

TEST(LiteralToJScriptStatements, RendersEachKindOfByte) {
    struct Case {
        std::string literal;
        std::string expected;
        const char* label;
        std::size_t statementBytes = kLiteralStatementBytes;
    } cases[] = {
        {"", "", "empty literal writes nothing"},
        {"say \"hi\" C:\\x", "Response.Write(\"say \\\"hi\\\" C:\\\\x\");|0\n",
         "quote and backslash escaped"},
        {"a\r\nb\nc\rd", "Response.Write(\"a\\r\\nb\\nc\\rd\");|0\n", "line breaks escaped"},
        {std::string("\0\x1b\x7f\t", 4), "Response.Write(\"\\x00\\x1B\\x7F\t\");|0\n",
         "controls as \\x, tab passes"},
        {"a\xe2\x80\xa8"
         "b\xe2\x80\xa9",
         "Response.Write(\"a\\u2028b\\u2029\");|0\n",
         "U+2028 and U+2029 would end the line inside the string"},
        {"caf\xc3\xa9 \xe2\x82\xac", "Response.Write(\"caf\xc3\xa9 \xe2\x82\xac\");|0\n", "UTF-8 untouched"},
        {"a\r\nb\r\nc",
         "Response.Write(\"a\\r\\n\");|0\nResponse.Write(\"b\\r\\n\");|1\nResponse.Write(\"c\");|2\n",
         "cut statements know their source line", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(Joined(LiteralToJScriptStatements(c.literal, c.statementBytes)), c.expected);
    }
}

// Reassembles what the statements write, to check that splitting loses nothing.
std::string Written(const std::vector<LiteralStatement>& statements) {
    std::string out;
    for (const auto& statement : statements) {
        std::string_view rest = statement.text;
        rest.remove_prefix(std::string_view("Response.Write ").size());
        while (!rest.empty()) {
            if (rest.substr(0, 3) == " & ") {
                rest.remove_prefix(3);
            } else if (rest[0] == '"') {
                std::size_t i = 1;
                while (true) {
                    if (rest[i] == '"' && i + 1 < rest.size() && rest[i + 1] == '"') {
                        out += '"';
                        i += 2;
                    } else if (rest[i] == '"') {
                        break;
                    } else {
                        out += rest[i++];
                    }
                }
                rest.remove_prefix(i + 1);
            } else if (rest.substr(0, 6) == "vbCrLf") {
                out += "\r\n";
                rest.remove_prefix(6);
            } else if (rest.substr(0, 4) == "vbLf" || rest.substr(0, 4) == "vbCr") {
                out += rest[2] == 'L' ? '\n' : '\r';
                rest.remove_prefix(4);
            } else {
                std::size_t close = rest.find(')');
                out += static_cast<char>(std::stoi(std::string(rest.substr(4, close - 4))));
                rest.remove_prefix(close + 1);
            }
        }
    }
    return out;
}

TEST(LiteralToStatements, LongTextIsSplitWithoutLosingBytes) {
    std::string text;
    for (int i = 0; i < 500; ++i) text += "line \"" + std::to_string(i) + "\" caf\xc3\xa9\r\n";
    auto statements = LiteralToStatements(text, 100);
    EXPECT_GT(statements.size(), 10u);
    EXPECT_EQ(Written(statements), text);
    for (const auto& statement : statements) EXPECT_LT(statement.text.size(), 400u);
}

TEST(LiteralToStatements, NeverCutsInsideAMultiByteCharacter) {
    // A run of 3-byte characters with no ASCII: there is no safe cut, so it stays whole.
    std::string run;
    for (int i = 0; i < 200; ++i) run += "\xe6\x97\xa5";
    auto statements = LiteralToStatements("ab" + run + "cd", 50);
    EXPECT_EQ(Written(statements), "ab" + run + "cd");
    for (const auto& statement : statements) {
        std::size_t open = statement.text.find('"');
        ASSERT_NE(open, std::string::npos);
        auto first = static_cast<unsigned char>(statement.text[open + 1]);
        EXPECT_FALSE(first >= 0x80 && first < 0xC0) << "a literal starts with a continuation byte";
    }
}

TEST(LiteralToStatements, LineOffsetsCountSourceLineBreaks) {
    std::string text;
    for (int i = 0; i < 40; ++i) text += i % 3 ? "0123456789\n" : "0123456789\r\n\r";
    auto statements = LiteralToStatements(text, 30);
    ASSERT_GT(statements.size(), 3u);
    std::string before;
    for (const auto& statement : statements) {
        SCOPED_TRACE(statement.text);
        int breaks = 0;
        for (std::size_t i = 0; i < before.size(); ++i) {
            if (before[i] == '\n' || (before[i] == '\r' && (i + 1 == before.size() || before[i + 1] != '\n')))
                ++breaks;
        }
        EXPECT_EQ(statement.lineOffset, breaks);
        before += Written({statement});
    }
}

}  // namespace
}  // namespace kestrune

#include <gtest/gtest.h>

#include "base/ascii.h"
#include "fakes/dbcs_code_page.h"
#include "fakes/utf8_code_page.h"
#include "host/posix/single_byte_code_page.h"
#include "members/extension_policy.h"
#include "members/safe_name.h"

namespace kestrune {
namespace {

using namespace std::string_literals;

const SingleByteCodePage kAnsi;  // CodePage 0 with Windows-1252 rules
const DbcsCodePage kDbcs;        // CodePage 0 on a Japanese system
const Utf8CodePage kUtf8;        // the Unicode road, 65001

std::string Repeat(const std::string& text, std::size_t count) {
    std::string repeated;
    for (std::size_t i = 0; i < count; ++i) repeated += text;
    return repeated;
}

TEST(SafeFilename, Table) {
    struct Case {
        const CodePage& codePage;
        std::string name, expected;
    };
    const std::vector<Case> cases = {
        {kAnsi, "photo.jpg", "photo.jpg"},
        // Every character Windows forbids in a name, and the two a URL or IIS reads.
        {kAnsi, "a<b.txt", "a_b.txt"},
        {kAnsi, "a>b.txt", "a_b.txt"},
        {kAnsi, "a:b.txt", "a_b.txt"},
        {kAnsi, "a\"b.txt", "a_b.txt"},
        {kAnsi, "a/b.txt", "a_b.txt"},
        {kAnsi, "a\\b.txt", "a_b.txt"},
        {kAnsi, "a|b.txt", "a_b.txt"},
        {kAnsi, "a?b.txt", "a_b.txt"},
        {kAnsi, "a*b.txt", "a_b.txt"},
        {kAnsi, "x.asp;.jpg", "x.asp_.jpg"},
        {kAnsi, "100%.txt", "100_.txt"},
        {kAnsi, "a\0b.txt"s, "a_b.txt"},
        {kAnsi, "a\x01\x1F\tb.txt", "a___b.txt"},
        {kAnsi, "a\x7F\x20\xE9.txt", "a\x7F \xE9.txt"},
        {kAnsi, "..\\..\\web.config", "_.._web.config"},
        {kAnsi, "x.asp::$DATA", "x.asp__$DATA"},
        // Dots and blanks at the ends go; a control character is no blank.
        {kAnsi, "  report.pdf  ", "report.pdf"},
        {kAnsi, "...x...", "x"},
        {kAnsi, "x.asp.", "x.asp"},
        {kAnsi, "x.asp . .", "x.asp"},
        {kAnsi, "a . b", "a . b"},
        {kAnsi, "\t.txt", "_.txt"},
        {kAnsi, "", ""},
        {kAnsi, "...", ""},
        {kAnsi, " . . ", ""},
        // Device names, with any extensions, in any case.
        {kAnsi, "CON", "_CON"},
        {kAnsi, "con.txt", "_con.txt"},
        {kAnsi, "con.txt.jpg", "_con.txt.jpg"},
        {kAnsi, "Aux.tar.gz", "_Aux.tar.gz"},
        {kAnsi, "prn", "_prn"},
        {kAnsi, "NUL.", "_NUL"},
        {kAnsi, " nul.log", "_nul.log"},
        {kAnsi, "CON .txt", "_CON .txt"},
        {kAnsi, "COM0.x", "_COM0.x"},
        {kAnsi, "com9", "_com9"},
        {kAnsi, "LPT1.doc", "_LPT1.doc"},
        {kAnsi, "conin$.txt", "_conin$.txt"},
        {kAnsi, "COM\xB9.txt", "_COM\xB9.txt"},
        {kAnsi, "lpt\xB2", "_lpt\xB2"},
        {kAnsi, "COM\xB3", "_COM\xB3"},
        {kAnsi, "COM10.txt", "COM10.txt"},
        {kAnsi, "console.txt", "console.txt"},
        {kAnsi, "con:.txt", "con_.txt"},
        {kAnsi, "COM\xB4", "COM\xB4"},
        // Unicode names on the Unicode road; the superscripts are two bytes there.
        {kUtf8, "\xE5\xA0\xB1\xE5\x91\x8A.pdf", "\xE5\xA0\xB1\xE5\x91\x8A.pdf"},
        {kUtf8, "\xE5\xA0\xB1<1>.pdf", "\xE5\xA0\xB1_1_.pdf"},
        {kUtf8, "\xF0\x9F\x98\x80 :.png", "\xF0\x9F\x98\x80 _.png"},
        {kUtf8, "COM\xC2\xB9.txt", "_COM\xC2\xB9.txt"},
        {kUtf8, "lpt\xC2\xB3", "_lpt\xC2\xB3"},
        {kUtf8, "COM\xB9.txt", "COM\xB9.txt"},
        {kUtf8, "caf\xC3\xA9.", "caf\xC3\xA9"},
        // ANSI names in a double-byte system code page: a trail byte that looks like \ or |
        // is part of its character, and a superscript's byte is another character.
        {kDbcs, "\x95\x5C.txt", "\x95\x5C.txt"},
        {kDbcs, "\x83\x7C|.txt", "\x83\x7C_.txt"},
        {kDbcs, "a\x95\0.txt"s, "a\x95_.txt"},
        {kDbcs, "\x95<.txt", "\x95_.txt"},
        {kDbcs, "a\x95.", "a\x95"},
        {kDbcs, "COM\xB9.txt", "COM\xB9.txt"},
        {kDbcs, "con.\x95\x5C", "_con.\x95\x5C"},
        // At most 200 characters (UTF-16 units), the extension kept.
        {kAnsi, Repeat("a", 300) + ".jpg", Repeat("a", 196) + ".jpg"},
        {kAnsi, Repeat("a", 300), Repeat("a", 200)},
        {kAnsi, Repeat("a", 200) + ".jpg", Repeat("a", 196) + ".jpg"},
        {kAnsi, Repeat("a", 196) + ".jpg", Repeat("a", 196) + ".jpg"},
        {kAnsi, Repeat("\xE9", 300) + ".gif", Repeat("\xE9", 196) + ".gif"},
        {kAnsi, Repeat("a", 250) + "  .jpg", Repeat("a", 196) + ".jpg"},
        {kAnsi, Repeat("a", 199) + " " + Repeat("b", 50), Repeat("a", 199)},
        {kAnsi, "a." + Repeat("b", 300), "a." + Repeat("b", 198)},
        {kAnsi, Repeat("a", 10) + "." + Repeat("b", 199), Repeat("a", 10) + "." + Repeat("b", 189)},
        {kAnsi, "CON" + Repeat("x", 10) + "." + Repeat("e", 196), "_CO." + Repeat("e", 196)},
        {kAnsi, "con." + Repeat("e", 300), "_co." + Repeat("e", 196)},
        {kUtf8, Repeat("\xC3\xA9", 300) + ".jpg", Repeat("\xC3\xA9", 196) + ".jpg"},
        {kUtf8, Repeat("\xF0\x9F\x98\x80", 150) + ".png", Repeat("\xF0\x9F\x98\x80", 98) + ".png"},
        {kUtf8, "a" + Repeat("\xF0\x9F\x98\x80", 150) + ".png",
         "a" + Repeat("\xF0\x9F\x98\x80", 97) + ".png"},
        {kUtf8, "\xF0\x9F\x98\x80." + Repeat("e", 198), "\xF0\x9F\x98\x80." + Repeat("e", 197)},
        {kDbcs, Repeat("\x82\xA0", 300) + ".txt", Repeat("\x82\xA0", 196) + ".txt"},
        {kDbcs, "a" + Repeat("\x82\xA0", 300), "a" + Repeat("\x82\xA0", 199)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.size() > 40 ? c.name.substr(0, 40) + "... (" + std::to_string(c.name.size()) + ")"
                                        : c.name);
        EXPECT_EQ(c.expected, SafeFilename(c.name, c.codePage));
    }
}

TEST(ExtensionPolicy, Table) {
    struct Case {
        const char* list;  // nullptr: no list, the default policy
        std::string fileName;
        bool allowed;
    };
    const std::vector<Case> cases = {
        {nullptr, "photo.jpg", true},
        {nullptr, "archive.tar.gz", true},
        {nullptr, "README", true},
        {nullptr, "x.exe.jpg", true},
        {nullptr, "x.asp", false},
        {nullptr, "X.ASP", false},
        {nullptr, "x.AsPx", false},
        {nullptr, "global.asa", false},
        {nullptr, "web.config", false},
        {nullptr, "a.cer", false},
        {nullptr, "page.shtml", false},
        {nullptr, "x.php", false},
        {nullptr, "run.exe", false},
        {nullptr, "x.jpg.exe", false},
        {nullptr, "x.ps1", false},
        {nullptr, "x.hta", false},
        {nullptr, "setup.msi", false},
        {nullptr, "lib.jar", false},
        // Judged on the name the file is stored under.
        {nullptr, "x.asp;.jpg", true},
        {nullptr, "x.asp.", false},
        {nullptr, "x.aspx  ", false},
        {nullptr, "x.asp::$DATA", true},
        {nullptr, "c:\\inetpub\\x.asp", false},
        // A page's list is all that is allowed, a refused extension included.
        {"jpg;png;pdf", "a.jpg", true},
        {"jpg;png;pdf", "a.JPG", true},
        {"jpg;png;pdf", "a.pdf", true},
        {"jpg;png;pdf", "a.jpeg", false},
        {"jpg;png;pdf", "a.gif", false},
        {"jpg;png;pdf", "README", false},
        {"jpg;png;pdf", "x.jpg.asp", false},
        {"jpg;png;pdf", "x.asp;.jpg", true},
        {" .JPG ; png,Pdf ", "a.png", true},
        {" .JPG ; png,Pdf ", "a.jpg", true},
        {" .JPG ; png,Pdf ", "a.pdf", true},
        {"jpg;;", "a.jpg", true},
        {"asp", "x.asp", true},
        {"asp", "x.jpg", false},
        // A list that names nothing is no list.
        {"", "x.asp", false},
        {"", "a.jpg", true},
        {" ; , ", "x.exe", false},
        {" ; , ", "a.gif", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.list ? c.list : "(default)") + " " + c.fileName);
        const ExtensionPolicy policy = c.list ? ExtensionPolicy::Allowing(c.list) : ExtensionPolicy();
        EXPECT_EQ(c.allowed, policy.Allows(SafeFilename(c.fileName, kAnsi), kAnsi));
    }
    // A dot after a lead byte is a dot: Windows reads a lead byte before a byte that
    // cannot trail as a character of its own.
    EXPECT_FALSE(ExtensionPolicy().Allows(SafeFilename("x\x95.asp", kDbcs), kDbcs));
    EXPECT_FALSE(ExtensionPolicy::Allowing("jpg").Allows(SafeFilename("x.\x95\x5Cjpg", kDbcs), kDbcs));
    // Every entry of the documented list, as a page's client may spell it.
    EXPECT_GT(RefusedExtensions().size(), 80u);
    for (const std::string_view extension : RefusedExtensions()) {
        SCOPED_TRACE(std::string(extension));
        EXPECT_FALSE(ExtensionPolicy().Allows("X." + AsciiUpperCase(extension), kAnsi));
    }
}

}  // namespace
}  // namespace kestrune

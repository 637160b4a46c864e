#include <string>

#include <gtest/gtest.h>

#include "base/utf8.h"
#include "fakes/dbcs_code_page.h"
#include "host/posix/single_byte_code_page.h"

namespace kestrune {
namespace {

struct NameCase {
    const char* label;
    std::string a;
    std::string b;
    bool singleByteEqual;
    bool dbcsEqual;
};

TEST(CodePageTest, NamesEqualExactlyWhenKeysAreEqual) {
    const NameCase cases[] = {
        {"same text", "title", "title", true, true},
        {"ASCII case", "Title", "tITLE", true, true},
        {"empty", "", "", true, true},
        {"different length", "a", "a ", false, false},
        {"prefix", "ab", "a", false, false},
        {"accented case stays", "\xE9", "\xC9", false, false},
        // The ends of the ASCII letters fold; the bytes just outside them do not.
        {"after 'Z' and 'z'", "[", "{", false, false},
        {"first letter", "a", "A", true, true},
        {"last letter", "zip", "ZIP", true, true},
        {"before 'A' and 'a'", "@", "`", false, false},
        {"NUL compared", std::string("a\0b", 3), std::string("A\0B", 3), true, true},
        {"NUL against other", std::string("a\0", 2), "a@", false, false},
        {"full-width letter case", "\x82\x60", "\x82\x81", false, true},
        {"trail byte that looks like a letter",
         "\x81"
         "a",
         "\x81"
         "A",
         true, false},
        {"lone lead byte at end", "x\x81", "X\x81", true, true},
        {"lead then ASCII folds after pair",
         "\x81"
         "ab",
         "\x81"
         "aB",
         true, true},
    };
    SingleByteCodePage singleByte;
    DbcsCodePage dbcs;
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(c.singleByteEqual, singleByte.NamesEqual(c.a, c.b));
        EXPECT_EQ(c.singleByteEqual, singleByte.NameKey(c.a) == singleByte.NameKey(c.b));
        EXPECT_EQ(c.dbcsEqual, dbcs.NamesEqual(c.a, c.b));
        EXPECT_EQ(c.dbcsEqual, dbcs.NameKey(c.a) == dbcs.NameKey(c.b));
    }
}

TEST(CodePageTest, LeadBytes) {
    SingleByteCodePage singleByte;
    DbcsCodePage dbcs;
    for (int byte = 0; byte < 256; ++byte) {
        SCOPED_TRACE(byte);
        EXPECT_FALSE(singleByte.IsLeadByte(static_cast<unsigned char>(byte)));
        bool lead = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
        EXPECT_EQ(lead, dbcs.IsLeadByte(static_cast<unsigned char>(byte)));
    }
}

struct DecodeCase {
    const char* label;
    std::string bytes;
    std::string utf8;
};

// Catches ill-formed bytes that are dropped, passed through, or replaced by the wrong
// count (one U+FFFD per maximal subpart, as browsers decode: Unicode section 3.9).
TEST(CodePageTest, Utf8ReplacesEachIllFormedSubpartOnce) {
    const std::string r(kUtf8Replacement);
    const DecodeCase cases[] = {
        {"well formed", "a\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80", "a\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80"},
        {"lone continuation",
         "a\x80"
         "b",
         "a" + r + "b"},
        {"invalid byte",
         "\xFF"
         ".txt",
         r + ".txt"},
        {"cut short before a dot",
         "\xE3\x81"
         ".txt",
         r + ".txt"},
        {"cut short at the end", "x\xF0\x9F\x98", "x" + r},
        {"overlong two bytes", "\xC0\xAF", r + r},
        {"overlong three bytes", "\xE0\x80\xAF", r + r + r},
        {"surrogate", "\xED\xA0\x80", r + r + r},
        {"above U+10FFFF", "\xF4\x90\x80\x80", r + r + r + r},
        {"NUL kept", std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(c.utf8, WellFormedUtf8(c.bytes));
    }
}

// Catches the native stand-in decoding 1252's own characters as Latin-1, or losing an
// undefined byte.
TEST(CodePageTest, SingleByteTextToUtf8AndBack) {
    const std::string r(kUtf8Replacement);
    const DecodeCase cases[] = {
        {"ASCII", "a.txt", "a.txt"},
        {"Latin-1 range", "\xE9\xFC", "\xC3\xA9\xC3\xBC"},
        {"euro sign", "\x80", "\xE2\x82\xAC"},
        {"undefined byte", "\x81", r},
    };
    SingleByteCodePage singleByte;
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(c.utf8, singleByte.ToUtf8(c.bytes));
        if (c.utf8 != r) {
            EXPECT_EQ(c.bytes, singleByte.FromUtf8(c.utf8));
        }
    }
    EXPECT_EQ("?", singleByte.FromUtf8("\xE6\x97\xA5")) << "a character 1252 lacks";
}

}  // namespace
}  // namespace kestrune

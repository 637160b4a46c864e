#include <string>

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kestrune

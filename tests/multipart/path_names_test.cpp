#include "multipart/path_names.h"

#include <string>

#include <gtest/gtest.h>

#include "fakes/dbcs_code_page.h"
#include "host/posix/single_byte_code_page.h"

namespace kestrune {
namespace {

using namespace std::string_literals;

struct PathCase {
    const char* label;
    std::string path;
    std::string fileName;
    std::string extension;
};

void CheckPaths(const CodePage& codePage, const PathCase* begin, const PathCase* end) {
    for (const PathCase* c = begin; c != end; ++c) {
        SCOPED_TRACE(c->label);
        EXPECT_EQ(c->fileName, PathFileName(c->path, codePage));
        EXPECT_EQ(c->extension, PathExtension(c->path, codePage));
    }
}

// Cases whose answer is the same in both code pages.
const PathCase kCommonCases[] = {
    {"Windows path", "C:\\docs\\report.final.pdf", "report.final.pdf", ".pdf"},
    {"slash separates", "photos/cat.jpg", "cat.jpg", ".jpg"},
    {"climbing out", "../../x.asp", "x.asp", ".asp"},
    {"drive only", "D:report.txt", "report.txt", ".txt"},
    {"dot file", ".htaccess", ".htaccess", ".htaccess"},
    {"trailing dot", "readme.", "readme.", "."},
    {"no extension", "noext", "noext", ""},
    {"empty", "", "", ""},
    {"dot in folder only", "a.b\\c", "c", ""},
    {"dot in folder, slash", "a.b/c", "c", ""},
    {"trailing separator", "C:\\dir\\", "", ""},
    {"separator last after dot", "x.y:", "", ""},
    {"colon rightmost", "a:b:c.d", "c.d", ".d"},
    {"NUL is no separator", "a\0\\b"s, "b", ""},
    {"NUL not a dot", "a\0b"s, "a\0b"s, ""},
    {"NUL after the dot", "a.b\0c"s, "a.b\0c"s, ".b\0c"s},
    {"mixed separators", "a\\b/c:d.e", "d.e", ".e"},
    {"UNC", "\\\\server\\share\\f.tar.gz", "f.tar.gz", ".gz"},
};

TEST(PathNamesTest, BothCodePages) {
    SingleByteCodePage singleByte;
    DbcsCodePage dbcs;
    {
        SCOPED_TRACE("single byte");
        CheckPaths(singleByte, std::begin(kCommonCases), std::end(kCommonCases));
    }
    {
        SCOPED_TRACE("dbcs");
        CheckPaths(dbcs, std::begin(kCommonCases), std::end(kCommonCases));
    }
}

TEST(PathNamesTest, TrailBytesNeverSplit) {
    // 0x95 0x5C and 0x83 0x5C are double-byte characters whose second byte is "\".
    const PathCase dbcsCases[] = {
        {"trail backslash", "\x95\x5C.txt", "\x95\x5C.txt", ".txt"},
        {"trail backslash after folder", "dir\\\x83\x5C\x83\x5C.jpg", "\x83\x5C\x83\x5C.jpg", ".jpg"},
        {"trail backslash last", "a.b\x95\x5C", "a.b\x95\x5C", ".b\x95\x5C"},
        {"trail dot is no dot", "ab\x81.", "ab\x81.", ""},
        {"trail colon is no separator", "x\x81:y", "x\x81:y", ""},
        {"pair after lone-looking lead", "\x81\x81\\z", "z", ""},
        {"lead byte last", "a.b\x81", "a.b\x81", ".b\x81"},
        {"lead byte then NUL then separator", "\x81\0\\n"s, "n", ""},
        {"trail slash", "\x88/.z", "\x88/.z", ".z"},
    };
    const PathCase singleByteCases[] = {
        {"trail backslash", "\x95\x5C.txt", ".txt", ".txt"},
        {"trail backslash last", "a.b\x95\x5C", "", ""},
        {"trail dot", "ab\x81.", "ab\x81.", "."},
        {"trail colon", "x\x81:y", "y", ""},
    };
    DbcsCodePage dbcs;
    SingleByteCodePage singleByte;
    CheckPaths(dbcs, std::begin(dbcsCases), std::end(dbcsCases));
    CheckPaths(singleByte, std::begin(singleByteCases), std::end(singleByteCases));
}

}  // namespace
}  // namespace kestrune

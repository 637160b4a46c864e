#include <gtest/gtest.h>

#include "fakes/dbcs_code_page.h"
#include "host/posix/single_byte_code_page.h"
#include "members/target_path.h"

namespace kestrune {
namespace {

using namespace std::string_literals;

TEST(TargetPath, RefusedAndAcceptedTargets) {
    struct Case {
        std::string path;
        bool accepted;
    };
    const std::vector<Case> cases = {
        {"C:\\up\\photo.jpg", true},
        {"up/photo.jpg", true},
        {"photo", true},
        {"", false},
        {"up/", false},
        {"C:\\up\\", false},
        {"C:", false},
        {"a.txt.", false},
        {"a.txt ", false},
        {"a. txt", true},
        {"evil.asp\0.jpg"s, false},
        {"\0"s, false},
        {"CON", false},
        {"con", false},
        {"Con.txt", false},
        {"CON .txt", false},
        {"con  .tar.gz", false},
        {"up/aux", false},
        {"C:\\PRN.log", false},
        {"d:nul", false},
        {"NUL.", false},
        {"COM1", false},
        {"com9.x", false},
        {"LPT1", false},
        {"lpt5.doc", false},
        {"COM0", false},
        {"lpt0.txt", false},
        {"CONIN$", false},
        {"conout$.log", false},
        {"CONIN$ .x", false},
        {"CONOUT$", false},
        {"LPT0", false},
        {"CONIN", true},
        {"CONOUT$x", true},
        {"LPT10", true},
        {"COM\xB9", false},
        {"lpt\xB2.txt", false},
        {"COM\xB3 .x", false},
        {"COM\xB4", true},
        {"LPT\xB1", true},
        {"COM\xB9\xB9", true},
        {"COM", true},
        {"console.txt", true},
        {"acon", true},
        {"con/x.txt", true},
        {"nul\\x", true},
        {"CONx.txt", true},
        {"COM1x", true},
        {".con", true},
        // Shares and long paths are files; the device namespace and a server's pipes are not.
        {"\\\\server\\share\\dir\\a.txt", true},
        {"//server/share/a.txt", true},
        {"\\\\?\\C:\\dir\\a.txt", true},
        {"\\\\.\\c:\\a.txt", true},
        {"\\\\?\\UNC\\server\\share\\a.txt", true},
        {"\\\\server\\pipes\\a.txt", true},
        {"\\\\.\\PhysicalDrive0", false},
        {"\\\\.\\pipe\\x", false},
        {"//./pipe/x", false},
        {"\\\\?\\pipe\\x", false},
        {"\\\\?\\GLOBALROOT\\Device\\HarddiskVolume1\\a.txt", false},
        {"\\??\\C:\\a.txt", true},
        {"\\??\\GLOBALROOT\\Device\\Null", false},
        {"\\\\?\\Volume{0}\\a.txt", false},
        {"\\\\?\\C:a.txt", false},
        {"\\\\?\\unc\\server\\PIPE\\x", false},
        {"\\\\localhost\\pipe\\x", false},
        {"\\\\server\\\\Pipe.\\x", false},
        {"\\\\server\\mailslot\\x", false},
        {"\\\\server\\ipc$\\x", false},
        {"\\\\..\\share\\x", false},
    };
    const SingleByteCodePage codePage;
    for (const auto& c : cases) {
        SCOPED_TRACE("[" + c.path + "]");
        EXPECT_EQ(c.accepted, IsAcceptableTarget(c.path, codePage));
    }
}

// In a double-byte code page 0xB2, 0xB3 and 0xB9 are not superscript digits.
TEST(TargetPath, SuperscriptPortsOnlyInSingleByteCodePages) {
    const DbcsCodePage dbcs;
    const SingleByteCodePage single;
    for (const char* path : {"COM\xB9", "LPT\xB2.txt", "com\xB3"}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(IsAcceptableTarget(path, single));
        EXPECT_TRUE(IsAcceptableTarget(path, dbcs));
    }
    EXPECT_FALSE(IsAcceptableTarget("COM0", dbcs));
    EXPECT_FALSE(IsAcceptableTarget("conout$", dbcs));
}

TEST(TargetPath, TrailBytesAreNoSeparators) {
    const DbcsCodePage codePage;
    // 0x95 0x5C is one double-byte character whose trail byte looks like "\".
    EXPECT_TRUE(IsAcceptableTarget("dir\\\x95\\", codePage));
    EXPECT_FALSE(IsAcceptableTarget("dir\\\x95\\", SingleByteCodePage()));
    // ...nor end a server's name: this server is named "\x95\\pipe", its share "x".
    EXPECT_TRUE(IsAcceptableTarget("\\\\\x95\\pipe\\x\\a.txt", codePage));
    EXPECT_FALSE(IsAcceptableTarget("\\\\\x95\\pipe\\x\\a.txt", SingleByteCodePage()));
}

}  // namespace
}  // namespace kestrune

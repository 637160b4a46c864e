// The code page, file system and text conversions over the Win32 API.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "com/text_conversion.h"
#include "host/win32/win32_code_page.h"
#include "host/win32/win32_file_system.h"

namespace kestrune::test {
namespace {

std::string Printable(const std::string& text) {
    std::string out;
    for (const unsigned char c : text) {
        char hex[8];
        if (c >= 32 && c < 127) {
            out += static_cast<char>(c);
        } else {
            snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

// NameKey must group names exactly as NamesEqual does, or lookups by index would
// disagree with a walk of the list.
TEST(Win32CodePage, SortKeysAgreeWithTheComparison) {
    const Win32CodePage codePage;
    const std::vector<std::string> names = {
        "",
        "a",
        "A",
        "b",
        "Name",
        "NAME",
        "name ",
        " name",
        "na-me",
        "name-",
        "co-op",
        "coop",
        "co'op",
        std::string("a\0b", 3),
        "ab",
        std::string("a\0", 2),
        std::string("\0", 1),
        "\x01",
        "\x7F",
        "\t",
        "\xE9",
        "\xC9",
        "e",
        "E",
        "\xDF",
        "ss",
        "SS",
        "\xE6",
        "ae",
        "\xC6",
        "AE",
        "\xB2",
        "2",
        "\xBD",
        "1/2",
        "\xA0",
        " ",
        "\xFF",
        "\x9F",
        "y",
        "\x8A",
        "\x9A",
        "s",
        "\x80",
        "0",
        "00",
        "-",
        "--",
        "'",
        // Double-byte characters of code page 932 (single bytes elsewhere): hiragana and
        // katakana A, full-width A and a, the ideographic space, a kanji, a lone lead byte.
        "\x82\xA0",
        "\x83\x41",
        "\x82\x60",
        "\x82\x81",
        "\x81\x40",
        "\x8A\xBF",
        "\x82",
        "\x82\xA0x",
        "x\x82\xA0",
    };
    int equalPairs = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        for (std::size_t j = 0; j < names.size(); ++j) {
            const bool equal = codePage.NamesEqual(names[i], names[j]);
            const bool sameKey = codePage.NameKey(names[i]) == codePage.NameKey(names[j]);
            EXPECT_EQ(equal, sameKey)
                << "\"" << Printable(names[i]) << "\" vs \"" << Printable(names[j]) << "\"";
            equalPairs += equal && i != j;
        }
    }
    EXPECT_TRUE(codePage.NamesEqual("Name", "NAME"));
    EXPECT_FALSE(codePage.NamesEqual("name", "name "));
    EXPECT_FALSE(codePage.NamesEqual("a", "b"));
    EXPECT_GT(equalPairs, 0);
    // A field name of 64 MiB: the platform's sort key of it took the 32-bit host down.
    const std::string huge(64u << 20, 'n');
    std::string other = huge;
    other[10] = 'N';
    other[40000] = 'N';
    EXPECT_TRUE(codePage.NamesEqual(huge, other));
    EXPECT_EQ(codePage.NameKey(huge), codePage.NameKey(other));
    other.back() = 'x';
    EXPECT_FALSE(codePage.NamesEqual(huge, other));
}

TEST(Win32CodePage, LeadBytesFollowTheAnsiCodePage) {
    const Win32CodePage codePage;
    CPINFO info{};
    ASSERT_TRUE(GetCPInfo(CP_ACP, &info));
    for (int byte = 0; byte < 256; ++byte) {
        bool lead = false;
        for (int r = 0; r + 1 < MAX_LEADBYTES && info.LeadByte[r] != 0; r += 2) {
            lead = lead || (byte >= info.LeadByte[r] && byte <= info.LeadByte[r + 1]);
        }
        EXPECT_EQ(lead, codePage.IsLeadByte(static_cast<unsigned char>(byte))) << byte;
    }
    EXPECT_FALSE(codePage.IsLeadByte('A'));
}

TEST(TextConversion, KeepsEmbeddedNulsBothWays) {
    const std::string narrow("a\0bc", 4);
    const std::wstring wide = WideFromNarrow(narrow);
    ASSERT_EQ(4u, wide.size());
    EXPECT_EQ(L'\0', wide[1]);
    EXPECT_EQ(narrow, NarrowFromWide(wide));

    BSTR text = BstrFromNarrow(narrow);
    EXPECT_EQ(4u, SysStringLen(text));
    EXPECT_EQ(narrow, NarrowFromBstr(text));
    SysFreeString(text);
    EXPECT_EQ("", NarrowFromBstr(nullptr));
    BSTR empty = BstrFromNarrow("");
    ASSERT_NE(nullptr, empty);
    EXPECT_EQ(0u, SysStringLen(empty));
    SysFreeString(empty);
}

TEST(TextConversion, PairsDoubleByteCharacters) {
    if (GetACP() != 932) GTEST_SKIP() << "written for code page 932 (LC_ALL=ja_JP.UTF-8)";
    const std::string narrow(
        "\x82\xA0"
        "a\0"
        "\x8A\xBF",
        6);
    const std::wstring wide = WideFromNarrow(narrow);
    EXPECT_EQ(std::wstring(L"\x3042"
                           L"a\0"
                           L"\x6F22",
                           4),
              wide);
    EXPECT_EQ(narrow, NarrowFromWide(wide));
    const Win32CodePage codePage;
    EXPECT_TRUE(codePage.IsLeadByte(0x82));
    EXPECT_FALSE(codePage.IsLeadByte(0xA0));
}

TEST(TextConversion, ReplacesWhatTheCodePageLacks) {
    if (GetACP() != 1252) GTEST_SKIP() << "written for code page 1252";
    EXPECT_EQ("?", NarrowFromWide(L"\x4E2D"));
    EXPECT_EQ(L"\x20AC", WideFromNarrow("\x80")) << "the euro sign of 1252";
}

class Win32FileSystemTest : public testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder = std::string(temp) + "kestrune-fs-test\\";
        CreateDirectoryA(folder.c_str(), nullptr);
    }
    void TearDown() override {
        for (const char* name : {"a.txt", "b.txt", "ro.txt"}) {
            SetFileAttributesA((folder + name).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA((folder + name).c_str());
        }
        RemoveDirectoryA((folder + "sub").c_str());
        RemoveDirectoryA(folder.c_str());
    }

    std::string Contents(const std::string& path) {
        const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return "<missing>";
        char bytes[64];
        DWORD read = 0;
        ReadFile(file, bytes, sizeof bytes, &read, nullptr);
        CloseHandle(file);
        return std::string(bytes, read);
    }

    void Write(const std::string& path, const std::string& bytes) {
        std::unique_ptr<OutputFile> file;
        ASSERT_EQ(CreateOutcome::Created, fs.CreateNew(path, file));
        ASSERT_TRUE(file->WriteAll(bytes.data(), bytes.size()));
        ASSERT_TRUE(file->Close());
    }

    Win32FileSystem fs;
    std::string folder;
};

TEST_F(Win32FileSystemTest, CreatesOnlyNewFiles) {
    Write(folder + "a.txt", std::string("x\0y", 3));
    EXPECT_EQ(std::string("x\0y", 3), Contents(folder + "a.txt"));
    std::unique_ptr<OutputFile> file;
    EXPECT_EQ(CreateOutcome::AlreadyExists, fs.CreateNew(folder + "a.txt", file));
    EXPECT_FALSE(file);
    EXPECT_EQ(CreateOutcome::Failed, fs.CreateNew(folder + "missing\\a.txt", file));
    CreateDirectoryA((folder + "sub").c_str(), nullptr);
    EXPECT_NE(CreateOutcome::Created, fs.CreateNew(folder + "sub", file)) << "a directory is in the way";
}

TEST_F(Win32FileSystemTest, TellsFilesFromFoldersAndNothing) {
    Write(folder + "a.txt", "x");
    CreateDirectoryA((folder + "sub").c_str(), nullptr);
    EXPECT_TRUE(fs.IsFile(folder + "a.txt"));
    EXPECT_FALSE(fs.IsFile(folder + "sub"));
    EXPECT_FALSE(fs.IsFile(folder + "none.txt"));
}

TEST_F(Win32FileSystemTest, ReplacesButNeverAReadOnlyFile) {
    Write(folder + "a.txt", "new");
    Write(folder + "b.txt", "old");
    EXPECT_TRUE(fs.Replace(folder + "a.txt", folder + "b.txt"));
    EXPECT_EQ("new", Contents(folder + "b.txt"));
    EXPECT_FALSE(fs.IsFile(folder + "a.txt"));

    Write(folder + "a.txt", "newer");
    Write(folder + "ro.txt", "kept");
    SetFileAttributesA((folder + "ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(fs.Replace(folder + "a.txt", folder + "ro.txt"));
    EXPECT_EQ("kept", Contents(folder + "ro.txt"));

    fs.Remove(folder + "a.txt");
    EXPECT_FALSE(fs.IsFile(folder + "a.txt"));
    fs.Remove(folder + "a.txt");  // already gone: no error
}

}  // namespace
}  // namespace kestrune::test

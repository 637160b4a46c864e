// CodePage through the vtable: which values it takes, the texts of the Unicode road, and
// saving under names the ANSI code page lacks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "com_test_support.h"
#include "tests/support/body_builder.h"

namespace kestrune::test {
namespace {

// A UTF-8 form, as a UTF-8 page sends it; the second file's name is ill-formed UTF-8:
// a lone 0xFF and a three-byte sequence cut short before the dot.
std::string Utf8Body() {
    return BodyBuilder()
        .Field("Title", "Ünïcödé 日本語")
        .Field("über", "yes")
        .File("upload", "C:\\Ablage\\Grüße 日本語 ✓.txt", "text/plain", "grüße")
        .File("bad",
              "a\xFF"
              "b\xE3\x81.txt",
              "text/plain", "x")
        .Close()
        .Build();
}

ComPtr<ITessock2> Unicode(const std::string& body, LONG codePage = 65001) {
    ComPtr<ITessock> tessock = CreateTessockOver(body);
    ComPtr<ITessock2> derived;
    if (!tessock || FAILED(tessock.As(derived))) return {};
    EXPECT_EQ(S_OK, derived->put_CodePage(codePage));
    return derived;
}

UniqueBstr Bstr(const std::wstring& text) {
    return UniqueBstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

template <typename Get>
std::wstring TextOf(Get get) {
    UniqueBstr value;
    EXPECT_EQ(S_OK, get(value.Out()));
    return Wide(value.Get());
}

std::wstring Field(ITessock* tessock, const std::wstring& name) {
    return TextOf([&](BSTR* out) { return tessock->get_FormVariable(Bstr(name).Get(), out); });
}

// Catches a refused value that still changes the setting, or one taken that converts
// no text (UTF-16 and UTF-7 cannot hold a body's bytes).
TEST(CodePage, TakesTextCodePagesOnlyAndKeepsItsValueOnRefusal) {
    ComPtr<ITessock2> tessock = Unicode(ThreeFieldsAndFile());
    ASSERT_TRUE(tessock);
    for (const LONG refused : {1200L, 1201L, 12000L, 65000L, -1L, 1L, 42L, 12345L, 65002L}) {
        SCOPED_TRACE(refused);
        EXPECT_EQ(E_UNEXPECTED, tessock->put_CodePage(refused));
        ComPtr<IErrorInfo> error = TakeErrorInfo();
        ASSERT_TRUE(error);
        EXPECT_EQ(L"Kestrune.Tessock", Source(error.Get()));
        EXPECT_EQ(L"Code page not supported.", Description(error.Get()));
        LONG value = 0;
        ASSERT_EQ(S_OK, tessock->get_CodePage(&value));
        EXPECT_EQ(65001, value);
    }
    for (const LONG taken : {1252L, 932L, 65001L, 0L}) {
        SCOPED_TRACE(taken);
        EXPECT_EQ(S_OK, tessock->put_CodePage(taken));
        LONG value = -1;
        ASSERT_EQ(S_OK, tessock->get_CodePage(&value));
        EXPECT_EQ(taken, value);
    }
}

// Catches texts decoded with the system's code page, a lookup that folds ASCII only, and
// an ill-formed name that loses bytes or stops the conversion.
TEST(CodePage, DecodesEveryTextFromTheBodysCodePage) {
    ComPtr<ITessock2> tessock = Unicode(Utf8Body());
    ASSERT_TRUE(tessock);
    EXPECT_EQ(L"Ünïcödé 日本語", Field(tessock.Get(), L"TITLE"));
    EXPECT_EQ(L"yes", Field(tessock.Get(), L"ÜBER"));
    EXPECT_EQ(L"", Field(tessock.Get(), L"uber"));
    EXPECT_EQ(L"Ünïcödé 日本語", TextOf([&](BSTR* out) { return tessock->get_FormVariableByIndex(0, out); }));
    EXPECT_EQ(L"Grüße 日本語 ✓.txt", TextOf([&](BSTR* out) { return tessock->get_Filename(out); }));
    EXPECT_EQ(L"txt", TextOf([&](BSTR* out) { return tessock->get_FileExtension(out); }));
    EXPECT_EQ(L"Grüße 日本語 ✓", TextOf([&](BSTR* out) { return tessock->get_FileNameNoExtension(out); }));

    ComPtr<ITessockFiles> files;
    ASSERT_EQ(S_OK, tessock->get_Files(files.Out()));
    UniqueVariant name;
    V_VT(name.Get()) = VT_BSTR;
    V_BSTR(name.Get()) = SysAllocString(L"BAD");
    ComPtr<ITessockFile> bad;
    ASSERT_EQ(S_OK, files->get_Item(*name.Get(), bad.Out()));
    ASSERT_TRUE(bad);
    EXPECT_EQ(
        L"a\xFFFD"
        L"b\xFFFD.txt",
        TextOf([&](BSTR* out) { return bad->get_Filename(out); }));
    EXPECT_EQ(L"txt", TextOf([&](BSTR* out) { return bad->get_FileExtension(out); }));

    // Back on the default road, the texts are today's again: the UTF-8 bytes as ANSI text.
    ASSERT_EQ(S_OK, tessock->put_CodePage(0));
    ComPtr<ITessock> plain = CreateTessockOver(Utf8Body());
    ASSERT_TRUE(plain);
    EXPECT_EQ(TextOf([&](BSTR* out) { return plain->get_Filename(out); }),
              TextOf([&](BSTR* out) { return tessock->get_Filename(out); }));
    EXPECT_EQ(TextOf([&](BSTR* out) { return plain->get_FormVariableByIndex(0, out); }),
              TextOf([&](BSTR* out) { return tessock->get_FormVariableByIndex(0, out); }));
}

std::string ReadAll(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "(missing)";
    char bytes[64] = {};
    DWORD read = 0;
    ReadFile(file, bytes, sizeof bytes, &read, nullptr);
    CloseHandle(file);
    return std::string(bytes, read);
}

// Catches a name that goes to the file system through the ANSI code page (it lacks
// these characters), numbering built in the wrong encoding, a marker garbled by the
// change of road, and the superscript device names let through in UTF-8.
TEST(CodePage, SavesUnderTheExactUnicodeNameAndNumbersIt) {
    ComPtr<ITessock2> tessock = Unicode(Utf8Body(), 0);
    ASSERT_TRUE(tessock);
    ASSERT_EQ(S_OK, tessock->put_OverwriteChr(Bstr(L"é").Get()));
    ASSERT_EQ(S_OK, tessock->put_CodePage(65001));
    EXPECT_EQ(L"é", TextOf([&](BSTR* out) { return tessock->get_OverwriteChr(out); }));

    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"kestrune-unicode\\";
    const std::wstring name = L"Grüße 日本語 ✓.txt";
    const std::wstring numbered = L"Grüße 日本語 ✓é1.txt";
    CreateDirectoryW(folder.c_str(), nullptr);
    DeleteFileW((folder + name).c_str());
    DeleteFileW((folder + numbered).c_str());

    ASSERT_EQ(S_OK, tessock->put_OverwriteMode(2));
    ASSERT_EQ(S_OK, tessock->SaveFile(Bstr(folder + name).Get()));
    EXPECT_EQ(name, TextOf([&](BSTR* out) { return tessock->get_NewName(out); }));
    ASSERT_EQ(S_OK, tessock->SaveFile(Bstr(folder + name).Get()));
    EXPECT_EQ(numbered, TextOf([&](BSTR* out) { return tessock->get_NewName(out); }));
    EXPECT_EQ("grüße", ReadAll(folder + name));
    EXPECT_EQ("grüße", ReadAll(folder + numbered));

    for (const wchar_t* device : {L"COM¹.txt", L"lpt³", L"CON .log"}) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(device[3]));
        EXPECT_EQ(E_UNEXPECTED, tessock->SaveFile(Bstr(folder + device).Get()));
        TakeErrorInfo();
    }

    // The name saved under, and the marker, read on the default road again.
    ASSERT_EQ(S_OK, tessock->put_CodePage(0));
    EXPECT_EQ(L"é", TextOf([&](BSTR* out) { return tessock->get_OverwriteChr(out); }));
    DeleteFileW((folder + name).c_str());
    DeleteFileW((folder + numbered).c_str());
    RemoveDirectoryW(folder.c_str());
}

}  // namespace
}  // namespace kestrune::test

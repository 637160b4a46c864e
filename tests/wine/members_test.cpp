// The members' own results through the vtable: saving, the byte array of FileAsVariant,
// and the conversions at the boundary.
#include <gtest/gtest.h>

#include <string>

#include "com_test_support.h"
#include "tests/support/body_builder.h"

namespace kestrune::test {
namespace {

TEST(SaveFile, RefusesWhenNoFileWasReceived) {
    ComPtr<ITessock> tessock = CreateTessockOver(BodyBuilder().Field("a", "1").Close().Build());
    ASSERT_TRUE(tessock);
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring target = std::wstring(folder) + L"kestrune-none.txt";
    EXPECT_EQ(E_UNEXPECTED, tessock->SaveFile(UniqueBstr(SysAllocString(target.c_str())).Get()));
    ComPtr<IErrorInfo> error = TakeErrorInfo();
    ASSERT_TRUE(error);
    EXPECT_EQ(L"Error. No file received.", Description(error.Get()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(target.c_str())) << "nothing written";
}

TEST(SaveFile, WritesTheFileAndNumbersAnotherInRenameMode) {
    ComPtr<ITessock> tessock = CreateTessockOver(ThreeFieldsAndFile());
    ASSERT_TRUE(tessock);
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring target = std::wstring(folder) + L"kestrune-save.txt";
    const std::wstring numbered = std::wstring(folder) + L"kestrune-save~1.txt";
    DeleteFileW(target.c_str());
    DeleteFileW(numbered.c_str());

    ASSERT_EQ(S_OK, tessock->SaveFile(UniqueBstr(SysAllocString(target.c_str())).Get()));
    ASSERT_EQ(S_OK, tessock->put_OverwriteMode(2));
    ASSERT_EQ(S_OK, tessock->SaveFile(UniqueBstr(SysAllocString(target.c_str())).Get()));
    UniqueBstr newName;
    EXPECT_EQ(S_OK, tessock->get_NewName(newName.Out()));
    EXPECT_EQ(L"kestrune-save~1.txt", Wide(newName.Get()));
    for (const std::wstring& path : {target, numbered}) {
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        char bytes[8] = {};
        DWORD read = 0;
        ReadFile(file, bytes, sizeof bytes, &read, nullptr);
        CloseHandle(file);
        EXPECT_EQ("abc", std::string(bytes, read));
        DeleteFileW(path.c_str());
    }
}

struct ArrayCase {
    const char* label;
    std::string body;
    std::string bytes;
};

TEST(FileAsVariant, IsAByteArrayFromOne) {
    const ArrayCase cases[] = {
        {"three bytes", ThreeFieldsAndFile(), "abc"},
        {"no file", BodyBuilder().Field("a", "1").Close().Build(), ""},
        {"bytes with NUL and high bit",
         BodyBuilder()
             .File("f", "b.bin", "application/octet-stream", std::string("\0\xff\x80z", 4))
             .Close()
             .Build(),
         std::string("\0\xff\x80z", 4)},
    };
    for (const ArrayCase& c : cases) {
        SCOPED_TRACE(c.label);
        ComPtr<ITessock> tessock = CreateTessockOver(c.body);
        ASSERT_TRUE(tessock);
        UniqueVariant first;
        UniqueVariant second;
        ASSERT_EQ(S_OK, tessock->get_FileAsVariant(first.Get()));
        ASSERT_EQ(S_OK, tessock->get_FileAsVariant(second.Get()));
        ASSERT_EQ(VT_ARRAY | VT_UI1, V_VT(first.Get()));
        SAFEARRAY* array = V_ARRAY(first.Get());
        EXPECT_EQ(1u, SafeArrayGetDim(array));
        LONG lower = -1;
        LONG upper = -1;
        SafeArrayGetLBound(array, 1, &lower);
        SafeArrayGetUBound(array, 1, &upper);
        EXPECT_EQ(1, lower);
        EXPECT_EQ(static_cast<LONG>(c.bytes.size()), upper);
        EXPECT_NE(array, V_ARRAY(second.Get())) << "every call builds a new array";
        if (!c.bytes.empty()) {
            unsigned char* data = nullptr;
            SafeArrayAccessData(array, reinterpret_cast<void**>(&data));
            EXPECT_EQ(c.bytes, std::string(reinterpret_cast<char*>(data), c.bytes.size()));
            data[0] = 'X';
            SafeArrayUnaccessData(array);
            SafeArrayAccessData(V_ARRAY(second.Get()), reinterpret_cast<void**>(&data));
            EXPECT_EQ(c.bytes[0], static_cast<char>(data[0])) << "arrays are independent";
            SafeArrayUnaccessData(V_ARRAY(second.Get()));
        }
    }
}

TEST(Members, ResetTheirResultsAndRefuseNullOutPointers) {
    ComPtr<ITessock> tessock = CreateTessockOver(ThreeFieldsAndFile());
    ASSERT_TRUE(tessock);
    EXPECT_EQ(E_POINTER, tessock->get_Filename(nullptr));
    EXPECT_EQ(E_POINTER, tessock->get_FileAsVariant(nullptr));
    EXPECT_EQ(E_POINTER, tessock->get_FileSize(nullptr));

    UniqueBstr version;
    ASSERT_EQ(S_OK, tessock->get_Version(version.Out()));
    EXPECT_EQ(0u, Wide(version.Get()).rfind(L"Kestrune 1.0.1.0", 0));

    // A name with an embedded NUL is a different name, not a truncated one.
    UniqueBstr value;
    BSTR name = SysAllocStringLen(L"a\0x", 3);
    EXPECT_EQ(S_OK, tessock->get_FormVariable(name, value.Out()));
    EXPECT_EQ(L"", Wide(value.Get()));
    SysFreeString(name);
}

}  // namespace
}  // namespace kestrune::test

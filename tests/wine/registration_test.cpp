// Self-registration: the eight entries of each class, idempotence, removal, and the short
// path that a module in a folder with a space registers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "com_test_support.h"

namespace kestrune::test {
namespace {

const std::string kClassKey = "CLSID\\{3DF4F605-7BAB-491F-AEF8-E338D04C58ED}";
const std::string kUploadKey = "CLSID\\{4D36F536-D167-4D3D-AE4A-E2D7D0055EE4}";
const std::string kLibId = "{A7C60453-98F5-4102-95F3-B721F03B4330}";

struct Entry {
    std::string key;
    const char* value;  // null: the default value
    std::string data;
};

std::vector<Entry> ExpectedEntries(const std::string& serverPath) {
    return {
        {kClassKey, nullptr, "Tessock Object"},
        {kClassKey + "\\InprocServer32", nullptr, serverPath},
        {kClassKey + "\\InprocServer32", "ThreadingModel", "Both"},
        {"Kestrune.Tessock", nullptr, "Tessock Object"},
        {"Kestrune.Tessock\\Clsid", nullptr, "{3DF4F605-7BAB-491F-AEF8-E338D04C58ED}"},
        {kClassKey + "\\ProgID", nullptr, "Kestrune.Tessock"},
        {kClassKey + "\\Version", nullptr, "1.1"},
        {kClassKey + "\\TypeLib", nullptr, kLibId},
        {kUploadKey, nullptr, "Upload Object"},
        {kUploadKey + "\\InprocServer32", nullptr, serverPath},
        {kUploadKey + "\\InprocServer32", "ThreadingModel", "Both"},
        {"Kestrune.Upload", nullptr, "Upload Object"},
        {"Kestrune.Upload\\Clsid", nullptr, "{4D36F536-D167-4D3D-AE4A-E2D7D0055EE4}"},
        {kUploadKey + "\\ProgID", nullptr, "Kestrune.Upload"},
        {kUploadKey + "\\Version", nullptr, "1.1"},
        {kUploadKey + "\\TypeLib", nullptr, kLibId},
    };
}

bool KeyExists(const std::string& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    RegCloseKey(handle);
    return true;
}

// The value's data, or "<missing>"; also checks that it is REG_SZ with its terminator.
std::string ReadValue(const std::string& key, const char* value) {
    char data[1024];
    DWORD size = sizeof data;
    DWORD type = 0;
    if (RegGetValueA(HKEY_CLASSES_ROOT, key.c_str(), value, RRF_RT_ANY, &type, data, &size) !=
        ERROR_SUCCESS) {
        return "<missing>";
    }
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_GT(size, 0u);
    EXPECT_EQ('\0', data[size - 1]) << "the terminating zero is stored";
    return std::string(data, size - 1);
}

void ExpectEntries(const std::string& serverPath) {
    for (const Entry& entry : ExpectedEntries(serverPath)) {
        SCOPED_TRACE(entry.key + (entry.value ? std::string(" @ ") + entry.value : std::string()));
        EXPECT_EQ(entry.data, ReadValue(entry.key, entry.value));
    }
}

class RegistrationTest : public testing::Test {
protected:
    // Whatever a test did, the component under test ends registered.
    void TearDown() override { EXPECT_EQ(S_OK, TheComponent().registerServer()); }
};

TEST_F(RegistrationTest, WritesTheEntriesAndOverwritesThemInPlace) {
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(S_OK, TheComponent().registerServer());
        ExpectEntries(TheComponent().path);
        EXPECT_TRUE(KeyExists("TypeLib\\" + kLibId + "\\1.1")) << "the type library is registered too";
        EXPECT_TRUE(KeyExists("Interface\\{2F221EA7-02FE-4462-AAC9-108D3755998C}"));
    }
}

TEST_F(RegistrationTest, RemovesEveryEntryAndToleratesMissingOnes) {
    ASSERT_EQ(S_OK, TheComponent().registerServer());
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        EXPECT_EQ(S_OK, TheComponent().unregisterServer());
        for (const Entry& entry : ExpectedEntries("")) {
            EXPECT_FALSE(KeyExists(entry.key)) << entry.key;
        }
        EXPECT_FALSE(KeyExists("TypeLib\\" + kLibId)) << "the type library is unregistered first";
    }
}

TEST_F(RegistrationTest, RegistersTheShortPathFromAFolderWithASpace) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "kestrune folder with space";
    const std::string copy = folder + "\\Kestrune.dll";
    CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(TheComponent().path.c_str(), copy.c_str(), FALSE));

    const HMODULE module = LoadLibraryA(copy.c_str());
    ASSERT_NE(nullptr, module);
    const auto registerServer = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "DllRegisterServer")));
    ASSERT_NE(nullptr, registerServer);
    EXPECT_EQ(S_OK, registerServer());

    char shortPath[MAX_PATH];
    const DWORD length = GetShortPathNameA(copy.c_str(), shortPath, MAX_PATH);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(std::string::npos, std::string(shortPath).find(' '));
    ExpectEntries(std::string(shortPath, length));

    FreeLibrary(module);
    DeleteFileA(copy.c_str());
    RemoveDirectoryA(folder.c_str());
}

}  // namespace
}  // namespace kestrune::test

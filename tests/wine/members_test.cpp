// The members' own results through the vtable: saving, the byte array of FileAsVariant,
// CopyTo's calls of its targets, and the conversions at the boundary.
#include <gtest/gtest.h>

#include <objbase.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

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

std::string ArrayBytes(VARIANT* value);

// A Write method of a target of CopyTo: keeps what each call brought, and fails the call
// numbered failAt (from 1) as a component raising an error does.
class WriteSink final : public IDispatch {
public:
    explicit WriteSink(int failAt) : failAt_(failAt) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IDispatch ? this : nullptr;
        return *out != nullptr ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override {
        if (_wcsicmp(names[0], L"Write") != 0) return DISP_E_UNKNOWNNAME;
        ids[0] = 7;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*,
                                     EXCEPINFO* exception, UINT*) override {
        if (id != 7 || flags != DISPATCH_METHOD || params->cArgs != 1) return DISP_E_MEMBERNOTFOUND;
        if (++calls_ == failAt_) {
            exception->scode = 0x800A0BB8;
            exception->bstrSource = SysAllocString(L"Sink.Store");
            exception->bstrDescription = SysAllocString(L"The sink is full.");
            return DISP_E_EXCEPTION;
        }
        received += ArrayBytes(&params->rgvarg[0]);
        chunks.push_back(received.size());
        return S_OK;
    }

    std::string received;
    std::vector<std::size_t> chunks;  // the bytes received after each call

private:
    int failAt_;
    int calls_ = 0;
};

// Catches chunks of the wrong size or order, a count that is not the bytes written, a
// stream road that loses bytes, and a target's failure that comes back as the
// component's own error rather than the target's.
TEST(CopyTo, WritesInChunksIntoAWriteMethodOrAStreamAndHandsOnTheirFailure) {
    std::string content(2621440, '\0');  // two and a half chunks
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7 % 251);
    ComPtr<ITessock> tessock = CreateTessockOver(
        BodyBuilder().File("f", "big.bin", "application/octet-stream", content).Close().Build());
    ASSERT_TRUE(tessock);
    ComPtr<ITessock2> upload;
    ASSERT_EQ(S_OK, tessock.As(upload));
    ComPtr<ITessockFiles> files;
    ASSERT_EQ(S_OK, upload->get_Files(files.Out()));
    UniqueVariant name;
    V_VT(name.Get()) = VT_BSTR;
    V_BSTR(name.Get()) = SysAllocString(L"f");
    ComPtr<ITessockFile> file;
    ASSERT_EQ(S_OK, files->get_Item(*name.Get(), file.Out()));

    WriteSink sink(0);
    UniqueVariant target;
    V_VT(target.Get()) = VT_DISPATCH;
    V_DISPATCH(target.Get()) = &sink;
    LONG written = 0;
    ASSERT_EQ(S_OK, file->CopyTo(*target.Get(), &written));
    EXPECT_EQ(static_cast<LONG>(content.size()), written);
    EXPECT_EQ((std::vector<std::size_t>{1u << 20, 2u << 20, content.size()}), sink.chunks);
    EXPECT_TRUE(sink.received == content) << "the bytes arrive whole and in order";

    WriteSink failing(2);
    V_DISPATCH(target.Get()) = &failing;
    EXPECT_EQ(static_cast<HRESULT>(0x800A0BB8), file->CopyTo(*target.Get(), &written));
    ComPtr<IErrorInfo> error = TakeErrorInfo();
    ASSERT_TRUE(error);
    EXPECT_EQ(L"Sink.Store", Source(error.Get()));
    EXPECT_EQ(L"The sink is full.", Description(error.Get()));
    EXPECT_EQ(1u, failing.chunks.size()) << "nothing written after the failing call";
    V_VT(target.Get()) = VT_EMPTY;

    ComPtr<IStream> stream;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, stream.Out()));
    V_VT(target.Get()) = VT_UNKNOWN;
    V_UNKNOWN(target.Get()) = stream.Get();
    stream.Get()->AddRef();
    ASSERT_EQ(S_OK, file->CopyTo(*target.Get(), &written));
    EXPECT_EQ(static_cast<LONG>(content.size()), written);
    HGLOBAL memory = nullptr;
    ASSERT_EQ(S_OK, GetHGlobalFromStream(stream.Get(), &memory));
    STATSTG status{};
    stream->Stat(&status, STATFLAG_NONAME);
    ASSERT_EQ(content.size(), status.cbSize.QuadPart);
    const void* data = GlobalLock(memory);
    EXPECT_EQ(0, std::memcmp(data, content.data(), content.size()));
    GlobalUnlock(memory);
}

// Sets an environment variable for the scope's lifetime, then puts back what was there.
class ScopedVariable {
public:
    ScopedVariable(const wchar_t* name, const std::wstring& value) : name_(name) {
        wchar_t old[MAX_PATH];
        const DWORD length = GetEnvironmentVariableW(name, old, MAX_PATH);
        had_ = length > 0 && length < MAX_PATH;
        if (had_) old_.assign(old, length);
        SetEnvironmentVariableW(name, value.c_str());
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;
    ~ScopedVariable() { SetEnvironmentVariableW(name_, had_ ? old_.c_str() : nullptr); }

private:
    const wchar_t* name_;
    std::wstring old_;
    bool had_ = false;
};

std::vector<std::wstring> FolderListing(const std::wstring& folder) { return NamesMatching(folder + L"\\*"); }

std::string ArrayBytes(VARIANT* value) {
    if (V_VT(value) != (VT_ARRAY | VT_UI1)) return "not a byte array";
    LONG lower = 0;
    LONG upper = -1;
    SafeArrayGetLBound(V_ARRAY(value), 1, &lower);
    SafeArrayGetUBound(V_ARRAY(value), 1, &upper);
    void* data = nullptr;
    SafeArrayAccessData(V_ARRAY(value), &data);
    std::string bytes(static_cast<const char*>(data), static_cast<std::size_t>(upper - lower + 1));
    SafeArrayUnaccessData(V_ARRAY(value));
    return bytes;
}

// With the test switch at 0 every body goes to a body file in the temporary folder (TMP,
// here one of the test's own): while the object lives the file is there, and once it is
// released nothing is, whether intake went well, failed or lost its client. Where the
// temporary folder cannot take the file, the upload still works, in memory. A switch
// past the 64-bit range keeps every body in memory.
TEST(BodyFile, IsGoneAfterEveryEndAndIsNeverNeeded) {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    const std::wstring folder =
        std::wstring(base) + L"kestrune-body-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::string content(250000, 'q');
    const std::string body =
        BodyBuilder().Field("a", "1").File("f", "big.bin", "text/plain", content).Close().Build();
    struct Case {
        const char* label;
        std::wstring temporary;  // TMP and TEMP
        bool failingRead, disconnected;
        std::size_t filesWhileAlive;  // an intake that leaves nothing to read closes it at once
        const wchar_t* threshold = L"0";
    };
    const Case cases[] = {
        {"intake and release", folder, false, false, 1},
        {"a failed intake", folder, true, false, 0},
        {"a client gone before the first pass", folder, false, true, 0},
        {"a temporary folder that does not exist", folder + L"\\missing", false, false, 0},
        {"19 digits past the 64-bit range", folder, false, false, 0, L"9999999999999999999"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(FolderListing(folder).empty());
        const ScopedVariable threshold(L"KESTRUNE_TEST_BODY_FILE_THRESHOLD", c.threshold);
        const ScopedVariable tmp(L"TMP", c.temporary);
        const ScopedVariable temp(L"TEMP", c.temporary);
        {
            auto* request = new FakeRequest(body);
            auto* response = new FakeResponse();
            if (c.failingRead) request->binaryReadFailure = {E_FAIL, L"gone"};
            response->connected = !c.disconnected;
            const HostScope host(request, response);
            ComPtr<ITessock> tessock;
            ASSERT_EQ(S_OK, CreateTessock(tessock));
            const std::vector<std::wstring> alive = FolderListing(folder);
            EXPECT_EQ(c.filesWhileAlive, alive.size());
            // A random name: 64 bits in hex, so two uploads at once never meet.
            for (const std::wstring& name : alive) {
                EXPECT_EQ(0u, name.rfind(L"kst", 0));
                EXPECT_EQ(19u, name.find_first_not_of(L"0123456789abcdef", 3)) << "16 hex digits";
                EXPECT_EQ(L".tmp", name.substr(19));
            }
            if (!c.failingRead && !c.disconnected) {
                UniqueVariant bytes;
                ASSERT_EQ(S_OK, tessock->get_FileAsVariant(bytes.Get()));
                EXPECT_TRUE(ArrayBytes(bytes.Get()) == content);
                UniqueBstr value;
                ASSERT_EQ(S_OK,
                          tessock->get_FormVariable(UniqueBstr(SysAllocString(L"a")).Get(), value.Out()));
                EXPECT_EQ(L"1", Wide(value.Get()));
                const std::wstring target = std::wstring(base) + L"kestrune-from-body-file.bin";
                DeleteFileW(target.c_str());
                ASSERT_EQ(S_OK, tessock->SaveFile(UniqueBstr(SysAllocString(target.c_str())).Get()));
                WIN32_FILE_ATTRIBUTE_DATA saved{};
                EXPECT_TRUE(GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &saved));
                EXPECT_EQ(content.size(), saved.nFileSizeLow);
                DeleteFileW(target.c_str());
            }
        }
        EXPECT_TRUE(FolderListing(folder).empty()) << "left behind after " << c.label;
    }
    RemoveDirectoryW(folder.c_str());
}

// A body larger than the free space of the drive named by KESTRUNE_FULL_DISK (mapped by
// the suite script): the body file fills the drive midway, and intake goes on in memory
// with every byte, leaving nothing on the drive.
TEST(BodyFile, AFullDiskSendsIntakeToMemoryMidway) {
    const char* drive = std::getenv("KESTRUNE_FULL_DISK");
    if (drive == nullptr || *drive == '\0') {
        GTEST_SKIP() << "KESTRUNE_FULL_DISK is not set: no small drive to fill (the suite script maps one)";
    }
    const std::wstring folder(drive, drive + std::strlen(drive));
    ULARGE_INTEGER free{};
    ASSERT_TRUE(GetDiskFreeSpaceExW(folder.c_str(), &free, nullptr, nullptr));
    if (free.QuadPart > (64u << 20)) GTEST_SKIP() << "KESTRUNE_FULL_DISK has more than 64 MiB free";
    std::string content(static_cast<std::size_t>(free.QuadPart) + 512 * 1024, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7 % 251);
    const std::string body =
        BodyBuilder().File("f", "big.bin", "application/octet-stream", content).Close().Build();
    const ScopedVariable threshold(L"KESTRUNE_TEST_BODY_FILE_THRESHOLD", L"0");
    const ScopedVariable tmp(L"TMP", folder);
    const ScopedVariable temp(L"TEMP", folder);
    const std::vector<std::wstring> before = FolderListing(folder);
    {
        ComPtr<ITessock> tessock = CreateTessockOver(body);
        ASSERT_TRUE(tessock);
        EXPECT_EQ(before, FolderListing(folder)) << "the failed body file is still there";
        UniqueVariant bytes;
        ASSERT_EQ(S_OK, tessock->get_FileAsVariant(bytes.Get()));
        EXPECT_TRUE(ArrayBytes(bytes.Get()) == content);
    }
    EXPECT_EQ(before, FolderListing(folder));
}

TEST(Members, ResetTheirResultsAndRefuseNullOutPointers) {
    ComPtr<ITessock> tessock = CreateTessockOver(ThreeFieldsAndFile());
    ASSERT_TRUE(tessock);
    EXPECT_EQ(E_POINTER, tessock->get_Filename(nullptr));
    EXPECT_EQ(E_POINTER, tessock->get_FileAsVariant(nullptr));
    EXPECT_EQ(E_POINTER, tessock->get_FileSize(nullptr));

    UniqueBstr version;
    ASSERT_EQ(S_OK, tessock->get_Version(version.Out()));
    EXPECT_EQ(0u, Wide(version.Get()).rfind(L"Kestrune 1.1.0.0", 0));

    // A name with an embedded NUL is a different name, not a truncated one.
    UniqueBstr value;
    BSTR name = SysAllocStringLen(L"a\0x", 3);
    EXPECT_EQ(S_OK, tessock->get_FormVariable(name, value.Out()));
    EXPECT_EQ(L"", Wide(value.Get()));
    SysFreeString(name);
}

}  // namespace
}  // namespace kestrune::test

// Many objects made, read and released at once: 8 threads in the multithreaded apartment,
// then 8 single-threaded apartments, each thread going through 2,000 objects over bodies
// with fields, with a file, with nothing, and over a host whose read fails; the file is
// also reached through the file list, and read again after its upload object is released. Every result
// is checked against its own body, so one thread seeing another's host objects shows up.
// Afterwards nothing of the component is alive and the process's private bytes and handle
// count are back where they were after a warm-up round.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "com_test_support.h"
#include "tests/support/body_builder.h"

namespace kestrune::test {
namespace {

constexpr int kThreads = 8;
constexpr int kObjectsPerThread = 2000;
constexpr int kWarmUpObjectsPerThread = 250;
constexpr SIZE_T kPrivateBytesMargin = 2u << 20;
constexpr DWORD kHandleMargin = 16;

struct Round {
    DWORD apartment;
    int objectsPerThread;
    LONG created = 0;
    LONG checks = 0;
    LONG failures = 0;
};

// Checks one result; a wrong one is counted, never thrown, as this runs off the main thread.
class Checker {
public:
    explicit Checker(Round& round) : round_(round) {}
    void Expect(bool ok) {
        InterlockedIncrement(&round_.checks);
        if (!ok) ok_ = false;
    }
    bool Ok() const { return ok_; }

private:
    Round& round_;
    bool ok_ = true;
};

std::wstring WideOf(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// A text result, or a marker when the call failed.
template <typename Call>
std::wstring TextOf(Call call) {
    UniqueBstr value;
    return SUCCEEDED(call(value.Out())) ? Wide(value.Get()) : L"<failed>";
}

std::wstring FormVariable(ITessock* tessock, const wchar_t* name) {
    UniqueBstr query(SysAllocString(name));
    return TextOf([&](BSTR* value) { return tessock->get_FormVariable(query.Get(), value); });
}

LONG Count(ITessock* tessock) {
    LONG count = -1;
    tessock->get_FormVariableCount(&count);
    return count;
}

// FormVariableCount once more, through IDispatch and the type information.
LONG CountThroughDispatch(ITessock* tessock) {
    ComPtr<IDispatch> dispatch;
    if (FAILED(tessock->QueryInterface(IID_IDispatch, dispatch.OutVoid()))) return -1;
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"FormVariableCount")};
    if (FAILED(dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return -1;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    UniqueVariant result;
    if (FAILED(dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, result.Get(),
                                nullptr, nullptr)) ||
        V_VT(result.Get()) != VT_I4) {
        return -1;
    }
    return V_I4(result.Get());
}

bool FailsWith(HRESULT hr, const wchar_t* description) {
    ComPtr<IErrorInfo> error = TakeErrorInfo();
    return hr == E_UNEXPECTED && error && Description(error.Get()) == description;
}

std::string FileContent(int n) {
    std::string content(static_cast<std::size_t>(n % 3000 + 1), '\0');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>((i * 31 + n) & 0xFF);
    return content;
}

void CheckFields(ITessock* tessock, int n, Checker& check) {
    check.Expect(Count(tessock) == 2);
    check.Expect(FormVariable(tessock, L"SERIAL") == std::to_wstring(n));
    check.Expect(TextOf([&](BSTR* value) { return tessock->get_FormVariableByIndex(1, value); }) == L"two");
    UniqueBstr target(SysAllocString(L"C:\\never-written.bin"));
    check.Expect(FailsWith(tessock->SaveFile(target.Get()), L"Error. No file received."));
}

void CheckFile(ITessock* tessock, int n, Checker& check) {
    const std::string content = FileContent(n);
    check.Expect(Count(tessock) == 2);
    check.Expect(FormVariable(tessock, L"serial") == std::to_wstring(n));
    check.Expect(TextOf([&](BSTR* value) { return tessock->get_Filename(value); }) ==
                 WideOf("f" + std::to_string(n) + ".bin"));
    LONG size = -1;
    tessock->get_FileSize(&size);
    check.Expect(size == static_cast<LONG>(content.size()));
    UniqueVariant bytes;
    bool same =
        SUCCEEDED(tessock->get_FileAsVariant(bytes.Get())) && V_VT(bytes.Get()) == (VT_ARRAY | VT_UI1);
    if (same) {
        void* data = nullptr;
        SafeArrayAccessData(V_ARRAY(bytes.Get()), &data);
        same = V_ARRAY(bytes.Get())->rgsabound[0].cElements == content.size() &&
               std::string(static_cast<const char*>(data), content.size()) == content;
        SafeArrayUnaccessData(V_ARRAY(bytes.Get()));
    }
    check.Expect(same);
}

void CheckEmpty(ITessock* tessock, Checker& check) {
    check.Expect(Count(tessock) == 0);
    check.Expect(FormVariable(tessock, L"serial").empty());
    UniqueBstr value;
    check.Expect(FailsWith(tessock->get_FormVariableByIndex(0, value.Out()), L"Index out of range."));
    LONG size = -1;
    tessock->get_FileSize(&size);
    check.Expect(size == 0);
}

// The file of CheckFile through the list: by Item and by the enumerator. Returns the file,
// which the caller uses again after releasing the upload object.
ComPtr<ITessockFile> CheckFileList(ITessock* tessock, int n, Checker& check) {
    ComPtr<ITessock2> derived;
    ComPtr<ITessockFiles> files;
    LONG count = -1;
    check.Expect(SUCCEEDED(tessock->QueryInterface(IID_ITessock2, derived.OutVoid())) &&
                 SUCCEEDED(derived->get_Files(files.Out())) && SUCCEEDED(files->get_Count(&count)) &&
                 count == 1);
    if (!files) return {};
    UniqueVariant name;
    V_VT(name.Get()) = VT_BSTR;
    V_BSTR(name.Get()) = SysAllocString(L"UPLOAD");
    ComPtr<ITessockFile> byName;
    check.Expect(SUCCEEDED(files->get_Item(*name.Get(), byName.Out())) && byName &&
                 TextOf([&](BSTR* value) { return byName->get_Filename(value); }) ==
                     WideOf("f" + std::to_string(n) + ".bin"));
    ComPtr<IUnknown> unknown;
    ComPtr<IEnumVARIANT> enumerator;
    UniqueVariant item;
    ULONG fetched = 0;
    check.Expect(SUCCEEDED(files->get__NewEnum(unknown.Out())) && SUCCEEDED(unknown.As(enumerator)) &&
                 enumerator->Next(1, item.Get(), &fetched) == S_OK && fetched == 1 &&
                 V_VT(item.Get()) == VT_DISPATCH && enumerator->Next(1, item.Out(), &fetched) == S_FALSE);
    return byName;
}

bool SameFileSize(ITessockFile* file, int n) {
    LONG size = -1;
    return file && SUCCEEDED(file->get_FileSize(&size)) && size == static_cast<LONG>(FileContent(n).size());
}

// Creates, reads and releases object number n; false when anything is off.
bool UseOneObject(int n, Round& round) {
    const int kind = n % 4;
    std::string body;
    if (kind == 0) body = BodyBuilder().Field("serial", std::to_string(n)).Field("b", "two").Close().Build();
    if (kind == 1 || kind == 3) {
        body =
            BodyBuilder()
                .Field("serial", std::to_string(n))
                .File("upload", "f" + std::to_string(n) + ".bin", "application/octet-stream", FileContent(n))
                .Close()
                .Build();
    }
    auto* request = new FakeRequest(body);
    if (kind == 3) request->binaryReadFailure = {E_FAIL, L"Simulated host failure in BinaryRead. "};
    const HostScope host(request, new FakeResponse);
    ComPtr<ITessock> tessock;
    if (FAILED(CreateTessock(tessock))) return false;
    InterlockedIncrement(&round.created);
    Checker check(round);
    switch (kind) {
        case 0:
            CheckFields(tessock.Get(), n, check);
            break;
        case 1:
            CheckFile(tessock.Get(), n, check);
            break;
        case 2:
            CheckEmpty(tessock.Get(), check);
            break;
        default:
            check.Expect(host.response->written.size() == 1 &&
                         host.response->written[0] == L"Error reading uploaded file or form data.");
            CheckEmpty(tessock.Get(), check);
            break;
    }
    check.Expect(CountThroughDispatch(tessock.Get()) == Count(tessock.Get()));
    if (kind == 1) {
        const ComPtr<ITessockFile> file = CheckFileList(tessock.Get(), n, check);
        tessock.Reset();
        check.Expect(SameFileSize(file.Get(), n));
    }
    return check.Ok();
}

DWORD WINAPI RunThread(void* parameter) {
    Round& round = *static_cast<Round*>(parameter);
    if (FAILED(CoInitializeEx(nullptr, round.apartment))) {
        InterlockedIncrement(&round.failures);
        return 0;
    }
    for (int n = 0; n < round.objectsPerThread; ++n) {
        if (!UseOneObject(n, round)) InterlockedIncrement(&round.failures);
    }
    CoUninitialize();
    return 0;
}

void RunOnThreads(Round& round) {
    HANDLE threads[kThreads];
    for (HANDLE& thread : threads) thread = CreateThread(nullptr, 0, RunThread, &round, 0, nullptr);
    WaitForMultipleObjects(kThreads, threads, TRUE, INFINITE);
    for (HANDLE thread : threads) CloseHandle(thread);
}

class ManyObjectsOnEightThreads : public testing::TestWithParam<DWORD> {};

TEST_P(ManyObjectsOnEightThreads, LoseNothingAndLeakNothing) {
    Round warmUp{GetParam(), kWarmUpObjectsPerThread};
    RunOnThreads(warmUp);
    ASSERT_EQ(0, warmUp.failures);
    const ProcessUse before = MeasureProcess();
    ASSERT_NE(0u, before.privateBytes) << "GetProcessMemoryInfo gave no private bytes";
    ASSERT_NE(0u, before.handles) << "no handle count";

    Round round{GetParam(), kObjectsPerThread};
    RunOnThreads(round);
    const ProcessUse after = MeasureProcess();

    EXPECT_EQ(kThreads * kObjectsPerThread, round.created);
    EXPECT_EQ(0, round.failures);
    EXPECT_EQ(S_OK, TheComponent().canUnloadNow()) << "objects or class objects still alive";
    EXPECT_LE(after.privateBytes, before.privateBytes + kPrivateBytesMargin)
        << "private bytes " << before.privateBytes << " -> " << after.privateBytes;
    EXPECT_LE(after.handles, before.handles + kHandleMargin)
        << "handles " << before.handles << " -> " << after.handles;
    std::printf(
        "figures: %s: %ld objects created, read (%ld checked results) and released on %d threads, "
        "%ld failed; private bytes %lu -> %lu KiB, handles %lu -> %lu\n",
        GetParam() == COINIT_MULTITHREADED ? "MTA" : "STA", round.created, round.checks, kThreads,
        round.failures, static_cast<unsigned long>(before.privateBytes >> 10),
        static_cast<unsigned long>(after.privateBytes >> 10), static_cast<unsigned long>(before.handles),
        static_cast<unsigned long>(after.handles));
}

INSTANTIATE_TEST_SUITE_P(Apartments, ManyObjectsOnEightThreads,
                         testing::Values(static_cast<DWORD>(COINIT_MULTITHREADED),
                                         static_cast<DWORD>(COINIT_APARTMENTTHREADED)),
                         [](const testing::TestParamInfo<DWORD>& info) {
                             return info.param == COINIT_MULTITHREADED ? std::string("Multithreaded")
                                                                       : std::string("SingleThreaded");
                         });

}  // namespace
}  // namespace kestrune::test

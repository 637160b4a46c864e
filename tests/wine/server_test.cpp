// The in-process server: class objects, unload counts, creation, aggregation.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "com_test_support.h"
#include "tests/support/body_builder.h"

namespace kestrune::test {
namespace {

constexpr CLSID kOtherClass = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};

ComPtr<IClassFactory> Factory() {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(S_OK, TheComponent().getClassObject(CLSID_Tessock, IID_IClassFactory, factory.OutVoid()));
    return factory;
}

TEST(DllGetClassObject, AnswersOnlyTheComponentsTwoClasses) {
    struct Case {
        const char* label;
        const CLSID* classId;
        const IID* iid;
        HRESULT expected;
    };
    const Case cases[] = {
        {"factory", &CLSID_Tessock, &IID_IClassFactory, S_OK},
        {"factory as IUnknown", &CLSID_Tessock, &IID_IUnknown, S_OK},
        {"the second class's factory", &CLSID_Upload, &IID_IClassFactory, S_OK},
        {"interface the factory lacks", &CLSID_Tessock, &IID_ITessock, E_NOINTERFACE},
        {"other class", &kOtherClass, &IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
        {"interface id as class", &IID_ITessock, &IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        void* object = reinterpret_cast<void*>(1);
        EXPECT_EQ(c.expected, TheComponent().getClassObject(*c.classId, *c.iid, &object));
        EXPECT_EQ(c.expected == S_OK, object != nullptr);
        const ComPtr<IUnknown> owned(static_cast<IUnknown*>(object));
    }
    EXPECT_EQ(S_OK, TheComponent().canUnloadNow());
}

TEST(DllCanUnloadNow, FollowsFactoryReferencesLocksAndObjects) {
    EXPECT_EQ(S_OK, TheComponent().canUnloadNow());
    ComPtr<IClassFactory> factory = Factory();
    EXPECT_EQ(S_FALSE, TheComponent().canUnloadNow()) << "factory reference";

    factory->LockServer(TRUE);
    factory.Reset();
    EXPECT_EQ(S_FALSE, TheComponent().canUnloadNow()) << "server lock";
    factory = Factory();
    factory->LockServer(FALSE);
    factory.Reset();
    EXPECT_EQ(S_OK, TheComponent().canUnloadNow()) << "lock and references released";

    ComPtr<ITessock> tessock = CreateTessockOver("");
    ASSERT_TRUE(tessock);
    EXPECT_EQ(S_FALSE, TheComponent().canUnloadNow()) << "live object";
    tessock.Reset();
    EXPECT_EQ(S_OK, TheComponent().canUnloadNow()) << "object released";

    // The file list's objects keep the module loaded, in whatever order they go.
    tessock = CreateTessockOver(BodyBuilder().File("f", "a.txt", "text/plain", "A").Close().Build());
    ComPtr<ITessock2> derived;
    ASSERT_EQ(S_OK, tessock.As(IID_ITessock2, derived));
    ComPtr<ITessockFiles> files;
    ASSERT_EQ(S_OK, derived->get_Files(files.Out()));
    VARIANT first;
    VariantInit(&first);
    V_VT(&first) = VT_I4;
    ComPtr<ITessockFile> file;
    ASSERT_EQ(S_OK, files->get_Item(first, file.Out()));
    ComPtr<IUnknown> enumerator;
    ASSERT_EQ(S_OK, files->get__NewEnum(enumerator.Out()));
    tessock.Reset();
    derived.Reset();
    files.Reset();
    EXPECT_EQ(S_FALSE, TheComponent().canUnloadNow()) << "file and enumerator alive";
    LONG size = 0;
    EXPECT_EQ(S_OK, file->get_FileSize(&size));
    EXPECT_EQ(1, size) << "the file outlives its upload object";
    file.Reset();
    EXPECT_EQ(S_FALSE, TheComponent().canUnloadNow()) << "enumerator alive";
    enumerator.Reset();
    EXPECT_EQ(S_OK, TheComponent().canUnloadNow()) << "all released";
}

TEST(CreateInstance, ChecksItsArguments) {
    const HostScope host("");
    ComPtr<IClassFactory> factory = Factory();
    EXPECT_EQ(E_POINTER, factory->CreateInstance(nullptr, IID_ITessock, nullptr));

    IUnknown* outer = factory.Get();  // any object will do: it is never called
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer, IID_ITessock, &object));
    EXPECT_EQ(nullptr, object);

    object = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IClassFactory, &object));
    EXPECT_EQ(nullptr, object);
    factory.Reset();
    EXPECT_EQ(S_OK, TheComponent().canUnloadNow()) << "the refused object must be gone";
}

// An outer object: it answers IUnknown itself and passes every other query to the
// object it aggregates.
class Outer final : public ComObject<Uncounted, IUnknown> {
public:
    explicit Outer(bool& gone) : gone_(gone) {}
    ~Outer() override { gone_ = true; }

    ComPtr<IUnknown> inner;

private:
    HRESULT QueryOther(REFIID iid, void** object) override {
        return inner ? inner->QueryInterface(iid, object) : E_NOINTERFACE;
    }

    bool& gone_;
};

TEST(CreateInstance, AggregatesForIUnknown) {
    const HostScope host(ThreeFieldsAndFile());
    bool outerGone = false;
    ComPtr<Outer> outer = MakeComObject<Outer>(outerGone);
    ComPtr<IUnknown> outerIdentity;
    ASSERT_EQ(S_OK, outer.As(outerIdentity));
    ASSERT_EQ(S_OK, Factory()->CreateInstance(outerIdentity.Get(), IID_IUnknown, outer->inner.OutVoid()));

    ComPtr<ITessock> tessock;
    ASSERT_EQ(S_OK, outer.As(tessock));
    ComPtr<IUnknown> identity;
    ASSERT_EQ(S_OK, tessock->QueryInterface(IID_IUnknown, identity.OutVoid()));
    EXPECT_EQ(outerIdentity.Get(), identity.Get())
        << "queries on a handed-out interface go to the outer object";
    identity.Reset();
    outerIdentity.Reset();
    outer.Reset();
    EXPECT_FALSE(outerGone) << "references on a handed-out interface belong to the outer object";

    LONG count = 0;
    EXPECT_EQ(S_OK, tessock->get_FormVariableCount(&count));
    EXPECT_EQ(4, count);
    tessock.Reset();
    EXPECT_TRUE(outerGone);
    EXPECT_EQ(S_OK, TheComponent().canUnloadNow());
}

TEST(CreateInstance, FailsWithoutAHostAndPublishesNoError) {
    struct Case {
        const char* label;
        FakeRequest* request;
        FakeResponse* response;
    };
    auto* failingRequest = new FakeRequest("x");
    failingRequest->totalBytesFailure = {E_FAIL, L"TotalBytes failed. "};
    const Case cases[] = {
        {"no host objects", nullptr, nullptr},
        {"empty Request property", nullptr, new FakeResponse},
        {"failing TotalBytes", failingRequest, new FakeResponse},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const HostScope host(c.request, c.response);
        SetErrorInfo(0, nullptr);
        ComPtr<ITessock> tessock;
        EXPECT_EQ(E_UNEXPECTED, CreateTessock(tessock));
        EXPECT_FALSE(tessock);
        EXPECT_FALSE(TakeErrorInfo()) << "creation failures carry no error object";
        EXPECT_EQ(S_OK, TheComponent().canUnloadNow()) << "the half-built object must be gone";
    }
}

TEST(CreateInstance, ReportsAFailingReadOnThePage) {
    auto* request = new FakeRequest(ThreeFieldsAndFile());
    request->binaryReadFailure = {E_FAIL, L"Simulated host failure in BinaryRead. "};
    const HostScope host(request, new FakeResponse);
    ComPtr<ITessock> tessock;
    ASSERT_EQ(S_OK, CreateTessock(tessock));
    ASSERT_EQ(1u, host.response->written.size());
    EXPECT_EQ(L"Error reading uploaded file or form data.", host.response->written[0]);
    LONG count = -1;
    EXPECT_EQ(S_OK, tessock->get_FormVariableCount(&count));
    EXPECT_EQ(0, count);
}

TEST(CreateInstance, ReadsTheBodyWhateverIntegerTypeTheCountComesBackAs) {
    for (const VARTYPE type : {VT_I4, VT_I2, VT_UI4, VT_R8}) {
        SCOPED_TRACE(type);
        auto* request = new FakeRequest(ThreeFieldsAndFile());
        request->countType = type;
        const HostScope host(request, new FakeResponse);
        ComPtr<ITessock> tessock;
        ASSERT_EQ(S_OK, CreateTessock(tessock));
        LONG size = 0;
        EXPECT_EQ(S_OK, tessock->get_FileSize(&size));
        EXPECT_EQ(3, size);
        EXPECT_TRUE(host.response->written.empty());
    }
}

// Objects made at once on several threads of the multithreaded apartment: the counts
// and the class registry are shared, each thread has its own host objects.
DWORD WINAPI CreateManyTessocks(void* failures) {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    for (int round = 0; round < 25; ++round) {
        const HostScope host(ThreeFieldsAndFile());
        ComPtr<ITessock> tessock;
        LONG size = 0;
        if (FAILED(CreateTessock(tessock)) || FAILED(tessock->get_FileSize(&size)) || size != 3) {
            InterlockedIncrement(static_cast<LONG*>(failures));
        }
    }
    CoUninitialize();
    return 0;
}

TEST(CreateInstance, WorksOnManyThreadsAtOnce) {
    LONG failures = 0;
    HANDLE threads[4];
    for (HANDLE& thread : threads)
        thread = CreateThread(nullptr, 0, CreateManyTessocks, &failures, 0, nullptr);
    WaitForMultipleObjects(4, threads, TRUE, INFINITE);
    for (HANDLE thread : threads) CloseHandle(thread);
    EXPECT_EQ(0, failures);
    EXPECT_EQ(S_OK, TheComponent().canUnloadNow());
}

// Catches a ProgID that names the other class, an Upload object that read the request
// at creation, and a Tessock object that answers the second class's interface.
TEST(CoCreateInstance, CreatesEachClassByProgIdThroughTheRegistry) {
    const struct {
        const wchar_t* progId;
        const CLSID* classId;
        HRESULT upload;  // QueryInterface for IUpload
    } classes[] = {
        {L"Kestrune.Tessock", &CLSID_Tessock, E_NOINTERFACE},
        {L"Kestrune.Upload", &CLSID_Upload, S_OK},
    };
    for (const auto& c : classes) {
        SCOPED_TRACE(std::string(c.progId, c.progId + wcslen(c.progId)));
        const HostScope host(ThreeFieldsAndFile());
        CLSID classId;
        ASSERT_EQ(S_OK, CLSIDFromProgID(c.progId, &classId));
        EXPECT_TRUE(IsEqualCLSID(*c.classId, classId));
        ComPtr<IDispatch> dispatch;
        ASSERT_EQ(S_OK, CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                         dispatch.OutVoid()));
        ComPtr<IUpload> upload;
        EXPECT_EQ(c.upload, dispatch.As(IID_IUpload, upload));
        if (!upload) continue;
        VARIANT_BOOL received = VARIANT_TRUE;
        EXPECT_EQ(S_OK, upload->get_Received(&received));
        EXPECT_EQ(VARIANT_FALSE, received) << "nothing read at creation";
        LONG count = 0;
        EXPECT_EQ(S_OK, upload->get_FormVariableCount(&count));
        EXPECT_EQ(4, count) << "read at the first member that needs the body";
        EXPECT_EQ(S_OK, upload->get_Received(&received));
        EXPECT_EQ(VARIANT_TRUE, received);
    }
}

}  // namespace
}  // namespace kestrune::test

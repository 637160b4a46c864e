// Finding the object context: the provider choice, and fetching Request and Response
// from a context with everything that can go wrong on the way.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/exceptions.h"
#include "com_test_support.h"
#include "host/win32/asp_host_objects.h"
#include "host/win32/object_context.h"
#include "tests/support/expect_throw_msg.h"

namespace kestrune::test {
namespace {

// ---- Provider choice -------------------------------------------------------------

std::vector<std::string> g_lookups;
HRESULT WINAPI SomeCoGetObjectContext(REFIID, void**) { return E_FAIL; }
HRESULT __cdecl SomeGetObjectContext(IObjectContext**) { return E_FAIL; }

// Both modules are "loaded" and export their entry.
FARPROC BothLoaded(const char* module, const char* entry) {
    g_lookups.push_back(std::string(module) + "!" + entry);
    const auto found = std::string(module) == "ole32.dll"
                           ? reinterpret_cast<void (*)()>(SomeCoGetObjectContext)
                           : reinterpret_cast<void (*)()>(SomeGetObjectContext);
    return reinterpret_cast<FARPROC>(found);
}

FARPROC NothingLoaded(const char* module, const char* entry) {
    g_lookups.push_back(std::string(module) + "!" + entry);
    return nullptr;
}

TEST(ContextProvider, FollowsTheReportedWindowsVersion) {
    struct Case {
        const char* label;
        DWORD platform;
        DWORD major;
        const char* consulted;
    };
    const Case cases[] = {
        {"NT 4.0", VER_PLATFORM_WIN32_NT, 4, "mtxex.dll!GetObjectContext"},
        {"Windows 2000", VER_PLATFORM_WIN32_NT, 5, "ole32.dll!CoGetObjectContext"},
        {"Windows 7", VER_PLATFORM_WIN32_NT, 6, "ole32.dll!CoGetObjectContext"},
        {"Windows 98", VER_PLATFORM_WIN32_WINDOWS, 4, "mtxex.dll!GetObjectContext"},
        {"not NT, version 5", VER_PLATFORM_WIN32_WINDOWS, 5, "mtxex.dll!GetObjectContext"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        OSVERSIONINFOA version{};
        version.dwPlatformId = c.platform;
        version.dwMajorVersion = c.major;
        g_lookups.clear();
        const ContextProvider provider = ChooseContextProvider(version, BothLoaded);
        EXPECT_EQ(std::vector<std::string>{c.consulted}, g_lookups) << "only one module is consulted";
        const bool ole32 = std::string(c.consulted).rfind("ole32", 0) == 0;
        EXPECT_EQ(ole32, provider.coGetObjectContext != nullptr);
        EXPECT_EQ(!ole32, provider.getObjectContext != nullptr);

        const ContextProvider none = ChooseContextProvider(version, NothingLoaded);
        EXPECT_FALSE(none.coGetObjectContext || none.getObjectContext);
    }
}

TEST(ContextProvider, NeverLoadsAModuleItself) {
    EXPECT_EQ(nullptr, LoadedModuleEntry("kestrune-not-loaded.dll", "GetObjectContext"));
    EXPECT_EQ(nullptr, GetModuleHandleA("kestrune-not-loaded.dll"));
    EXPECT_NE(nullptr, LoadedModuleEntry("kernel32.dll", "GetVersionExA"));
}

// ---- Fetching from a context -------------------------------------------------------

// A context whose properties the test sets.
class FakeContext final : public PlainObjectContext<IGetContextProperties> {
public:
    HRESULT getPropertyResult = S_OK;
    std::wstring lastName;
    UniqueVariant property;

    HRESULT STDMETHODCALLTYPE Count(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetProperty(BSTR name, VARIANT* value) override {
        lastName = Wide(name);
        if (FAILED(getPropertyResult)) return getPropertyResult;
        return VariantCopy(value, property.Get());
    }
    HRESULT STDMETHODCALLTYPE EnumNames(IUnknown**) override { return E_NOTIMPL; }
};

ComPtr<IObjectContext> g_context;
HRESULT g_getObjectContextResult = S_OK;

HRESULT __cdecl FakeGetObjectContext(IObjectContext** context) {
    *context = nullptr;
    if (FAILED(g_getObjectContextResult)) return g_getObjectContextResult;
    return g_context.CopyTo(context);
}

HRESULT WINAPI FailingCoGetObjectContext(REFIID, void** context) {
    *context = nullptr;
    return E_NOINTERFACE;
}

class ContextFetchTest : public testing::Test {
protected:
    void SetUp() override {
        g_context = context;
        g_getObjectContextResult = S_OK;
        provider.getObjectContext = FakeGetObjectContext;
    }
    void TearDown() override { g_context.Reset(); }

    void HoldObject(VARTYPE type, IUnknown* object) {
        VARIANT* v = context->property.Out();
        V_VT(v) = type;
        V_UNKNOWN(v) = ComPtr<IUnknown>::Borrow(object).Detach();
    }

    const ComPtr<FakeContext> context = MakeComObject<FakeContext>();
    ContextProvider provider;
    Win32HostContext host{&provider};
};

TEST_F(ContextFetchTest, FetchesTheCurrentObjectsEveryTime) {
    const auto first = MakeComObject<FakeRequest>("first");
    HoldObject(VT_DISPATCH, first.Get());
    EXPECT_EQ(5, host.FetchHostRequest()->TotalBytes());
    EXPECT_EQ(L"Request", context->lastName);

    const auto second = MakeComObject<FakeRequest>("second!");
    HoldObject(VT_UNKNOWN, second.Get());
    EXPECT_EQ(7, host.FetchHostRequest()->TotalBytes()) << "no earlier reference is reused";

    IUnknown* byReference = second.Get();
    VARIANT* v = context->property.Out();
    V_VT(v) = VT_UNKNOWN | VT_BYREF;
    V_UNKNOWNREF(v) = &byReference;
    EXPECT_EQ(7, host.FetchHostRequest()->TotalBytes()) << "held by reference";
    V_VT(v) = VT_EMPTY;

    const auto response = MakeComObject<FakeResponse>();
    HoldObject(VT_DISPATCH, response.Get());
    host.FetchHostResponse()->Write("hello");
    EXPECT_EQ(L"Response", context->lastName);
    EXPECT_EQ(std::vector<std::wstring>{L"hello"}, response->written);
}

TEST_F(ContextFetchTest, FailsRatherThanReturningNothing) {
    EXPECT_THROW_MSG(host.FetchHostRequest(), Exception, "The object context holds no host object");

    VARIANT* v = context->property.Out();
    V_VT(v) = VT_I4;
    V_I4(v) = 5;
    EXPECT_THROW_MSG(host.FetchHostRequest(), EOleSysError, "Invalid variant type conversion");

    const auto response = MakeComObject<FakeResponse>();
    HoldObject(VT_DISPATCH, response.Get());
    EXPECT_THROW_MSG(host.FetchHostRequest(), Exception,
                     "Interface not supported");  // a Response is no Request

    g_context = MakeComObject<PlainObjectContext<>>();  // a context without properties
    EXPECT_THROW_MSG(host.FetchHostRequest(), Exception, "Interface not supported");

    g_context = context;
    context->getPropertyResult = E_INVALIDARG;
    try {
        host.FetchHostRequest();
        ADD_FAILURE() << "a failing GetProperty must raise";
    } catch (const EOleSysError& error) {
        EXPECT_EQ(E_INVALIDARG, error.ErrorCode());
    }

    g_context.Reset();
    EXPECT_THROW_MSG(host.FetchHostResponse(), Exception, "No object context");
}

TEST_F(ContextFetchTest, RaisesTheCodeOfAFailingGetObjectContext) {
    g_getObjectContextResult = static_cast<HRESULT>(0x8ABC0001);
    try {
        FindObjectContext(provider);
        ADD_FAILURE() << "a failing GetObjectContext must raise";
    } catch (const EOleSysError& error) {
        EXPECT_EQ(static_cast<HResult>(0x8ABC0001), error.ErrorCode());
        EXPECT_EQ("OLE error 8ABC0001", error.Message());
    }
}

TEST(ObjectContext, AFailingCoGetObjectContextMeansNoContext) {
    ContextProvider provider;
    provider.coGetObjectContext = FailingCoGetObjectContext;
    EXPECT_FALSE(FindObjectContext(provider));
    EXPECT_FALSE(FindObjectContext(ContextProvider{})) << "no provider";
    Win32HostContext host(&provider);
    EXPECT_THROW_MSG(host.FetchHostRequest(), Exception, "No object context");
}

}  // namespace
}  // namespace kestrune::test

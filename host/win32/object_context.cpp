#include "host/win32/object_context.h"

#include <oleauto.h>

#include <new>

#include "base/exceptions.h"
#include "host/win32/win32_host_failure.h"

namespace kestrune {

namespace {

// The size of the basic OSVERSIONINFOA record.
constexpr DWORD kVersionRecordSize = 148;
static_assert(sizeof(OSVERSIONINFOA) == kVersionRecordSize, "basic version record");

INIT_ONCE g_providerOnce = INIT_ONCE_STATIC_INIT;
ContextProvider g_provider;

BOOL CALLBACK ChooseOnce(PINIT_ONCE, PVOID, PVOID*) {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = kVersionRecordSize;
    if (!GetVersionExA(&version)) version = OSVERSIONINFOA{};
    g_provider = ChooseContextProvider(version, LoadedModuleEntry);
    return TRUE;
}

// The interface a property VARIANT holds, by value or by reference; null for VT_EMPTY.
ComPtr<IUnknown> InterfaceOf(const VARIANT& value) {
    switch (V_VT(&value)) {
        case VT_EMPTY:
            return {};
        case VT_UNKNOWN:
            return ComPtr<IUnknown>::Borrow(V_UNKNOWN(&value));
        case VT_DISPATCH:
            return ComPtr<IUnknown>::Borrow(V_DISPATCH(&value));
        case VT_UNKNOWN | VT_BYREF:
            return ComPtr<IUnknown>::Borrow(V_UNKNOWNREF(&value) ? *V_UNKNOWNREF(&value) : nullptr);
        case VT_DISPATCH | VT_BYREF:
            return ComPtr<IUnknown>::Borrow(V_DISPATCHREF(&value) ? *V_DISPATCHREF(&value) : nullptr);
        default:
            throw EOleSysError("Invalid variant type conversion", DISP_E_TYPEMISMATCH);
    }
}

}  // namespace

FARPROC LoadedModuleEntry(const char* module, const char* entry) {
    const HMODULE handle = GetModuleHandleA(module);
    return handle ? GetProcAddress(handle, entry) : nullptr;
}

ContextProvider ChooseContextProvider(const OSVERSIONINFOA& version, EntryLookup lookup) {
    ContextProvider provider;
    if (version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 5) {
        provider.coGetObjectContext = reinterpret_cast<CoGetObjectContextProc>(
            reinterpret_cast<void (*)()>(lookup("ole32.dll", "CoGetObjectContext")));
    } else {
        provider.getObjectContext = reinterpret_cast<GetObjectContextProc>(
            reinterpret_cast<void (*)()>(lookup("mtxex.dll", "GetObjectContext")));
    }
    return provider;
}

const ContextProvider& ProcessContextProvider() {
    InitOnceExecuteOnce(&g_providerOnce, ChooseOnce, nullptr, nullptr);
    return g_provider;
}

ComPtr<IObjectContext> FindObjectContext(const ContextProvider& provider) {
    ComPtr<IObjectContext> context;
    if (provider.coGetObjectContext) {
        if (FAILED(provider.coGetObjectContext(kIidObjectContext, context.OutVoid()))) context.Reset();
    } else if (provider.getObjectContext) {
        CheckPlatformResult(provider.getObjectContext(context.Out()));
    }
    return context;
}

void RaiseInterfaceNotSupported() { throw Exception("Interface not supported"); }

ComPtr<IUnknown> FetchContextObject(const ContextProvider& provider, const wchar_t* property) {
    const ComPtr<IObjectContext> context = FindObjectContext(provider);
    if (!context) throw Exception("No object context");
    ComPtr<IGetContextProperties> properties;
    if (FAILED(context.As(kIidGetContextProperties, properties)) || !properties) RaiseInterfaceNotSupported();

    UniqueBstr name(SysAllocString(property));
    if (!name.Get()) throw std::bad_alloc();
    UniqueVariant value;
    CheckPlatformResult(properties->GetProperty(name.Get(), value.Out()));
    ComPtr<IUnknown> object = InterfaceOf(*value.Get());
    if (!object) throw Exception("The object context holds no host object");
    return object;
}

}  // namespace kestrune

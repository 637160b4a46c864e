#include "com_test_support.h"

#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "com/object_context_interfaces.h"
#include "pagehost/console/memory_report.h"
#include "tests/support/body_builder.h"

namespace kestrune::test {

namespace {

Component g_component;
SetHostObjectsFunction g_setHostObjects = nullptr;

template <typename Proc>
Proc Entry(HMODULE module, const char* name) {
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace

std::string ExeDirectory() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path, length);
    return directory.substr(0, directory.find_last_of('\\') + 1);
}

bool LoadComponent(const std::string& dllPath, Component& component) {
    char full[MAX_PATH];
    const std::string mtxexPath = ExeDirectory() + "..\\..\\pagehost\\mtxex.dll";
    const HMODULE mtxex = LoadLibraryA(mtxexPath.c_str());
    if (mtxex == nullptr) {
        std::fprintf(stderr, "cannot load %s\n", mtxexPath.c_str());
        return false;
    }
    g_setHostObjects = Entry<SetHostObjectsFunction>(mtxex, "SetHostObjects");
    GetFullPathNameA(dllPath.c_str(), MAX_PATH, full, nullptr);
    component.path = full;
    component.module = LoadLibraryA(full);
    if (component.module == nullptr || g_setHostObjects == nullptr) {
        std::fprintf(stderr, "cannot load %s\n", full);
        return false;
    }
    component.getClassObject =
        Entry<decltype(component.getClassObject)>(component.module, "DllGetClassObject");
    component.canUnloadNow = Entry<decltype(component.canUnloadNow)>(component.module, "DllCanUnloadNow");
    component.registerServer =
        Entry<decltype(component.registerServer)>(component.module, "DllRegisterServer");
    component.unregisterServer =
        Entry<decltype(component.unregisterServer)>(component.module, "DllUnregisterServer");
    return component.getClassObject && component.canUnloadNow && component.registerServer &&
           component.unregisterServer;
}

const Component& TheComponent() { return g_component; }
void SetTheComponent(const Component& component) { g_component = component; }

HostScope::HostScope(const std::string& body) : HostScope(new FakeRequest(body), new FakeResponse) {}

HostScope::HostScope(FakeRequest* request_, FakeResponse* response_)
    : request(request_), response(response_) {
    g_setHostObjects(request.Get(), response.Get());
}

HostScope::~HostScope() { g_setHostObjects(nullptr, nullptr); }

HRESULT CreateTessock(ComPtr<ITessock>& tessock) {
    ComPtr<IClassFactory> factory;
    const HRESULT hr = TheComponent().getClassObject(CLSID_Tessock, IID_IClassFactory, factory.OutVoid());
    if (FAILED(hr)) return hr;
    return factory->CreateInstance(nullptr, IID_ITessock, tessock.OutVoid());
}

ComPtr<ITessock> CreateTessockOver(const std::string& body) {
    const HostScope host(body);
    ComPtr<ITessock> tessock;
    CreateTessock(tessock);
    return tessock;
}

ComPtr<IErrorInfo> TakeErrorInfo() {
    ComPtr<IErrorInfo> error;
    if (GetErrorInfo(0, error.Out()) != S_OK) error.Reset();
    return error;
}

std::wstring Source(IErrorInfo* error) {
    UniqueBstr text;
    error->GetSource(text.Out());
    return Wide(text.Get());
}

std::wstring Description(IErrorInfo* error) {
    UniqueBstr text;
    error->GetDescription(text.Out());
    return Wide(text.Get());
}

std::string ThreeFieldsAndFile() {
    return BodyBuilder()
        .Field("a", "1")
        .Field("b", "2")
        .Field("c", "3")
        .File("upload", "up.txt", "text/plain", "abc")
        .Close()
        .Build();
}

std::wstring Wide(BSTR text) { return text ? std::wstring(text, SysStringLen(text)) : std::wstring(); }

std::vector<std::wstring> NamesMatching(const std::wstring& pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

ProcessUse MeasureProcess() {
    ProcessUse use;
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters)) {
        // Windows gives the commit charge in both fields; Wine 8 fills only the older one.
        use.privateBytes = counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
    }
    use.handles = OpenHandleCount();
    return use;
}

}  // namespace kestrune::test

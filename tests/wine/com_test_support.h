// What every COM client test needs: the component under test (Kestrune.dll, loaded by
// path from the build tree), the stand-in mtxex.dll that gives created objects their
// object context, and the thread's host objects.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "fake_host_objects.h"
#include "com/com_ptr.h"
#include "com/owners.h"
#include "kestrune.h"

namespace kestrune::test {

struct Component {
    HMODULE module = nullptr;
    std::string path;  // full Windows path of Kestrune.dll
    HRESULT(STDAPICALLTYPE* getClassObject)(REFCLSID, REFIID, void**) = nullptr;
    HRESULT(STDAPICALLTYPE* canUnloadNow)() = nullptr;
    HRESULT(STDAPICALLTYPE* registerServer)() = nullptr;
    HRESULT(STDAPICALLTYPE* unregisterServer)() = nullptr;
};

// Loads mtxex.dll and then the component; false (with a message) when either is missing.
bool LoadComponent(const std::string& dllPath, Component& component);
const Component& TheComponent();
void SetTheComponent(const Component& component);

// The folder of the running test program, with a trailing backslash.
std::string ExeDirectory();

// Sets this thread's Request and Response in mtxex for the scope's lifetime; null
// objects leave the property empty. The scope holds its own references.
class HostScope {
public:
    explicit HostScope(const std::string& body);
    HostScope(FakeRequest* request, FakeResponse* response);  // takes over both (may be null)
    HostScope(const HostScope&) = delete;
    HostScope& operator=(const HostScope&) = delete;
    ~HostScope();

    const ComPtr<FakeRequest> request;
    const ComPtr<FakeResponse> response;
};

// A Tessock made through the class factory over the current host objects.
HRESULT CreateTessock(ComPtr<ITessock>& tessock);
ComPtr<ITessock> CreateTessockOver(const std::string& body);

// The thread's error object, taken (and so cleared); null when there is none.
ComPtr<IErrorInfo> TakeErrorInfo();
std::wstring Source(IErrorInfo* error);
std::wstring Description(IErrorInfo* error);

// A body with the fields a=1, b=2, c=3 and the file "up.txt" (text/plain) holding "abc",
// whose input "upload" is the fourth field.
std::string ThreeFieldsAndFile();

std::wstring Wide(BSTR text);

// The process's private bytes and open handles, for checking that a run leaks neither.
struct ProcessUse {
    SIZE_T privateBytes = 0;
    DWORD handles = 0;
};
ProcessUse MeasureProcess();

// The names a FindFirstFileW pattern matches, sorted, without "." and "..".
std::vector<std::wstring> NamesMatching(const std::wstring& pattern);

}  // namespace kestrune::test

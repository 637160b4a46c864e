// Finding the object context of the current call, and fetching the host's Request and
// Response objects from it.
//
// The provider is chosen once per process, from the version Windows reports: NT 5 or
// later uses CoGetObjectContext of ole32.dll, anything older GetObjectContext of
// mtxex.dll. Either module counts only if the process has loaded it already; the choice
// is never revisited, so a module loaded later is never seen.
#pragma once

#include <windows.h>

#include "com/com_ptr.h"
#include "com/owners.h"
#include "com/object_context_interfaces.h"

namespace kestrune {

using CoGetObjectContextProc = HRESULT(WINAPI*)(REFIID iid, void** context);
using GetObjectContextProc = HRESULT(__cdecl*)(IObjectContext** context);

// At most one of the two is set; neither means there is no provider.
struct ContextProvider {
    CoGetObjectContextProc coGetObjectContext = nullptr;
    GetObjectContextProc getObjectContext = nullptr;
};

// The entry of an already loaded module, or null; never loads anything.
using EntryLookup = FARPROC (*)(const char* module, const char* entry);
FARPROC LoadedModuleEntry(const char* module, const char* entry);

ContextProvider ChooseContextProvider(const OSVERSIONINFOA& version, EntryLookup lookup);

// The process-wide choice, made on first use; callers racing it wait for it.
const ContextProvider& ProcessContextProvider();

// The current call's context, or null. A failing GetObjectContext raises an EOleSysError
// with its code; a failing CoGetObjectContext just means there is no context.
ComPtr<IObjectContext> FindObjectContext(const ContextProvider& provider);

// The object in the context property name ("Request" or "Response"). Raises when there
// is no context, the context has no properties, or the property is empty or holds no
// interface; never returns null.
ComPtr<IUnknown> FetchContextObject(const ContextProvider& provider, const wchar_t* property);

// The error of an object that does not answer an interface the caller needs.
[[noreturn]] void RaiseInterfaceNotSupported();

}  // namespace kestrune

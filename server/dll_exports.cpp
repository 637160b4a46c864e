// The four exported entry points of an in-process server.
#include <windows.h>
#include <olectl.h>

#include <vector>

#include "server/class_factory.h"
#include "server/class_registry.h"
#include "server/module.h"
#include "server/registration.h"
#include "server/server_object.h"

namespace {

// Registration errors surface as E_FAIL only; no error object is wanted here. Both
// classes go together: a module that lacks one registers neither.
template <typename Body>
HRESULT RunRegistration(Body&& body) {
    const std::vector<kestrune::TAutoObjectFactory*> factories = kestrune::ClassFactories();
    if (factories.empty()) return E_FAIL;
    for (kestrune::TAutoObjectFactory* factory : factories) {
        if (factory == nullptr) return E_FAIL;
    }
    try {
        for (kestrune::TAutoObjectFactory* factory : factories) body(*factory);
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

}  // namespace

STDAPI DllGetClassObject(REFCLSID classId, REFIID iid, LPVOID* object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    kestrune::TComClassManager* registry = kestrune::ComClassManager();
    kestrune::TAutoObjectFactory* factory = registry ? registry->Find(classId) : nullptr;
    if (factory == nullptr) return CLASS_E_CLASSNOTAVAILABLE;
    return SUCCEEDED(factory->QueryInterface(iid, object)) ? S_OK : E_NOINTERFACE;
}

STDAPI DllCanUnloadNow() {
    const kestrune::TComServer* server = kestrune::ComServer();
    if (server == nullptr) return S_OK;
    return (server->ObjectCount() == 0 && server->FactoryCount() == 0) ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() { return RunRegistration(kestrune::RegisterClassEntries); }

STDAPI DllUnregisterServer() { return RunRegistration(kestrune::UnregisterClassEntries); }

// Module load and unload. Load builds, in order, the class registry, the server object
// (which keeps OLEAUT32 loaded) and the class factories, Tessock's and Upload's; unload
// frees them in reverse. A factory that cannot be built leaves a module without that
// class: DllGetClassObject then answers CLASS_E_CLASSNOTAVAILABLE for it. No message box is ever shown: the host is a
// server process with nobody to click it away.
#include <windows.h>

#include <memory>
#include <vector>

#include "base/exceptions.h"
#include "kestrune.h"
#include "server/class_factory.h"
#include "server/class_registry.h"
#include "server/module.h"
#include "server/server_object.h"

namespace kestrune {

namespace {

struct ModuleState {
    std::unique_ptr<TComClassManager> registry;
    std::unique_ptr<TComServer> server;
    std::unique_ptr<TAutoObjectFactory> tessock;
    std::unique_ptr<TAutoObjectFactory> upload;
};

ModuleState* g_state = nullptr;

std::unique_ptr<TAutoObjectFactory> CreateFactory(TComServer& server, TComClassManager& registry,
                                                  REFCLSID classId) {
    try {
        return TAutoObjectFactory::Create(server, registry, classId);
    } catch (const Exception& error) {
        OutputDebugStringA(error.Message().c_str());
    } catch (...) {
        OutputDebugStringA("Kestrune: the class factory could not be created");
    }
    return nullptr;
}

bool Load(HINSTANCE instance) {
    try {
        auto state = std::make_unique<ModuleState>();
        state->registry = std::make_unique<TComClassManager>();
        SetComClassManager(state->registry.get());
        state->server = std::make_unique<TComServer>(instance);
        SetComServer(state->server.get());
        state->tessock = CreateFactory(*state->server, *state->registry, CLSID_Tessock);
        state->upload = CreateFactory(*state->server, *state->registry, CLSID_Upload);
        g_state = state.release();
        return true;
    } catch (...) {
        SetComServer(nullptr);
        SetComClassManager(nullptr);
        return false;
    }
}

void Unload() {
    std::unique_ptr<ModuleState> state(g_state);
    g_state = nullptr;
    if (!state) return;
    state->upload.reset();
    state->tessock.reset();
    SetComServer(nullptr);
    state->server.reset();
    SetComClassManager(nullptr);
    state->registry.reset();
}

}  // namespace

std::vector<TAutoObjectFactory*> ClassFactories() {
    if (g_state == nullptr) return {};
    return {g_state->tessock.get(), g_state->upload.get()};
}

}  // namespace kestrune

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            DisableThreadLibraryCalls(instance);
            return kestrune::Load(instance) ? TRUE : FALSE;
        case DLL_PROCESS_DETACH:
            // At process exit other modules may be gone already; the system reclaims all.
            if (reserved == nullptr) kestrune::Unload();
            return TRUE;
        default:
            return TRUE;
    }
}

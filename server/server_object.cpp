#include "server/server_object.h"

#include "base/exceptions.h"
#include "com/text_conversion.h"
#include "host/win32/win32_host_failure.h"

namespace kestrune {

namespace {

std::atomic<TComServer*> g_server{nullptr};

}  // namespace

TComServer* ComServer() { return g_server.load(); }
void SetComServer(TComServer* server) { g_server.store(server); }

TComServer::TComServer(HMODULE module) : module_(module) {
    // Kept loaded for the module's lifetime; a missing file must not raise a dialog box
    // inside a server process.
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    oleAut32_ = LoadLibraryA("OLEAUT32.DLL");
    SetErrorMode(previous);
}

TComServer::~TComServer() {
    typeLib_.Reset();
    if (oleAut32_) FreeLibrary(oleAut32_);
}

std::wstring TComServer::ModulePathW() const {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module_, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) return path.substr(0, length);
        path.resize(path.size() * 2);
    }
}

std::string TComServer::ModulePathA() const {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(module_, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) return path.substr(0, length);
        path.resize(path.size() * 2);
    }
}

ITypeLib* TComServer::TypeLib() {
    if (!typeLib_) {
        const std::wstring path = ModulePathW();
        CheckPlatformResult(LoadTypeLib(path.c_str(), typeLib_.Out()));
    }
    return typeLib_.Get();
}

std::string TComServer::ServerName() {
    UniqueBstr name;
    CheckPlatformResult(TypeLib()->GetDocumentation(-1, name.Out(), nullptr, nullptr, nullptr));
    return NarrowFromBstr(name.Get());
}

}  // namespace kestrune

// TComServer: the module's one server object. It keeps OLEAUT32 loaded, owns the
// module's type library, and counts what keeps the module from unloading: live objects
// plus server locks, and references to the class factory.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "com/com_ptr.h"
#include "com/owners.h"

namespace kestrune {

class TComServer {
public:
    explicit TComServer(HMODULE module);
    TComServer(const TComServer&) = delete;
    TComServer& operator=(const TComServer&) = delete;
    ~TComServer();

    HMODULE Module() const { return module_; }
    std::wstring ModulePathW() const;
    std::string ModulePathA() const;

    // Loaded from the module's own file on first use, then kept; throws when it cannot be.
    ITypeLib* TypeLib();

    // "Kestrune": the type library's name, which starts the ProgID.
    std::string ServerName();

    std::int32_t ObjectCount() const { return objectCount_.load(); }
    std::int32_t FactoryCount() const { return factoryCount_.load(); }
    std::int32_t CountObject(std::int32_t delta) { return objectCount_ += delta; }
    std::int32_t CountFactoryReference(std::int32_t delta) { return factoryCount_ += delta; }

private:
    HMODULE module_;
    HMODULE oleAut32_;
    ComPtr<ITypeLib> typeLib_;
    std::atomic<std::int32_t> objectCount_{0};
    std::atomic<std::int32_t> factoryCount_{0};
};

// The module's server object; null before load and after unload.
TComServer* ComServer();
void SetComServer(TComServer* server);

}  // namespace kestrune

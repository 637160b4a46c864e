#include "server/registration.h"

#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <string>

#include "base/exceptions.h"
#include "com/text_conversion.h"
#include "host/win32/win32_host_failure.h"
#include "server/class_factory.h"

namespace kestrune {

namespace {

const char* const kServerKey = "InprocServer32";

std::string GuidText(REFGUID guid) {
    LPOLESTR text = nullptr;
    CheckPlatformResult(StringFromCLSID(guid, &text));
    std::string narrow = NarrowFromWide(text);
    CoTaskMemFree(text);
    return narrow;
}

// Creates or opens key, sets its value (default when name is null) as REG_SZ with the
// terminating zero included, and closes it.
void WriteEntry(const std::string& key, const char* name, const std::string& data) {
    HKEY handle = nullptr;
    DWORD disposition = 0;
    LONG status =
        RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, const_cast<char*>(""), REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE, nullptr, &handle, &disposition);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                static_cast<DWORD>(data.size() + 1));
        RegCloseKey(handle);
    }
    if (status != ERROR_SUCCESS) throw EOleRegistrationError("Error creating system registry entry");
}

// The module path as the server key holds it: its 8.3 form when it contains a space.
std::string ServerPath(const TComServer& server) {
    const std::string path = server.ModulePathA();
    if (path.find(' ') == std::string::npos) return path;
    char shortPath[MAX_PATH];
    const DWORD length = GetShortPathNameA(path.c_str(), shortPath, MAX_PATH);
    return (length > 0 && length < MAX_PATH) ? std::string(shortPath, length) : path;
}

TLIBATTR LibraryAttributes(ITypeLib* typeLib) {
    TLIBATTR* attr = nullptr;
    CheckPlatformResult(typeLib->GetLibAttr(&attr));
    const TLIBATTR copy = *attr;
    typeLib->ReleaseTLibAttr(attr);
    return copy;
}

using UnRegisterTypeLibProc = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);

}  // namespace

void RegisterClassEntries(TAutoObjectFactory& factory) {
    TComServer& server = factory.Server();
    ITypeLib* typeLib = server.TypeLib();
    const std::wstring path = server.ModulePathW();
    const std::wstring helpDirectory = path.substr(0, path.find_last_of(L"\\/:") + 1);
    CheckPlatformResult(RegisterTypeLib(typeLib, const_cast<LPOLESTR>(path.c_str()),
                                        const_cast<LPOLESTR>(helpDirectory.c_str())));

    const TLIBATTR attr = LibraryAttributes(typeLib);
    char version[32];
    std::snprintf(version, sizeof version, "%d.%d", attr.wMajorVerNum, attr.wMinorVerNum);

    const std::string classKey = "CLSID\\" + GuidText(factory.ClassId());
    const std::string progId = factory.ProgId();
    WriteEntry(classKey, nullptr, factory.Description());
    WriteEntry(classKey + "\\" + kServerKey, nullptr, ServerPath(server));
    WriteEntry(classKey + "\\" + kServerKey, "ThreadingModel", TAutoObjectFactory::ThreadingModel());
    if (!progId.empty()) {
        WriteEntry(progId, nullptr, factory.Description());
        WriteEntry(progId + "\\Clsid", nullptr, GuidText(factory.ClassId()));
        WriteEntry(classKey + "\\ProgID", nullptr, progId);
    }
    WriteEntry(classKey + "\\Version", nullptr, version);
    WriteEntry(classKey + "\\TypeLib", nullptr, GuidText(attr.guid));
}

void UnregisterClassEntries(TAutoObjectFactory& factory) {
    TComServer& server = factory.Server();
    // Looked up by name: only an OLEAUT32 that the process has loaded already is asked.
    const HMODULE oleAut32 = GetModuleHandleA("OLEAUT32.DLL");
    const auto unregister = oleAut32 ? reinterpret_cast<UnRegisterTypeLibProc>(reinterpret_cast<void (*)()>(
                                           GetProcAddress(oleAut32, "UnRegisterTypeLib")))
                                     : nullptr;
    if (unregister != nullptr) {
        const TLIBATTR attr = LibraryAttributes(server.TypeLib());
        unregister(attr.guid, attr.wMajorVerNum, attr.wMinorVerNum, attr.lcid, attr.syskind);
    }

    const std::string classKey = "CLSID\\" + GuidText(factory.ClassId());
    const std::string progId = factory.ProgId();
    RegDeleteKeyA(HKEY_CLASSES_ROOT, (classKey + "\\TypeLib").c_str());
    RegDeleteKeyA(HKEY_CLASSES_ROOT, (classKey + "\\Version").c_str());
    if (!progId.empty()) {
        RegDeleteKeyA(HKEY_CLASSES_ROOT, (classKey + "\\ProgID").c_str());
        RegDeleteKeyA(HKEY_CLASSES_ROOT, (progId + "\\Clsid").c_str());
        RegDeleteKeyA(HKEY_CLASSES_ROOT, progId.c_str());
    }
    RegDeleteKeyA(HKEY_CLASSES_ROOT, (classKey + "\\" + kServerKey).c_str());
    RegDeleteKeyA(HKEY_CLASSES_ROOT, classKey.c_str());
}

}  // namespace kestrune

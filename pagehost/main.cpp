// kestrune-host.exe: runs one VBScript or JScript file with the intrinsic objects Request
// (a body file), Response (stdout) and Server, as a page host would (console/); or, as
// "kestrune-host.exe serve", serves classic ASP pages over HTTP (network/). Both run
// the page through RunPage (page_run.h). The
// component finds Request and Response through the object context of the stand-in
// mtxex.dll, which this host loads from its own folder before anything else and fills
// with SetHostObjects.
#include <windows.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>

#include "pagehost/command_line.h"
#include "pagehost/console/script_run.h"
#include "pagehost/intrinsics/intrinsic_object.h"
#include "pagehost/network/http_listener.h"
#include "com/object_context_interfaces.h"

namespace kestrune {
namespace {

// The component only looks for an mtxex.dll that is already loaded, so this happens first.
SetHostObjectsFunction LoadMtxex() {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    std::wstring folder(path, length);
    folder.erase(folder.find_last_of(L"\\/") + 1);
    HMODULE module = LoadLibraryW((folder + L"mtxex.dll").c_str());
    if (!module) return nullptr;
    return reinterpret_cast<SetHostObjectsFunction>(
        reinterpret_cast<void*>(GetProcAddress(module, "SetHostObjects")));
}

int ServeMode(const std::vector<std::wstring>& arguments, SetHostObjectsFunction setHost) {
    std::wstring error;
    std::optional<ServeOptions> options = ParseServeOptions(arguments, &error);
    if (!options) {
        Complain(error);
        std::fputs(kServeUsage, stderr);
        return 2;
    }
    return Serve(*options, setHost);
}

int ScriptMode(const std::vector<std::wstring>& arguments, SetHostObjectsFunction setHost) {
    std::wstring error;
    std::optional<ScriptOptions> options = ParseScriptOptions(arguments, &error);
    if (!options) {
        Complain(error);
        std::fputs(kScriptUsage, stderr);
        return 2;
    }
    HRESULT hr =
        CoInitializeEx(nullptr, options->multithreaded ? COINIT_MULTITHREADED : COINIT_APARTMENTTHREADED);
    if (FAILED(hr)) {
        Complain(L"cannot initialise COM");
        return 2;
    }
    int status = RunScript(*options, setHost);
    CoUninitialize();
    return status;
}

int Main(const std::vector<std::wstring>& arguments) {
    SetHostObjectsFunction setHost = LoadMtxex();
    _setmode(_fileno(stderr), _O_BINARY);
    if (!setHost) {
        Complain(L"cannot load mtxex.dll from the host's folder");
        return 2;
    }
    // The intrinsic objects dispatch through it; without it no page could run.
    if (!IntrinsicTypeInfo(__uuidof(IScriptRequest))) {
        Complain(L"cannot load the type library of the intrinsic objects from kestrune-host.exe");
        return 2;
    }
    if (!arguments.empty() && arguments[0] == L"serve")
        return ServeMode(std::vector<std::wstring>(arguments.begin() + 1, arguments.end()), setHost);
    return ScriptMode(arguments, setHost);
}

}  // namespace
}  // namespace kestrune

int wmain(int argc, wchar_t** argv) {
    return kestrune::Main(std::vector<std::wstring>(argv + 1, argv + argc));
}

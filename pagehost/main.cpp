// kestrune-host.exe: runs one VBScript page with the intrinsic objects Request (the body
// file), Response (stdout) and Server, as a page host would; or, as
// "kestrune-host.exe serve", serves classic ASP pages over HTTP. The component finds
// Request and Response through the object context of the stand-in mtxex.dll, which this
// host loads from its own folder before anything else and fills with SetHostObjects.
#include "pagehost/server/http_server.h"
#include "console_channels.h"
#include "com/object_context_interfaces.h"
#include "host_options.h"
#include "memory_report.h"
#include "request_object.h"
#include "response_object.h"
#include "script_engine.h"
#include "server_object.h"
#include "text.h"

#include <windows.h>

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <io.h>
#include <iterator>
#include <sstream>

namespace kestrune {
namespace {

void Complain(const std::wstring& message) {
    std::string text = "kestrune-host: " + ToUtf8(message) + "\n";
    std::fwrite(text.data(), 1, text.size(), stderr);
}

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

std::optional<std::wstring> ReadScript(const std::wstring& path) {
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    std::fclose(file);
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
    return FromUtf8(bytes);
}

std::shared_ptr<FaultPlan> MakeFaultPlan(const HostOptions& options) {
    if (options.failures.empty()) return nullptr;
    auto plan = std::make_shared<FaultPlan>();
    for (const auto& [call, occurrence] : options.failures) plan->Add(call, occurrence);
    return plan;
}

void ReportScriptError(const ScriptError& error) {
    std::wostringstream text;
    text << L"script error: line " << error.line << L": " << static_cast<long>(error.number);
    if (!error.source.empty()) text << L" " << error.source;
    text << L": " << error.description << L"\n";
    std::string bytes = ToUtf8(text.str());
    std::fwrite(bytes.data(), 1, bytes.size(), stderr);
}

int RunPage(const HostOptions& options, const std::wstring& code, SetHostObjectsFunction set_host) {
    std::shared_ptr<RequestSource> source;
    try {
        source = options.body ? MakeFileRequestSource(*options.body) : MakeEmptyRequestSource();
    } catch (const std::exception&) {
        Complain(L"cannot read the body file " + *options.body);
        return 2;
    }
    std::shared_ptr<ResponseSink> sink = MakeStdoutSink();
    if (options.disconnect_after) sink = MakeDisconnectingSink(sink, *options.disconnect_after);
    std::shared_ptr<FaultPlan> faults = MakeFaultPlan(options);

    auto* request = new RequestObject(source, faults);
    auto* response = new ResponseObject(sink, faults);
    auto* server = new ServerObject();
    set_host(request, response);
    MemorySnapshot before = TakeMemorySnapshot();
    ScriptOutcome outcome =
        RunVBScript(code, {{L"Request", request}, {L"Response", response}, {L"Server", server}});
    set_host(nullptr, nullptr);
    server->Release();
    response->Release();
    request->Release();
    std::fflush(stdout);
    if (options.report_memory) {
        std::string report = DescribeMemory(before, TakeMemorySnapshot()) + "\n";
        std::fwrite(report.data(), 1, report.size(), stderr);
    }

    if (FAILED(outcome.engine)) {
        wchar_t code_text[16];
        std::swprintf(code_text, 16, L"%08lX", static_cast<unsigned long>(outcome.engine));
        Complain(std::wstring(L"the VBScript engine failed: 0x") + code_text);
        return 2;
    }
    if (outcome.error) {
        ReportScriptError(*outcome.error);
        return 1;
    }
    return 0;
}

int Main(const std::vector<std::wstring>& arguments) {
    SetHostObjectsFunction set_host = LoadMtxex();
    _setmode(_fileno(stderr), _O_BINARY);
    if (!set_host) {
        Complain(L"cannot load mtxex.dll from the host's folder");
        return 2;
    }
    std::wstring error;
    if (!arguments.empty() && arguments[0] == L"serve") {
        std::optional<ServeOptions> serve =
            ParseServeOptions(std::vector<std::wstring>(arguments.begin() + 1, arguments.end()), &error);
        if (!serve) {
            Complain(error);
            std::fputs(kServeUsage, stderr);
            return 2;
        }
        return Serve(*serve, set_host);
    }
    std::optional<HostOptions> options = ParseHostOptions(arguments, &error);
    if (!options) {
        Complain(error);
        std::fputs(kHostUsage, stderr);
        return 2;
    }
    std::optional<std::wstring> code = ReadScript(options->script);
    if (!code) {
        Complain(L"cannot read the script " + options->script);
        return 2;
    }
    HRESULT hr =
        CoInitializeEx(nullptr, options->multithreaded ? COINIT_MULTITHREADED : COINIT_APARTMENTTHREADED);
    if (FAILED(hr)) {
        Complain(L"cannot initialise COM");
        return 2;
    }
    int status = RunPage(*options, *code, set_host);
    CoUninitialize();
    return status;
}

}  // namespace
}  // namespace kestrune

int wmain(int argc, wchar_t** argv) {
    return kestrune::Main(std::vector<std::wstring>(argv + 1, argv + argc));
}

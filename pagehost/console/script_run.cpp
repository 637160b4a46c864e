#include "pagehost/console/script_run.h"

#include <windows.h>

#include <cstdio>
#include <sstream>

#include "com/com_ptr.h"
#include "pagehost/command_line.h"
#include "pagehost/console/console_channels.h"
#include "pagehost/console/memory_report.h"
#include "pagehost/intrinsics/asp_server_object.h"
#include "pagehost/intrinsics/request_object.h"
#include "pagehost/intrinsics/response_object.h"
#include "pagehost/script_engine.h"
#include "pagehost/text.h"
#include "pagehost/whole_file.h"

namespace kestrune {
namespace {

std::optional<std::wstring> ReadScript(const std::wstring& path) {
    std::optional<std::string> bytes = ReadWholeFile(path);
    if (!bytes) return std::nullopt;
    if (bytes->rfind("\xEF\xBB\xBF", 0) == 0) bytes->erase(0, 3);
    return FromUtf8(*bytes);
}

// A .js file is JScript, anything else VBScript.
ScriptLanguage LanguageOf(const std::wstring& path) {
    std::size_t dot = path.find_last_of(L"./\\");
    if (dot == std::wstring::npos || path[dot] != L'.') return ScriptLanguage::kVBScript;
    std::wstring extension = path.substr(dot + 1);
    return _wcsicmp(extension.c_str(), L"js") == 0 ? ScriptLanguage::kJScript : ScriptLanguage::kVBScript;
}

std::shared_ptr<FaultPlan> MakeFaultPlan(const ScriptOptions& options) {
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

void ReportMemory(const MemorySnapshot& before) {
    std::string report = DescribeMemory(before, TakeMemorySnapshot()) + "\n";
    std::fwrite(report.data(), 1, report.size(), stderr);
}

// The intrinsic objects over the command line's channels, handed to the script and to
// the object context for as long as the script runs.
ScriptOutcome RunWithIntrinsics(ScriptLanguage language, const std::wstring& code,
                                std::shared_ptr<RequestSource> source, std::shared_ptr<ResponseSink> sink,
                                std::shared_ptr<FaultPlan> faults, SetHostObjectsFunction setHost) {
    ComPtr<RequestObject> request = MakeComObject<RequestObject>(std::move(source), faults);
    ComPtr<ResponseObject> response = MakeComObject<ResponseObject>(std::move(sink), faults);
    ComPtr<AspServerObject> server = MakeComObject<AspServerObject>();
    setHost(static_cast<IRequest*>(request.Get()), static_cast<IResponse*>(response.Get()));
    ScriptOutcome outcome = RunActiveScript(language, code,
                                            {{L"Request", static_cast<IScriptRequest*>(request.Get())},
                                             {L"Response", static_cast<IScriptResponse*>(response.Get())},
                                             {L"Server", server.Get()}});
    setHost(nullptr, nullptr);
    return outcome;
}

}  // namespace

int RunScript(const ScriptOptions& options, SetHostObjectsFunction setHost) {
    std::optional<std::wstring> code = ReadScript(options.script);
    if (!code) {
        Complain(L"cannot read the script " + options.script);
        return 2;
    }
    std::shared_ptr<RequestSource> source;
    try {
        source = options.body ? MakeFileRequestSource(*options.body) : MakeEmptyRequestSource();
    } catch (const std::exception&) {
        Complain(L"cannot read the body file " + *options.body);
        return 2;
    }
    std::shared_ptr<ResponseSink> sink = MakeStdoutSink();
    if (options.disconnectAfter) sink = MakeDisconnectingSink(sink, *options.disconnectAfter);

    MemorySnapshot before = TakeMemorySnapshot();
    ScriptOutcome outcome =
        RunWithIntrinsics(LanguageOf(options.script), *code, source, sink, MakeFaultPlan(options), setHost);
    std::fflush(stdout);
    if (options.reportMemory) ReportMemory(before);

    if (FAILED(outcome.engine)) {
        wchar_t codeText[16];
        std::swprintf(codeText, 16, L"%08lX", static_cast<unsigned long>(outcome.engine));
        Complain(std::wstring(L"the script engine failed: 0x") + codeText);
        return 2;
    }
    // Response.End and Redirect stop the script with an error of their own: the page
    // ended as it meant to.
    if (outcome.error && outcome.error->number != kResponseEnded) {
        ReportScriptError(*outcome.error);
        return 1;
    }
    return 0;
}

}  // namespace kestrune

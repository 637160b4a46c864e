#include "pagehost/console/script_run.h"

#include <windows.h>

#include <cstdio>
#include <sstream>

#include "pagehost/command_line.h"
#include "pagehost/console/console_channels.h"
#include "pagehost/console/memory_report.h"
#include "pagehost/page_run.h"
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

// The transport with the faults the options ask for: --fail outermost, so that a failing
// IsClientConnected does not use up one of --disconnect-after's answers.
std::unique_ptr<ResponseTransport> MakeTransport(const ScriptOptions& options,
                                                 const std::shared_ptr<FaultPlan>& plan) {
    std::unique_ptr<ResponseTransport> transport = MakeStdoutTransport();
    if (options.disconnectAfter)
        transport = DisconnectingAfter(std::move(transport), *options.disconnectAfter);
    return plan ? WithFaults(std::move(transport), plan) : std::move(transport);
}

}  // namespace

int RunScript(const ScriptOptions& options, SetHostObjectsFunction setHost) {
    std::optional<std::wstring> code = ReadScript(options.script);
    if (!code) {
        Complain(L"cannot read the script " + options.script);
        return 2;
    }
    PageRun run;
    run.language = LanguageOf(options.script);
    run.program = std::move(*code);
    try {
        run.body = MakeBodySource(options.body);
    } catch (const std::exception&) {
        Complain(L"cannot read the body file " + *options.body);
        return 2;
    }
    std::shared_ptr<FaultPlan> plan;
    if (!options.failures.empty()) plan = std::make_shared<FaultPlan>();
    for (const auto& [call, occurrence] : options.failures) plan->Add(call, occurrence);
    if (plan) run.body = WithFaults(run.body, plan);
    std::unique_ptr<ResponseTransport> transport = MakeTransport(options, plan);
    // Not buffered: what the script writes goes out as it writes it.
    auto response = std::make_shared<PageResponse>(*transport, false);

    MemorySnapshot before = TakeMemorySnapshot();
    ScriptOutcome outcome = RunPage(run, response, setHost);
    response->Finish();
    std::fflush(stdout);
    if (options.reportMemory) ReportMemory(before);

    if (FAILED(outcome.engine)) {
        wchar_t codeText[16];
        std::swprintf(codeText, 16, L"%08lX", static_cast<unsigned long>(outcome.engine));
        Complain(std::wstring(L"the script engine failed: 0x") + codeText);
        return 2;
    }
    if (outcome.error) {
        ReportScriptError(*outcome.error);
        return 1;
    }
    return 0;
}

}  // namespace kestrune

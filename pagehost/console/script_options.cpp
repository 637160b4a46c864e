#include "pagehost/console/script_options.h"

#include "pagehost/command_line.h"

#include <climits>

namespace kestrune {

const char kScriptUsage[] =
    "usage: kestrune-host.exe FILE.vbs|FILE.js [--body BODYFILE] [--disconnect-after N]"
    " [--fail CALL:K]... [--mta]\n"
    "       [--report-memory]\n"
    "  CALL is TotalBytes, BinaryRead, IsClientConnected or Write; K counts from 1.\n"
    "  --report-memory prints the working set before the script and the peak after it\n"
    "  to stderr.\n";

namespace {

std::optional<std::pair<HostCall, long>> ParseFailure(const std::wstring& text) {
    std::size_t colon = text.find(L':');
    if (colon == std::wstring::npos) return std::nullopt;
    std::optional<HostCall> call = ParseHostCall(text.substr(0, colon));
    std::optional<std::uint64_t> occurrence = ParseDecimal(text.substr(colon + 1), 1, LONG_MAX);
    if (!call || !occurrence) return std::nullopt;
    return std::make_pair(*call, static_cast<long>(*occurrence));
}

}  // namespace

std::optional<ScriptOptions> ParseScriptOptions(const std::vector<std::wstring>& arguments,
                                                std::wstring* error) {
    ScriptOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        bool hasValue = i + 1 < arguments.size();
        if (argument == L"--mta") {
            options.multithreaded = true;
        } else if (argument == L"--report-memory") {
            options.reportMemory = true;
        } else if (argument == L"--body" && hasValue) {
            options.body = arguments[++i];
        } else if (argument == L"--disconnect-after" && hasValue) {
            std::optional<std::uint64_t> count = ParseDecimal(arguments[++i], 0, LONG_MAX);
            if (!count) return RefuseCommandLine(error, L"--disconnect-after needs a count of 0 or more");
            options.disconnectAfter = static_cast<long>(*count);
        } else if (argument == L"--fail" && hasValue) {
            auto failure = ParseFailure(arguments[++i]);
            if (!failure)
                return RefuseCommandLine(error,
                                         L"--fail needs CALL:K, e.g. BinaryRead:2, not " + arguments[i]);
            options.failures.push_back(*failure);
        } else if (argument.rfind(L"--", 0) == 0) {
            return RefuseCommandLine(error, L"unknown option or missing value: " + argument);
        } else if (options.script.empty()) {
            options.script = argument;
        } else {
            return RefuseCommandLine(error, L"more than one script: " + argument);
        }
    }
    if (options.script.empty()) return RefuseCommandLine(error, L"no script given");
    return options;
}

}  // namespace kestrune

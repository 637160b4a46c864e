#include "host_options.h"

#include <cerrno>
#include <cwchar>

namespace kestrune {

const char kHostUsage[] =
    "usage: kestrune-host.exe FILE.vbs [--body BODYFILE] [--disconnect-after N]"
    " [--fail CALL:K]... [--mta]\n"
    "       [--report-memory]\n"
    "  CALL is TotalBytes, BinaryRead, IsClientConnected or Write; K counts from 1.\n"
    "  --report-memory prints the working set before the script and the peak after it\n"
    "  to stderr.\n";

namespace {

std::optional<long> ParseCount(const std::wstring& text, long minimum)
{
    if (text.empty())
        return std::nullopt;
    wchar_t* end = nullptr;
    errno = 0;
    long value = std::wcstol(text.c_str(), &end, 10);
    if (*end != L'\0' || errno != 0 || value < minimum)
        return std::nullopt;
    return value;
}

std::optional<std::pair<HostCall, long>> ParseFailure(const std::wstring& text)
{
    std::size_t colon = text.find(L':');
    if (colon == std::wstring::npos)
        return std::nullopt;
    std::optional<HostCall> call = ParseHostCall(text.substr(0, colon));
    std::optional<long> occurrence = ParseCount(text.substr(colon + 1), 1);
    if (!call || !occurrence)
        return std::nullopt;
    return std::make_pair(*call, *occurrence);
}

}  // namespace

std::optional<HostOptions> ParseHostOptions(const std::vector<std::wstring>& arguments,
                                            std::wstring* error)
{
    HostOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        bool has_value = i + 1 < arguments.size();
        if (argument == L"--mta") {
            options.multithreaded = true;
        } else if (argument == L"--report-memory") {
            options.report_memory = true;
        } else if (argument == L"--body" && has_value) {
            options.body = arguments[++i];
        } else if (argument == L"--disconnect-after" && has_value) {
            options.disconnect_after = ParseCount(arguments[++i], 0);
            if (!options.disconnect_after) {
                *error = L"--disconnect-after needs a count of 0 or more";
                return std::nullopt;
            }
        } else if (argument == L"--fail" && has_value) {
            auto failure = ParseFailure(arguments[++i]);
            if (!failure) {
                *error = L"--fail needs CALL:K, e.g. BinaryRead:2, not " + arguments[i];
                return std::nullopt;
            }
            options.failures.push_back(*failure);
        } else if (argument.rfind(L"--", 0) == 0) {
            *error = L"unknown option or missing value: " + argument;
            return std::nullopt;
        } else if (options.script.empty()) {
            options.script = argument;
        } else {
            *error = L"more than one script: " + argument;
            return std::nullopt;
        }
    }
    if (options.script.empty()) {
        *error = L"no script given";
        return std::nullopt;
    }
    return options;
}

}  // namespace kestrune

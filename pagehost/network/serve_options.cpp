#include "pagehost/network/serve_options.h"

#include "pagehost/command_line.h"

namespace kestrune {

const char kServeUsage[] =
    "usage: kestrune-host.exe serve --root DIR [--port N] [--max-request-bytes N]"
    " [--root-label TEXT] [--report-resources]\n"
    "  Serves DIR at http://127.0.0.1:N/ (default 8080; 0 picks a free port).\n"
    "  Requests larger than --max-request-bytes (default 2147483647) get 413.\n"
    "  --report-resources ends each request's log line with the host's handle count and\n"
    "  working set, as the request left them.\n";

std::optional<ServeOptions> ParseServeOptions(const std::vector<std::wstring>& arguments,
                                              std::wstring* error) {
    ServeOptions options;
    for (std::size_t i = 0; i < arguments.size();) {
        const std::wstring& name = arguments[i++];
        if (name == L"--report-resources") {
            options.reportResources = true;
            continue;
        }
        if (i == arguments.size())
            return RefuseCommandLine(error, L"unknown option or missing value: " + name);
        const std::wstring& value = arguments[i++];
        if (name == L"--root") {
            options.root = value;
        } else if (name == L"--root-label") {
            options.rootLabel = value;
        } else if (name == L"--port") {
            auto port = ParseDecimal(value, 0, 65535);
            if (!port)
                return RefuseCommandLine(error, L"--port needs a number from 0 to 65535, not " + value);
            options.port = static_cast<std::uint16_t>(*port);
        } else if (name == L"--max-request-bytes") {
            auto limit = ParseDecimal(value, 0, 2147483647);
            if (!limit)
                return RefuseCommandLine(
                    error, L"--max-request-bytes needs a number from 0 to 2147483647, not " + value);
            options.maxRequestBytes = *limit;
        } else {
            return RefuseCommandLine(error, L"unknown option: " + name);
        }
    }
    if (options.root.empty()) return RefuseCommandLine(error, L"serve needs --root DIR");
    return options;
}

}  // namespace kestrune

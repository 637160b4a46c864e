// The command line of kestrune-host.exe serve.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrune {

struct ServeOptions {
    std::uint16_t port = 8080;  // 0: a free port, printed when listening
    std::wstring root;
    std::wstring rootLabel;                      // how the root is named in the address line; root when empty
    std::uint64_t maxRequestBytes = 2147483647;  // 2 GB - 1, as far as TotalBytes reaches
    bool reportResources = false;  // each request's log line ends in the process's handles and memory
};

extern const char kServeUsage[];

// arguments follow the word "serve". Returns the options, or an error for the user.
std::optional<ServeOptions> ParseServeOptions(const std::vector<std::wstring>& arguments,
                                              std::wstring* error);

}  // namespace kestrune

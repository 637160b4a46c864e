// The command line of kestrune-host.exe in script mode (one VBScript or JScript file).
#pragma once

#include "pagehost/console/host_faults.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kestrune {

struct ScriptOptions {
    std::wstring script;
    std::optional<std::wstring> body;
    std::optional<long> disconnectAfter;
    std::vector<std::pair<HostCall, long>> failures;
    bool multithreaded = false;
    bool reportMemory = false;
};

extern const char kScriptUsage[];

// Returns the options, or an error message for the user.
std::optional<ScriptOptions> ParseScriptOptions(const std::vector<std::wstring>& arguments,
                                                std::wstring* error);

}  // namespace kestrune

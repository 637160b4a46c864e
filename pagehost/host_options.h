// The command line of kestrune-host.exe.
#pragma once

#include "fault_plan.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kestrune {

struct HostOptions {
    std::wstring script;
    std::optional<std::wstring> body;
    std::optional<long> disconnect_after;
    std::vector<std::pair<HostCall, long>> failures;
    bool multithreaded = false;
    bool report_memory = false;
};

extern const char kHostUsage[];

// A decimal number of digits only, within minimum..maximum; nothing otherwise.
std::optional<std::uint64_t> ParseDecimal(const std::wstring& text, std::uint64_t minimum,
                                          std::uint64_t maximum);

// Returns the options, or an error message for the user.
std::optional<HostOptions> ParseHostOptions(const std::vector<std::wstring>& arguments, std::wstring* error);

}  // namespace kestrune

// The portable half of reporting a failing host call: the message rules and the
// EOleException that carries the failing code. The platform half (reading the thread's
// error object, the system's message table) lives with the Windows adapters.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/exceptions.h"

namespace kestrune {

// What the host left describing its failure; all empty or 0 when it left nothing.
struct HostErrorInfo {
    std::string Source;
    std::string Description;
    std::string HelpFile;
    std::int32_t HelpContext = 0;
};

// The system's message text for a result code; empty when it has none.
using SystemMessageText = std::function<std::string(HResult)>;

// Drops trailing bytes that are 32 or below, or ".".
std::string TrimHostMessage(std::string_view text);

// The description trimmed; else the system's text for code, trimmed; else
// "OLE error XXXXXXXX" (the code as 8 upper-case hexadecimal digits).
std::string HostFailureMessage(std::string_view description, HResult code,
                               const SystemMessageText& systemMessage);

// The exception raised at the place of a failing host call.
EOleException HostFailure(HResult code, const HostErrorInfo& info, const SystemMessageText& systemMessage);

}  // namespace kestrune

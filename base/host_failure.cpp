#include "base/host_failure.h"

#include <cstdio>

namespace kestrune {

std::string TrimHostMessage(std::string_view text) {
    std::size_t size = text.size();
    while (size > 0) {
        const auto last = static_cast<unsigned char>(text[size - 1]);
        if (last > 32 && last != '.') break;
        --size;
    }
    return std::string(text.substr(0, size));
}

std::string HostFailureMessage(std::string_view description, HResult code,
                               const SystemMessageText& systemMessage) {
    std::string message = TrimHostMessage(description);
    if (message.empty() && systemMessage) message = TrimHostMessage(systemMessage(code));
    if (message.empty()) {
        char text[32];
        std::snprintf(text, sizeof text, "OLE error %.8X", static_cast<unsigned>(code));
        message = text;
    }
    return message;
}

EOleException HostFailure(HResult code, const HostErrorInfo& info, const SystemMessageText& systemMessage) {
    return EOleException(HostFailureMessage(info.Description, code, systemMessage), code, info.Source,
                         info.HelpFile, info.HelpContext);
}

}  // namespace kestrune

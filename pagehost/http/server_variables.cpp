#include "pagehost/http/server_variables.h"

#include "base/ascii.h"

namespace kestrune {
namespace {

std::string HeaderVariableName(std::string_view header) {
    std::string name = "HTTP_";
    for (char c : header) name += c == '-' ? '_' : AsciiUpper(c);
    return name;
}

}  // namespace

std::optional<std::string> PageRequestInfo::ServerVariable(std::string_view name) const {
    for (const auto& [key, value] : serverVariables) {
        if (EqualsNoCase(key, name)) return value;
    }
    return std::nullopt;
}

PageRequestInfo MakePageRequestInfo(const RequestHead& head, const std::string& scriptName,
                                    const std::string& physicalPath, const ConnectionAddress& address) {
    PageRequestInfo info;
    info.query = std::string(head.Query());
    info.queryPairs = ParseQueryString(info.query);
    std::string length(head.Header("Content-Length"));
    auto& vars = info.serverVariables;
    vars = {
        {"REQUEST_METHOD", head.method},
        {"CONTENT_TYPE", std::string(head.Header("Content-Type"))},
        {"CONTENT_LENGTH", length.empty() ? "0" : length},
        {"QUERY_STRING", info.query},
        {"SCRIPT_NAME", scriptName},
        {"PATH_INFO", scriptName},
        {"URL", scriptName},
        {"PATH_TRANSLATED", physicalPath},
        {"SERVER_NAME", address.host},
        {"SERVER_PORT", std::to_string(address.port)},
        {"SERVER_PROTOCOL", "HTTP/1." + std::to_string(head.versionMinor)},
        {"SERVER_SOFTWARE", "Kestrune-Host"},
        {"GATEWAY_INTERFACE", "CGI/1.1"},
        {"HTTPS", "off"},
        {"REMOTE_ADDR", address.remoteHost},
        {"REMOTE_HOST", address.remoteHost},
        {"REMOTE_PORT", std::to_string(address.remotePort)},
    };
    for (const auto& header : head.headers) {
        std::string name = HeaderVariableName(header.first);
        bool seen = false;
        for (const auto& var : vars) seen = seen || var.first == name;
        if (!seen) vars.emplace_back(name, head.JoinedHeader(header.first));
    }
    return info;
}

}  // namespace kestrune

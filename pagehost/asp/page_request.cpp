#include "pagehost/asp/page_request.h"

#include "base/ascii.h"

#include <algorithm>

namespace kestrune {
namespace {

std::string DecodeFormComponent(std::string_view text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        int high = i + 2 < text.size() && text[i] == '%' ? HexValue(text[i + 1]) : -1;
        int low = high < 0 ? -1 : HexValue(text[i + 2]);
        if (low >= 0) {
            decoded += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            decoded += text[i] == '+' ? ' ' : text[i];
        }
    }
    return decoded;
}

}  // namespace

NamedValues ParseQueryString(std::string_view query) {
    NamedValues pairs;
    while (!query.empty()) {
        std::string_view item = query.substr(0, query.find('&'));
        query.remove_prefix(std::min(item.size() + 1, query.size()));
        if (item.empty()) continue;
        std::size_t equals = item.find('=');
        std::string_view value = equals == std::string_view::npos ? "" : item.substr(equals + 1);
        pairs.emplace_back(DecodeFormComponent(item.substr(0, equals)), DecodeFormComponent(value));
    }
    return pairs;
}

PageRequestInfo MakePageRequestInfo(const RequestHead& head, const std::string& scriptName,
                                    const std::string& physicalPath, int serverPort, int remotePort) {
    PageRequestInfo info;
    info.query = std::string(head.Query());
    info.queryPairs = ParseQueryString(info.query);
    std::string length = head.Header("Content-Length");
    NamedValues& vars = info.serverVariables;
    vars = {
        {"REQUEST_METHOD", head.method},
        {"CONTENT_TYPE", head.Header("Content-Type")},
        {"CONTENT_LENGTH", length.empty() ? "0" : length},
        {"QUERY_STRING", info.query},
        {"SCRIPT_NAME", scriptName},
        {"PATH_INFO", scriptName},
        {"URL", scriptName},
        {"PATH_TRANSLATED", physicalPath},
        {"SERVER_NAME", "127.0.0.1"},
        {"SERVER_PORT", std::to_string(serverPort)},
        {"SERVER_PROTOCOL", "HTTP/1." + std::to_string(head.versionMinor)},
        {"SERVER_SOFTWARE", "Kestrune-Host"},
        {"GATEWAY_INTERFACE", "CGI/1.1"},
        {"HTTPS", "off"},
        {"REMOTE_ADDR", "127.0.0.1"},
        {"REMOTE_HOST", "127.0.0.1"},
        {"REMOTE_PORT", std::to_string(remotePort)},
    };
    for (const auto& header : head.headers) {
        std::string name = "HTTP_";
        for (char c : header.first) name += c == '-' ? '_' : AsciiUpper(c);
        bool seen = false;
        for (const auto& var : vars) seen = seen || var.first == name;
        if (!seen) vars.emplace_back(name, head.Header(header.first));
    }
    return info;
}

}  // namespace kestrune

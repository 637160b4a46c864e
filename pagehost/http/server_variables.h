#pragma once
// Request.ServerVariables and Request.QueryString of one request, as a page sees them.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pagehost/http/query_string.h"
#include "pagehost/http/request_head.h"

namespace kestrune {

struct ConnectionAddress {
    std::string host = "127.0.0.1";
    int port = 0;
    std::string remoteHost = "127.0.0.1";
    int remotePort = 0;
};

// What the intrinsic Request answers besides the body.
struct PageRequestInfo {
    std::string query;  // the raw query string, QUERY_STRING
    QueryPairs queryPairs;
    std::vector<std::pair<std::string, std::string>> serverVariables;  // names upper-case

    // The value of a server variable (ASCII case ignored), or nullopt.
    std::optional<std::string> ServerVariable(std::string_view name) const;
};

// REQUEST_METHOD, CONTENT_TYPE, CONTENT_LENGTH, QUERY_STRING, SCRIPT_NAME, PATH_INFO,
// URL, PATH_TRANSLATED, SERVER_*, REMOTE_*, and HTTP_NAME for every request header
// (dashes become underscores; repeated headers joined with ", ").
PageRequestInfo MakePageRequestInfo(const RequestHead& head, const std::string& scriptName,
                                    const std::string& physicalPath, const ConnectionAddress& address);

}  // namespace kestrune

#pragma once
// What the intrinsic Request answers besides the body: the query string and the server
// variables of one request.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pagehost/http/request_head.h"

namespace kestrune {

using NamedValues = std::vector<std::pair<std::string, std::string>>;

// "a=1&b=&c&a=2" -> (a,1) (b,"") (c,"") (a,2), decoded the way HTML forms encode
// (application/x-www-form-urlencoded): "+" is a space and %XX its byte; a "%" not
// followed by two hex digits stays as it is, as classic ASP leaves it. Empty items
// ("&&") are skipped.
NamedValues ParseQueryString(std::string_view query);

struct PageRequestInfo {
    std::string query;  // the raw query string, QUERY_STRING
    NamedValues queryPairs;
    NamedValues serverVariables;  // names upper-case
};

// REQUEST_METHOD, CONTENT_TYPE, CONTENT_LENGTH, QUERY_STRING, SCRIPT_NAME, PATH_INFO,
// URL, PATH_TRANSLATED, SERVER_*, REMOTE_* (always loopback), and HTTP_NAME for every
// request header (dashes become underscores; repeated headers joined with ", ").
PageRequestInfo MakePageRequestInfo(const RequestHead& head, const std::string& scriptName,
                                    const std::string& physicalPath, int serverPort, int remotePort);

}  // namespace kestrune

#pragma once
// Request.QueryString: the query part of the request target, decoded the way HTML
// forms encode it (application/x-www-form-urlencoded).

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrune {

using QueryPairs = std::vector<std::pair<std::string, std::string>>;

// "+" becomes a space and %XX its byte; a "%" not followed by two hex digits stays as
// it is, as classic ASP leaves it.
std::string DecodeFormComponent(std::string_view text);

// "a=1&b=&c&a=2" -> (a,1) (b,"") (c,"") (a,2); empty items ("&&") are skipped.
QueryPairs ParseQueryString(std::string_view query);

// Request.QueryString(name): every value of name (ASCII case ignored) joined with
// ", " in order, or nullopt when the name does not occur.
std::optional<std::string> QueryValue(const QueryPairs& pairs, std::string_view name);

// Request.QueryString(name).Count.
int QueryCount(const QueryPairs& pairs, std::string_view name);

}  // namespace kestrune

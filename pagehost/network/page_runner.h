// Runs one classic ASP page for a request: translation (with its includes), the
// intrinsic objects over the request's channels, the page's script engine, and a 500 page
// naming file, line, number, source and description when the page fails.
#pragma once

#include "com/object_context_interfaces.h"
#include "pagehost/http/page_response.h"
#include "pagehost/http/server_variables.h"

#include <memory>
#include <optional>
#include <string>

namespace kestrune {

struct PageRun {
    std::string siteRoot;  // UTF-8 Windows path of the site folder
    std::string sitePath;  // the page: "/upload-result.asp"
    std::shared_ptr<const PageRequestInfo> request;
};

// Runs the page on the calling thread (which has COM initialised) and leaves the
// outcome in response, not yet finished.
void RunAspPage(const PageRun& run, std::shared_ptr<RequestSource> body,
                std::shared_ptr<PageResponse> response, SetHostObjectsFunction setHost);

}  // namespace kestrune

// Serve mode's page: a site's .asp file translated with its includes, run by RunPage,
// and a 500 page naming file, line, number, source and description when it fails.
#pragma once

#include <memory>
#include <string>

#include "com/object_context_interfaces.h"
#include "pagehost/channels.h"
#include "pagehost/http/page_response.h"
#include "pagehost/asp/page_request.h"

namespace kestrune {

struct AspPage {
    std::string siteRoot;  // UTF-8 Windows path of the site folder
    std::string sitePath;  // the page: "/upload-result.asp"
    std::shared_ptr<const PageRequestInfo> request;
};

// Runs the page on the calling thread (which has COM initialised) and leaves the
// outcome in response, not yet finished.
void RunAspPage(const AspPage& page, std::shared_ptr<RequestSource> body,
                std::shared_ptr<PageResponse> response, SetHostObjectsFunction setHost);

}  // namespace kestrune

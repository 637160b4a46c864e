// One way to run a page, for both modes: the intrinsic objects Request (over a request
// source), Response (over a PageResponse) and Server, handed to the script and to the
// object context of the stand-in mtxex.dll for as long as the script runs. Script mode
// runs a file's code as it is (console/), serve mode a translated ASP page (asp_page.h).
#pragma once

#include <memory>
#include <string>

#include "com/object_context_interfaces.h"
#include "pagehost/channels.h"
#include "pagehost/http/page_response.h"
#include "pagehost/asp/page_request.h"
#include "pagehost/intrinsics/asp_server_object.h"
#include "pagehost/intrinsics/response_object.h"
#include "pagehost/script_engine.h"

namespace kestrune {

struct PageRun {
    ScriptLanguage language = ScriptLanguage::kVBScript;
    std::wstring program;
    long codePage = ResponseObject::kDefaultCodePage;  // Response.CodePage at the start
    std::shared_ptr<RequestSource> body;
    std::shared_ptr<const PageRequestInfo> request;  // null: empty collections
    std::shared_ptr<const PageSite> site;            // null: Server.MapPath fails
};

// Runs the page on the calling thread (which has COM initialised). The response is left
// as the page made it, not yet finished; an error the script did not trap is in the
// outcome, except the one Response.End and Redirect stop it with.
ScriptOutcome RunPage(const PageRun& run, std::shared_ptr<PageResponse> response,
                      SetHostObjectsFunction setHost);

}  // namespace kestrune

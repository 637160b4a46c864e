#include "pagehost/page_run.h"

#include "com/com_ptr.h"
#include "pagehost/intrinsics/request_object.h"

#include <utility>

namespace kestrune {

ScriptOutcome RunPage(const PageRun& run, std::shared_ptr<PageResponse> response,
                      SetHostObjectsFunction setHost) {
    ComPtr<RequestObject> request = MakeComObject<RequestObject>(run.body, run.request);
    ComPtr<ResponseObject> intrinsicResponse =
        MakeComObject<ResponseObject>(std::move(response), run.codePage);
    ComPtr<AspServerObject> server = MakeComObject<AspServerObject>(run.site);
    setHost(static_cast<IRequest*>(request.Get()), static_cast<IResponse*>(intrinsicResponse.Get()));
    ScriptOutcome outcome =
        RunActiveScript(run.language, run.program,
                        {{L"Request", static_cast<IScriptRequest*>(request.Get())},
                         {L"Response", static_cast<IScriptResponse*>(intrinsicResponse.Get())},
                         {L"Server", server.Get()}});
    setHost(nullptr, nullptr);
    // Response.End and Redirect stop the script with an error of their own: the page
    // ended as it meant to.
    if (outcome.error && outcome.error->number == kResponseEnded) outcome.error.reset();
    return outcome;
}

}  // namespace kestrune

#include "pagehost/network/page_runner.h"

#include "pagehost/asp/page_translator.h"
#include "pagehost/http/error_page.h"
#include "pagehost/http/url_path.h"
#include "com/com_ptr.h"
#include "pagehost/intrinsics/asp_server_object.h"
#include "pagehost/intrinsics/request_object.h"
#include "pagehost/intrinsics/response_object.h"
#include "pagehost/script_engine.h"
#include "com/text_conversion.h"
#include "pagehost/text.h"
#include "pagehost/whole_file.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <utility>

namespace kestrune {
namespace {

// Page errors also go to the host's console, where the site's author looks first.
void LogFault(const PageFault& fault) {
    std::string line = "page error: " + fault.file + ", line " + std::to_string(fault.line) + ": " +
                       fault.source + ": " + fault.description + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

void FailTranslation(const EPageError& error, PageResponse& response) {
    PageFault fault{error.File(), error.Line(), static_cast<long>(E_FAIL), "Active Server Pages",
                    error.what()};
    LogFault(fault);
    response.Fail(500, PageFaultHtml(fault));
}

// The directive's code page must be one the system can write text in; the translator
// only knows it is a number.
void CheckCodePage(const TranslatedPage& page, const std::string& sitePath) {
    std::optional<unsigned> codePage = page.directive.codePage;
    if (codePage && !IsTextCodePage(static_cast<long>(*codePage)))
        throw EPageError(
            "invalid code page " + std::to_string(*codePage) + ": the system cannot write text in it",
            sitePath, page.directive.line);
}

std::optional<TranslatedPage> Translate(const PageRun& run, PageResponse& response) {
    std::optional<std::string> page = ReadWholeFile(FromUtf8(MapSitePath(run.siteRoot, run.sitePath, '\\')));
    if (!page) {
        response.Fail(500, ErrorPageHtml(500, "The page " + run.sitePath + " cannot be read."));
        return std::nullopt;
    }
    std::string root = run.siteRoot;
    IncludeLoader loader = [root](const std::string& sitePath) {
        return ReadWholeFile(FromUtf8(MapSitePath(root, sitePath, '\\')));
    };
    try {
        TranslatedPage translated = TranslatePage(*page, run.sitePath, loader);
        CheckCodePage(translated, run.sitePath);
        return translated;
    } catch (const EPageError& error) {
        FailTranslation(error, response);
        return std::nullopt;
    }
}

void ReportScriptError(const ScriptError& error, const TranslatedPage& page, PageResponse& response) {
    SourceLocation where = page.lines.Locate(error.line);
    PageFault fault{where.file, where.line, static_cast<long>(error.number), ToUtf8(error.source),
                    ToUtf8(error.description)};
    // Wine's VBScript leaves some runtime errors (undefined variables, division by
    // zero) without source or description.
    if (fault.description.empty()) fault.description = "The script engine gave no description of this error.";
    LogFault(fault);
    response.Fail(500, PageFaultHtml(fault));
}

}  // namespace

void RunAspPage(const PageRun& run, std::shared_ptr<RequestSource> body,
                std::shared_ptr<PageResponse> response, SetHostObjectsFunction setHost) {
    std::optional<TranslatedPage> page = Translate(run, *response);
    if (!page) return;
    auto site = std::make_shared<PageSite>(PageSite{run.siteRoot, run.sitePath});
    ComPtr<RequestObject> request = MakeComObject<RequestObject>(std::move(body), nullptr, run.request);
    ComPtr<ResponseObject> intrinsicResponse = MakeComObject<ResponseObject>(
        response, nullptr, page->directive.codePage.value_or(ResponseObject::kDefaultCodePage));
    ComPtr<AspServerObject> server = MakeComObject<AspServerObject>(site);
    setHost(static_cast<IRequest*>(request.Get()), static_cast<IResponse*>(intrinsicResponse.Get()));
    ScriptOutcome outcome =
        RunActiveScript(page->directive.language, FromUtf8(page->program),
                        {{L"Request", static_cast<IScriptRequest*>(request.Get())},
                         {L"Response", static_cast<IScriptResponse*>(intrinsicResponse.Get())},
                         {L"Server", server.Get()}});
    setHost(nullptr, nullptr);

    if (FAILED(outcome.engine)) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(outcome.engine));
        response->Fail(500, ErrorPageHtml(500, std::string("The script engine failed: ") + code));
    } else if (outcome.error && outcome.error->number != kResponseEnded) {
        ReportScriptError(*outcome.error, *page, *response);
    }
}

}  // namespace kestrune

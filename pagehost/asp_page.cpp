#include "pagehost/asp_page.h"

#include "pagehost/asp/page_translator.h"
#include "pagehost/asp/response_text.h"
#include "pagehost/http/url_path.h"
#include "pagehost/page_run.h"
#include "com/text_conversion.h"
#include "pagehost/text.h"
#include "pagehost/whole_file.h"

#include <cstdio>
#include <optional>
#include <utility>

namespace kestrune {
namespace {

// Page errors also go to the host's console, where the site's author looks first.
void Fail(const PageFault& fault, PageResponse& response) {
    std::string line = "page error: " + fault.file + ", line " + std::to_string(fault.line) + ": " +
                       fault.source + ": " + fault.description + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
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

std::optional<TranslatedPage> Translate(const AspPage& page, PageResponse& response) {
    std::string root = page.siteRoot;
    IncludeLoader loader = [root](const std::string& sitePath) {
        return ReadWholeFile(FromUtf8(MapSitePath(root, sitePath, '\\')));
    };
    std::optional<std::string> text = loader(page.sitePath);
    if (!text) {
        Fail({page.sitePath, 0, static_cast<long>(E_FAIL), "Active Server Pages", "The page cannot be read."},
             response);
        return std::nullopt;
    }
    try {
        TranslatedPage translated = TranslatePage(*text, page.sitePath, loader);
        CheckCodePage(translated, page.sitePath);
        return translated;
    } catch (const EPageError& error) {
        Fail({error.File(), error.Line(), static_cast<long>(E_FAIL), "Active Server Pages", error.what()},
             response);
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
    Fail(fault, response);
}

}  // namespace

void RunAspPage(const AspPage& page, std::shared_ptr<RequestSource> body,
                std::shared_ptr<PageResponse> response, SetHostObjectsFunction setHost) {
    std::optional<TranslatedPage> translated = Translate(page, *response);
    if (!translated) return;
    PageRun run;
    run.language = translated->directive.language;
    run.program = FromUtf8(translated->program);
    run.codePage = translated->directive.codePage.value_or(ResponseObject::kDefaultCodePage);
    run.body = std::move(body);
    run.request = page.request;
    run.site = std::make_shared<PageSite>(PageSite{page.siteRoot, page.sitePath});
    ScriptOutcome outcome = RunPage(run, response, setHost);
    if (FAILED(outcome.engine)) {
        Fail({page.sitePath, 0, static_cast<long>(outcome.engine), "Active Server Pages",
              "The script engine failed."},
             *response);
    } else if (outcome.error) {
        ReportScriptError(*outcome.error, *translated, *response);
    }
}

}  // namespace kestrune

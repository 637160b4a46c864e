#include "pagehost/server/page_runner.h"

#include "pagehost/asp/page_translator.h"
#include "pagehost/http/error_page.h"
#include "pagehost/http/url_path.h"
#include "request_object.h"
#include "response_object.h"
#include "script_engine.h"
#include "server_object.h"
#include "text.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <utility>

namespace kestrune {
namespace {

// Page errors also go to the server's console, where the site's author looks first.
void LogFault(const PageFault& fault) {
    std::string line = "page error: " + fault.file + ", line " + std::to_string(fault.line) + ": " +
                       fault.source + ": " + fault.description + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

std::optional<TranslatedPage> Translate(const PageRun& run, PageResponse& response) {
    std::optional<std::string> page = ReadWholeFile(FromUtf8(MapSitePath(run.siteRoot, run.sitePath, '\\')));
    if (!page) {
        response.Fail(500, ErrorPageHtml(500, "The page " + run.sitePath + " cannot be read."));
        return std::nullopt;
    }
    std::string root = run.siteRoot;
    IncludeLoader loader = [root](const std::string& site_path) {
        return ReadWholeFile(FromUtf8(MapSitePath(root, site_path, '\\')));
    };
    try {
        return TranslatePage(*page, run.sitePath, loader);
    } catch (const EPageError& error) {
        PageFault fault{error.File(), error.Line(), static_cast<long>(E_FAIL), "Active Server Pages",
                        error.what()};
        LogFault(fault);
        response.Fail(500, PageFaultHtml(fault));
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

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr)) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    if (!ok) return std::nullopt;
    return bytes;
}

void RunAspPage(const PageRun& run, std::shared_ptr<RequestSource> body,
                std::shared_ptr<PageResponse> response, SetHostObjectsFunction set_host) {
    std::optional<TranslatedPage> page = Translate(run, *response);
    if (!page) return;
    auto site = std::make_shared<PageSite>(PageSite{run.siteRoot, run.sitePath});
    auto* request_object = new RequestObject(std::move(body), nullptr, run.request);
    auto* response_object = new ResponseObject(response, nullptr);
    auto* server_object = new ServerObject(site);
    set_host(request_object, response_object);
    ScriptOutcome outcome = RunVBScript(
        FromUtf8(page->program),
        {{L"Request", request_object}, {L"Response", response_object}, {L"Server", server_object}});
    set_host(nullptr, nullptr);
    server_object->Release();
    response_object->Release();
    request_object->Release();

    if (FAILED(outcome.engine)) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(outcome.engine));
        response->Fail(500, ErrorPageHtml(500, std::string("The VBScript engine failed: ") + code));
    } else if (outcome.error && outcome.error->number != kResponseEnded) {
        ReportScriptError(*outcome.error, *page, *response);
    }
}

}  // namespace kestrune

#pragma once
// The small HTML pages the page host answers with when a request or a page fails.

#include <string>
#include <string_view>

namespace kestrune {

// & < > " become entities; every other byte (UTF-8 included) passes.
std::string EscapeHtml(std::string_view text);

// A page for an HTTP error: the status line as title, detail below it.
std::string ErrorPageHtml(int status, std::string_view detail);

// Where and why a page failed, as the author needs it to find the fault.
struct PageFault {
    std::string file;    // site path: "/upload-result.asp"
    int line = 0;        // 1-based; 0 unknown
    long number = 0;     // the error's code (HRESULT), shown in hex and decimal
    std::string source;  // "Microsoft VBScript runtime error", "Kestrune.Tessock"...
    std::string description;
};

// The 500 page for a script or translation error.
std::string PageFaultHtml(const PageFault& fault);

}  // namespace kestrune

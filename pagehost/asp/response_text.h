#pragma once
// What classic ASP puts in a response besides the page's own output: the status line a
// page sets (Response.Status), the body of Response.Redirect, and the 500 page of a page
// that failed.

#include <string>
#include <string_view>

namespace kestrune {

// "404 Not Found" -> 404 and "Not Found": three digits from 100 to 999, a space, then
// any text without control characters (no split heads). False for anything else.
bool ParseStatusLine(std::string_view text, int& code, std::string& reason);

// & < > " become entities; every other byte (UTF-8 included) passes.
std::string EscapeHtml(std::string_view text);

// The "Object moved" page that links to location, for a client that does not follow the 302.
std::string ObjectMovedHtml(std::string_view location);

// Where and why a page failed, as the author needs it to find the fault.
struct PageFault {
    std::string file;    // site path: "/upload-result.asp"
    int line = 0;        // 1-based; 0 unknown
    long number = 0;     // the error's code (HRESULT), shown in hex and decimal
    std::string source;  // "Microsoft VBScript runtime error", "Kestrune.Tessock"...
    std::string description;
};

std::string PageFaultHtml(const PageFault& fault);

}  // namespace kestrune

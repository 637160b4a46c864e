#pragma once
// The 500 page the page host answers with when a page fails.

#include <string>

namespace kestrune {

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

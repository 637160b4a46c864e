#include "pagehost/asp/error_page.h"

#include "pagehost/http/page_response.h"

#include <cstdio>

namespace kestrune {

std::string PageFaultHtml(const PageFault& fault) {
    char code[32];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(fault.number) & 0xFFFFFFFFUL);
    std::string where = fault.file;
    if (fault.line > 0) where += ", line " + std::to_string(fault.line);
    return "<!DOCTYPE html>\r\n<html><head><meta charset=\"utf-8\"><title>500 Internal Server Error: the "
           "page failed"
           "</title></head><body>\r\n<h1>500 Internal Server Error: the page failed</h1>\r\n<p "
           "id=\"error-where\">" +
           EscapeHtml(where) + "</p>\r\n<dl>\r\n<dt>Number</dt><dd id=\"error-number\">" + code + " (" +
           std::to_string(fault.number) + ")</dd>\r\n<dt>Source</dt><dd id=\"error-source\">" +
           EscapeHtml(fault.source) + "</dd>\r\n<dt>Description</dt><dd id=\"error-description\">" +
           EscapeHtml(fault.description) + "</dd>\r\n</dl>\r\n</body></html>\r\n";
}

}  // namespace kestrune

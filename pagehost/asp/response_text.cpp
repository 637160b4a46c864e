#include "pagehost/asp/response_text.h"

#include "pagehost/http/request_head.h"

#include <cstdio>

namespace kestrune {

bool ParseStatusLine(std::string_view text, int& code, std::string& reason) {
    if (text.size() < 4 || text[3] != ' ' || HasControl(text)) return false;
    int value = 0;
    for (int i = 0; i < 3; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    if (value < 100) return false;
    code = value;
    reason = std::string(text.substr(4));
    return true;
}

std::string EscapeHtml(std::string_view text) {
    std::string result;
    for (char c : text) {
        std::string_view entity = c == '&'   ? "&amp;"
                                  : c == '<' ? "&lt;"
                                  : c == '>' ? "&gt;"
                                  : c == '"' ? "&quot;"
                                             : std::string_view(&c, 1);
        result += entity;
    }
    return result;
}

std::string ObjectMovedHtml(std::string_view location) {
    return "<html><head><title>Object moved</title></head><body><h1>Object Moved</h1>"
           "This object may be found <a href=\"" +
           EscapeHtml(location) + "\">here</a>.</body></html>\r\n";
}

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

#include "pagehost/http/error_page.h"

#include <cstdio>

#include "pagehost/http/page_response.h"

namespace kestrune {

std::string EscapeHtml(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        std::string_view entity = c == '&'   ? "&amp;"
                                  : c == '<' ? "&lt;"
                                  : c == '>' ? "&gt;"
                                  : c == '"' ? "&quot;"
                                             : "";
        if (entity.empty()) {
            result += c;
        } else {
            result += entity;
        }
    }
    return result;
}

namespace {

std::string PageShell(std::string_view title, std::string_view body) {
    std::string html = "<!DOCTYPE html>\r\n<html><head><meta charset=\"utf-8\"><title>";
    html += EscapeHtml(title);
    html += "</title></head><body>\r\n<h1>";
    html += EscapeHtml(title);
    html += "</h1>\r\n";
    html += body;
    html += "</body></html>\r\n";
    return html;
}

}  // namespace

std::string ErrorPageHtml(int status, std::string_view detail) {
    std::string title = std::to_string(status) + " " + std::string(ReasonPhrase(status));
    return PageShell(title, "<p>" + EscapeHtml(detail) + "</p>\r\n");
}

std::string PageFaultHtml(const PageFault& fault) {
    char code[32];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(fault.number) & 0xFFFFFFFFUL);
    std::string where = fault.file;
    if (fault.line > 0) where += ", line " + std::to_string(fault.line);
    std::string body = "<p id=\"error-where\">" + EscapeHtml(where) + "</p>\r\n<dl>\r\n";
    body += "<dt>Number</dt><dd id=\"error-number\">" + std::string(code) + " (" +
            std::to_string(fault.number) + ")</dd>\r\n";
    body += "<dt>Source</dt><dd id=\"error-source\">" + EscapeHtml(fault.source) + "</dd>\r\n";
    body += "<dt>Description</dt><dd id=\"error-description\">" + EscapeHtml(fault.description) +
            "</dd>\r\n</dl>\r\n";
    return PageShell("500 Internal Server Error: the page failed", body);
}

}  // namespace kestrune

#pragma once
// Translates a classic ASP page into one VBScript or JScript program, in the language
// its directive names (VBScript without one).
//
// Literal text becomes Response.Write statements, "<%= expr %>" becomes
// Response.Write (expr), "<% code %>" is copied through line by line, and
// "<!-- #include file|virtual="..." -->" is expanded in place, recursively. Every
// piece starts on its own output line, so output and page order agree and each output
// line maps to one (file, line). Like classic ASP, the first "%>" closes a block even
// inside a VBScript string literal. Output line 1 is reserved: it holds
// "Option Explicit" when a VBScript page's first script block starts with it (VBScript
// wants it before any statement, and the page's leading literal text already is one).

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "pagehost/asp/line_map.h"
#include "pagehost/asp/page_directive.h"
#include "pagehost/asp/page_error.h"

namespace kestrune {

struct TranslatedPage {
    std::string program;      // script text in directive.language, lines ended by CR LF
    LineMap lines;            // output line -> (site path, line)
    PageDirective directive;  // attributes of the page's <%@ %>, if it has one
};

// Returns the bytes of the file at a site path ("/inc/menu.inc"), or nullopt when
// there is none. The translator has already resolved "." and ".." and kept the path
// inside the site root; the loader still maps it onto the disk safely.
using IncludeLoader = std::function<std::optional<std::string>(const std::string& sitePath)>;

constexpr int kMaxIncludeDepth = 16;

// page holds the bytes of the page at sitePath (UTF-8 or any ANSI code page: bytes
// are passed through). Throws EPageError naming the file and line of the first
// problem: an unclosed block, a bad directive, a language other than VBScript or JScript, a bad
// or missing include, an include cycle or nesting deeper than kMaxIncludeDepth.
TranslatedPage TranslatePage(std::string_view page, const std::string& sitePath, const IncludeLoader& loader);

}  // namespace kestrune

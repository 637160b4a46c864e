// ExtensionPolicy: which extensions a file may be stored under. A page names the ones it
// takes ("jpg;png;pdf"); without such a list the extensions that IIS or Windows runs, or
// that run code when opened, are refused. Both judge the extension of the name the file
// is stored under, that is of its SafeFilename: "x.asp;.jpg" is stored as "x.asp_.jpg",
// a .jpg, and "x.asp." as "x.asp".
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/code_page.h"

namespace kestrune {

// The extensions refused without a list of the page's, in lower case:
//  - run by IIS (ASP, ASP.NET, server-side includes, the old ISAPI and WCF mappings) or
//    by the script handlers it often carries (PHP, Perl, CGI): asp, aspx, asa, asax, ascx,
//    ashx, asmx, axd, cer, cdx, config, cshtml, vbhtml, shtml, shtm, stm, idc, htr,
//    printer, soap, rem, ...;
//  - run by Windows when opened, or loaded as code: exe, dll, com, scr, pif, bat, cmd,
//    ps1, psm1, vbs, vbe, js, jse, wsf, wsh, hta, msi, msp, reg, lnk, cpl, jar, ...
// The whole list is in extension_policy.cpp.
const std::vector<std::string_view>& RefusedExtensions();

class ExtensionPolicy {
public:
    // Refuses RefusedExtensions() and allows every other extension, and a name without one.
    ExtensionPolicy() = default;

    // Allows exactly the extensions of list: entries separated by ";" or ",", blanks around
    // them and one leading dot ignored, compared without ASCII case. A list with no entry
    // (empty or only blanks and separators) is taken as no list: the default policy.
    static ExtensionPolicy Allowing(std::string_view list);

    // Whether a file whose SafeFilename is safeName (in codePage) may be stored under it.
    bool Allows(std::string_view safeName, const CodePage& codePage) const;

    // Whether extension (without its dot) may be stored: what Allows judges a name by.
    bool AllowsExtension(std::string_view extension) const;

    bool HasList() const { return !allowed_.empty(); }

private:
    std::vector<std::string> allowed_;  // upper-cased; empty for the default policy
};

}  // namespace kestrune

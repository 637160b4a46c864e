#include "members/extension_policy.h"

#include <algorithm>

#include "base/ascii.h"
#include "members/safe_name.h"

namespace kestrune {

namespace {

// The refused extensions, in groups by what runs them, separated by blanks.
constexpr std::string_view kRefusedGroups[] = {
    // ASP and ASP.NET pages, handlers, services, their code and their configuration.
    "asp aspx asa asax ascx ashx asmx axd cer cdx config cshtml vbhtml master svc xamlx xoml rules soap rem "
    "aspq browser skin sitemap resx resources licx cs vb",
    // Server-side includes and the older IIS mappings.
    "shtml shtm stm idc htr htw ida idq printer",
    // Script handlers IIS is often given.
    "php php3 php4 php5 php7 phtml phar pl cgi",
    // What Windows runs, or loads as code, when the file is opened.
    "exe dll com scr pif bat cmd ps1 psm1 psd1 ps1xml psc1 vbs vbe js jse wsf wsh wsc sct ws hta msi msp mst "
    "msc reg lnk url scf cpl ocx sys drv inf ins isp chm hlp jar application appref-ms gadget msh msh1 msh2 "
    "mshxml msh1xml msh2xml settingcontent-ms appx appxbundle msix msixbundle library-ms search-ms",
};

}  // namespace

const std::vector<std::string_view>& RefusedExtensions() {
    static const std::vector<std::string_view> extensions = [] {
        std::vector<std::string_view> all;
        for (std::string_view group : kRefusedGroups) {
            while (!group.empty()) {
                const std::size_t end = std::min(group.find(' '), group.size());
                if (end > 0) all.push_back(group.substr(0, end));
                group.remove_prefix(std::min(end + 1, group.size()));
            }
        }
        return all;
    }();
    return extensions;
}

ExtensionPolicy ExtensionPolicy::Allowing(std::string_view list) {
    ExtensionPolicy policy;
    while (!list.empty()) {
        const std::size_t end = std::min(list.find(';'), list.find(','));
        std::string_view entry = list.substr(0, end);
        list.remove_prefix(end == std::string_view::npos ? list.size() : end + 1);
        while (!entry.empty() && entry.front() == ' ') entry.remove_prefix(1);
        while (!entry.empty() && entry.back() == ' ') entry.remove_suffix(1);
        if (!entry.empty() && entry.front() == '.') entry.remove_prefix(1);
        if (!entry.empty()) policy.allowed_.push_back(AsciiUpperCase(entry));
    }
    return policy;
}

bool ExtensionPolicy::Allows(std::string_view safeName, const CodePage& codePage) const {
    return AllowsExtension(SafeNameExtension(safeName, codePage));
}

bool ExtensionPolicy::AllowsExtension(std::string_view extension) const {
    const auto same = [&](std::string_view entry) { return EqualsNoCase(entry, extension); };
    if (!allowed_.empty()) return std::any_of(allowed_.begin(), allowed_.end(), same);
    return std::none_of(RefusedExtensions().begin(), RefusedExtensions().end(), same);
}

}  // namespace kestrune

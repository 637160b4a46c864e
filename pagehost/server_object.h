// The intrinsic Server object: CreateObject(ProgID) makes an in-process object and hands
// its IDispatch to the script; MapPath maps a site path onto the disk; HTMLEncode and
// URLEncode encode text as classic ASP does.
#pragma once

#include "dispatch_object.h"

#include <memory>
#include <string>

namespace kestrune {

// Where the running page is: the site's folder on disk and the page's site path.
struct PageSite {
    std::string root;      // UTF-8 Windows path, "Z:\\tmp\\site"
    std::string pagePath;  // "/dir/page.asp"
};

class ServerObject final : public DispatchObject<IDispatch> {
public:
    // Without a site (the command-line host), MapPath fails.
    explicit ServerObject(std::shared_ptr<const PageSite> site = nullptr);

    // A failure reaches the script with the creation's own result code, so a component
    // whose creation fails shows its code (Err.Number) rather than a generic one.
    static HRESULT CreateObject(BSTR prog_id, IDispatch** object);

protected:
    HRESULT InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result) override;

private:
    HRESULT MapPath(const std::wstring& path, VARIANT* result) const;

    std::shared_ptr<const PageSite> site_;
};

}  // namespace kestrune

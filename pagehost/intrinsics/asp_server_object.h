// ASP's intrinsic Server object (not to be confused with server/, the component's DLL):
// CreateObject(ProgID) makes an in-process object and hands its IDispatch to the script;
// MapPath maps a site path onto the disk; HTMLEncode and URLEncode encode text as
// classic ASP does.
#pragma once

#include <memory>
#include <string>

#include "intrinsics.h"
#include "pagehost/intrinsics/intrinsic_object.h"

namespace kestrune {

// Where the running page is: the site's folder on disk and the page's site path.
struct PageSite {
    std::string root;      // UTF-8 Windows path, "Z:\\tmp\\site"
    std::string pagePath;  // "/dir/page.asp"
};

class AspServerObject final : public IntrinsicObject<IScriptServer> {
public:
    // Without a site (script mode), MapPath fails.
    explicit AspServerObject(std::shared_ptr<const PageSite> site = nullptr);

    // A failure reaches the script with the creation's own result code, so a component
    // whose creation fails shows its code (Err.Number) rather than a generic one.
    HRESULT STDMETHODCALLTYPE CreateObject(BSTR progId, IDispatch** object) override;
    HRESULT STDMETHODCALLTYPE MapPath(VARIANT path, BSTR* mapped) override;
    HRESULT STDMETHODCALLTYPE HTMLEncode(VARIANT text, BSTR* encoded) override;
    HRESULT STDMETHODCALLTYPE URLEncode(VARIANT text, BSTR* encoded) override;

private:
    std::shared_ptr<const PageSite> site_;
};

}  // namespace kestrune

#include "pagehost/intrinsics/asp_server_object.h"

#include "com/com_ptr.h"
#include "com/owners.h"
#include "pagehost/asp/include_path.h"
#include "pagehost/asp/server_encoders.h"
#include "pagehost/http/url_path.h"
#include "com/error_info.h"
#include "pagehost/text.h"

#include <cwchar>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

namespace kestrune {
namespace {

HRESULT Failed(HRESULT hr, const wchar_t* progId) {
    wchar_t code[16];
    std::swprintf(code, 16, L"%08lX", static_cast<unsigned long>(hr));
    PublishError(
        {GUID_NULL, L"Server.CreateObject",
         (std::wstring(L"Cannot create an object of '") + progId + L"' (0x" + code + L").").c_str()});
    return hr;
}

// The argument as text; Empty and Null are "".
HRESULT TextArgument(VARIANT* argument, std::wstring* text) {
    UniqueVariant value;
    HRESULT hr = VariantCopyInd(value.Get(), argument);
    if (SUCCEEDED(hr) && V_VT(value.Get()) != VT_EMPTY && V_VT(value.Get()) != VT_NULL)
        hr = VariantChangeType(value.Get(), value.Get(), VARIANT_ALPHABOOL, VT_BSTR);
    if (SUCCEEDED(hr) && V_VT(value.Get()) == VT_BSTR)
        text->assign(V_BSTR(value.Get()), SysStringLen(V_BSTR(value.Get())));
    return hr;
}

std::u16string_view AsUtf16(const std::wstring& text) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows strings are UTF-16");
    return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}

// Site path of a MapPath argument: "/x" is from the site root, "x" and "../x" from the
// page's folder, "" the page's folder; never above the root.
std::optional<std::string> SitePathOf(const PageSite& site, const std::string& wanted) {
    if (wanted.find_first_not_of("/\\") == std::string::npos)
        return wanted.empty() ? site.pagePath.substr(0, site.pagePath.find_last_of('/') + 1) : "/";
    try {
        return ResolveIncludePath(site.pagePath, IncludeKind::kVirtual, wanted);
    } catch (const std::invalid_argument&) {
        return std::nullopt;
    }
}

}  // namespace

AspServerObject::AspServerObject(std::shared_ptr<const PageSite> site) : site_(std::move(site)) {}

HRESULT STDMETHODCALLTYPE AspServerObject::CreateObject(BSTR progId, IDispatch** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    const wchar_t* name = progId ? progId : L"";
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(name, &clsid);
    if (FAILED(hr)) return Failed(hr, name);
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                          reinterpret_cast<void**>(object));
    return FAILED(hr) ? Failed(hr, name) : S_OK;
}

HRESULT STDMETHODCALLTYPE AspServerObject::MapPath(VARIANT path, BSTR* mapped) {
    if (!mapped) return E_POINTER;
    *mapped = nullptr;
    std::wstring text;
    if (HRESULT hr = TextArgument(&path, &text); FAILED(hr)) return hr;
    if (!site_) {
        PublishError(
            {GUID_NULL, L"Server.MapPath", L"This host runs no web site, so there is nothing to map."});
        return E_FAIL;
    }
    std::optional<std::string> sitePath = SitePathOf(*site_, ToUtf8(text));
    if (!sitePath) {
        PublishError({GUID_NULL, L"Server.MapPath",
                      (L"The path '" + text + L"' leaves the web site or is not a path.").c_str()});
        return E_INVALIDARG;
    }
    return ReturnBstr(MapSitePath(site_->root, *sitePath, '\\'), mapped);
}

HRESULT STDMETHODCALLTYPE AspServerObject::HTMLEncode(VARIANT text, BSTR* encoded) {
    if (!encoded) return E_POINTER;
    *encoded = nullptr;
    std::wstring plain;
    if (HRESULT hr = TextArgument(&text, &plain); FAILED(hr)) return hr;
    std::u16string html = HtmlEncode(AsUtf16(plain));
    return ReturnBstr(std::wstring_view(reinterpret_cast<const wchar_t*>(html.data()), html.size()), encoded);
}

HRESULT STDMETHODCALLTYPE AspServerObject::URLEncode(VARIANT text, BSTR* encoded) {
    if (!encoded) return E_POINTER;
    *encoded = nullptr;
    std::wstring plain;
    if (HRESULT hr = TextArgument(&text, &plain); FAILED(hr)) return hr;
    return ReturnBstr(UrlEncode(AsUtf16(plain)), encoded);
}

}  // namespace kestrune

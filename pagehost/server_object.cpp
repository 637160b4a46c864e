#include "server_object.h"

#include "fault_plan.h"
#include "pagehost/asp/include_path.h"
#include "pagehost/http/server_encode.h"
#include "pagehost/http/url_path.h"
#include "text.h"

#include <cwchar>
#include <stdexcept>
#include <string>
#include <utility>

namespace kestrune {
namespace {

enum : DISPID { kCreateObject = 1, kMapPath, kHtmlEncode, kUrlEncode };

constexpr DispatchMember kMembers[] = {{L"CreateObject", kCreateObject},
                                       {L"MapPath", kMapPath},
                                       {L"HTMLEncode", kHtmlEncode},
                                       {L"URLEncode", kUrlEncode}};

HRESULT Failed(HRESULT hr, const wchar_t* prog_id) {
    wchar_t code[16];
    std::swprintf(code, 16, L"%08lX", static_cast<unsigned long>(hr));
    PublishError(L"Server.CreateObject",
                 std::wstring(L"Cannot create an object of '") + prog_id + L"' (0x" + code + L").");
    return hr;
}

void ReturnText(std::wstring_view text, VARIANT* result) {
    if (!result) return;
    V_VT(result) = VT_BSTR;
    V_BSTR(result) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

// The argument as text; Empty and Null are "".
HRESULT TextArgument(DISPPARAMS* params, std::wstring* text) {
    VARIANT* argument = PositionalArgument(params, 1, 0);
    if (!argument) return DISP_E_BADPARAMCOUNT;
    VARIANT value;
    VariantInit(&value);
    HRESULT hr = VariantCopyInd(&value, argument);
    if (SUCCEEDED(hr) && V_VT(&value) != VT_EMPTY && V_VT(&value) != VT_NULL)
        hr = VariantChangeType(&value, &value, VARIANT_ALPHABOOL, VT_BSTR);
    if (SUCCEEDED(hr) && V_VT(&value) == VT_BSTR) text->assign(V_BSTR(&value), SysStringLen(V_BSTR(&value)));
    VariantClear(&value);
    return hr;
}

std::u16string_view AsUtf16(const std::wstring& text) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows strings are UTF-16");
    return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}

}  // namespace

ServerObject::ServerObject(std::shared_ptr<const PageSite> site)
    : DispatchObject(IID_IDispatch, kMembers, std::size(kMembers)), site_(std::move(site)) {}

HRESULT ServerObject::CreateObject(BSTR prog_id, IDispatch** object) {
    *object = nullptr;
    const wchar_t* name = prog_id ? prog_id : L"";
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(name, &clsid);
    if (FAILED(hr)) return Failed(hr, name);
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                          reinterpret_cast<void**>(object));
    return FAILED(hr) ? Failed(hr, name) : S_OK;
}

// "/x" is from the site root, "x" and "../x" from the page's folder; never above the root.
HRESULT ServerObject::MapPath(const std::wstring& path, VARIANT* result) const {
    if (!site_) {
        PublishError(L"Server.MapPath", L"This host runs no web site, so there is nothing to map.");
        return E_FAIL;
    }
    std::string wanted = ToUtf8(path);
    std::string site_path = "/";
    if (wanted.find_first_not_of("/\\") != std::string::npos) {
        try {
            site_path = ResolveIncludePath(site_->pagePath, IncludeKind::kVirtual, wanted);
        } catch (const std::invalid_argument&) {
            PublishError(L"Server.MapPath",
                         L"The path '" + path + L"' leaves the web site or is not a path.");
            return E_INVALIDARG;
        }
    } else if (wanted.empty()) {
        site_path = site_->pagePath.substr(0, site_->pagePath.find_last_of('/') + 1);
    }
    ReturnText(FromUtf8(MapSitePath(site_->root, site_path, '\\')), result);
    return S_OK;
}

HRESULT ServerObject::InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result) {
    if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
    if (id == kMapPath || id == kHtmlEncode || id == kUrlEncode) {
        std::wstring text;
        if (HRESULT hr = TextArgument(params, &text); FAILED(hr)) return hr;
        if (id == kMapPath) return MapPath(text, result);
        if (id == kHtmlEncode) {
            std::u16string encoded = HtmlEncode(AsUtf16(text));
            ReturnText({reinterpret_cast<const wchar_t*>(encoded.data()), encoded.size()}, result);
        } else {
            ReturnText(FromUtf8(UrlEncode(AsUtf16(text))), result);
        }
        return S_OK;
    }
    if (id != kCreateObject) return DISP_E_MEMBERNOTFOUND;
    VARIANT* argument = PositionalArgument(params, 1, 0);
    if (!argument) return DISP_E_BADPARAMCOUNT;
    VARIANT prog_id;
    VariantInit(&prog_id);
    HRESULT hr = VariantChangeType(&prog_id, argument, 0, VT_BSTR);
    if (FAILED(hr)) return hr;
    IDispatch* object = nullptr;
    hr = CreateObject(V_BSTR(&prog_id), &object);
    VariantClear(&prog_id);
    if (SUCCEEDED(hr) && result) {
        V_VT(result) = VT_DISPATCH;
        V_DISPATCH(result) = object;
    } else if (object) {
        object->Release();
    }
    return hr;
}

}  // namespace kestrune

#include "pagehost/intrinsics/response_object.h"

#include "com/com_ptr.h"
#include "pagehost/asp/response_text.h"
#include "com/owners.h"
#include "pagehost/http/page_response.h"
#include "com/error_info.h"
#include "com/text_conversion.h"
#include "pagehost/text.h"

#include <string>
#include <utility>

namespace kestrune {
namespace {

std::string Narrow(BSTR text) { return NarrowFromBstr(text, CP_UTF8); }

HRESULT HeadAlreadySent() {
    PublishError({GUID_NULL, L"Response", L"The HTTP headers are already written to the client browser."});
    return E_FAIL;
}

HRESULT Ended() {
    PublishError({GUID_NULL, L"Response", L"Response.End"});
    return kResponseEnded;
}

}  // namespace

ResponseObject::ResponseObject(std::shared_ptr<PageResponse> response, long codePage)
    : IntrinsicObject(), response_(std::move(response)), codePage_(codePage) {}

HRESULT STDMETHODCALLTYPE ResponseObject::Write(VARIANT text) {
    UniqueVariant value;
    HRESULT hr = VariantCopyInd(value.Get(), &text);
    if (SUCCEEDED(hr) && V_VT(value.Get()) != VT_EMPTY && V_VT(value.Get()) != VT_NULL)
        hr = VariantChangeType(value.Get(), value.Get(), VARIANT_ALPHABOOL, VT_BSTR);
    if (FAILED(hr)) return hr;
    // Empty and Null write nothing, but are still a Write.
    BSTR written = V_VT(value.Get()) == VT_BSTR ? V_BSTR(value.Get()) : nullptr;
    std::string bytes = ToCodePage({written, SysStringLen(written)}, static_cast<unsigned>(codePage_));
    return CallHost([&] { response_->Write(bytes); });
}

HRESULT STDMETHODCALLTYPE ResponseObject::IsClientConnected(VARIANT_BOOL* connected) {
    if (!connected) return E_POINTER;
    *connected = VARIANT_FALSE;
    return CallHost([&] { *connected = response_->IsClientConnected() ? VARIANT_TRUE : VARIANT_FALSE; });
}

HRESULT STDMETHODCALLTYPE ResponseObject::get_Buffer(VARIANT_BOOL* on) {
    if (!on) return E_POINTER;
    *on = response_->Buffer() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ResponseObject::put_Buffer(VARIANT_BOOL on) {
    return response_->SetBuffer(on != VARIANT_FALSE) ? S_OK : HeadAlreadySent();
}

HRESULT STDMETHODCALLTYPE ResponseObject::get_ContentType(BSTR* type) {
    return type ? ReturnBstr(response_->ContentType(), type) : E_POINTER;
}

HRESULT STDMETHODCALLTYPE ResponseObject::put_ContentType(BSTR type) {
    return response_->SetContentType(Narrow(type)) ? S_OK : HeadAlreadySent();
}

HRESULT STDMETHODCALLTYPE ResponseObject::get_Status(BSTR* status) {
    return status ? ReturnBstr(response_->StatusLine(), status) : E_POINTER;
}

HRESULT STDMETHODCALLTYPE ResponseObject::put_Status(BSTR status) {
    int code = 0;
    std::string reason;
    if (!ParseStatusLine(Narrow(status), code, reason)) {
        PublishError({GUID_NULL, L"Response",
                      L"Invalid status: give three digits, a space and a reason, as in \"404 Not Found\"."});
        return E_INVALIDARG;
    }
    return response_->SetStatus(code, reason) ? S_OK : HeadAlreadySent();
}

HRESULT STDMETHODCALLTYPE ResponseObject::get_CharSet(BSTR* charset) {
    return charset ? ReturnBstr(response_->CharSet(), charset) : E_POINTER;
}

HRESULT STDMETHODCALLTYPE ResponseObject::put_CharSet(BSTR charset) {
    return response_->SetCharSet(Narrow(charset)) ? S_OK : HeadAlreadySent();
}

HRESULT STDMETHODCALLTYPE ResponseObject::AddHeader(BSTR name, BSTR value) {
    if (response_->AddHeader(Narrow(name), Narrow(value))) return S_OK;
    PublishError({GUID_NULL, L"Response",
                  L"The header cannot be added: the head is sent, or the name or "
                  L"value is not allowed."});
    return E_FAIL;
}

HRESULT STDMETHODCALLTYPE ResponseObject::get_CodePage(LONG* codePage) {
    if (!codePage) return E_POINTER;
    *codePage = codePage_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ResponseObject::put_CodePage(LONG codePage) {
    if (!IsTextCodePage(codePage)) {
        std::wstring message = L"Invalid CodePage value: " + std::to_wstring(codePage) + L".";
        PublishError({GUID_NULL, L"Response", message.c_str()});
        return E_INVALIDARG;
    }
    codePage_ = codePage;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ResponseObject::BinaryWrite(VARIANT bytes) {
    UniqueVariant value;
    if (HRESULT hr = VariantCopyInd(value.Get(), &bytes); FAILED(hr)) return hr;
    SAFEARRAY* array = V_ARRAY(value.Get());
    if (V_VT(value.Get()) != (VT_ARRAY | VT_UI1) || !array || SafeArrayGetDim(array) != 1)
        return DISP_E_TYPEMISMATCH;
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(array, 1, &lower);
    SafeArrayGetUBound(array, 1, &upper);
    std::size_t size = upper >= lower ? static_cast<std::size_t>(upper - lower + 1) : 0;
    SafeArrayData data(array);
    if (FAILED(data.Result())) return data.Result();
    return CallHost([&] { response_->Write({static_cast<const char*>(data.Data()), size}); });
}

HRESULT STDMETHODCALLTYPE ResponseObject::Clear() {
    response_->Clear();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ResponseObject::End() {
    response_->End();
    return Ended();
}

HRESULT STDMETHODCALLTYPE ResponseObject::Flush() {
    response_->Flush();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ResponseObject::Redirect(BSTR location) {
    std::string target = Narrow(location);
    if (!response_->Redirect(target, ObjectMovedHtml(target))) return HeadAlreadySent();
    return Ended();
}

}  // namespace kestrune

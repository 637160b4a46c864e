#include "response_object.h"

#include "pagehost/http/page_response.h"
#include "text.h"

#include <exception>
#include <utility>

namespace kestrune {
namespace {

enum : DISPID {
    kWrite = 1,
    kIsClientConnected,
    kBinaryWrite,
    kBuffer,
    kFlush,
    kClear,
    kEnd,
    kRedirect,
    kStatus,
    kContentType,
    kCharSet,
    kAddHeader
};

constexpr DispatchMember kMembers[] = {{L"Write", kWrite},
                                       {L"IsClientConnected", kIsClientConnected},
                                       {L"BinaryWrite", kBinaryWrite},
                                       {L"Buffer", kBuffer},
                                       {L"Flush", kFlush},
                                       {L"Clear", kClear},
                                       {L"End", kEnd},
                                       {L"Redirect", kRedirect},
                                       {L"Status", kStatus},
                                       {L"ContentType", kContentType},
                                       {L"CharSet", kCharSet},
                                       {L"AddHeader", kAddHeader}};

std::string Narrow(BSTR text) { return text ? ToUtf8({text, SysStringLen(text)}) : std::string(); }

HRESULT ReturnBstr(const std::string& text, BSTR* out) {
    std::wstring wide = FromUtf8(text);
    *out = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT HeadAlreadySent() {
    PublishError(L"Response", L"The HTTP headers are already written to the client browser.");
    return E_FAIL;
}

HRESULT Ended() {
    PublishError(L"Response", L"Response.End");
    return kResponseEnded;
}

HRESULT WithBstrArgument(DISPPARAMS* params, UINT count, UINT index, BSTR* text) {
    VARIANT* argument = PositionalArgument(params, count, index);
    if (!argument) return DISP_E_BADPARAMCOUNT;
    VARIANT value;
    VariantInit(&value);
    HRESULT hr = VariantChangeType(&value, argument, 0, VT_BSTR);
    if (SUCCEEDED(hr)) *text = V_BSTR(&value);  // the caller frees it
    return hr;
}

}  // namespace

ResponseObject::ResponseObject(std::shared_ptr<ResponseSink> sink, std::shared_ptr<FaultPlan> faults)
    : DispatchObject(IID_IResponse, kMembers, std::size(kMembers)),
      sink_(std::move(sink)),
      faults_(std::move(faults)) {}

HRESULT STDMETHODCALLTYPE ResponseObject::Write(VARIANT text) {
    if (HRESULT hr = faults_ ? faults_->Enter(HostCall::Write) : S_OK; FAILED(hr)) return hr;
    VARIANT value;
    VariantInit(&value);
    HRESULT hr = VariantCopyInd(&value, &text);
    if (SUCCEEDED(hr) && V_VT(&value) != VT_EMPTY && V_VT(&value) != VT_NULL)
        hr = VariantChangeType(&value, &value, VARIANT_ALPHABOOL, VT_BSTR);
    if (SUCCEEDED(hr) && V_VT(&value) == VT_BSTR) {
        try {
            sink_->Write(ToUtf8({V_BSTR(&value), SysStringLen(V_BSTR(&value))}));
        } catch (const std::exception&) {
            PublishError(L"kestrune-host", L"The page output cannot be written.");
            hr = E_FAIL;
        }
    }
    VariantClear(&value);
    return hr;
}

HRESULT STDMETHODCALLTYPE ResponseObject::IsClientConnected(VARIANT_BOOL* connected) {
    if (!connected) return E_POINTER;
    *connected = VARIANT_FALSE;
    if (HRESULT hr = faults_ ? faults_->Enter(HostCall::IsClientConnected) : S_OK; FAILED(hr)) return hr;
    *connected = sink_->IsConnected() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ResponseObject::get_Buffer(VARIANT_BOOL* on) {
    if (!on) return E_POINTER;
    *on = sink_->Buffer() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ResponseObject::put_Buffer(VARIANT_BOOL on) {
    return sink_->SetBuffer(on != VARIANT_FALSE) ? S_OK : HeadAlreadySent();
}

HRESULT STDMETHODCALLTYPE ResponseObject::get_ContentType(BSTR* type) {
    return type ? ReturnBstr(sink_->ContentType(), type) : E_POINTER;
}

HRESULT STDMETHODCALLTYPE ResponseObject::put_ContentType(BSTR type) {
    return sink_->SetContentType(Narrow(type)) ? S_OK : HeadAlreadySent();
}

HRESULT STDMETHODCALLTYPE ResponseObject::get_Status(BSTR* status) {
    return status ? ReturnBstr(sink_->StatusLine(), status) : E_POINTER;
}

HRESULT STDMETHODCALLTYPE ResponseObject::put_Status(BSTR status) {
    int code = 0;
    std::string reason;
    if (!ParseStatusLine(Narrow(status), code, reason)) {
        PublishError(L"Response",
                     L"Invalid status: give three digits, a space and a reason, "
                     L"as in \"404 Not Found\".");
        return E_INVALIDARG;
    }
    return sink_->SetStatus(code, reason) ? S_OK : HeadAlreadySent();
}

HRESULT STDMETHODCALLTYPE ResponseObject::get_CharSet(BSTR* charset) {
    return charset ? ReturnBstr(sink_->CharSet(), charset) : E_POINTER;
}

HRESULT STDMETHODCALLTYPE ResponseObject::put_CharSet(BSTR charset) {
    return sink_->SetCharSet(Narrow(charset)) ? S_OK : HeadAlreadySent();
}

HRESULT STDMETHODCALLTYPE ResponseObject::AddHeader(BSTR name, BSTR value) {
    if (sink_->AddHeader(Narrow(name), Narrow(value))) return S_OK;
    PublishError(L"Response",
                 L"The header cannot be added: the head is sent, or the name or "
                 L"value is not allowed.");
    return E_FAIL;
}

HRESULT STDMETHODCALLTYPE ResponseObject::BinaryWrite(VARIANT bytes) {
    VARIANT value;
    VariantInit(&value);
    HRESULT hr = VariantCopyInd(&value, &bytes);
    if (SUCCEEDED(hr) &&
        (V_VT(&value) != (VT_ARRAY | VT_UI1) || !V_ARRAY(&value) || SafeArrayGetDim(V_ARRAY(&value)) != 1))
        hr = DISP_E_TYPEMISMATCH;
    void* data = nullptr;
    if (SUCCEEDED(hr)) hr = SafeArrayAccessData(V_ARRAY(&value), &data);
    if (SUCCEEDED(hr)) {
        LONG lower = 0, upper = -1;
        SafeArrayGetLBound(V_ARRAY(&value), 1, &lower);
        SafeArrayGetUBound(V_ARRAY(&value), 1, &upper);
        std::size_t size = upper >= lower ? static_cast<std::size_t>(upper - lower + 1) : 0;
        sink_->Write({static_cast<const char*>(data), size});
        SafeArrayUnaccessData(V_ARRAY(&value));
    }
    VariantClear(&value);
    return hr;
}

HRESULT STDMETHODCALLTYPE ResponseObject::Clear() {
    sink_->Clear();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ResponseObject::End() {
    sink_->End();
    return Ended();
}

HRESULT STDMETHODCALLTYPE ResponseObject::Flush() {
    sink_->Flush();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ResponseObject::Redirect(BSTR location) {
    if (!sink_->Redirect(Narrow(location))) return HeadAlreadySent();
    return Ended();
}

HRESULT ResponseObject::InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result) {
    switch (id) {
        case kIsClientConnected:
        case kBuffer:
        case kStatus:
        case kContentType:
        case kCharSet:
            return InvokeProperty(id, flags, params, result);
        default:
            if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
            return InvokeMethod(id, params);
    }
}

HRESULT ResponseObject::InvokeProperty(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result) {
    if (flags & DISPATCH_PROPERTYPUT) {
        if (id == kIsClientConnected) return DISP_E_MEMBERNOTFOUND;
        VARIANT* argument = PositionalArgument(params, 1, 0);
        if (!argument) return DISP_E_BADPARAMCOUNT;
        VARIANT value;
        VariantInit(&value);
        HRESULT hr = VariantChangeType(&value, argument, 0, id == kBuffer ? VT_BOOL : VT_BSTR);
        if (FAILED(hr)) return hr;
        if (id == kBuffer)
            hr = put_Buffer(V_BOOL(&value));
        else if (id == kStatus)
            hr = put_Status(V_BSTR(&value));
        else if (id == kContentType)
            hr = put_ContentType(V_BSTR(&value));
        else
            hr = put_CharSet(V_BSTR(&value));
        VariantClear(&value);
        return hr;
    }
    if (params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
    VARIANT value;
    VariantInit(&value);
    HRESULT hr;
    if (id == kIsClientConnected || id == kBuffer) {
        V_VT(&value) = VT_BOOL;
        hr = id == kBuffer ? get_Buffer(&V_BOOL(&value)) : IsClientConnected(&V_BOOL(&value));
    } else {
        V_VT(&value) = VT_BSTR;
        V_BSTR(&value) = nullptr;
        hr = id == kStatus        ? get_Status(&V_BSTR(&value))
             : id == kContentType ? get_ContentType(&V_BSTR(&value))
                                  : get_CharSet(&V_BSTR(&value));
    }
    if (SUCCEEDED(hr) && result)
        *result = value;
    else
        VariantClear(&value);
    return hr;
}

HRESULT ResponseObject::InvokeMethod(DISPID id, DISPPARAMS* params) {
    switch (id) {
        case kWrite:
        case kBinaryWrite: {
            VARIANT* argument = PositionalArgument(params, 1, 0);
            if (!argument) return DISP_E_BADPARAMCOUNT;
            return id == kWrite ? Write(*argument) : BinaryWrite(*argument);
        }
        case kFlush:
        case kClear:
        case kEnd:
            if (params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
            return id == kFlush ? Flush() : id == kClear ? Clear() : End();
        case kRedirect:
        case kAddHeader: {
            UINT count = id == kRedirect ? 1 : 2;
            BSTR first = nullptr, second = nullptr;
            HRESULT hr = WithBstrArgument(params, count, 0, &first);
            if (SUCCEEDED(hr) && count == 2) hr = WithBstrArgument(params, count, 1, &second);
            if (SUCCEEDED(hr)) hr = id == kRedirect ? Redirect(first) : AddHeader(first, second);
            SysFreeString(first);
            SysFreeString(second);
            return hr;
        }
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}

}  // namespace kestrune

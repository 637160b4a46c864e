#include "response_object.h"

#include "text.h"

#include <exception>
#include <utility>

namespace kestrune {
namespace {

enum : DISPID { kWrite = 1, kIsClientConnected = 2 };

constexpr DispatchMember kMembers[] = {{L"Write", kWrite},
                                       {L"IsClientConnected", kIsClientConnected}};

}  // namespace

ResponseObject::ResponseObject(std::shared_ptr<ResponseSink> sink,
                               std::shared_ptr<FaultPlan> faults)
    : DispatchObject(IID_IResponse, kMembers, std::size(kMembers)),
      sink_(std::move(sink)),
      faults_(std::move(faults))
{
}

HRESULT STDMETHODCALLTYPE ResponseObject::Write(VARIANT text)
{
    if (HRESULT hr = faults_ ? faults_->Enter(HostCall::Write) : S_OK; FAILED(hr))
        return hr;
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

HRESULT STDMETHODCALLTYPE ResponseObject::IsClientConnected(VARIANT_BOOL* connected)
{
    if (!connected)
        return E_POINTER;
    *connected = VARIANT_FALSE;
    if (HRESULT hr = faults_ ? faults_->Enter(HostCall::IsClientConnected) : S_OK; FAILED(hr))
        return hr;
    *connected = sink_->IsConnected() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT ResponseObject::InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result)
{
    switch (id) {
    case kWrite: {
        if (!(flags & DISPATCH_METHOD))
            return DISP_E_MEMBERNOTFOUND;
        VARIANT* text = PositionalArgument(params, 1, 0);
        return text ? Write(*text) : DISP_E_BADPARAMCOUNT;
    }
    case kIsClientConnected: {
        if (params->cArgs != 0)
            return DISP_E_BADPARAMCOUNT;
        VARIANT_BOOL connected = VARIANT_FALSE;
        HRESULT hr = IsClientConnected(&connected);
        if (SUCCEEDED(hr) && result) {
            V_VT(result) = VT_BOOL;
            V_BOOL(result) = connected;
        }
        return hr;
    }
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

}  // namespace kestrune

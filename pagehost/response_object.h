// The intrinsic Response object: page output through IResponse's Write and the client's
// presence through IsClientConnected (by the component through the vtable, by scripts
// through IDispatch). Everything else of IResponse is not implemented.
#pragma once

#include "channels.h"
#include "dispatch_object.h"
#include "fault_plan.h"

#include <asptlb.h>

#include <memory>

namespace kestrune {

class ResponseObject final : public DispatchObject<IResponse> {
public:
    // faults may be null.
    ResponseObject(std::shared_ptr<ResponseSink> sink, std::shared_ptr<FaultPlan> faults);

    // Writes the value as text: numbers and dates as VBScript shows them, booleans as
    // True/False, Empty and Null as nothing.
    HRESULT STDMETHODCALLTYPE Write(VARIANT text) override;
    HRESULT STDMETHODCALLTYPE IsClientConnected(VARIANT_BOOL* connected) override;

    HRESULT STDMETHODCALLTYPE get_Buffer(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Buffer(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ContentType(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ContentType(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Expires(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Expires(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ExpiresAbsolute(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ExpiresAbsolute(DATE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Cookies(IRequestDictionary**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Status(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Status(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Add(BSTR, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddHeader(BSTR, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AppendToLog(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BinaryWrite(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clear() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE End() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Flush() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Redirect(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE WriteBlock(short) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_CharSet(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_CharSet(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Pics(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_CacheControl(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_CacheControl(BSTR) override { return E_NOTIMPL; }

protected:
    HRESULT InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result) override;

private:
    std::shared_ptr<ResponseSink> sink_;
    std::shared_ptr<FaultPlan> faults_;
};

}  // namespace kestrune

// The intrinsic Request object: the body of the request, read through IRequest's
// TotalBytes and BinaryRead (by the component through the vtable, by scripts through
// IDispatch), and for scripts QueryString, ServerVariables and Request(name), which
// looks in both. Form, Cookies and ClientCertificate are not implemented.
#pragma once

#include "channels.h"
#include "dispatch_object.h"
#include "fault_plan.h"
#include "pagehost/http/server_variables.h"

#include <asptlb.h>

#include <memory>

namespace kestrune {

class RequestObject final : public DispatchObject<IRequest> {
public:
    // faults may be null; without info the collections are empty.
    RequestObject(std::shared_ptr<RequestSource> source, std::shared_ptr<FaultPlan> faults,
                  std::shared_ptr<const PageRequestInfo> info = nullptr);

    HRESULT STDMETHODCALLTYPE get_TotalBytes(LONG* total) override;
    // count: wanted bytes in (any integer variant), delivered bytes out (VT_I4); data: the
    // next bytes as VT_ARRAY|VT_UI1, lower bound 0.
    HRESULT STDMETHODCALLTYPE BinaryRead(VARIANT* count, VARIANT* data) override;

    HRESULT STDMETHODCALLTYPE get_Item(BSTR, IDispatch** value) override { return NotHere(value); }
    HRESULT STDMETHODCALLTYPE get_QueryString(IRequestDictionary** value) override { return NotHere(value); }
    HRESULT STDMETHODCALLTYPE get_Form(IRequestDictionary** value) override { return NotHere(value); }
    HRESULT STDMETHODCALLTYPE get_Body(IRequestDictionary** value) override { return NotHere(value); }
    HRESULT STDMETHODCALLTYPE get_ServerVariables(IRequestDictionary** value) override {
        return NotHere(value);
    }
    HRESULT STDMETHODCALLTYPE get_ClientCertificate(IRequestDictionary** value) override {
        return NotHere(value);
    }
    HRESULT STDMETHODCALLTYPE get_Cookies(IRequestDictionary** value) override { return NotHere(value); }

protected:
    HRESULT InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result) override;

private:
    template <class T>
    static HRESULT NotHere(T** value) {
        if (value) *value = nullptr;
        return E_NOTIMPL;
    }
    HRESULT InvokeBinaryRead(DISPPARAMS* params, VARIANT* result);
    HRESULT InvokeItem(DISPPARAMS* params, VARIANT* result);

    std::shared_ptr<RequestSource> source_;
    std::shared_ptr<FaultPlan> faults_;
    std::shared_ptr<const PageRequestInfo> info_;
    std::int64_t delivered_ = 0;
};

}  // namespace kestrune

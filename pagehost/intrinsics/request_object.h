// The intrinsic Request object: the body of the request, read through TotalBytes and
// BinaryRead (by the component through IRequest, by scripts through IScriptRequest),
// and for scripts QueryString, ServerVariables and Request.Item(name), which looks in
// both. Form, Cookies and ClientCertificate are not implemented.
#pragma once

#include <asptlb.h>

#include <memory>

#include "intrinsics.h"
#include "pagehost/asp/page_request.h"
#include "pagehost/channels.h"
#include "pagehost/intrinsics/intrinsic_object.h"

namespace kestrune {

class RequestObject final : public IntrinsicObject<IScriptRequest, IRequest> {
public:
    // Without info the collections are empty.
    explicit RequestObject(std::shared_ptr<RequestSource> source,
                           std::shared_ptr<const PageRequestInfo> info = nullptr);

    HRESULT STDMETHODCALLTYPE get_TotalBytes(LONG* total) override;
    // count: wanted bytes in (any integer variant), delivered bytes out (VT_I4); data: the
    // next bytes as VT_ARRAY|VT_UI1, lower bound 0.
    HRESULT STDMETHODCALLTYPE BinaryRead(VARIANT* count, VARIANT* data) override;

    HRESULT STDMETHODCALLTYPE get_Item(VARIANT name, VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE get_QueryString(VARIANT name, VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE get_ServerVariables(VARIANT name, VARIANT* value) override;

    // IRequest's collections: the component does not use them.
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

private:
    template <class T>
    static HRESULT NotHere(T** value) {
        if (value) *value = nullptr;
        return E_NOTIMPL;
    }
    const PageRequestInfo& Info() const;

    std::shared_ptr<RequestSource> source_;
    std::shared_ptr<const PageRequestInfo> info_;
};

}  // namespace kestrune

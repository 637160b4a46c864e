// Tiny IRequest and IResponse objects for the tests: a body served in passes, a record
// of what was written, and failures on demand (a failing code plus an error object).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "com/asp_interfaces.h"
#include "com/com_object.h"

namespace kestrune::test {

// The host objects' IDispatch, which the component never calls: it goes through the
// vtable.
template <typename Interface>
class Undispatched : public ComObject<Uncounted, Interface> {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }
};

// Fails one call: returns code after publishing an error object with description (none
// when description is null).
struct InjectedFailure {
    HRESULT code = S_OK;
    const wchar_t* description = nullptr;
};

class FakeRequest final : public Undispatched<IRequest> {
public:
    explicit FakeRequest(std::string body) : body_(std::move(body)) {}

    // The count BinaryRead hands back, as a different integer variant type.
    VARTYPE countType = VT_I4;
    // Bytes less than asked that each pass delivers (the rest come in later passes).
    LONG shortBy = 0;
    // A data value of another type than a byte array.
    bool deliverText = false;
    InjectedFailure totalBytesFailure;
    InjectedFailure binaryReadFailure;
    int binaryReadCalls = 0;

    HRESULT STDMETHODCALLTYPE get_Item(BSTR, IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_QueryString(IRequestDictionary**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Form(IRequestDictionary**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Body(IRequestDictionary**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ServerVariables(IRequestDictionary**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ClientCertificate(IRequestDictionary**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Cookies(IRequestDictionary**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_TotalBytes(LONG* total) override;
    HRESULT STDMETHODCALLTYPE BinaryRead(VARIANT* count, VARIANT* data) override;

private:
    std::string body_;
    std::size_t position_ = 0;
};

class FakeResponse final : public Undispatched<IResponse> {
public:
    std::vector<std::wstring> written;
    bool connected = true;

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
    HRESULT STDMETHODCALLTYPE Write(VARIANT text) override;
    HRESULT STDMETHODCALLTYPE WriteBlock(short) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsClientConnected(VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE get_CharSet(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_CharSet(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Pics(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_CacheControl(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_CacheControl(BSTR) override { return E_NOTIMPL; }
};

// Publishes an error object on the thread as a failing host object would.
void PublishHostError(const wchar_t* source, const wchar_t* description);

}  // namespace kestrune::test

// The intrinsic Response object over a PageResponse: Write and IsClientConnected (by
// the component through IResponse, by scripts through IScriptResponse), and for pages
// BinaryWrite, Buffer, Flush, Clear, End, Redirect, Status, ContentType, CharSet,
// CodePage and AddHeader. Cookies, Expires, CacheControl, Pics and AppendToLog are not implemented.
#pragma once

#include <asptlb.h>

#include "intrinsics.h"
#include "pagehost/http/page_response.h"
#include "pagehost/intrinsics/intrinsic_object.h"

#include <memory>

namespace kestrune {

// What Response.End and Response.Redirect return to stop the script: an error no
// trap of the page's is meant to see. Both modes take it as the page's normal end.
constexpr HRESULT kResponseEnded = static_cast<HRESULT>(0x800A7E0DL);

class ResponseObject final : public IntrinsicObject<IScriptResponse, IResponse> {
public:
    // UTF-8 is this host's default output, unlike a web server's ANSI code page: pages
    // and scripts are read as UTF-8. codePage is one IsTextCodePage accepts.
    static constexpr long kDefaultCodePage = 65001;
    explicit ResponseObject(std::shared_ptr<PageResponse> response, long codePage = kDefaultCodePage);

    // Writes the value as text in the code page: numbers and dates as VBScript shows
    // them, booleans as True/False, Empty and Null as nothing.
    HRESULT STDMETHODCALLTYPE Write(VARIANT text) override;
    HRESULT STDMETHODCALLTYPE IsClientConnected(VARIANT_BOOL* connected) override;

    HRESULT STDMETHODCALLTYPE get_Buffer(VARIANT_BOOL* on) override;
    HRESULT STDMETHODCALLTYPE put_Buffer(VARIANT_BOOL on) override;
    HRESULT STDMETHODCALLTYPE get_ContentType(BSTR* type) override;
    HRESULT STDMETHODCALLTYPE put_ContentType(BSTR type) override;
    HRESULT STDMETHODCALLTYPE get_Status(BSTR* status) override;
    HRESULT STDMETHODCALLTYPE put_Status(BSTR status) override;
    HRESULT STDMETHODCALLTYPE get_CharSet(BSTR* charset) override;
    HRESULT STDMETHODCALLTYPE put_CharSet(BSTR charset) override;
    HRESULT STDMETHODCALLTYPE AddHeader(BSTR name, BSTR value) override;
    // Like CharSet, the code page may change at any time and says nothing in the head.
    HRESULT STDMETHODCALLTYPE get_CodePage(LONG* codePage) override;
    HRESULT STDMETHODCALLTYPE put_CodePage(LONG codePage) override;
    // A byte array (VT_ARRAY | VT_UI1) goes out as it is.
    HRESULT STDMETHODCALLTYPE BinaryWrite(VARIANT bytes) override;
    HRESULT STDMETHODCALLTYPE Clear() override;
    HRESULT STDMETHODCALLTYPE End() override;
    HRESULT STDMETHODCALLTYPE Flush() override;
    HRESULT STDMETHODCALLTYPE Redirect(BSTR location) override;

    HRESULT STDMETHODCALLTYPE get_Expires(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Expires(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ExpiresAbsolute(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ExpiresAbsolute(DATE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Cookies(IRequestDictionary**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Add(BSTR, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AppendToLog(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE WriteBlock(short) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Pics(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_CacheControl(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_CacheControl(BSTR) override { return E_NOTIMPL; }

private:
    std::shared_ptr<PageResponse> response_;
    long codePage_;
};

}  // namespace kestrune

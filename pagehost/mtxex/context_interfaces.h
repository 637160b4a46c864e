// The transaction-server object context as the component sees it: the two interfaces and
// their published identities. Declared here because mingw's libuuid has no values for
// these IIDs, and comsvcs.h turns GetObjectContext into a macro.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace kestrune {

struct IObjectContext : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CreateInstance(REFCLSID clsid, REFIID iid, void** object) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetComplete() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetAbort() = 0;
    virtual HRESULT STDMETHODCALLTYPE EnableCommit() = 0;
    virtual HRESULT STDMETHODCALLTYPE DisableCommit() = 0;
    virtual BOOL STDMETHODCALLTYPE IsInTransaction() = 0;
    virtual BOOL STDMETHODCALLTYPE IsSecurityEnabled() = 0;
    virtual HRESULT STDMETHODCALLTYPE IsCallerInRole(BSTR role, BOOL* in_role) = 0;
};

struct IGetContextProperties : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Count(LONG* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetProperty(BSTR name, VARIANT* value) = 0;
    // The real signature takes IEnumNames**; nothing here enumerates, so IUnknown** keeps
    // the slot's layout without declaring that interface too.
    virtual HRESULT STDMETHODCALLTYPE EnumNames(IUnknown** names) = 0;
};

// {51372AE0-CAE7-11CF-BE81-00AA00A2FA25}
inline constexpr IID IID_IObjectContext = {
    0x51372AE0, 0xCAE7, 0x11CF, {0xBE, 0x81, 0x00, 0xAA, 0x00, 0xA2, 0xFA, 0x25}};
// {51372AF4-CAE7-11CF-BE81-00AA00A2FA25}
inline constexpr IID IID_IGetContextProperties = {
    0x51372AF4, 0xCAE7, 0x11CF, {0xBE, 0x81, 0x00, 0xAA, 0x00, 0xA2, 0xFA, 0x25}};

// The exports of the stand-in mtxex.dll, for callers that look them up with GetProcAddress.
using GetObjectContextFunction = HRESULT(__cdecl*)(IObjectContext** context);
using SetHostObjectsFunction = void(__stdcall*)(IUnknown* request, IUnknown* response);

}  // namespace kestrune

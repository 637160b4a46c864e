// The two object-context interfaces of the transaction server, declared here with their
// published identities: mingw's libuuid has no values for them, and comsvcs.h, which
// declares them, also turns the name GetObjectContext into a macro.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace kestrune {

// {51372AE0-CAE7-11CF-BE81-00AA00A2FA25}
constexpr IID kIidObjectContext = {
    0x51372AE0, 0xCAE7, 0x11CF, {0xBE, 0x81, 0x00, 0xAA, 0x00, 0xA2, 0xFA, 0x25}};
// {51372AF4-CAE7-11CF-BE81-00AA00A2FA25}
constexpr IID kIidGetContextProperties = {
    0x51372AF4, 0xCAE7, 0x11CF, {0xBE, 0x81, 0x00, 0xAA, 0x00, 0xA2, 0xFA, 0x25}};

struct IObjectContext : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CreateInstance(REFCLSID clsid, REFIID iid, void** object) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetComplete() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetAbort() = 0;
    virtual HRESULT STDMETHODCALLTYPE EnableCommit() = 0;
    virtual HRESULT STDMETHODCALLTYPE DisableCommit() = 0;
    virtual BOOL STDMETHODCALLTYPE IsInTransaction() = 0;
    virtual BOOL STDMETHODCALLTYPE IsSecurityEnabled() = 0;
    virtual HRESULT STDMETHODCALLTYPE IsCallerInRole(BSTR role, BOOL* inRole) = 0;
};

struct IGetContextProperties : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Count(LONG* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetProperty(BSTR name, VARIANT* property) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumNames(IUnknown** names) = 0;
};

}  // namespace kestrune

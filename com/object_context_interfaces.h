// The transaction server's object-context interfaces (IObjectContext,
// IGetContextProperties) with their published identities, and the entry points of the
// stand-in mtxex.dll that serves them to the page host and the tests. Declared here
// because mingw's libuuid has no values for them, and comsvcs.h, which declares them,
// also turns the name GetObjectContext into a macro.
//
//   ComPtr<IObjectContext> context;
//   getObjectContext(context.Out());
//   ComPtr<IGetContextProperties> properties;
//   context.As(properties);
//
// A context object derives from PlainObjectContext<IGetContextProperties> and writes
// only the property members.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "com/com_object.h"

namespace kestrune {

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

// mtxex.dll's GetObjectContext, and the stand-in's SetHostObjects, which stores the
// calling thread's Request and Response (null clears them).
using GetObjectContextFunction = HRESULT(__cdecl*)(IObjectContext** context);
using SetHostObjectsFunction = void(__stdcall*)(IUnknown* request, IUnknown* response);

}  // namespace kestrune

// {51372AE0-CAE7-11CF-BE81-00AA00A2FA25}
__CRT_UUID_DECL(kestrune::IObjectContext, 0x51372AE0, 0xCAE7, 0x11CF, 0xBE, 0x81, 0x00, 0xAA, 0x00, 0xA2,
                0xFA, 0x25)
// {51372AF4-CAE7-11CF-BE81-00AA00A2FA25}
__CRT_UUID_DECL(kestrune::IGetContextProperties, 0x51372AF4, 0xCAE7, 0x11CF, 0xBE, 0x81, 0x00, 0xAA, 0x00,
                0xA2, 0xFA, 0x25)

namespace kestrune {

inline constexpr const IID& kIidObjectContext = __uuidof(IObjectContext);
inline constexpr const IID& kIidGetContextProperties = __uuidof(IGetContextProperties);

}  // namespace kestrune

namespace kestrune {

// The object context of a host without transactions or roles: commits succeed, nothing
// is in a transaction, and every caller is in every role. More lists further interfaces.
template <typename... More>
class PlainObjectContext : public ComObject<Uncounted, IObjectContext, More...> {
public:
    HRESULT STDMETHODCALLTYPE CreateInstance(REFCLSID clsid, REFIID iid, void** object) override {
        return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, object);
    }
    HRESULT STDMETHODCALLTYPE SetComplete() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetAbort() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableCommit() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DisableCommit() override { return S_OK; }
    BOOL STDMETHODCALLTYPE IsInTransaction() override { return FALSE; }
    BOOL STDMETHODCALLTYPE IsSecurityEnabled() override { return FALSE; }
    HRESULT STDMETHODCALLTYPE IsCallerInRole(BSTR, BOOL* inRole) override {
        if (inRole == nullptr) return E_POINTER;
        *inRole = TRUE;
        return S_OK;
    }
};

}  // namespace kestrune

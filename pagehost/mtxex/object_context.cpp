// The stand-in mtxex.dll. A page host stores its Request and Response objects for the
// current thread with SetHostObjects; GetObjectContext then hands any caller on that
// thread a context whose "Request" and "Response" properties are those objects. The
// properties are read when asked, not when the context is made, so a context always
// reflects what the thread's host holds at that moment.
#include "context_interfaces.h"

#include <atomic>
#include <new>

namespace kestrune {
namespace {

thread_local IUnknown* current_request = nullptr;
thread_local IUnknown* current_response = nullptr;

void Replace(IUnknown*& slot, IUnknown* value) {
    if (value) value->AddRef();
    IUnknown* old = slot;
    slot = value;
    if (old) old->Release();
}

class ObjectContext final : public IObjectContext, public IGetContextProperties {
public:
    // IUnknown (the IObjectContext one is the object's identity)
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, kIidObjectContext))
            *object = static_cast<IObjectContext*>(this);
        else if (IsEqualIID(iid, kIidGetContextProperties))
            *object = static_cast<IGetContextProperties*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    // IObjectContext: a page host has no transactions and no roles.
    HRESULT STDMETHODCALLTYPE CreateInstance(REFCLSID clsid, REFIID iid, void** object) override {
        return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, object);
    }
    HRESULT STDMETHODCALLTYPE SetComplete() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetAbort() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableCommit() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DisableCommit() override { return S_OK; }
    BOOL STDMETHODCALLTYPE IsInTransaction() override { return FALSE; }
    BOOL STDMETHODCALLTYPE IsSecurityEnabled() override { return FALSE; }
    HRESULT STDMETHODCALLTYPE IsCallerInRole(BSTR, BOOL* in_role) override {
        if (!in_role) return E_POINTER;
        *in_role = TRUE;
        return S_OK;
    }

    // IGetContextProperties
    HRESULT STDMETHODCALLTYPE Count(LONG* count) override {
        if (!count) return E_POINTER;
        *count = 2;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetProperty(BSTR name, VARIANT* value) override {
        if (!value) return E_POINTER;
        VariantInit(value);
        IUnknown* source;
        if (name && _wcsicmp(name, L"Request") == 0)
            source = current_request;
        else if (name && _wcsicmp(name, L"Response") == 0)
            source = current_response;
        else
            return E_INVALIDARG;
        if (!source) return S_OK;  // VT_EMPTY: this thread's host has set nothing
        IDispatch* dispatch = nullptr;
        HRESULT hr = source->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
        if (FAILED(hr)) return hr;
        V_VT(value) = VT_DISPATCH;
        V_DISPATCH(value) = dispatch;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumNames(IUnknown** names) override {
        if (names) *names = nullptr;
        return E_NOTIMPL;
    }

private:
    ~ObjectContext() = default;
    std::atomic<ULONG> references_{1};
};

}  // namespace
}  // namespace kestrune

extern "C" HRESULT __cdecl GetObjectContext(kestrune::IObjectContext** context) {
    if (!context) return E_POINTER;
    *context = new (std::nothrow) kestrune::ObjectContext();
    return *context ? S_OK : E_OUTOFMEMORY;
}

// Host objects are per thread, as a page runs on one thread; null clears a slot.
extern "C" void __stdcall SetHostObjects(IUnknown* request, IUnknown* response) {
    kestrune::Replace(kestrune::current_request, request);
    kestrune::Replace(kestrune::current_response, response);
}

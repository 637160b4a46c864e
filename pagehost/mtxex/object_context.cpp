// The stand-in mtxex.dll. A page host stores its Request and Response objects for the
// current thread with SetHostObjects; GetObjectContext then hands any caller on that
// thread a context whose "Request" and "Response" properties are those objects. The
// properties are read when asked, not when the context is made, so a context always
// reflects what the thread's host holds at that moment.
#include <new>

#include "com/object_context_interfaces.h"

namespace kestrune {
namespace {

// Raw on purpose: a thread that ends without clearing its slots must not release
// objects at thread exit, when their module may already be gone.
thread_local IUnknown* current_request = nullptr;
thread_local IUnknown* current_response = nullptr;

void Replace(IUnknown*& slot, IUnknown* value) {
    const ComPtr<IUnknown> old(slot);
    slot = ComPtr<IUnknown>::Borrow(value).Detach();
}

class ObjectContext final : public PlainObjectContext<IGetContextProperties> {
public:
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
        ComPtr<IDispatch> dispatch;
        const HRESULT hr = ComPtr<IUnknown>::Borrow(source).As(dispatch);
        if (FAILED(hr)) return hr;
        V_VT(value) = VT_DISPATCH;
        V_DISPATCH(value) = dispatch.Detach();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumNames(IUnknown** names) override {
        if (names) *names = nullptr;
        return E_NOTIMPL;
    }
};

}  // namespace
}  // namespace kestrune

extern "C" HRESULT __cdecl GetObjectContext(kestrune::IObjectContext** context) {
    if (!context) return E_POINTER;
    *context = nullptr;
    try {
        return kestrune::MakeComObject<kestrune::ObjectContext>().CopyTo(context);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

// Host objects are per thread, as a page runs on one thread; null clears a slot.
extern "C" void __stdcall SetHostObjects(IUnknown* request, IUnknown* response) {
    kestrune::Replace(kestrune::current_request, request);
    kestrune::Replace(kestrune::current_response, response);
}

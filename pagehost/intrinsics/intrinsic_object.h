// The base of the intrinsic objects: the toolkit's DispatchObject over the type
// information of this program's own type library (intrinsics.idl, TYPELIB 1). The first
// interface is the script's face; others (asptlb's IRequest, IResponse) are there for the
// component, which calls their vtables. Members the two have in common are one C++
// method, so both roads do the same.
#pragma once

#include "com/asp_interfaces.h"
#include "com/dispatch.h"
#include "intrinsics.h"

#include <exception>

namespace kestrune {

// The type information of an interface of this program's type library; empty when it
// cannot be loaded. main checks it before any object is made.
ComPtr<ITypeInfo> IntrinsicTypeInfo(REFIID iid);

// E_FAIL with an error object whose description is the exception's text.
HRESULT PublishHostFailure(const std::exception& failure);

// Runs a call on the request source or the response: S_OK, or E_FAIL for what it throws
// (a body that cannot be read, a host call made to fail).
template <typename Call>
HRESULT CallHost(Call&& call) {
    try {
        call();
        return S_OK;
    } catch (const std::exception& failure) {
        return PublishHostFailure(failure);
    }
}

template <typename ScriptFace, typename... ExtraFaces>
class IntrinsicObject : public DispatchObject<Uncounted, ScriptFace, ExtraFaces...> {
    using Base = DispatchObject<Uncounted, ScriptFace, ExtraFaces...>;

public:
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override {
        // A member that fails publishes its own error object; one left on the thread by an
        // earlier call (the component's, say) must not be reported for it.
        SetErrorInfo(0, nullptr);
        return Base::Invoke(id, iid, locale, flags, params, result, exception, argumentError);
    }

protected:
    IntrinsicObject() : Base(IntrinsicTypeInfo(__uuidof(ScriptFace)).Get()) {}
};

}  // namespace kestrune

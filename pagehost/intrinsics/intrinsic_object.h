// IUnknown and IDispatch for the intrinsic objects. A script reaches each object through
// its script face, a dual interface of intrinsics.idl, and Invoke goes through that
// interface's type information: arguments are counted, converted and defaulted there,
// and a failing member's error object becomes the script's error. Extra faces are the
// asptlb interfaces (IRequest, IResponse) whose vtables the component calls; members the
// two have in common are one C++ method, so both roads do the same.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <array>
#include <atomic>
#include <utility>

#include "host/win32/com_ptr.h"

namespace kestrune {

// The type information of an interface of this program's own type library; empty when
// it cannot be loaded.
ComPtr<ITypeInfo> IntrinsicTypeInfo(REFIID iid);

template <class ScriptFace, class... ExtraFaces>
class IntrinsicObject : public ScriptFace, public ExtraFaces... {
public:
    IntrinsicObject(const IntrinsicObject&) = delete;
    IntrinsicObject& operator=(const IntrinsicObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = Face(iid, std::index_sequence_for<ExtraFaces...>{});
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = typeInfo_ ? 1 : 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info) return E_POINTER;
        *info = nullptr;
        if (index != 0 || !typeInfo_) return DISP_E_BADINDEX;
        *info = ComPtr<ITypeInfo>(typeInfo_).Detach();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!typeInfo_) return E_UNEXPECTED;
        return DispGetIDsOfNames(typeInfo_.Get(), names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override {
        if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        if (!typeInfo_) return E_UNEXPECTED;
        // A put may arrive as put or as put-by-reference; both find the put accessor.
        if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF))
            flags = DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF;
        // A failing member publishes its own error object; never report a stale one.
        SetErrorInfo(0, nullptr);
        return typeInfo_->Invoke(static_cast<ScriptFace*>(this), id, flags, params, result, exception,
                                 argumentError);
    }

protected:
    // scriptIid names ScriptFace; extraIids name ExtraFaces, in order.
    explicit IntrinsicObject(const IID& scriptIid, std::array<IID, sizeof...(ExtraFaces)> extraIids = {})
        : scriptIid_(scriptIid), extraIids_(extraIids), typeInfo_(IntrinsicTypeInfo(scriptIid)) {}
    virtual ~IntrinsicObject() = default;

private:
    template <std::size_t... Index>
    void* Face(REFIID iid, std::index_sequence<Index...>) {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, scriptIid_))
            return static_cast<ScriptFace*>(this);
        void* found = nullptr;
        ((found = found                                ? found
                  : IsEqualIID(iid, extraIids_[Index]) ? static_cast<ExtraFaces*>(this)
                                                       : nullptr),
         ...);
        return found;
    }

    std::atomic<ULONG> references_{1};
    IID scriptIid_;
    std::array<IID, sizeof...(ExtraFaces)> extraIids_;
    ComPtr<ITypeInfo> typeInfo_;
};

}  // namespace kestrune

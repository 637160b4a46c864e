#include "server/tessock_com_object.h"

#include "server/class_factory.h"

namespace kestrune {

bool TTessockComObject::Answers(REFIID iid) {
    return IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_ITessock) ||
           IsEqualIID(iid, IID_IProvideClassInfo) || IsEqualIID(iid, IID_ISupportErrorInfo);
}

TTessockComObject::TTessockComObject(TAutoObjectFactory& factory, IUnknown* outer)
    : factory_(factory), controller_(outer ? outer : &inner_) {
    if (TComServer* server = ComServer()) server->CountObject(+1);
}

TTessockComObject::~TTessockComObject() {
    // Only a half-built object dies with references left; make sure no stub outlives it.
    if (refs_.load() > 0) CoDisconnectObject(static_cast<ITessock*>(this), 0);
    if (TComServer* server = ComServer()) server->CountObject(-1);
}

HRESULT TTessockComObject::InnerUnknown::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown)) {
        *object = static_cast<IUnknown*>(this);
    } else if (IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_ITessock)) {
        *object = static_cast<ITessock*>(&owner_);
    } else if (IsEqualIID(iid, IID_IProvideClassInfo)) {
        *object = static_cast<IProvideClassInfo*>(&owner_);
    } else if (IsEqualIID(iid, IID_ISupportErrorInfo)) {
        *object = static_cast<ISupportErrorInfo*>(&owner_);
    } else {
        return E_NOINTERFACE;
    }
    static_cast<IUnknown*>(*object)->AddRef();
    return S_OK;
}

ULONG TTessockComObject::InnerUnknown::AddRef() { return static_cast<ULONG>(++owner_.refs_); }

ULONG TTessockComObject::InnerUnknown::Release() {
    const LONG count = --owner_.refs_;
    if (count == 0) delete &owner_;
    return static_cast<ULONG>(count);
}

HRESULT TTessockComObject::QueryInterface(REFIID iid, void** object) {
    return controller_->QueryInterface(iid, object);
}

ULONG TTessockComObject::AddRef() { return controller_->AddRef(); }
ULONG TTessockComObject::Release() { return controller_->Release(); }

HRESULT TTessockComObject::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT TTessockComObject::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    *info = factory_.DispatchInfo();
    (*info)->AddRef();
    return S_OK;
}

HRESULT TTessockComObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    return DispGetIDsOfNames(factory_.DispatchInfo(), names, count, ids);
}

HRESULT TTessockComObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                  EXCEPINFO* exception, UINT* argumentError) {
    // A put may arrive as put or as put-by-reference; both find the put accessor.
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        flags = DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF;
    }
    return factory_.DispatchInfo()->Invoke(static_cast<ITessock*>(this), id, flags, params, result, exception,
                                           argumentError);
}

HRESULT TTessockComObject::GetClassInfo(ITypeInfo** info) {
    if (info == nullptr) return E_POINTER;
    *info = factory_.ClassInfo();
    (*info)->AddRef();
    return S_OK;
}

HRESULT TTessockComObject::InterfaceSupportsErrorInfo(REFIID iid) { return Answers(iid) ? S_OK : S_FALSE; }

}  // namespace kestrune

#include "server/tessock_com_object.h"

#include "server/class_factory.h"

namespace kestrune {

TTessockComObject::TTessockComObject(TAutoObjectFactory& factory)
    : DispatchObject(factory.DispatchInfo()), factory_(factory) {}

HRESULT TTessockComObject::GetClassInfo(ITypeInfo** info) {
    return ComPtr<ITypeInfo>::Borrow(factory_.ClassInfo()).CopyTo(info);
}

HRESULT TTessockComObject::InterfaceSupportsErrorInfo(REFIID iid) { return Answers(iid) ? S_OK : S_FALSE; }

}  // namespace kestrune

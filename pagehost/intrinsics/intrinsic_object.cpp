#include "pagehost/intrinsics/intrinsic_object.h"

#include <utility>

#include "com/error_info.h"
#include "pagehost/text.h"

namespace kestrune {
namespace {

// Loaded once, from this module's TYPELIB 1; oleaut32's type libraries may be used from
// any thread.
ComPtr<ITypeLib> LoadOwnTypeLib() {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    ComPtr<ITypeLib> library;
    if (length == 0 || length >= MAX_PATH) return library;
    if (FAILED(LoadTypeLibEx(path, REGKIND_NONE, library.Out()))) library.Reset();
    return library;
}

// A dual interface's type information comes as its dispinterface; Invoke calls through
// the vtable, so it needs the interface half.
ComPtr<ITypeInfo> VtableHalf(ComPtr<ITypeInfo> info) {
    TYPEATTR* attributes = nullptr;
    if (FAILED(info->GetTypeAttr(&attributes))) return {};
    bool dispatchOnly = attributes->typekind == TKIND_DISPATCH;
    info->ReleaseTypeAttr(attributes);
    if (!dispatchOnly) return info;
    HREFTYPE vtable = 0;
    ComPtr<ITypeInfo> half;
    if (FAILED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtable)) ||
        FAILED(info->GetRefTypeInfo(vtable, half.Out())))
        half.Reset();
    return half;
}

}  // namespace

HRESULT PublishHostFailure(const std::exception& failure) {
    PublishError({GUID_NULL, L"kestrune-host", FromUtf8(failure.what()).c_str()});
    return E_FAIL;
}

ComPtr<ITypeInfo> IntrinsicTypeInfo(REFIID iid) {
    static const ComPtr<ITypeLib> library = LoadOwnTypeLib();
    ComPtr<ITypeInfo> info;
    if (!library || FAILED(library->GetTypeInfoOfGuid(iid, info.Out()))) return {};
    return VtableHalf(std::move(info));
}

}  // namespace kestrune

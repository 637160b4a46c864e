#include "server/class_factory.h"

#include "base/exceptions.h"
#include "com/dispatch.h"
#include "com/text_conversion.h"
#include "host/win32/win32_host_failure.h"
#include "kestrune.h"
#include "server/tessock_com_object.h"

namespace kestrune {

namespace {

// Type attributes released on every exit path.
class TypeAttr {
public:
    explicit TypeAttr(ITypeInfo* info) : info_(info) { CheckPlatformResult(info_->GetTypeAttr(&attr_)); }
    TypeAttr(const TypeAttr&) = delete;
    TypeAttr& operator=(const TypeAttr&) = delete;
    ~TypeAttr() { info_->ReleaseTypeAttr(attr_); }
    const TYPEATTR* operator->() const { return attr_; }

private:
    ITypeInfo* info_;
    TYPEATTR* attr_ = nullptr;
};

// The coclass's interface marked default and not source, or null.
ComPtr<ITypeInfo> DefaultInterface(ITypeInfo* classInfo) {
    const TypeAttr attr(classInfo);
    for (UINT index = 0; index < attr->cImplTypes; ++index) {
        INT flags = 0;
        if (FAILED(classInfo->GetImplTypeFlags(index, &flags))) continue;
        if ((flags & IMPLTYPEFLAG_FDEFAULT) == 0 || (flags & IMPLTYPEFLAG_FSOURCE) != 0) continue;
        HREFTYPE reference = 0;
        ComPtr<ITypeInfo> info;
        if (SUCCEEDED(classInfo->GetRefTypeOfImplType(index, &reference)) &&
            SUCCEEDED(classInfo->GetRefTypeInfo(reference, info.Out()))) {
            return info;
        }
    }
    return {};
}

}  // namespace

TAutoObjectFactory::TAutoObjectFactory(TComServer& server, TComClassManager& registry, REFCLSID classId)
    : server_(server), registry_(registry), classId_(classId), origin_{IID_IUnknown, {}} {}

bool TAutoObjectFactory::ReadsAtCreation() const { return IsEqualCLSID(classId_, CLSID_Tessock); }

void TAutoObjectFactory::RaiseClassError(const char* format) const {
    char message[128];
    wsprintfA(message, format, ReadsAtCreation() ? "TTessock" : "TUpload");
    throw EOleError(message);
}

TAutoObjectFactory::~TAutoObjectFactory() { registry_.Remove(this); }

std::unique_ptr<TAutoObjectFactory> TAutoObjectFactory::Create(TComServer& server, TComClassManager& registry,
                                                               REFCLSID classId) {
    std::unique_ptr<TAutoObjectFactory> factory(new TAutoObjectFactory(server, registry, classId));
    factory->ReadTypeInformation();
    return factory;
}

void TAutoObjectFactory::ReadTypeInformation() {
    ITypeLib* typeLib = server_.TypeLib();
    if (FAILED(typeLib->GetTypeInfoOfGuid(classId_, classInfo_.Out())) || !classInfo_) {
        RaiseClassError("Type information missing for class %s");
    }
    UniqueBstr name;
    UniqueBstr description;
    CheckPlatformResult(
        classInfo_->GetDocumentation(MEMBERID_NIL, name.Out(), description.Out(), nullptr, nullptr));
    className_ = NarrowFromBstr(name.Get());
    description_ = NarrowFromBstr(description.Get());
    registry_.Add(this);

    dispatchInfo_ = DefaultInterface(classInfo_.Get());
    if (!dispatchInfo_) RaiseClassError("Incorrect type information for class %s");
    IID dispatchIid;
    {
        const TypeAttr attr(dispatchInfo_.Get());
        dispatchIid = attr->guid;
    }
    if (!TTessockComObject::Answers(dispatchIid)) RaiseClassError("Dispatch interface missing from class %s");
    // Tessock's errors go on naming the interface they always named, whichever interface
    // is the default.
    origin_.guid = ReadsAtCreation() ? IID_ITessock : IID_IUpload;
    origin_.source = WideFromNarrow(ProgId());
    CheckPlatformResult(TypeInfoOf(typeLib, IID_ITessockFiles, filesInfo_));
    CheckPlatformResult(TypeInfoOf(typeLib, IID_ITessockFile, fileInfo_));
    CheckPlatformResult(TypeInfoOf(typeLib, IID_ITessockForm, formInfo_));
    CheckPlatformResult(TypeInfoOf(typeLib, IID_ITessockField, fieldInfo_));
    CheckPlatformResult(TypeInfoOf(typeLib, IID_IRejectedParts, rejectedPartsInfo_));
    CheckPlatformResult(TypeInfoOf(typeLib, IID_IRejectedPart, rejectedPartInfo_));
}

std::string TAutoObjectFactory::ProgId() const {
    return className_.empty() ? std::string() : server_.ServerName() + "." + className_;
}

HRESULT TAutoObjectFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr && !IsEqualIID(iid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    try {
        const Aggregable<TTessockComObject> created = MakeAggregable<TTessockComObject>(outer, *this);
        created->Initialize();
        // The creation reference keeps the object alive while QueryInterface adds the
        // caller's own, so dropping it on return deletes the object exactly when the query
        // failed, and a half-built object never reaches a caller.
        return created.Query(iid, object);
    } catch (...) {
        // The message is dropped on purpose: a server process has no one to show it to,
        // and the caller learns only that creation failed.
        return E_UNEXPECTED;
    }
}

HRESULT TAutoObjectFactory::LockServer(BOOL lock) {
    const HRESULT result = CoLockObjectExternal(static_cast<IClassFactory*>(this), lock, TRUE);
    server_.CountObject(lock ? +1 : -1);
    return result;
}

}  // namespace kestrune

// TAutoObjectFactory: the class factory of one coclass, Tessock or Upload, whose objects
// are both TTessockComObject. It is built from the module's type library at load and
// lives until the module unloads; references to it only move the server's factory count
// (a Resident object).
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <memory>
#include <string>

#include "com/com_object.h"
#include "server/class_registry.h"
#include "server/error_boundary.h"
#include "server/server_object.h"

namespace kestrune {

class TAutoObjectFactory final : public Resident<ServerFactoryCount, IClassFactory> {
public:
    // Reads the names and dispatch interface of the coclass classId (CLSID_Tessock or
    // CLSID_Upload) from the type library and enters the factory in the registry. Throws
    // EOleError ("Type information missing for class TTessock", "Incorrect type
    // information for class TTessock", "Dispatch interface missing from class TTessock",
    // TUpload for the other) or the type library's load failure.
    static std::unique_ptr<TAutoObjectFactory> Create(TComServer& server, TComClassManager& registry,
                                                      REFCLSID classId);

    TAutoObjectFactory(const TAutoObjectFactory&) = delete;
    TAutoObjectFactory& operator=(const TAutoObjectFactory&) = delete;
    ~TAutoObjectFactory() override;

    TComServer& Server() const { return server_; }
    REFCLSID ClassId() const { return classId_; }
    // True for Tessock, whose objects read the request at creation; an Upload object
    // waits for its page.
    bool ReadsAtCreation() const;
    const std::string& ClassName() const { return className_; }
    const std::string& Description() const { return description_; }
    // Server name "." class name; empty when the class has no name.
    std::string ProgId() const;
    // "Both": the object lives in whichever apartment creates it.
    static const char* ThreadingModel() { return "Both"; }
    REFIID ErrorIid() const { return origin_.guid; }
    // What the error objects of this class's members name: error interface and ProgID.
    const ErrorOrigin& Origin() const { return origin_; }
    ITypeInfo* ClassInfo() const { return classInfo_.Get(); }
    ITypeInfo* DispatchInfo() const { return dispatchInfo_.Get(); }
    // The dual interfaces of the file list, of one file, of the form and of one field.
    ITypeInfo* FilesInfo() const { return filesInfo_.Get(); }
    ITypeInfo* FileInfo() const { return fileInfo_.Get(); }
    ITypeInfo* FormInfo() const { return formInfo_.Get(); }
    ITypeInfo* FieldInfo() const { return fieldInfo_.Get(); }
    // Those of an Upload object's Rejected collection and of one part in it.
    ITypeInfo* RejectedPartsInfo() const { return rejectedPartsInfo_.Get(); }
    ITypeInfo* RejectedPartInfo() const { return rejectedPartInfo_.Get(); }

    // IClassFactory
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    TAutoObjectFactory(TComServer& server, TComClassManager& registry, REFCLSID classId);
    [[noreturn]] void RaiseClassError(const char* format) const;
    void ReadTypeInformation();

    TComServer& server_;
    TComClassManager& registry_;
    CLSID classId_;
    std::string className_;
    std::string description_;
    ErrorOrigin origin_;
    ComPtr<ITypeInfo> classInfo_;
    ComPtr<ITypeInfo> dispatchInfo_;
    ComPtr<ITypeInfo> filesInfo_;
    ComPtr<ITypeInfo> fileInfo_;
    ComPtr<ITypeInfo> formInfo_;
    ComPtr<ITypeInfo> fieldInfo_;
    ComPtr<ITypeInfo> rejectedPartsInfo_;
    ComPtr<ITypeInfo> rejectedPartInfo_;
};

}  // namespace kestrune

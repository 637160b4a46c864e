// TTessockComObject: the COM face of one TTessock. It answers IUnknown, IDispatch,
// ITessock, IProvideClassInfo and ISupportErrorInfo, converts arguments and results at
// the boundary, and runs every member under the one exception boundary.
//
// Aggregation: the object's own reference count lives in its non-delegating inner
// IUnknown; every interface it hands out forwards IUnknown calls to the controller,
// which is the outer object when aggregated and the inner IUnknown otherwise.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <atomic>

#include "host/win32/asp_host_objects.h"
#include "host/win32/win32_code_page.h"
#include "host/win32/win32_file_system.h"
#include "kestrune.h"
#include "upload/tessock.h"

namespace kestrune {

class TAutoObjectFactory;

class TTessockComObject final : public ITessock, public IProvideClassInfo, public ISupportErrorInfo {
public:
    // True for the five interfaces the object answers.
    static bool Answers(REFIID iid);

    // Builds an object with reference count 1 and counts it in the server.
    TTessockComObject(TAutoObjectFactory& factory, IUnknown* outer);
    TTessockComObject(const TTessockComObject&) = delete;
    TTessockComObject& operator=(const TTessockComObject&) = delete;
    virtual ~TTessockComObject();

    // The initialisation hook: defaults, then request intake. Throws when creation fails.
    void Initialize() { tessock_.Initialize(); }

    IUnknown* Inner() { return &inner_; }
    LONG RefCount() const { return refs_.load(); }
    void SetRefCount(LONG count) { refs_.store(count); }

    // IUnknown, forwarded to the controller.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch, through the dispatch type information.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

    // ITessock
    HRESULT STDMETHODCALLTYPE get_FormVariable(BSTR VariableName, BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE get_FormVariableCount(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE get_FormVariableByIndex(LONG Index, BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE get_Filename(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE get_FileExtension(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE get_FileNameNoExtension(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE get_ContentType(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE SaveFile(BSTR Filename) override;
    HRESULT STDMETHODCALLTYPE get_Version(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE get_FileAsVariant(VARIANT* Value) override;
    HRESULT STDMETHODCALLTYPE get_FileSize(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE get_OverwriteMode(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE put_OverwriteMode(LONG Value) override;
    HRESULT STDMETHODCALLTYPE get_OverwriteChr(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE put_OverwriteChr(BSTR Value) override;
    HRESULT STDMETHODCALLTYPE get_NewName(BSTR* Value) override;

    // IProvideClassInfo
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

private:
    // The non-delegating IUnknown that owns the reference count.
    class InnerUnknown final : public IUnknown {
    public:
        explicit InnerUnknown(TTessockComObject& owner) : owner_(owner) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;

    private:
        TTessockComObject& owner_;
    };

    // Member bodies under the exception boundary, with their out parameter reset first.
    template <typename Body>
    HRESULT Run(Body&& body);
    template <typename Produce>
    HRESULT Text(BSTR* Value, Produce&& produce);
    template <typename Produce>
    HRESULT Number(LONG* Value, Produce&& produce);

    TAutoObjectFactory& factory_;
    InnerUnknown inner_{*this};
    IUnknown* controller_;
    std::atomic<LONG> refs_{1};

    Win32HostContext host_;
    Win32CodePage codePage_;
    Win32FileSystem fileSystem_;
    TTessock tessock_{host_, codePage_, fileSystem_};
};

}  // namespace kestrune

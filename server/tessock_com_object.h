// TTessockComObject: the COM face of one TTessock. It answers IUnknown, IDispatch,
// ITessock2 and ITessock, IProvideClassInfo and ISupportErrorInfo, converts arguments and results at
// the boundary, and runs every member under the one exception boundary. It can be
// aggregated (see MakeAggregable in com/com_object.h).
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <memory>

#include "com/dispatch.h"
#include "host/win32/asp_host_objects.h"
#include "host/win32/win32_code_page.h"
#include "host/win32/win32_file_system.h"
#include "host/win32/win32_hashing.h"
#include "kestrune.h"
#include "server/server_object.h"
#include "upload/tessock.h"

namespace kestrune {

class TAutoObjectFactory;

class TTessockComObject final : public DispatchObject<ServerObjectCount, Chain<ITessock2, ITessock>,
                                                      IProvideClassInfo, ISupportErrorInfo> {
public:
    explicit TTessockComObject(TAutoObjectFactory& factory);

    // The initialisation hook: defaults, then request intake. Throws when creation fails.
    void Initialize();

    // For the file objects, which keep this object alive while they use these.
    TTessock& Core() { return tessock_; }
    TAutoObjectFactory& Factory() const { return factory_; }

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

    // ITessock2
    HRESULT STDMETHODCALLTYPE get_CodePage(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE put_CodePage(LONG Value) override;
    HRESULT STDMETHODCALLTYPE get_Files(ITessockFiles** Value) override;
    HRESULT STDMETHODCALLTYPE get_Form(ITessockForm** Value) override;
    HRESULT STDMETHODCALLTYPE get_Complete(VARIANT_BOOL* Value) override;
    HRESULT STDMETHODCALLTYPE get_BytesReceived(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE get_ReadError(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE get_ReadErrorText(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE get_BodyInFile(VARIANT_BOOL* Value) override;
    HRESULT STDMETHODCALLTYPE get_LastSaveError(LONG* Value) override;

    // The code page of the core's texts, as the boundary converts them: CP_ACP on the
    // default road, CP_UTF8 once CodePage is set.
    UINT TextCodePage() const { return tessock_.Rules().IsUnicode() ? CP_UTF8 : CP_ACP; }

    // IProvideClassInfo
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

private:
    // Member bodies under the exception boundary, with their out parameter reset first.
    template <typename Body>
    HRESULT Run(Body&& body);
    template <typename Produce>
    HRESULT Text(BSTR* Value, Produce&& produce);
    template <typename Produce>
    HRESULT Number(LONG* Value, Produce&& produce);
    HRESULT Flag(VARIANT_BOOL* Value, bool flag);
    // The text rules of a CodePage value; throws for a code page that is refused.
    TextRules RulesFor(LONG codePage) const;

    TAutoObjectFactory& factory_;
    Win32HostContext host_;
    Win32CodePage codePage_;
    Win32FileSystem fileSystem_;
    Win32Hashing hashing_;
    // The rules of the texts within on the Unicode road. Declared before the core, which
    // points to it, so that it outlives it.
    Win32CodePage utf8Page_{CP_UTF8};
    TTessock tessock_{host_, codePage_, fileSystem_, hashing_};
};

}  // namespace kestrune

// TTessockComObject: the COM face of one TTessock, for both classes. It answers IUnknown,
// IDispatch, ITessock2 and ITessock, IProvideClassInfo and ISupportErrorInfo, and as an
// Upload object IUpload too; it converts arguments and results at the boundary, and runs
// every member under the one exception boundary. It can be aggregated (see MakeAggregable
// in com/com_object.h).
//
// A Tessock object reads the request when it is created; an Upload object when the page
// calls Receive, or at the first member that needs the body, within the limits the page
// set before (TTessock::Receive). Every member that reads the body asks for it through
// Received(), which on a Tessock object finds it read already.
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

class TTessockComObject final : public DispatchObject<ServerObjectCount, Chain<IUpload, ITessock2, ITessock>,
                                                      IProvideClassInfo, ISupportErrorInfo> {
public:
    explicit TTessockComObject(TAutoObjectFactory& factory);

    // The initialisation hook: for a Tessock object defaults, then request intake. Throws
    // when creation fails.
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

    // IUpload
    HRESULT STDMETHODCALLTYPE get_MaxBodyBytes(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE put_MaxBodyBytes(LONG Value) override;
    HRESULT STDMETHODCALLTYPE get_MaxFileBytes(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE put_MaxFileBytes(LONG Value) override;
    HRESULT STDMETHODCALLTYPE get_MaxFiles(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE put_MaxFiles(LONG Value) override;
    HRESULT STDMETHODCALLTYPE get_MaxFields(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE put_MaxFields(LONG Value) override;
    HRESULT STDMETHODCALLTYPE get_MaxFieldBytes(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE put_MaxFieldBytes(LONG Value) override;
    HRESULT STDMETHODCALLTYPE get_AllowedExtensions(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE put_AllowedExtensions(BSTR Value) override;
    HRESULT STDMETHODCALLTYPE Receive() override;
    HRESULT STDMETHODCALLTYPE get_Received(VARIANT_BOOL* Value) override;
    HRESULT STDMETHODCALLTYPE get_Rejected(IRejectedParts** Value) override;

    // The code page of the core's texts, as the boundary converts them: CP_ACP on the
    // default road, CP_UTF8 once CodePage is set.
    UINT TextCodePage() const { return tessock_.Rules().IsUnicode() ? CP_UTF8 : CP_ACP; }

    // IProvideClassInfo
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

protected:
    bool Withholds(REFIID iid) const override;

private:
    // The core once the body is read: Receive first where it is not.
    TTessock& Received() {
        tessock_.Receive();
        return tessock_;
    }
    // One limit changed in the core's limits (which refuses changes after the read).
    template <typename Change>
    HRESULT Limit(Change&& change);
    // Member bodies under the exception boundary, with their out parameter reset first.
    template <typename Body>
    HRESULT Run(Body&& body);
    template <typename Produce>
    HRESULT Text(BSTR* Value, Produce&& produce);
    template <typename Produce>
    HRESULT Number(LONG* Value, Produce&& produce);
    template <typename Produce>
    HRESULT Flag(VARIANT_BOOL* Value, Produce&& produce);
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

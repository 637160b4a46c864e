// The COM faces of the file list: the Files collection and one file (For Each goes
// through server/list_enumerator.h). Each holds a reference to its upload object, so a page may keep using
// a file after it released the upload object; the file's bytes are a view into that
// object's body. Settings (OverwriteMode, OverwriteChr, CodePage) are read from the upload
// object at each call; NewName is each file's own.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "com/dispatch.h"
#include "kestrune.h"
#include "server/server_object.h"
#include "server/tessock_com_object.h"

namespace kestrune {

class TTessockFileObject final : public DispatchObject<ServerObjectCount, ITessockFile, ISupportErrorInfo> {
public:
    TTessockFileObject(ComPtr<TTessockComObject> upload, std::int32_t index);

    // ITessockFile
    HRESULT STDMETHODCALLTYPE get_FieldName(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE get_Filename(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE get_FileExtension(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE get_FileNameNoExtension(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE get_ContentType(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE SaveFile(BSTR Filename) override;
    HRESULT STDMETHODCALLTYPE get_FileAsVariant(VARIANT* Value) override;
    HRESULT STDMETHODCALLTYPE get_FileSize(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE get_NewName(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE get_LastSaveError(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE get_SafeFilename(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE SaveToFolder(BSTR Folder, VARIANT AllowedExtensions, VARIANT Naming,
                                           BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE get_DetectedType(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE get_DetectedExtension(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE Hash(VARIANT Algorithm, BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE ReadBytes(LONG Offset, LONG Count, VARIANT* Value) override;
    HRESULT STDMETHODCALLTYPE CopyTo(VARIANT Target, LONG* Value) override;
    HRESULT STDMETHODCALLTYPE get_ImageWidth(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE get_ImageHeight(LONG* Value) override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

private:
    TFileRecord File() const { return upload_->Core().FileAt(index_); }
    template <typename Text>
    HRESULT TextOf(BSTR* Value, Text text);

    ComPtr<TTessockComObject> upload_;
    std::int32_t index_;
};

class TTessockFilesObject final : public DispatchObject<ServerObjectCount, ITessockFiles, ISupportErrorInfo> {
public:
    explicit TTessockFilesObject(ComPtr<TTessockComObject> upload);

    // ITessockFiles
    HRESULT STDMETHODCALLTYPE get_Count(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE get_Item(VARIANT Index, ITessockFile** Value) override;
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** Value) override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

private:
    ComPtr<TTessockComObject> upload_;
};

}  // namespace kestrune

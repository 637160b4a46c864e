#include "server/file_com_objects.h"

#include <string>

#include "com/owners.h"
#include "com/text_conversion.h"
#include "server/class_factory.h"
#include "server/list_enumerator.h"
#include "server/member_results.h"

namespace kestrune {

namespace {

// The files for For Each: a new file object for each position.
struct FileList {
    ComPtr<TTessockComObject> upload;

    std::int32_t Count() const { return upload->Core().FileCount(); }
    void Fill(std::int32_t position, VARIANT& item) const {
        V_DISPATCH(&item) =
            ComPtr<ITessockFile>(MakeComObject<TTessockFileObject>(upload, position)).Detach();
        V_VT(&item) = VT_DISPATCH;
    }
};

}  // namespace

TTessockFileObject::TTessockFileObject(ComPtr<TTessockComObject> upload, std::int32_t index)
    : DispatchObject(upload->Factory().FileInfo()), upload_(std::move(upload)), index_(index) {}

template <typename Text>
HRESULT TTessockFileObject::TextOf(BSTR* Value, Text text) {
    return GuardedText(
        upload_->Factory().Origin(), Value, [&] { return File().*text; }, upload_->TextCodePage());
}

HRESULT TTessockFileObject::get_FieldName(BSTR* Value) { return TextOf(Value, &TFileRecord::FieldNameText); }
HRESULT TTessockFileObject::get_Filename(BSTR* Value) { return TextOf(Value, &TFileRecord::FileNameText); }
HRESULT TTessockFileObject::get_FileExtension(BSTR* Value) {
    return TextOf(Value, &TFileRecord::FileExtText);
}
HRESULT TTessockFileObject::get_FileNameNoExtension(BSTR* Value) {
    return TextOf(Value, &TFileRecord::BaseNameText);
}
HRESULT TTessockFileObject::get_ContentType(BSTR* Value) {
    return TextOf(Value, &TFileRecord::ContentTypeText);
}

HRESULT TTessockFileObject::get_NewName(BSTR* Value) {
    return GuardedText(
        upload_->Factory().Origin(), Value, [&] { return upload_->Core().NewNameAt(index_); },
        upload_->TextCodePage());
}

HRESULT TTessockFileObject::SaveFile(BSTR Filename) {
    return Guarded(upload_->Factory().Origin(), [&] {
        bool exact = true;
        const std::string path = NarrowFromBstr(Filename, upload_->TextCodePage(), &exact);
        upload_->Core().SaveFileAt(index_, path, exact);
    });
}

HRESULT TTessockFileObject::get_FileAsVariant(VARIANT* Value) {
    // The body is the upload object's, which this one keeps alive.
    TFileRecord record;
    return GuardedBytes(upload_->Factory().Origin(), Value, upload_->Core(), [&]() -> const TFileRecord& {
        record = File();
        return record;
    });
}

HRESULT TTessockFileObject::get_FileSize(LONG* Value) {
    return GuardedNumber(upload_->Factory().Origin(), Value,
                         [&] { return upload_->Core().FileSizeAt(index_); });
}

HRESULT TTessockFileObject::get_LastSaveError(LONG* Value) {
    return GuardedNumber(upload_->Factory().Origin(), Value,
                         [&] { return upload_->Core().LastSaveErrorAt(index_); });
}

HRESULT TTessockFileObject::InterfaceSupportsErrorInfo(REFIID iid) { return Answers(iid) ? S_OK : S_FALSE; }

TTessockFilesObject::TTessockFilesObject(ComPtr<TTessockComObject> upload)
    : DispatchObject(upload->Factory().FilesInfo()), upload_(std::move(upload)) {}

HRESULT TTessockFilesObject::get_Count(LONG* Value) {
    return GuardedNumber(upload_->Factory().Origin(), Value, [&] { return upload_->Core().FileCount(); });
}

HRESULT TTessockFilesObject::get_Item(VARIANT Index, ITessockFile** Value) {
    if (Value == nullptr) return E_POINTER;
    *Value = nullptr;
    return Guarded(upload_->Factory().Origin(), [&] {
        UniqueVariant index;
        TakeIndex(index, Index);
        std::int32_t position = -1;
        if (V_VT(index.Get()) == VT_BSTR) {
            // A name that no file has gives Nothing, as a missing form field gives "".
            position =
                upload_->Core().FileIndexOf(NarrowFromBstr(V_BSTR(index.Get()), upload_->TextCodePage()));
            if (position < 0) return;
        } else {
            position = PositionOf(*index.Get());
            upload_->Core().FileAt(position);  // the position's error, if any
        }
        *Value = ComPtr<ITessockFile>(MakeComObject<TTessockFileObject>(upload_, position)).Detach();
    });
}

HRESULT TTessockFilesObject::get__NewEnum(IUnknown** Value) {
    return NewListEnumerator(FileList{upload_}, Value);
}

HRESULT TTessockFilesObject::InterfaceSupportsErrorInfo(REFIID iid) { return Answers(iid) ? S_OK : S_FALSE; }

}  // namespace kestrune

#include "server/file_com_objects.h"

#include <algorithm>
#include <new>
#include <string>

#include "com/owners.h"
#include "com/text_conversion.h"
#include "server/class_factory.h"
#include "server/member_results.h"

namespace kestrune {

namespace {

std::int32_t Count(const ComPtr<TTessockComObject>& upload) { return upload->Core().FileCount(); }

// A conversion of the index that failed: for want of memory, or because the index is no
// number at all (Null, Nothing, an object without a numeric value, an array), which is
// the script's type mismatch.
void CheckConverted(HRESULT hr) {
    if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
    if (FAILED(hr)) throw EArgumentMismatch();
}

// The position a numeric index names. A number past the long range names no file, as a
// position past the end does.
std::int32_t PositionOf(VARIANT& index) {
    const HRESULT hr = VariantChangeType(&index, &index, 0, VT_I4);
    if (hr == DISP_E_OVERFLOW) throw EUploadError("Index out of range.");
    CheckConverted(hr);
    return static_cast<std::int32_t>(V_I4(&index));
}

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

HRESULT TTessockFileObject::InterfaceSupportsErrorInfo(REFIID iid) { return Answers(iid) ? S_OK : S_FALSE; }

TTessockFilesObject::TTessockFilesObject(ComPtr<TTessockComObject> upload)
    : DispatchObject(upload->Factory().FilesInfo()), upload_(std::move(upload)) {}

HRESULT TTessockFilesObject::get_Count(LONG* Value) {
    return GuardedNumber(upload_->Factory().Origin(), Value, [&] { return Count(upload_); });
}

HRESULT TTessockFilesObject::get_Item(VARIANT Index, ITessockFile** Value) {
    if (Value == nullptr) return E_POINTER;
    *Value = nullptr;
    return Guarded(upload_->Factory().Origin(), [&] {
        UniqueVariant index;
        CheckConverted(VariantCopyInd(index.Get(), &Index));
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
    if (Value == nullptr) return E_POINTER;
    *Value = nullptr;
    return Guarded(upload_->Factory().Origin(), [&] {
        *Value = ComPtr<IEnumVARIANT>(MakeComObject<TFileEnumerator>(upload_, 0)).Detach();
    });
}

HRESULT TTessockFilesObject::InterfaceSupportsErrorInfo(REFIID iid) { return Answers(iid) ? S_OK : S_FALSE; }

TFileEnumerator::TFileEnumerator(ComPtr<TTessockComObject> upload, std::int32_t position)
    : upload_(std::move(upload)), position_(position) {}

HRESULT TFileEnumerator::Next(ULONG count, VARIANT* items, ULONG* fetched) {
    if (fetched) *fetched = 0;
    if (items == nullptr) return E_POINTER;
    if (count > 1 && fetched == nullptr) return E_INVALIDARG;
    ULONG done = 0;
    try {
        for (; done < count && position_ < Count(upload_); ++done, ++position_) {
            ComPtr<ITessockFile> file(MakeComObject<TTessockFileObject>(upload_, position_));
            VariantInit(&items[done]);
            V_DISPATCH(&items[done]) = file.Detach();
            V_VT(&items[done]) = VT_DISPATCH;
        }
    } catch (...) {
        // Nothing half-handed: what was filled is cleared again.
        for (ULONG i = 0; i < done; ++i) VariantClear(&items[i]);
        position_ -= static_cast<std::int32_t>(done);
        return E_OUTOFMEMORY;
    }
    if (fetched) *fetched = done;
    return done == count ? S_OK : S_FALSE;
}

HRESULT TFileEnumerator::Skip(ULONG count) {
    const std::int32_t left = Count(upload_) - position_;
    const auto step = static_cast<std::int32_t>(std::min<ULONG>(count, static_cast<ULONG>(left)));
    position_ += step;
    return static_cast<ULONG>(step) == count ? S_OK : S_FALSE;
}

HRESULT TFileEnumerator::Reset() {
    position_ = 0;
    return S_OK;
}

HRESULT TFileEnumerator::Clone(IEnumVARIANT** copy) {
    if (copy == nullptr) return E_POINTER;
    *copy = nullptr;
    try {
        *copy = ComPtr<IEnumVARIANT>(MakeComObject<TFileEnumerator>(upload_, position_)).Detach();
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace kestrune

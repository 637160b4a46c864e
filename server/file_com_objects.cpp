#include "server/file_com_objects.h"

#include <dispex.h>

#include <algorithm>
#include <string>
#include <vector>

#include "com/error_info.h"
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

// What CopyTo hands to each Write: large enough that a call's cost is nothing beside its
// bytes, small enough that a 32-bit pool never misses the memory.
constexpr std::int32_t kCopyChunk = 1 << 20;

// A target's own failure, as its caller gets it. A call that raised an exception gives
// its code and error object (a script's Err.Raise, a stream's refusal); any other
// failing code goes back bare, for the engine to name.
HRESULT TargetFailure(HRESULT hr, EXCEPINFO& exception) {
    if (hr != DISP_E_EXCEPTION) {
        SetErrorInfo(0, nullptr);
        return hr;
    }
    SetErrorInfo(0, nullptr);  // a target's exception that says nothing leaves none behind
    return TakeExceptionInfo(exception);
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
    return GuardedBytes(upload_->Factory().Origin(), Value, upload_->Core(), [&] { return SpanOf(File()); });
}

HRESULT TTessockFileObject::get_FileSize(LONG* Value) {
    return GuardedNumber(upload_->Factory().Origin(), Value,
                         [&] { return upload_->Core().FileSizeAt(index_); });
}

HRESULT TTessockFileObject::get_LastSaveError(LONG* Value) {
    return GuardedNumber(upload_->Factory().Origin(), Value,
                         [&] { return upload_->Core().LastSaveErrorAt(index_); });
}

HRESULT TTessockFileObject::get_SafeFilename(BSTR* Value) {
    return GuardedText(
        upload_->Factory().Origin(), Value, [&] { return upload_->Core().SafeFilenameAt(index_); },
        upload_->TextCodePage());
}

HRESULT TTessockFileObject::SaveToFolder(BSTR Folder, VARIANT AllowedExtensions, VARIANT Naming,
                                         BSTR* Value) {
    return GuardedText(
        upload_->Factory().Origin(), Value,
        [&] {
            bool exact = true;
            const std::string folder = NarrowFromBstr(Folder, upload_->TextCodePage(), &exact);
            const std::wstring allowed = OptionalText(AllowedExtensions, L"");
            return upload_->Core().SaveToFolderAt(index_, folder, exact,
                                                  NarrowFromWide(allowed, upload_->TextCodePage()),
                                                  OptionalNumber(Naming, 0));
        },
        upload_->TextCodePage());
}

HRESULT TTessockFileObject::get_DetectedType(BSTR* Value) {
    return GuardedText(upload_->Factory().Origin(), Value,
                       [&] { return std::string(upload_->Core().DetectedTypeAt(index_).Type); });
}

HRESULT TTessockFileObject::get_DetectedExtension(BSTR* Value) {
    return GuardedText(upload_->Factory().Origin(), Value,
                       [&] { return std::string(upload_->Core().DetectedTypeAt(index_).Extension); });
}

HRESULT TTessockFileObject::Hash(VARIANT Algorithm, BSTR* Value) {
    return GuardedText(upload_->Factory().Origin(), Value, [&] {
        // Names of algorithms are ASCII; any other text names none.
        return upload_->Core().HashAt(index_, NarrowFromWide(OptionalText(Algorithm, L"SHA256"), CP_UTF8));
    });
}

HRESULT TTessockFileObject::ReadBytes(LONG Offset, LONG Count, VARIANT* Value) {
    return GuardedBytes(upload_->Factory().Origin(), Value, upload_->Core(),
                        [&] { return upload_->Core().FileBytesAt(index_, Offset, Count); });
}

HRESULT TTessockFileObject::CopyTo(VARIANT Target, LONG* Value) {
    if (Value == nullptr) return E_POINTER;
    *Value = 0;
    HRESULT failure = S_OK;  // the target's own
    const HRESULT hr = Guarded(upload_->Factory().Origin(), [&] {
        UniqueVariant target;
        TakeIndex(target, Target);
        IUnknown* object = V_VT(target.Get()) == VT_DISPATCH  ? V_DISPATCH(target.Get())
                           : V_VT(target.Get()) == VT_UNKNOWN ? V_UNKNOWN(target.Get())
                                                              : nullptr;
        if (object == nullptr) throw EArgumentMismatch();
        const TTessock& core = upload_->Core();
        const std::int32_t size = core.FileSizeAt(index_);
        ComPtr<IStream> stream;
        ComPtr<IDispatch> dispatch;
        DISPID write = DISPID_UNKNOWN;
        if (FAILED(object->QueryInterface(IID_IStream, reinterpret_cast<void**>(stream.Out())))) {
            // An object without a Write method fails as the engine's own call of one would.
            // A script's objects may answer names through IDispatchEx only, as the engines
            // ask them.
            wchar_t name[] = L"Write";
            LPOLESTR names[] = {name};
            EXCEPINFO none{};
            ComPtr<IDispatchEx> script;
            HRESULT found = object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.Out()));
            if (SUCCEEDED(found) && SUCCEEDED(object->QueryInterface(
                                        __uuidof(IDispatchEx), reinterpret_cast<void**>(script.Out())))) {
                const UniqueBstr text(SysAllocString(name));
                if (text.Get() == nullptr) throw std::bad_alloc();
                found = script->GetDispID(text.Get(), fdexNameCaseInsensitive, &write);
            } else if (SUCCEEDED(found)) {
                found = dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &write);
            }
            if (FAILED(found)) {
                failure = TargetFailure(found == E_NOINTERFACE ? DISP_E_UNKNOWNNAME : found, none);
                return;
            }
        }
        std::vector<char> buffer;
        for (std::int32_t offset = 0; offset < size; offset += kCopyChunk) {
            const FileSpan span = core.FileBytesAt(index_, offset, kCopyChunk);
            if (stream) {
                buffer.resize(static_cast<std::size_t>(span.Size));
                core.CopyFileBytes(span, buffer.data());
                ULONG written = 0;
                failure = stream->Write(buffer.data(), static_cast<ULONG>(span.Size), &written);
                if (SUCCEEDED(failure) && written != static_cast<ULONG>(span.Size))
                    failure = STG_E_MEDIUMFULL;
                if (FAILED(failure)) return;
            } else {
                // A new array each time: a target may keep what it was given.
                UniqueVariant chunk;
                V_ARRAY(chunk.Get()) = FileByteArray(core, span).Release();
                V_VT(chunk.Get()) = VT_ARRAY | VT_UI1;
                DISPPARAMS arguments{chunk.Get(), nullptr, 1, 0};
                // Called as a statement calls it, with no result asked for: a script's Sub
                // takes nothing else.
                EXCEPINFO exception{};
                const HRESULT called = dispatch->Invoke(write, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                                        &arguments, nullptr, &exception, nullptr);
                if (FAILED(called)) {
                    failure = TargetFailure(called, exception);
                    return;
                }
            }
            *Value += span.Size;
        }
        failure = S_OK;
    });
    return FAILED(hr) ? hr : failure;
}

HRESULT TTessockFileObject::get_ImageWidth(LONG* Value) {
    return GuardedNumber(upload_->Factory().Origin(), Value,
                         [&] { return upload_->Core().ImageSizeAt(index_).Width; });
}

HRESULT TTessockFileObject::get_ImageHeight(LONG* Value) {
    return GuardedNumber(upload_->Factory().Origin(), Value,
                         [&] { return upload_->Core().ImageSizeAt(index_).Height; });
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

#include "server/form_com_objects.h"

#include <new>
#include <utility>

#include "com/owners.h"
#include "com/text_conversion.h"
#include "members/form_collection.h"
#include "server/class_factory.h"
#include "server/list_enumerator.h"
#include "server/member_results.h"

namespace kestrune {

namespace {

constexpr const char* kIndexOutOfRange = "Index out of range.";

void FillText(VARIANT& item, const std::string& text, UINT codePage) {
    V_BSTR(&item) = BstrFromNarrow(text, codePage);
    V_VT(&item) = VT_BSTR;
}

// The form's names, for For Each over the form.
struct NameList {
    ComPtr<TTessockComObject> upload;

    std::int32_t Count() const { return upload->Core().Form().Count(); }
    void Fill(std::int32_t position, VARIANT& item) const {
        FillText(item, upload->Core().Form().Key(position), upload->TextCodePage());
    }
};

// One field's values, for For Each over the field.
struct ValueList {
    ComPtr<TTessockFieldObject> field;

    std::int32_t Count() const {
        try {
            const std::int32_t position = field->Position();
            return position < 0 ? 0 : field->Upload().Core().Form().ValueCount(position);
        } catch (const Exception&) {
            return 0;  // a position the form no longer reaches has no values left
        }
    }
    void Fill(std::int32_t value, VARIANT& item) const {
        TTessockComObject& upload = field->Upload();
        FillText(item, upload.Core().Form().Value(field->Position(), value), upload.TextCodePage());
    }
};

}  // namespace

TTessockFieldObject::TTessockFieldObject(ComPtr<TTessockComObject> upload, std::wstring name)
    : DispatchObject(upload->Factory().FieldInfo()), upload_(std::move(upload)), name_(std::move(name)) {}

TTessockFieldObject::TTessockFieldObject(ComPtr<TTessockComObject> upload, std::int32_t position)
    : DispatchObject(upload->Factory().FieldInfo()), upload_(std::move(upload)), position_(position) {}

std::int32_t TTessockFieldObject::Position() const {
    const FormCollection& form = upload_->Core().Form();
    if (position_ < 0) return form.IndexOf(NarrowFromWide(name_, upload_->TextCodePage()));
    if (position_ >= form.Count()) throw EUploadError(kIndexOutOfRange);
    return position_;
}

HRESULT TTessockFieldObject::get_Item(VARIANT Index, BSTR* Value) {
    return GuardedText(
        upload_->Factory().Origin(), Value,
        [&] {
            const FormCollection& form = upload_->Core().Form();
            const std::int32_t position = Position();
            // No index: every value, as Request.Form gives a field.
            if (V_VT(&Index) == VT_ERROR && V_ERROR(&Index) == DISP_E_PARAMNOTFOUND)
                return position < 0 ? std::string() : form.Joined(position);
            UniqueVariant index;
            TakeIndex(index, Index);
            const std::int32_t value = PositionOf(*index.Get());
            if (position < 0 || value < 1 || value > form.ValueCount(position))
                throw EUploadError(kIndexOutOfRange);
            return form.Value(position, value - 1);
        },
        upload_->TextCodePage());
}

HRESULT TTessockFieldObject::get_Count(LONG* Value) {
    return GuardedNumber(upload_->Factory().Origin(), Value, [&] {
        const std::int32_t position = Position();
        return position < 0 ? 0 : upload_->Core().Form().ValueCount(position);
    });
}

HRESULT TTessockFieldObject::get_Key(BSTR* Value) {
    if (Value == nullptr) return E_POINTER;
    *Value = nullptr;
    return Guarded(upload_->Factory().Origin(), [&] {
        const std::int32_t position = Position();
        if (position >= 0) {
            *Value = BstrFromNarrow(upload_->Core().Form().Key(position), upload_->TextCodePage());
            return;
        }
        // A name no field has: the name as the page asked for it.
        *Value = SysAllocStringLen(name_.data(), static_cast<UINT>(name_.size()));
        if (*Value == nullptr) throw std::bad_alloc();
    });
}

HRESULT TTessockFieldObject::get__NewEnum(IUnknown** Value) {
    return NewListEnumerator(ValueList{ComPtr<TTessockFieldObject>::Borrow(this)}, Value);
}

HRESULT TTessockFieldObject::InterfaceSupportsErrorInfo(REFIID iid) { return Answers(iid) ? S_OK : S_FALSE; }

TTessockFormObject::TTessockFormObject(ComPtr<TTessockComObject> upload)
    : DispatchObject(upload->Factory().FormInfo()), upload_(std::move(upload)) {}

HRESULT TTessockFormObject::get_Count(LONG* Value) {
    return GuardedNumber(upload_->Factory().Origin(), Value, [&] { return upload_->Core().Form().Count(); });
}

HRESULT TTessockFormObject::get_Item(VARIANT Index, ITessockField** Value) {
    if (Value == nullptr) return E_POINTER;
    *Value = nullptr;
    return Guarded(upload_->Factory().Origin(), [&] {
        UniqueVariant index;
        TakeIndex(index, Index);
        if (V_VT(index.Get()) == VT_BSTR) {
            // A name no field has gives an empty field, as Request.Form does.
            std::wstring name(V_BSTR(index.Get()), SysStringLen(V_BSTR(index.Get())));
            *Value =
                ComPtr<ITessockField>(MakeComObject<TTessockFieldObject>(upload_, std::move(name))).Detach();
            return;
        }
        const std::int32_t position = PositionOf(*index.Get());
        if (position < 1 || position > upload_->Core().Form().Count()) throw EUploadError(kIndexOutOfRange);
        *Value = ComPtr<ITessockField>(MakeComObject<TTessockFieldObject>(upload_, position - 1)).Detach();
    });
}

HRESULT TTessockFormObject::get_Key(LONG Index, BSTR* Value) {
    return GuardedText(
        upload_->Factory().Origin(), Value,
        [&] {
            const FormCollection& form = upload_->Core().Form();
            if (Index < 1 || Index > form.Count()) throw EUploadError(kIndexOutOfRange);
            return form.Key(static_cast<std::int32_t>(Index) - 1);
        },
        upload_->TextCodePage());
}

HRESULT TTessockFormObject::get__NewEnum(IUnknown** Value) {
    return NewListEnumerator(NameList{upload_}, Value);
}

HRESULT TTessockFormObject::InterfaceSupportsErrorInfo(REFIID iid) { return Answers(iid) ? S_OK : S_FALSE; }

}  // namespace kestrune

#include "server/rejected_com_objects.h"

#include <string>

#include "server/class_factory.h"
#include "server/list_enumerator.h"
#include "server/member_results.h"

namespace kestrune {

namespace {

// The rejected parts for For Each: a new object for each position.
struct RejectedList {
    ComPtr<TTessockComObject> upload;

    std::int32_t Count() const { return upload->Core().RejectedCount(); }
    void Fill(std::int32_t position, VARIANT& item) const {
        V_DISPATCH(&item) =
            ComPtr<IRejectedPart>(MakeComObject<TRejectedPartObject>(upload, position)).Detach();
        V_VT(&item) = VT_DISPATCH;
    }
};

}  // namespace

TRejectedPartObject::TRejectedPartObject(ComPtr<TTessockComObject> upload, std::int32_t index)
    : DispatchObject(upload->Factory().RejectedPartInfo()), upload_(std::move(upload)), index_(index) {}

HRESULT TRejectedPartObject::get_FieldName(BSTR* Value) {
    return GuardedText(
        upload_->Factory().Origin(), Value, [&] { return Part().FieldName; }, upload_->TextCodePage());
}

HRESULT TRejectedPartObject::get_Filename(BSTR* Value) {
    return GuardedText(
        upload_->Factory().Origin(), Value, [&] { return Part().Filename; }, upload_->TextCodePage());
}

HRESULT TRejectedPartObject::get_Size(LONG* Value) {
    return GuardedNumber(upload_->Factory().Origin(), Value, [&] { return Part().Size; });
}

HRESULT TRejectedPartObject::get_Reason(LONG* Value) {
    return GuardedNumber(upload_->Factory().Origin(), Value,
                         [&] { return static_cast<std::int32_t>(Part().Reason); });
}

HRESULT TRejectedPartObject::get_ReasonText(BSTR* Value) {
    return GuardedText(upload_->Factory().Origin(), Value,
                       [&] { return std::string(RejectReasonText(Part().Reason)); });
}

HRESULT TRejectedPartObject::InterfaceSupportsErrorInfo(REFIID iid) { return Answers(iid) ? S_OK : S_FALSE; }

TRejectedPartsObject::TRejectedPartsObject(ComPtr<TTessockComObject> upload)
    : DispatchObject(upload->Factory().RejectedPartsInfo()), upload_(std::move(upload)) {}

HRESULT TRejectedPartsObject::get_Count(LONG* Value) {
    return GuardedNumber(upload_->Factory().Origin(), Value, [&] { return upload_->Core().RejectedCount(); });
}

HRESULT TRejectedPartsObject::get_Item(VARIANT Index, IRejectedPart** Value) {
    if (Value == nullptr) return E_POINTER;
    *Value = nullptr;
    return Guarded(upload_->Factory().Origin(), [&] {
        UniqueVariant index;
        TakeIndex(index, Index);
        const std::int32_t position = PositionOf(*index.Get());
        upload_->Core().RejectedAt(position);  // the position's error, if any
        *Value = ComPtr<IRejectedPart>(MakeComObject<TRejectedPartObject>(upload_, position)).Detach();
    });
}

HRESULT TRejectedPartsObject::get__NewEnum(IUnknown** Value) {
    return NewListEnumerator(RejectedList{upload_}, Value);
}

HRESULT TRejectedPartsObject::InterfaceSupportsErrorInfo(REFIID iid) { return Answers(iid) ? S_OK : S_FALSE; }

}  // namespace kestrune

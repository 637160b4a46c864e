// The COM faces of an Upload object's Rejected collection: the parts intake did not keep,
// as Files lists the files it kept (positions from 0, For Each through
// server/list_enumerator.h). Each holds a reference to its upload object and asks its core
// at every call, so the texts follow later changes of CodePage.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>

#include "com/dispatch.h"
#include "kestrune.h"
#include "server/server_object.h"
#include "server/tessock_com_object.h"

namespace kestrune {

class TRejectedPartObject final : public DispatchObject<ServerObjectCount, IRejectedPart, ISupportErrorInfo> {
public:
    TRejectedPartObject(ComPtr<TTessockComObject> upload, std::int32_t index);

    // IRejectedPart
    HRESULT STDMETHODCALLTYPE get_FieldName(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE get_Filename(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE get_Size(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE get_Reason(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE get_ReasonText(BSTR* Value) override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

private:
    RejectedPart Part() const { return upload_->Core().RejectedAt(index_); }

    ComPtr<TTessockComObject> upload_;
    std::int32_t index_;
};

class TRejectedPartsObject final
    : public DispatchObject<ServerObjectCount, IRejectedParts, ISupportErrorInfo> {
public:
    explicit TRejectedPartsObject(ComPtr<TTessockComObject> upload);

    // IRejectedParts
    HRESULT STDMETHODCALLTYPE get_Count(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE get_Item(VARIANT Index, IRejectedPart** Value) override;
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** Value) override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

private:
    ComPtr<TTessockComObject> upload_;
};

}  // namespace kestrune

// The COM faces of the Form collection: the collection of names and one field's values.
// Each holds a reference to its upload object and asks its core at every call, so both
// follow later changes of CodePage as Files does. A field found by name looks its name up
// again at each call; one found by position keeps the position.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <string>

#include "com/dispatch.h"
#include "kestrune.h"
#include "server/server_object.h"
#include "server/tessock_com_object.h"

namespace kestrune {

class TTessockFieldObject final : public DispatchObject<ServerObjectCount, ITessockField, ISupportErrorInfo> {
public:
    // The field named name, as the page wrote it.
    TTessockFieldObject(ComPtr<TTessockComObject> upload, std::wstring name);
    // The field at position (0-based) in the form.
    TTessockFieldObject(ComPtr<TTessockComObject> upload, std::int32_t position);

    // ITessockField
    HRESULT STDMETHODCALLTYPE get_Item(VARIANT Index, BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE get_Count(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE get_Key(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** Value) override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

    // The field's position in the form now; -1 for a name no field has. Throws "Index out
    // of range." for a position the form no longer reaches.
    std::int32_t Position() const;
    TTessockComObject& Upload() const { return *upload_.Get(); }

private:
    ComPtr<TTessockComObject> upload_;
    std::wstring name_;
    std::int32_t position_ = -1;  // -1: found by name_
};

class TTessockFormObject final : public DispatchObject<ServerObjectCount, ITessockForm, ISupportErrorInfo> {
public:
    explicit TTessockFormObject(ComPtr<TTessockComObject> upload);

    // ITessockForm
    HRESULT STDMETHODCALLTYPE get_Count(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE get_Item(VARIANT Index, ITessockField** Value) override;
    HRESULT STDMETHODCALLTYPE get_Key(LONG Index, BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** Value) override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

private:
    ComPtr<TTessockComObject> upload_;
};

}  // namespace kestrune

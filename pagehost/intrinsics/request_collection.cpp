#include "pagehost/intrinsics/request_collection.h"

#include "base/ascii.h"
#include "com/com_ptr.h"
#include "com/owners.h"
#include "com/error_info.h"
#include "pagehost/text.h"

namespace kestrune {
namespace {

bool IsMissing(const VARIANT& argument) {
    return V_VT(&argument) == VT_ERROR && V_ERROR(&argument) == DISP_E_PARAMNOTFOUND;
}

HRESULT ReturnText(const std::string& text, VARIANT* value) {
    HRESULT hr = ReturnBstr(text, &V_BSTR(value));
    if (SUCCEEDED(hr)) V_VT(value) = VT_BSTR;
    return hr;
}

HRESULT OutOfRange() {
    PublishError({GUID_NULL, L"Request", L"The index is out of range."});
    return DISP_E_BADINDEX;
}

}  // namespace

RequestCollection::RequestCollection(NamedValues values, std::string whole)
    : values_(std::move(values)), whole_(std::move(whole)) {
    for (const auto& pair : values_) {
        bool seen = false;
        for (const std::string& key : keys_) seen = seen || EqualsNoCase(key, pair.first);
        if (!seen) keys_.push_back(pair.first);
    }
}

HRESULT RequestCollection::NameOf(VARIANT* key, std::string* name) const {
    UniqueVariant value;
    if (HRESULT hr = VariantCopyInd(value.Get(), key); FAILED(hr)) return hr;
    if (V_VT(value.Get()) == VT_BSTR) {
        *name = ToUtf8({V_BSTR(value.Get()), SysStringLen(V_BSTR(value.Get()))});
        return S_OK;
    }
    if (FAILED(VariantChangeType(value.Get(), value.Get(), 0, VT_I4))) return DISP_E_TYPEMISMATCH;
    LONG index = V_I4(value.Get());
    if (index < 1 || static_cast<std::size_t>(index) > keys_.size()) return OutOfRange();
    *name = keys_[static_cast<std::size_t>(index - 1)];
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RequestCollection::get_Item(VARIANT key, VARIANT* value) {
    if (!value) return E_POINTER;
    VariantInit(value);
    if (IsMissing(key)) return ReturnText(whole_, value);
    std::string name;
    if (HRESULT hr = NameOf(&key, &name); FAILED(hr)) return hr;
    bool found = false;
    std::string joined;
    for (const auto& pair : values_) {
        if (!EqualsNoCase(pair.first, name)) continue;
        if (found) joined += ", ";
        joined += pair.second;
        found = true;
    }
    return found ? ReturnText(joined, value) : S_OK;
}

HRESULT STDMETHODCALLTYPE RequestCollection::get_Count(LONG* count) {
    if (!count) return E_POINTER;
    *count = static_cast<LONG>(keys_.size());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RequestCollection::get_Key(LONG index, BSTR* name) {
    if (!name) return E_POINTER;
    *name = nullptr;
    if (index < 1 || static_cast<std::size_t>(index) > keys_.size()) return OutOfRange();
    return ReturnBstr(keys_[static_cast<std::size_t>(index - 1)], name);
}

HRESULT LookUpRequestValue(const NamedValues& values, const std::string& whole, VARIANT name,
                           VARIANT* value) {
    if (!value) return E_POINTER;
    VariantInit(value);
    ComPtr<RequestCollection> collection = MakeComObject<RequestCollection>(values, whole);
    if (!IsMissing(name)) return collection->get_Item(name, value);
    V_VT(value) = VT_DISPATCH;
    V_DISPATCH(value) = collection.Detach();
    return S_OK;
}

}  // namespace kestrune

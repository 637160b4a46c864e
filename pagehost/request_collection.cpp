#include "request_collection.h"

#include "fault_plan.h"
#include "text.h"

#include <cstring>

namespace kestrune {
namespace {

enum : DISPID { kItem = DISPID_VALUE, kCount = 1, kKey = 2 };

constexpr DispatchMember kMembers[] = {{L"Item", kItem}, {L"Count", kCount}, {L"Key", kKey}};

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

void ReturnText(const std::string& text, VARIANT* result) {
    if (!result) return;
    std::wstring wide = FromUtf8(text);
    V_VT(result) = VT_BSTR;
    V_BSTR(result) = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

}  // namespace

RequestCollection::RequestCollection(NamedValues values, std::string whole)
    : DispatchObject(IID_IDispatch, kMembers, std::size(kMembers)),
      values_(std::move(values)),
      whole_(std::move(whole)) {
    for (const auto& pair : values_) {
        bool seen = false;
        for (const std::string& key : keys_) seen = seen || SameName(key, pair.first);
        if (!seen) keys_.push_back(pair.first);
    }
}

HRESULT RequestCollection::Item(VARIANT* key, VARIANT* result) const {
    VARIANT value;
    VariantInit(&value);
    HRESULT hr = VariantCopyInd(&value, key);
    if (FAILED(hr)) return hr;
    std::string name;
    if (V_VT(&value) == VT_BSTR) {
        name = ToUtf8({V_BSTR(&value), SysStringLen(V_BSTR(&value))});
    } else if (SUCCEEDED(VariantChangeType(&value, &value, 0, VT_I4))) {
        LONG index = V_I4(&value);
        if (index < 1 || static_cast<std::size_t>(index) > keys_.size()) {
            VariantClear(&value);
            PublishError(L"Request", L"The index is out of range.");
            return DISP_E_BADINDEX;
        }
        name = keys_[static_cast<std::size_t>(index - 1)];
    } else {
        VariantClear(&value);
        return DISP_E_TYPEMISMATCH;
    }
    VariantClear(&value);
    bool found = false;
    std::string joined;
    for (const auto& pair : values_) {
        if (!SameName(pair.first, name)) continue;
        if (found) joined += ", ";
        joined += pair.second;
        found = true;
    }
    if (found) ReturnText(joined, result);
    return S_OK;
}

HRESULT RequestCollection::InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result) {
    if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) return DISP_E_MEMBERNOTFOUND;
    switch (id) {
        case kItem:
            if (params->cArgs == 0) {
                ReturnText(whole_, result);
                return S_OK;
            }
            return params->cArgs == 1 ? Item(PositionalArgument(params, 1, 0), result) : DISP_E_BADPARAMCOUNT;
        case kCount:
            if (params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
            if (result) {
                V_VT(result) = VT_I4;
                V_I4(result) = static_cast<LONG>(keys_.size());
            }
            return S_OK;
        case kKey: {
            VARIANT* argument = PositionalArgument(params, 1, 0);
            if (!argument) return DISP_E_BADPARAMCOUNT;
            VARIANT index;
            VariantInit(&index);
            if (FAILED(VariantChangeType(&index, argument, 0, VT_I4))) return DISP_E_TYPEMISMATCH;
            if (V_I4(&index) < 1 || static_cast<std::size_t>(V_I4(&index)) > keys_.size())
                return DISP_E_BADINDEX;
            ReturnText(keys_[static_cast<std::size_t>(V_I4(&index) - 1)], result);
            return S_OK;
        }
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}

HRESULT LookUpRequestValue(const NamedValues& values, const std::string& whole, DISPPARAMS* params,
                           VARIANT* result) {
    auto* collection = new RequestCollection(values, whole);
    HRESULT hr = S_OK;
    if (params->cArgs == 0) {
        if (result) {
            V_VT(result) = VT_DISPATCH;
            V_DISPATCH(result) = collection;
            collection->AddRef();
        }
    } else if (params->cArgs == 1) {
        hr = collection->Item(PositionalArgument(params, 1, 0), result);
    } else {
        hr = DISP_E_BADPARAMCOUNT;
    }
    collection->Release();
    return hr;
}

}  // namespace kestrune

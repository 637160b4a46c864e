// TListEnumerator: the enumerator behind For Each over one of the component's live lists
// (the files, the form's names, one field's values). It holds a position only: each Next
// asks the list afresh, so a change of CodePage meanwhile shows as it does through Item.
//
//   struct Names {
//       ComPtr<TTessockComObject> upload;
//       std::int32_t Count() const;                    // the list's length now
//       void Fill(std::int32_t position, VARIANT& item) const;  // throws on failure
//   };
//   MakeComObject<TListEnumerator<Names>>(Names{upload}, 0);
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <algorithm>
#include <cstdint>
#include <utility>

#include "com/com_object.h"
#include "server/server_object.h"

namespace kestrune {

template <typename List>
class TListEnumerator final : public ComObject<ServerObjectCount, IEnumVARIANT> {
public:
    TListEnumerator(List list, std::int32_t position) : list_(std::move(list)), position_(position) {}

    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* items, ULONG* fetched) override {
        if (fetched) *fetched = 0;
        if (items == nullptr) return E_POINTER;
        if (count > 1 && fetched == nullptr) return E_INVALIDARG;
        ULONG done = 0;
        try {
            for (; done < count && position_ < list_.Count(); ++done, ++position_) {
                VariantInit(&items[done]);
                list_.Fill(position_, items[done]);
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

    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        try {
            const std::int32_t left = std::max(list_.Count() - position_, 0);
            const auto step = static_cast<std::int32_t>(std::min<ULONG>(count, static_cast<ULONG>(left)));
            position_ += step;
            return static_cast<ULONG>(step) == count ? S_OK : S_FALSE;
        } catch (...) {
            return E_OUTOFMEMORY;  // the list could not be read
        }
    }

    HRESULT STDMETHODCALLTYPE Reset() override {
        position_ = 0;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override {
        if (copy == nullptr) return E_POINTER;
        *copy = nullptr;
        try {
            *copy = ComPtr<IEnumVARIANT>(MakeComObject<TListEnumerator>(list_, position_)).Detach();
            return S_OK;
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }

private:
    List list_;
    std::int32_t position_;
};

// A new enumerator over list from its start, as a collection's _NewEnum hands it out.
template <typename List>
HRESULT NewListEnumerator(List list, IUnknown** Value) {
    if (Value == nullptr) return E_POINTER;
    *Value = nullptr;
    try {
        *Value = ComPtr<IEnumVARIANT>(MakeComObject<TListEnumerator<List>>(std::move(list), 0)).Detach();
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace kestrune

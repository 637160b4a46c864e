// The shape of every script-facing member of the component's objects: reset the out
// parameter, then produce the result under the one exception boundary, converting it
// from the core's type.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <new>
#include <string>
#include <string_view>
#include <utility>

#include "base/exceptions.h"
#include "com/owners.h"
#include "com/text_conversion.h"
#include "server/error_boundary.h"
#include "upload/tessock.h"

namespace kestrune {

// The text is in codePage: CP_ACP, or CP_UTF8 on the Unicode road.
template <typename Produce>
HRESULT GuardedText(const ErrorOrigin& origin, BSTR* Value, Produce&& produce, UINT codePage = CP_ACP) {
    if (Value == nullptr) return E_POINTER;
    *Value = nullptr;
    return Guarded(origin, [&] { *Value = BstrFromNarrow(produce(), codePage); });
}

template <typename Produce>
HRESULT GuardedNumber(const ErrorOrigin& origin, LONG* Value, Produce&& produce) {
    if (Value == nullptr) return E_POINTER;
    *Value = 0;
    return Guarded(origin, [&] { *Value = static_cast<LONG>(produce()); });
}

// A byte array of some of the body, with its lower bound at 1, as every byte array of the
// component has it; upload copies the bytes straight into it, wherever the body is.
// Throws EVariantError when the array cannot be made.
inline UniqueSafeArray FileByteArray(const TTessock& upload, FileSpan span) {
    UniqueSafeArray array = ByteArray(static_cast<std::size_t>(span.Size), 1);
    if (!array) throw EVariantError("Error creating variant array");
    if (span.Size > 0) {
        const SafeArrayData lock(array.Get());
        if (FAILED(lock.Result())) throw EVariantError("Error creating variant array");
        upload.CopyFileBytes(span, static_cast<char*>(lock.Data()));
    }
    return array;
}

// The bytes of the span produce gives, as FileByteArray makes them.
template <typename Produce>
HRESULT GuardedBytes(const ErrorOrigin& origin, VARIANT* Value, const TTessock& upload, Produce&& produce) {
    if (Value == nullptr) return E_POINTER;
    VariantInit(Value);
    return Guarded(origin, [&] {
        V_ARRAY(Value) = FileByteArray(upload, produce()).Release();
        V_VT(Value) = VT_ARRAY | VT_UI1;
    });
}

// The Item argument of a collection, in index with any reference taken off. Anything
// but a name is taken as a number; what converts to none (Null, Nothing, an object
// without a numeric value, an array) is the script's type mismatch.
inline void TakeIndex(UniqueVariant& index, const VARIANT& argument) {
    const HRESULT hr = VariantCopyInd(index.Get(), const_cast<VARIANT*>(&argument));
    if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
    if (FAILED(hr)) throw EArgumentMismatch();
}

// The number a numeric index names. One past the long range names nothing, as a
// position past the end does.
inline std::int32_t PositionOf(VARIANT& index) {
    const HRESULT hr = VariantChangeType(&index, &index, 0, VT_I4);
    if (hr == DISP_E_OVERFLOW) throw EUploadError("Index out of range.");
    if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
    if (FAILED(hr)) throw EArgumentMismatch();
    return static_cast<std::int32_t>(V_I4(&index));
}

// An optional argument the script may leave out: absent, Empty or Null give fallback;
// anything else is converted to text (a type mismatch where it cannot be).
inline std::wstring OptionalText(const VARIANT& argument, const wchar_t* fallback) {
    UniqueVariant value;
    if (V_VT(&argument) == VT_ERROR && V_ERROR(&argument) == DISP_E_PARAMNOTFOUND) return fallback;
    TakeIndex(value, argument);
    if (V_VT(value.Get()) == VT_EMPTY || V_VT(value.Get()) == VT_NULL) return fallback;
    const HRESULT hr = VariantChangeType(value.Get(), value.Get(), 0, VT_BSTR);
    if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
    if (FAILED(hr)) throw EArgumentMismatch();
    return {V_BSTR(value.Get()), SysStringLen(V_BSTR(value.Get()))};
}

// The same for a number; one out of the long range is a type mismatch too.
inline std::int32_t OptionalNumber(const VARIANT& argument, std::int32_t fallback) {
    UniqueVariant value;
    if (V_VT(&argument) == VT_ERROR && V_ERROR(&argument) == DISP_E_PARAMNOTFOUND) return fallback;
    TakeIndex(value, argument);
    if (V_VT(value.Get()) == VT_EMPTY || V_VT(value.Get()) == VT_NULL) return fallback;
    const HRESULT hr = VariantChangeType(value.Get(), value.Get(), 0, VT_I4);
    if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
    if (FAILED(hr)) throw EArgumentMismatch();
    return static_cast<std::int32_t>(V_I4(value.Get()));
}

}  // namespace kestrune

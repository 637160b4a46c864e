// Owners of the automation values: a BSTR, a VARIANT, a SAFEARRAY and the lock on a
// SAFEARRAY's data, each freed on every exit path.
//
//   UniqueBstr name;
//   info->GetDocumentation(MEMBERID_NIL, name.Out(), nullptr, nullptr, nullptr);
//   UniqueSafeArray bytes = ByteArray(data, 1);      // null when it cannot be made
//   SafeArrayData lock(array);                       // SafeArrayAccessData ...
//   if (SUCCEEDED(lock.Result())) use(lock.Data());  // ... and Unaccess at scope end
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstddef>
#include <string_view>
#include <utility>

namespace kestrune {

class UniqueBstr {
public:
    UniqueBstr() = default;
    explicit UniqueBstr(BSTR owned) noexcept : b_(owned) {}
    UniqueBstr(const UniqueBstr&) = delete;
    UniqueBstr& operator=(const UniqueBstr&) = delete;
    UniqueBstr(UniqueBstr&& other) noexcept : b_(std::exchange(other.b_, nullptr)) {}
    ~UniqueBstr() { SysFreeString(b_); }

    BSTR Get() const noexcept { return b_; }
    BSTR Release() noexcept { return std::exchange(b_, nullptr); }
    BSTR* Out() noexcept {
        SysFreeString(std::exchange(b_, nullptr));
        return &b_;
    }

private:
    BSTR b_ = nullptr;
};

class UniqueVariant {
public:
    UniqueVariant() noexcept { VariantInit(&v_); }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    ~UniqueVariant() { VariantClear(&v_); }

    VARIANT* Get() noexcept { return &v_; }
    const VARIANT* Get() const noexcept { return &v_; }
    VARIANT* Out() noexcept {
        VariantClear(&v_);
        return &v_;
    }
    // Moves the value to *out (which must hold nothing to free) and leaves VT_EMPTY.
    void Detach(VARIANT* out) noexcept {
        *out = v_;
        VariantInit(&v_);
    }

private:
    VARIANT v_;
};

class UniqueSafeArray {
public:
    UniqueSafeArray() = default;
    explicit UniqueSafeArray(SAFEARRAY* owned) noexcept : a_(owned) {}
    UniqueSafeArray(const UniqueSafeArray&) = delete;
    UniqueSafeArray& operator=(const UniqueSafeArray&) = delete;
    UniqueSafeArray(UniqueSafeArray&& other) noexcept : a_(std::exchange(other.a_, nullptr)) {}
    UniqueSafeArray& operator=(UniqueSafeArray&& other) noexcept {
        std::swap(a_, other.a_);
        return *this;
    }
    ~UniqueSafeArray() {
        if (a_) SafeArrayDestroy(a_);
    }

    SAFEARRAY* Get() const noexcept { return a_; }
    SAFEARRAY* Release() noexcept { return std::exchange(a_, nullptr); }
    explicit operator bool() const noexcept { return a_ != nullptr; }

private:
    SAFEARRAY* a_ = nullptr;
};

// SafeArrayAccessData for the lifetime of the lock; Unaccess only if the access worked.
class SafeArrayData {
public:
    explicit SafeArrayData(SAFEARRAY* array) noexcept
        : array_(array), result_(SafeArrayAccessData(array, &data_)) {}
    SafeArrayData(const SafeArrayData&) = delete;
    SafeArrayData& operator=(const SafeArrayData&) = delete;
    ~SafeArrayData() {
        if (SUCCEEDED(result_)) SafeArrayUnaccessData(array_);
    }

    HRESULT Result() const noexcept { return result_; }
    void* Data() const noexcept { return data_; }

private:
    SAFEARRAY* array_;
    void* data_ = nullptr;
    HRESULT result_;
};

// A one-dimensional VT_UI1 array with the given lower bound holding a copy of bytes;
// null when it cannot be made.
UniqueSafeArray ByteArray(std::string_view bytes, LONG lowerBound);
// The same with count zero bytes, for the caller to fill in place.
UniqueSafeArray ByteArray(std::size_t count, LONG lowerBound);

// The element count of a one-dimensional array; 0 for any other shape.
LONG ElementCount(SAFEARRAY* array) noexcept;

}  // namespace kestrune

// Owners for COM references, BSTRs and VARIANTs, so that every exit path releases them.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <utility>

namespace kestrune {

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    // Takes over a reference the caller already owns.
    explicit ComPtr(T* owned) noexcept : p_(owned) {}
    ComPtr(const ComPtr& other) noexcept : p_(other.p_) {
        if (p_) p_->AddRef();
    }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }
    ~ComPtr() { Reset(); }

    // Adds a reference of its own to a borrowed pointer.
    static ComPtr Borrow(T* borrowed) noexcept {
        if (borrowed) borrowed->AddRef();
        return ComPtr(borrowed);
    }

    T* Get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    void Reset() noexcept {
        if (T* p = std::exchange(p_, nullptr)) p->Release();
    }
    T* Detach() noexcept { return std::exchange(p_, nullptr); }

    // For out parameters: releases the current reference first.
    T** Out() noexcept {
        Reset();
        return &p_;
    }
    void** OutVoid() noexcept { return reinterpret_cast<void**>(Out()); }

    template <typename U>
    HRESULT As(REFIID iid, ComPtr<U>& result) const noexcept {
        return p_ ? p_->QueryInterface(iid, result.OutVoid()) : E_POINTER;
    }

private:
    T* p_ = nullptr;
};

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

private:
    VARIANT v_;
};

}  // namespace kestrune

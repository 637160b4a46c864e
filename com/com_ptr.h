// ComPtr<T>: the one owner of a COM reference.
//
//   ComPtr<ITypeInfo> info;
//   library->GetTypeInfoOfGuid(guid, info.Out());   // out parameter: takes the reference
//   ComPtr<IDispatch> dispatch;
//   if (SUCCEEDED(object.As(dispatch))) ...          // QueryInterface by the type's IID
//   return info.CopyTo(result);                      // hand a reference of its own out
//
// ComPtr(p) takes over a reference the caller owns; ComPtr::Borrow(p) adds one of its own.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <type_traits>
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
    // From a pointer to a derived class, such as a ComObject to one of its interfaces.
    template <typename U, typename = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    ComPtr(const ComPtr<U>& other) noexcept : p_(other.Get()) {
        if (p_) p_->AddRef();
    }
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

    // Stores a new reference in *out (null stays null); E_POINTER when out is null.
    template <typename U>
    HRESULT CopyTo(U** out) const noexcept {
        if (out == nullptr) return E_POINTER;
        if (p_) p_->AddRef();
        *out = p_;
        return S_OK;
    }

    template <typename U>
    HRESULT As(REFIID iid, ComPtr<U>& result) const noexcept {
        return p_ ? p_->QueryInterface(iid, result.OutVoid()) : E_POINTER;
    }
    // The same, by U's own IID.
    template <typename U>
    HRESULT As(ComPtr<U>& result) const noexcept {
        return As(__uuidof(U), result);
    }

private:
    T* p_ = nullptr;
};

}  // namespace kestrune

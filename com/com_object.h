// One IUnknown for every COM object: a class lists what it implements and writes its
// members, nothing else.
//
//   class Widget final : public ComObject<Uncounted, IWidget, IOther> {
//   public:
//       explicit Widget(int size);
//       // IWidget's and IOther's members
//   };
//   ComPtr<Widget> widget = MakeComObject<Widget>(3);   // throws what new and the constructor throw
//
// The table: ComObject answers IUnknown, each listed interface by __uuidof, and IDispatch
// through the first listed interface that derives from it (add __CRT_UUID_DECL for an
// interface whose header lacks one). Chain<IWidget2, IWidget> lists an interface that
// derives from another: the object inherits IWidget2 once and answers both IIDs.
// Anything beyond the table can be answered by overriding QueryOther.
//
// Counting: the first argument is called Count(+1) when an object is made and Count(-1)
// when it is deleted; a DLL's objects pass a counter behind DllCanUnloadNow, all others
// pass Uncounted. Resident<Counter, ...> is for an object the module owns, such as a
// class factory: it is never deleted by Release, and each reference moves the counter.
//
// Aggregation: MakeAggregable<T>(outer, ...) makes an object whose interfaces forward
// IUnknown to outer; the creator holds the object's own IUnknown, as COM requires.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <atomic>
#include <type_traits>
#include <utility>

#include "com/com_ptr.h"

namespace kestrune {

// The counter of objects that keep no module loaded.
struct Uncounted {
    static long Count(long) noexcept { return 0; }
};

// An interface that derives from the ones after it: inherited once, answering all.
template <typename Most, typename... Bases>
struct Chain {};

namespace com_detail {

template <typename Entry>
struct EntryTraits {
    using Interface = Entry;
    static bool Answers(REFIID iid) noexcept { return IsEqualIID(iid, __uuidof(Entry)); }
};

template <typename Most, typename... Bases>
struct EntryTraits<Chain<Most, Bases...>> {
    static_assert((std::is_base_of_v<Bases, Most> && ...), "a chain starts with the most derived interface");
    using Interface = Most;
    static bool Answers(REFIID iid) noexcept {
        return IsEqualIID(iid, __uuidof(Most)) || (IsEqualIID(iid, __uuidof(Bases)) || ...);
    }
};

template <typename Entry>
using InterfaceOf = typename EntryTraits<Entry>::Interface;

// The first entry whose interface derives from IDispatch, or void.
template <typename... Entries>
struct FirstDispatch {
    using Type = void;
};
template <typename Entry, typename... Rest>
struct FirstDispatch<Entry, Rest...> {
    using Type = std::conditional_t<std::is_base_of_v<IDispatch, InterfaceOf<Entry>>, InterfaceOf<Entry>,
                                    typename FirstDispatch<Rest...>::Type>;
};

// Heap objects: an own count that deletes at zero; the counter sees the object once.
template <typename Counter>
class PerObject {
public:
    PerObject() noexcept { Counter::Count(+1); }
    ~PerObject() { Counter::Count(-1); }
    PerObject(const PerObject&) = delete;
    PerObject& operator=(const PerObject&) = delete;

    ULONG Add() noexcept { return ++refs_; }
    // The count left; the object is deleted when it is zero.
    ULONG Drop() noexcept { return --refs_; }
    static constexpr bool kDeletes = true;

private:
    std::atomic<ULONG> refs_{1};
};

// Module-owned objects: every reference moves the counter; nothing is deleted.
template <typename Counter>
class PerReference {
public:
    ULONG Add() noexcept { return static_cast<ULONG>(Counter::Count(+1)); }
    ULONG Drop() noexcept { return static_cast<ULONG>(Counter::Count(-1)); }
    static constexpr bool kDeletes = false;
};

struct Access;

}  // namespace com_detail

template <typename Lifetime, typename... Entries>
class ComObjectOf : public com_detail::InterfaceOf<Entries>... {
    using Dispatch = typename com_detail::FirstDispatch<Entries...>::Type;

public:
    ComObjectOf(const ComObjectOf&) = delete;
    ComObjectOf& operator=(const ComObjectOf&) = delete;

    // True for every interface the table answers.
    static bool Answers(REFIID iid) noexcept {
        return IsEqualIID(iid, IID_IUnknown) ||
               (!std::is_void_v<Dispatch> && IsEqualIID(iid, IID_IDispatch)) ||
               (com_detail::EntryTraits<Entries>::Answers(iid) || ...);
    }

    // IUnknown, forwarded to the outer object when aggregated.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        return outer_ ? outer_->QueryInterface(iid, object) : QueryOwn(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return outer_ ? outer_->AddRef() : lifetime_.Add(); }
    ULONG STDMETHODCALLTYPE Release() override { return outer_ ? outer_->Release() : ReleaseOwn(); }

protected:
    ComObjectOf() = default;
    virtual ~ComObjectOf() = default;

    // Answers an interface the table lacks (a conditional one, or an aggregated inner
    // object's); *object is null on entry. Store the interface with Hand.
    virtual HRESULT QueryOther(REFIID, void**) { return E_NOINTERFACE; }

    // True for an interface of the table that this object does not answer (one that only
    // some objects of the class carry).
    virtual bool Withholds(REFIID) const { return false; }

    // Stores face in *object with a reference for the caller.
    static HRESULT Hand(IUnknown* face, void** object) noexcept {
        face->AddRef();
        *object = face;
        return S_OK;
    }

private:
    friend struct com_detail::Access;

    // The non-delegating IUnknown: the object's identity and its own count.
    class Own final : public IUnknown {
    public:
        explicit Own(ComObjectOf& owner) : owner_(owner) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
            return owner_.QueryOwn(iid, object);
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return owner_.lifetime_.Add(); }
        ULONG STDMETHODCALLTYPE Release() override { return owner_.ReleaseOwn(); }

    private:
        ComObjectOf& owner_;
    };

    HRESULT QueryOwn(REFIID iid, void** object) {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown)) return Hand(&own_, object);
        if (Withholds(iid)) return E_NOINTERFACE;
        if (IUnknown* face = Find(iid)) return Hand(face, object);
        return QueryOther(iid, object);
    }

    IUnknown* Find(REFIID iid) noexcept {
        IUnknown* face = nullptr;
        ((face = face ? face : FindIn<Entries>(iid)), ...);
        if constexpr (!std::is_void_v<Dispatch>) {
            if (face == nullptr && IsEqualIID(iid, IID_IDispatch)) face = static_cast<Dispatch*>(this);
        }
        return face;
    }

    template <typename Entry>
    IUnknown* FindIn(REFIID iid) noexcept {
        using Interface = com_detail::InterfaceOf<Entry>;
        return com_detail::EntryTraits<Entry>::Answers(iid) ? static_cast<Interface*>(this) : nullptr;
    }

    ULONG ReleaseOwn() {
        const ULONG left = lifetime_.Drop();
        if constexpr (Lifetime::kDeletes) {
            if (left == 0) delete this;
        }
        return left;
    }

    Lifetime lifetime_;
    IUnknown* outer_ = nullptr;
    Own own_{*this};
};

template <typename Counter, typename... Entries>
using ComObject = ComObjectOf<com_detail::PerObject<Counter>, Entries...>;

template <typename Counter, typename... Entries>
using Resident = ComObjectOf<com_detail::PerReference<Counter>, Entries...>;

// A new object, its first reference held by the result.
template <typename T, typename... Args>
ComPtr<T> MakeComObject(Args&&... args) {
    return ComPtr<T>(new T(std::forward<Args>(args)...));
}

// The creation reference of an object that may be aggregated: it is held on the object's
// own IUnknown, which is never the outer object's.
template <typename T>
class Aggregable {
public:
    T* operator->() const noexcept { return object_; }
    // One of the object's own interfaces, with a reference for the caller (the outer
    // object's, when aggregated, except for IUnknown).
    HRESULT Query(REFIID iid, void** object) const { return own_->QueryInterface(iid, object); }

private:
    friend struct com_detail::Access;
    Aggregable(ComPtr<IUnknown> own, T* object) : own_(std::move(own)), object_(object) {}

    ComPtr<IUnknown> own_;
    T* object_;
};

namespace com_detail {

struct Access {
    template <typename T>
    static Aggregable<T> Aggregate(T* object, IUnknown* outer) {
        // Taken before outer is set: the count is the object's own either way.
        ComPtr<IUnknown> own(&object->own_);
        object->outer_ = outer;
        return Aggregable<T>(std::move(own), object);
    }
};

}  // namespace com_detail

// A new object inside outer (null: not aggregated).
template <typename T, typename... Args>
Aggregable<T> MakeAggregable(IUnknown* outer, Args&&... args) {
    return com_detail::Access::Aggregate(new T(std::forward<Args>(args)...), outer);
}

}  // namespace kestrune

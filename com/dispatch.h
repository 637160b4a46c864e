// IDispatch through one type description: the object's dual interface is described by an
// ITypeInfo (from the module's type library, loaded once and cached by its owner), and
// every IDispatch call goes to it: names through DispGetIDsOfNames, calls through
// ITypeInfo::Invoke, which converts the arguments and calls the vtable member.
//
//   class Widget final : public DispatchObject<Uncounted, IWidget> {
//   public:
//       explicit Widget(ITypeInfo* info) : DispatchObject(info) {}
//       // IWidget's own members
//   };
//
// The dispatch interface is the first listed one (Chain<IWidget2, IWidget> dispatches
// through IWidget2, whose type information must then be the one passed).
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <oleauto.h>

#include <tuple>

#include "com/com_object.h"
#include "com/error_info.h"

namespace kestrune {

template <typename Counter, typename... Entries>
class DispatchObject : public ComObject<Counter, Entries...> {
    using Dual = com_detail::InterfaceOf<std::tuple_element_t<0, std::tuple<Entries...>>>;
    static_assert(std::is_base_of_v<IDispatch, Dual>, "the first interface must be a dual one");

public:
    // info describes the first interface; the object keeps a reference to it.
    explicit DispatchObject(ITypeInfo* info) : info_(ComPtr<ITypeInfo>::Borrow(info)) {}

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) return E_POINTER;
        *count = 1;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (info == nullptr) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        return info_.CopyTo(info);
    }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return DispGetIDsOfNames(info_.Get(), names, count, ids);
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argumentError) override {
        // A put may arrive as put or as put-by-reference; both find the put accessor.
        if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
            flags = DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF;
        }
        // A collection's enumerator and default member are properties, but some engines
        // ask for them as methods only (JScript's Enumerator under Wine, and JScript's
        // call of a default member without arguments, as in field.Item()).
        if ((id == DISPID_NEWENUM || id == DISPID_VALUE) && (flags & DISPATCH_METHOD))
            flags |= DISPATCH_PROPERTYGET;
        if (params != nullptr && params->cArgs >= 2 && !TakesArguments(id, flags, params->cArgs))
            return DISP_E_BADPARAMCOUNT;
        if (params != nullptr && !AllTypesValid(*params)) return DISP_E_BADVARTYPE;
        Gapless gapless;
        if (params != nullptr && FillSkipped(id, flags, *params, gapless)) params = &gapless.params;
        // ITypeInfo::Invoke answers a failing member with DISP_E_EXCEPTION whether or not
        // the caller gave an EXCEPINFO; without one that code would say nothing, so the
        // failure is caught in one of our own and handed on as the caller can read it.
        EXCEPINFO own{};
        const HRESULT hr = info_->Invoke(static_cast<Dual*>(this), id, flags, params, result,
                                         exception != nullptr ? exception : &own, argumentError);
        return exception != nullptr ? Unwrapped(hr, *exception)
                                    : WithoutExceptionInfo(Unwrapped(hr, own), own);
    }

protected:
    ITypeInfo* TypeInfo() const noexcept { return info_.Get(); }

private:
    // A member that finds an argument of a kind it takes nothing of answers
    // DISP_E_TYPEMISMATCH with no error object. ITypeInfo::Invoke hands that on as an
    // exception, where an argument it cannot convert itself comes back as the bare code;
    // given back bare, both raise the engine's own type mismatch.
    static HRESULT Unwrapped(HRESULT hr, EXCEPINFO& exception) {
        if (hr != DISP_E_EXCEPTION || exception.scode != DISP_E_TYPEMISMATCH ||
            SysStringLen(exception.bstrDescription) != 0)
            return hr;
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
        exception = EXCEPINFO{};
        return DISP_E_TYPEMISMATCH;
    }

    // Wine's ITypeInfo::Invoke keeps a reference to an object passed for a VARIANT
    // parameter when the call has more arguments than the member has parameters, and
    // answers DISP_E_BADPARAMCOUNT: such a call is refused here with that code before it
    // gets there. One argument more than a property get takes indexes what it returns
    // (Files(1)), so calls of one argument take no look; two or more beyond a member's
    // parameters are the same DISP_E_BADPARAMCOUNT either way.
    bool TakesArguments(DISPID id, WORD flags, UINT count) const {
        bool found = false;
        bool takes = false;
        ForEachFunction(id, flags, [&](const FUNCDESC& function) {
            found = true;
            takes = count <= Parameters(function);
            return !takes;
        });
        return takes || !found;  // a member it has not: ITypeInfo::Invoke says so
    }

    // Each description of the member id that flags may call, in the order ITypeInfo::Invoke
    // looks, until look answers false. By position, not GetFuncIndexOfMemId: Wine's counts
    // a dual interface's functions from another start than GetFuncDesc does.
    template <typename Look>
    void ForEachFunction(DISPID id, WORD flags, Look look) const {
        TYPEATTR* attributes = nullptr;
        if (FAILED(info_->GetTypeAttr(&attributes))) return;
        const UINT functions = attributes->cFuncs;
        info_->ReleaseTypeAttr(attributes);
        bool more = true;
        for (UINT i = 0; i < functions && more; ++i) {
            FUNCDESC* function = nullptr;
            if (FAILED(info_->GetFuncDesc(i, &function))) continue;
            if (function->memid == id && (flags & function->invkind)) more = look(*function);
            info_->ReleaseFuncDesc(function);
        }
    }

    // The parameters a caller gives: all but the [retval] one, which comes last.
    static UINT Parameters(const FUNCDESC& function) {
        UINT parameters = 0;
        for (SHORT p = 0; p < function.cParams; ++p) {
            if (!(function.lprgelemdescParam[p].paramdesc.wParamFlags & PARAMFLAG_FRETVAL)) ++parameters;
        }
        return parameters;
    }

    // Wine's ITypeInfo::Invoke frees its copies of the arguments as if the given ones were
    // the member's first parameters: a named argument past an optional parameter left out
    // (SaveToFolder(f, Naming:=object)) keeps its copy, and an object a reference. Each
    // optional parameter so skipped is given by name as a script leaves one out, as the
    // code DISP_E_PARAMNOTFOUND, which is what the member is given for it on Windows too.
    struct Gapless {
        static constexpr UINT kMost = 8;
        VARIANT values[kMost];
        DISPID names[kMost];
        DISPPARAMS params{};
    };

    // given with the optional parameters its named arguments skip filled in, in gapless;
    // false when it skips none, when its names are ones Invoke leaves no copy of as they
    // are (out of range, given twice, over a positional argument), when it skips a
    // required parameter, which Invoke refuses before it copies anything after it, or when
    // filling in would make it longer than the member.
    bool FillSkipped(DISPID id, WORD flags, const DISPPARAMS& given, Gapless& gapless) const {
        if (given.cNamedArgs == 0 || given.rgdispidNamedArgs == nullptr || given.rgvarg == nullptr ||
            given.cNamedArgs > given.cArgs || given.cArgs > Gapless::kMost)
            return false;
        const UINT positional = given.cArgs - given.cNamedArgs;
        bool named[Gapless::kMost] = {};
        UINT names = 0;
        UINT end = 0;  // one past the last parameter named
        for (UINT k = 0; k < given.cNamedArgs; ++k) {
            const DISPID name = given.rgdispidNamedArgs[k];
            if (name == DISPID_PROPERTYPUT) continue;
            if (name < static_cast<DISPID>(positional) || name >= static_cast<DISPID>(Gapless::kMost) ||
                named[name])
                return false;
            named[name] = true;
            ++names;
            if (static_cast<UINT>(name) >= end) end = static_cast<UINT>(name) + 1;
        }
        const UINT skipped = end - positional - names;
        if (end == 0 || skipped == 0 || given.cArgs + skipped > Gapless::kMost) return false;
        bool optional[Gapless::kMost] = {};
        UINT parameters = 0;
        ForEachFunction(id, flags, [&](const FUNCDESC& function) {
            parameters = Parameters(function);
            for (UINT p = 0; p < parameters && p < Gapless::kMost; ++p)
                optional[p] = (function.lprgelemdescParam[p].paramdesc.wParamFlags & PARAMFLAG_FOPT) != 0;
            return false;  // the first is the one Invoke calls
        });
        // A put's own name among them is one argument more: Invoke refuses a call longer
        // than the member only after it copied its arguments, and keeps those copies.
        if (end > parameters || given.cArgs + skipped > parameters) return false;
        for (UINT p = positional; p < end; ++p) {
            if (!named[p] && !optional[p]) return false;
        }
        // The named arguments come first in rgvarg, and a put's own name first of them.
        UINT at = 0;
        for (UINT k = 0; k < given.cNamedArgs; ++k, ++at) {
            gapless.values[at] = given.rgvarg[k];
            gapless.names[at] = given.rgdispidNamedArgs[k];
        }
        for (UINT p = positional; p < end; ++p) {
            if (named[p]) continue;
            V_VT(&gapless.values[at]) = VT_ERROR;
            V_ERROR(&gapless.values[at]) = DISP_E_PARAMNOTFOUND;
            gapless.names[at++] = static_cast<DISPID>(p);
        }
        const UINT namedCount = at;
        for (UINT k = given.cNamedArgs; k < given.cArgs; ++k) gapless.values[at++] = given.rgvarg[k];
        gapless.params = DISPPARAMS{gapless.values, gapless.names, at, namedCount};
        return true;
    }

    // Wine's ITypeInfo::Invoke also keeps the object of a VARIANT parameter when a later
    // argument has a type no VARIANT may have (SaveToFolder(f, object, <type 0x7f>)): such
    // an argument is refused first, with the code it would give.
    static bool AllTypesValid(const DISPPARAMS& params) {
        for (UINT i = 0; i < params.cArgs; ++i) {
            const VARTYPE type = V_VT(&params.rgvarg[i]);
            const VARTYPE base = type & VT_TYPEMASK;
            if ((type & ~(VT_TYPEMASK | VT_ARRAY | VT_BYREF)) != 0) return false;
            if (!(base <= VT_DECIMAL || (base >= VT_I1 && base <= VT_UINT) || base == VT_RECORD))
                return false;
        }
        return true;
    }

    // For a caller that gave no EXCEPINFO: a failure that has a description keeps
    // DISP_E_EXCEPTION, its error object made again from what Invoke took of it (less its
    // GUID, which EXCEPINFO has no room for); one without stands as the member's own code.
    static HRESULT WithoutExceptionInfo(HRESULT hr, EXCEPINFO& exception) {
        if (hr != DISP_E_EXCEPTION) return hr;
        const bool scodeGiven = FAILED(exception.scode);
        bool published = false;
        const HRESULT code = TakeExceptionInfo(exception, &published);
        if (published) return DISP_E_EXCEPTION;
        return scodeGiven ? code : E_FAIL;
    }

    ComPtr<ITypeInfo> info_;
};

// The type information of guid in library, or an error code.
inline HRESULT TypeInfoOf(ITypeLib* library, REFGUID guid, ComPtr<ITypeInfo>& info) {
    if (library == nullptr) return E_POINTER;
    return library->GetTypeInfoOfGuid(guid, info.Out());
}

}  // namespace kestrune

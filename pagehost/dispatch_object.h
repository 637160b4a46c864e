// The IUnknown and IDispatch plumbing shared by the host's intrinsic objects. They have
// no type library: names map to DISPIDs through a small table (case-insensitive, as
// VBScript expects) and each object decodes its own few members in InvokeMember.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <atomic>
#include <cstddef>

namespace kestrune {

struct DispatchMember {
    const wchar_t* name;
    DISPID id;
};

HRESULT LookUpNames(const DispatchMember* table, std::size_t table_size, LPOLESTR* names, UINT name_count,
                    DISPID* ids);

// Turns a member's failure into what Invoke returns: DISP_E_EXCEPTION with the thread's
// error object copied into exception, or the failure itself when there is nowhere to copy.
HRESULT ReportInvokeFailure(HRESULT failure, EXCEPINFO* exception);

// The argument at position index counted from the left (DISPPARAMS holds them reversed),
// or null when there are not exactly count positional arguments.
VARIANT* PositionalArgument(DISPPARAMS* params, UINT count, UINT index);

template <class Interface>
class DispatchObject : public Interface {
public:
    DispatchObject(const IID& interface_id, const DispatchMember* table, std::size_t table_size)
        : interface_id_(interface_id), table_(table), table_size_(table_size) {}
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch) &&
            !IsEqualIID(iid, interface_id_))
            return E_NOINTERFACE;
        *object = static_cast<Interface*>(this);
        this->AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return TYPE_E_ELEMENTNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return LookUpNames(table_, table_size_, names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT*) override {
        if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        if (!params) return E_INVALIDARG;
        // A property put names its value DISPID_PROPERTYPUT; other named arguments are
        // not taken.
        bool put_value = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) &&
                         params->cNamedArgs == 1 && params->rgdispidNamedArgs &&
                         params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
        if (params->cNamedArgs > 0 && !put_value) return DISP_E_NONAMEDARGS;
        if (result) VariantInit(result);
        // A failing member publishes its own error object; never report a stale one.
        SetErrorInfo(0, nullptr);
        HRESULT hr = InvokeMember(id, flags, params, result);
        if (SUCCEEDED(hr) || HRESULT_FACILITY(hr) == FACILITY_DISPATCH) return hr;
        return ReportInvokeFailure(hr, exception);
    }

protected:
    virtual ~DispatchObject() = default;

    // Returns DISP_E_* codes for calls that do not fit the member; any other failure
    // reaches the script as an error with the thread's error object.
    virtual HRESULT InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result) = 0;

private:
    std::atomic<ULONG> references_{1};
    IID interface_id_;
    const DispatchMember* table_;
    std::size_t table_size_;
};

}  // namespace kestrune

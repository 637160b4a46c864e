#include "server_object.h"

#include "fault_plan.h"

#include <cwchar>
#include <string>

namespace kestrune {
namespace {

enum : DISPID { kCreateObject = 1 };

constexpr DispatchMember kMembers[] = {{L"CreateObject", kCreateObject}};

HRESULT Failed(HRESULT hr, const wchar_t* prog_id)
{
    wchar_t code[16];
    std::swprintf(code, 16, L"%08lX", static_cast<unsigned long>(hr));
    PublishError(L"Server.CreateObject", std::wstring(L"Cannot create an object of '") + prog_id +
                                             L"' (0x" + code + L").");
    return hr;
}

}  // namespace

ServerObject::ServerObject() : DispatchObject(IID_IDispatch, kMembers, std::size(kMembers)) {}

HRESULT ServerObject::CreateObject(BSTR prog_id, IDispatch** object)
{
    *object = nullptr;
    const wchar_t* name = prog_id ? prog_id : L"";
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(name, &clsid);
    if (FAILED(hr))
        return Failed(hr, name);
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                          reinterpret_cast<void**>(object));
    return FAILED(hr) ? Failed(hr, name) : S_OK;
}

HRESULT ServerObject::InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result)
{
    if (id != kCreateObject)
        return DISP_E_MEMBERNOTFOUND;
    if (!(flags & DISPATCH_METHOD))
        return DISP_E_MEMBERNOTFOUND;
    VARIANT* argument = PositionalArgument(params, 1, 0);
    if (!argument)
        return DISP_E_BADPARAMCOUNT;
    VARIANT prog_id;
    VariantInit(&prog_id);
    HRESULT hr = VariantChangeType(&prog_id, argument, 0, VT_BSTR);
    if (FAILED(hr))
        return hr;
    IDispatch* object = nullptr;
    hr = CreateObject(V_BSTR(&prog_id), &object);
    VariantClear(&prog_id);
    if (SUCCEEDED(hr) && result) {
        V_VT(result) = VT_DISPATCH;
        V_DISPATCH(result) = object;
    } else if (object) {
        object->Release();
    }
    return hr;
}

}  // namespace kestrune

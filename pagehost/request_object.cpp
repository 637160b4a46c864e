#include "request_object.h"

#include "request_collection.h"

#include <algorithm>
#include <climits>
#include <exception>
#include <utility>

namespace kestrune {
namespace {

enum : DISPID {
    kItem = DISPID_VALUE,
    kTotalBytes = 1,
    kBinaryRead = 2,
    kQueryString = 3,
    kServerVariables = 4
};

constexpr DispatchMember kMembers[] = {{L"Item", kItem},
                                       {L"TotalBytes", kTotalBytes},
                                       {L"BinaryRead", kBinaryRead},
                                       {L"QueryString", kQueryString},
                                       {L"ServerVariables", kServerVariables}};

const PageRequestInfo kNoRequestInfo;

// Hands count back through a by-reference argument, as a script's variable.
void ReturnCount(VARIANT* argument, VARIANT& count) {
    if (V_VT(argument) == (VT_BYREF | VT_VARIANT))
        VariantCopy(V_VARIANTREF(argument), &count);
    else if (V_VT(argument) == (VT_BYREF | VT_I4))
        *V_I4REF(argument) = V_I4(&count);
}

}  // namespace

RequestObject::RequestObject(std::shared_ptr<RequestSource> source, std::shared_ptr<FaultPlan> faults,
                             std::shared_ptr<const PageRequestInfo> info)
    : DispatchObject(IID_IRequest, kMembers, std::size(kMembers)),
      source_(std::move(source)),
      faults_(std::move(faults)),
      info_(std::move(info)) {}

HRESULT STDMETHODCALLTYPE RequestObject::get_TotalBytes(LONG* total) {
    if (!total) return E_POINTER;
    *total = 0;
    if (HRESULT hr = faults_ ? faults_->Enter(HostCall::TotalBytes) : S_OK; FAILED(hr)) return hr;
    *total = static_cast<LONG>(std::min<std::int64_t>(source_->TotalBytes(), LONG_MAX));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RequestObject::BinaryRead(VARIANT* count, VARIANT* data) {
    if (!count || !data) return E_POINTER;
    VariantClear(data);
    if (HRESULT hr = faults_ ? faults_->Enter(HostCall::BinaryRead) : S_OK; FAILED(hr)) return hr;
    VARIANT wanted;
    VariantInit(&wanted);
    if (HRESULT hr = VariantChangeType(&wanted, count, 0, VT_I4); FAILED(hr)) return hr;
    if (V_I4(&wanted) < 0) return E_INVALIDARG;
    // Never more than the body still holds, whatever a caller asks for.
    std::int64_t left = std::max<std::int64_t>(source_->TotalBytes() - delivered_, 0);
    ULONG size = static_cast<ULONG>(std::min<std::int64_t>(V_I4(&wanted), left));
    SAFEARRAY* bytes = SafeArrayCreateVector(VT_UI1, 0, size);
    if (!bytes) return E_OUTOFMEMORY;
    std::size_t got = 0;
    try {
        void* storage = nullptr;
        SafeArrayAccessData(bytes, &storage);
        got = size ? source_->Read(static_cast<char*>(storage), size) : 0;
        SafeArrayUnaccessData(bytes);
    } catch (const std::exception&) {
        SafeArrayDestroy(bytes);
        PublishError(L"kestrune-host", L"The request body cannot be read.");
        return E_FAIL;
    }
    if (got < size) {
        SAFEARRAYBOUND bound{static_cast<ULONG>(got), 0};
        SafeArrayRedim(bytes, &bound);
    }
    delivered_ += static_cast<std::int64_t>(got);
    VariantClear(count);
    V_VT(count) = VT_I4;
    V_I4(count) = static_cast<LONG>(got);
    V_VT(data) = VT_ARRAY | VT_UI1;
    V_ARRAY(data) = bytes;
    return S_OK;
}

HRESULT RequestObject::InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result) {
    switch (id) {
        case kTotalBytes: {
            if (!(flags & DISPATCH_PROPERTYGET) || params->cArgs != 0)
                return flags & DISPATCH_PROPERTYGET ? DISP_E_BADPARAMCOUNT : DISP_E_MEMBERNOTFOUND;
            LONG total = 0;
            HRESULT hr = get_TotalBytes(&total);
            if (SUCCEEDED(hr) && result) {
                V_VT(result) = VT_I4;
                V_I4(result) = total;
            }
            return hr;
        }
        case kBinaryRead:
            if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
            return InvokeBinaryRead(params, result);
        case kQueryString: {
            const PageRequestInfo& info = info_ ? *info_ : kNoRequestInfo;
            return LookUpRequestValue(info.queryPairs, info.query, params, result);
        }
        case kServerVariables: {
            const PageRequestInfo& info = info_ ? *info_ : kNoRequestInfo;
            return LookUpRequestValue(info.serverVariables, std::string(), params, result);
        }
        case kItem:
            return InvokeItem(params, result);
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}

// Request(name): the query string's value if it has the name, else the server variable.
HRESULT RequestObject::InvokeItem(DISPPARAMS* params, VARIANT* result) {
    if (params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
    const PageRequestInfo& info = info_ ? *info_ : kNoRequestInfo;
    VARIANT found;
    VariantInit(&found);
    HRESULT hr = LookUpRequestValue(info.queryPairs, info.query, params, &found);
    if (SUCCEEDED(hr) && V_VT(&found) == VT_EMPTY)
        hr = LookUpRequestValue(info.serverVariables, std::string(), params, &found);
    if (SUCCEEDED(hr) && result)
        *result = found;
    else
        VariantClear(&found);
    return hr;
}

HRESULT RequestObject::InvokeBinaryRead(DISPPARAMS* params, VARIANT* result) {
    VARIANT* argument = PositionalArgument(params, 1, 0);
    if (!argument) return DISP_E_BADPARAMCOUNT;
    VARIANT count, data;
    VariantInit(&count);
    VariantInit(&data);
    HRESULT hr = VariantCopyInd(&count, argument);
    if (SUCCEEDED(hr)) hr = BinaryRead(&count, &data);
    if (SUCCEEDED(hr)) {
        ReturnCount(argument, count);
        if (result)
            *result = data;  // the result takes the array over
        else
            VariantClear(&data);
    }
    VariantClear(&count);
    return hr;
}

}  // namespace kestrune

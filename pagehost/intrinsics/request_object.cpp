#include "pagehost/intrinsics/request_object.h"

#include <algorithm>
#include <climits>
#include <exception>
#include <utility>

#include "com/com_ptr.h"
#include "com/owners.h"
#include "com/error_info.h"
#include "pagehost/intrinsics/request_collection.h"

namespace kestrune {
namespace {

const PageRequestInfo kNoRequestInfo;

// Fills the array from the source and gives the count of bytes read.
HRESULT ReadInto(SAFEARRAY* bytes, ULONG size, RequestSource& source, std::size_t* got) {
    SafeArrayData data(bytes);
    if (FAILED(data.Result())) return data.Result();
    try {
        *got = size ? source.Read(static_cast<char*>(data.Data()), size) : 0;
        return S_OK;
    } catch (const std::exception&) {
        PublishError({GUID_NULL, L"kestrune-host", L"The request body cannot be read."});
        return E_FAIL;
    }
}

}  // namespace

RequestObject::RequestObject(std::shared_ptr<RequestSource> source, std::shared_ptr<FaultPlan> faults,
                             std::shared_ptr<const PageRequestInfo> info)
    : IntrinsicObject(), source_(std::move(source)), faults_(std::move(faults)), info_(std::move(info)) {}

const PageRequestInfo& RequestObject::Info() const { return info_ ? *info_ : kNoRequestInfo; }

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
    UniqueVariant wanted;
    if (HRESULT hr = VariantChangeType(wanted.Get(), count, 0, VT_I4); FAILED(hr)) return hr;
    if (V_I4(wanted.Get()) < 0) return E_INVALIDARG;
    // Never more than the body still holds, whatever a caller asks for.
    std::int64_t left = std::max<std::int64_t>(source_->TotalBytes() - delivered_, 0);
    ULONG size = static_cast<ULONG>(std::min<std::int64_t>(V_I4(wanted.Get()), left));
    UniqueSafeArray bytes(SafeArrayCreateVector(VT_UI1, 0, size));
    if (!bytes) return E_OUTOFMEMORY;
    std::size_t got = 0;
    if (HRESULT hr = ReadInto(bytes.Get(), size, *source_, &got); FAILED(hr)) return hr;
    if (got < size) {
        SAFEARRAYBOUND bound{static_cast<ULONG>(got), 0};
        if (HRESULT hr = SafeArrayRedim(bytes.Get(), &bound); FAILED(hr)) return hr;
    }
    delivered_ += static_cast<std::int64_t>(got);
    VariantClear(count);
    V_VT(count) = VT_I4;
    V_I4(count) = static_cast<LONG>(got);
    V_VT(data) = VT_ARRAY | VT_UI1;
    V_ARRAY(data) = bytes.Release();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RequestObject::get_QueryString(VARIANT name, VARIANT* value) {
    return LookUpRequestValue(Info().queryPairs, Info().query, name, value);
}

HRESULT STDMETHODCALLTYPE RequestObject::get_ServerVariables(VARIANT name, VARIANT* value) {
    return LookUpRequestValue(Info().serverVariables, std::string(), name, value);
}

// Request.Item(name): the query string's value if it has the name, else the server variable.
HRESULT STDMETHODCALLTYPE RequestObject::get_Item(VARIANT name, VARIANT* value) {
    if (!value) return E_POINTER;
    HRESULT hr = get_QueryString(name, value);
    if (SUCCEEDED(hr) && V_VT(value) == VT_EMPTY) hr = get_ServerVariables(name, value);
    return hr;
}

}  // namespace kestrune

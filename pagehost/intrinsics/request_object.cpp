#include "pagehost/intrinsics/request_object.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "com/com_ptr.h"
#include "com/owners.h"
#include "pagehost/intrinsics/request_collection.h"

namespace kestrune {
namespace {

const PageRequestInfo kNoRequestInfo;

}  // namespace

RequestObject::RequestObject(std::shared_ptr<RequestSource> source,
                             std::shared_ptr<const PageRequestInfo> info)
    : IntrinsicObject(), source_(std::move(source)), info_(std::move(info)) {}

const PageRequestInfo& RequestObject::Info() const { return info_ ? *info_ : kNoRequestInfo; }

HRESULT STDMETHODCALLTYPE RequestObject::get_TotalBytes(LONG* total) {
    if (!total) return E_POINTER;
    *total = 0;
    return CallHost(
        [&] { *total = static_cast<LONG>(std::min<std::int64_t>(source_->TotalBytes(), LONG_MAX)); });
}

HRESULT STDMETHODCALLTYPE RequestObject::BinaryRead(VARIANT* count, VARIANT* data) {
    if (!count || !data) return E_POINTER;
    VariantClear(data);
    UniqueVariant wanted;
    if (HRESULT hr = VariantChangeType(wanted.Get(), count, 0, VT_I4); FAILED(hr)) return hr;
    if (V_I4(wanted.Get()) < 0) return E_INVALIDARG;
    // Never more than the body still holds, whatever a caller asks for.
    std::int64_t left = std::max<std::int64_t>(source_->Left(), 0);
    ULONG size = static_cast<ULONG>(std::min<std::int64_t>(V_I4(wanted.Get()), left));
    UniqueSafeArray bytes(SafeArrayCreateVector(VT_UI1, 0, size));
    if (!bytes) return E_OUTOFMEMORY;
    std::size_t got = 0;
    {
        SafeArrayData array(bytes.Get());
        if (FAILED(array.Result())) return array.Result();
        // Every call reaches the source, an empty one too: each is a BinaryRead.
        if (HRESULT hr = CallHost([&] { got = source_->Read(static_cast<char*>(array.Data()), size); });
            FAILED(hr))
            return hr;
    }
    if (got < size) {
        SAFEARRAYBOUND bound{static_cast<ULONG>(got), 0};
        if (HRESULT hr = SafeArrayRedim(bytes.Get(), &bound); FAILED(hr)) return hr;
    }
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

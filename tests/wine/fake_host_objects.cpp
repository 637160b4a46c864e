#include "fake_host_objects.h"

#include <algorithm>

#include "com/error_info.h"
#include "com/owners.h"

namespace kestrune::test {

namespace {

HRESULT Fail(const InjectedFailure& failure) {
    if (failure.description != nullptr) PublishHostError(L"Fake host", failure.description);
    return failure.code;
}

}  // namespace

void PublishHostError(const wchar_t* source, const wchar_t* description) {
    ErrorFields fields;
    fields.source = source;
    fields.description = description;
    fields.helpFile = L"host.hlp";
    fields.helpContext = 77;
    PublishError(fields);
}

HRESULT FakeRequest::get_TotalBytes(LONG* total) {
    *total = 0;
    if (FAILED(totalBytesFailure.code)) return Fail(totalBytesFailure);
    *total = static_cast<LONG>(body_.size());
    return S_OK;
}

HRESULT FakeRequest::BinaryRead(VARIANT* count, VARIANT* data) {
    ++binaryReadCalls;
    if (FAILED(binaryReadFailure.code)) return Fail(binaryReadFailure);
    const LONG wanted = V_I4(count);
    const LONG left = static_cast<LONG>(body_.size() - position_);
    const LONG delivered = std::max<LONG>(0, std::min(wanted - shortBy, left));
    VariantInit(data);
    if (deliverText) {
        V_VT(data) = VT_BSTR;
        V_BSTR(data) = SysAllocString(L"not bytes");
    } else {
        V_VT(data) = VT_ARRAY | VT_UI1;
        V_ARRAY(data) =
            ByteArray(std::string_view(body_).substr(position_, static_cast<std::size_t>(delivered)), 0)
                .Release();
    }
    position_ += static_cast<std::size_t>(delivered);
    VariantClear(count);
    V_VT(count) = countType;
    switch (countType) {
        case VT_I2:
            V_I2(count) = static_cast<SHORT>(delivered);
            break;
        case VT_UI4:
            V_UI4(count) = static_cast<ULONG>(delivered);
            break;
        case VT_R8:
            V_R8(count) = delivered;
            break;
        default:
            V_VT(count) = VT_I4;
            V_I4(count) = delivered;
            break;
    }
    return S_OK;
}

HRESULT FakeResponse::Write(VARIANT text) {
    if (V_VT(&text) != VT_BSTR) return DISP_E_TYPEMISMATCH;
    written.emplace_back(V_BSTR(&text), SysStringLen(V_BSTR(&text)));
    return S_OK;
}

HRESULT FakeResponse::IsClientConnected(VARIANT_BOOL* result) {
    *result = connected ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

}  // namespace kestrune::test

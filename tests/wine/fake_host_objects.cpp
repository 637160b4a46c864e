#include "fake_host_objects.h"

#include <algorithm>
#include <cstring>

namespace kestrune::test {

namespace {

HRESULT Fail(const InjectedFailure& failure) {
    if (failure.description != nullptr) PublishHostError(L"Fake host", failure.description);
    return failure.code;
}

template <typename Self, typename Interface>
HRESULT Answer(Self* self, REFIID iid, REFIID own, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch) && !IsEqualIID(iid, own)) {
        return E_NOINTERFACE;
    }
    *object = static_cast<Interface*>(self);
    self->AddRef();
    return S_OK;
}

}  // namespace

void PublishHostError(const wchar_t* source, const wchar_t* description) {
    ICreateErrorInfo* created = nullptr;
    if (FAILED(CreateErrorInfo(&created))) return;
    created->SetSource(const_cast<LPOLESTR>(source));
    created->SetDescription(const_cast<LPOLESTR>(description));
    created->SetHelpFile(const_cast<LPOLESTR>(L"host.hlp"));
    created->SetHelpContext(77);
    IErrorInfo* error = nullptr;
    if (SUCCEEDED(created->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&error)))) {
        SetErrorInfo(0, error);
        error->Release();
    }
    created->Release();
}

HRESULT FakeRequest::QueryInterface(REFIID iid, void** object) {
    return Answer<FakeRequest, IRequest>(this, iid, IID_IRequest, object);
}

ULONG FakeRequest::Release() {
    const ULONG count = --refs_;
    if (count == 0) delete this;
    return count;
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
        SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(delivered));
        void* bytes = nullptr;
        SafeArrayAccessData(array, &bytes);
        std::memcpy(bytes, body_.data() + position_, static_cast<std::size_t>(delivered));
        SafeArrayUnaccessData(array);
        V_VT(data) = VT_ARRAY | VT_UI1;
        V_ARRAY(data) = array;
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

HRESULT FakeResponse::QueryInterface(REFIID iid, void** object) {
    return Answer<FakeResponse, IResponse>(this, iid, IID_IResponse, object);
}

ULONG FakeResponse::Release() {
    const ULONG count = --refs_;
    if (count == 0) delete this;
    return count;
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

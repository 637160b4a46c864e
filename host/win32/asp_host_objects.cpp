#include "host/win32/asp_host_objects.h"

#include <initguid.h>
#include <asptlb.h>

#include <algorithm>
#include <cstring>

#include "com/text_conversion.h"
#include "host/win32/win32_host_failure.h"

namespace kestrune {

namespace {

// Unlocks the data of a SAFEARRAY when the copy is done, whatever happens.
class ArrayDataLock {
public:
    explicit ArrayDataLock(SAFEARRAY* array) : array_(array) {
        CheckPlatformResult(SafeArrayAccessData(array_, &data_));
    }
    ArrayDataLock(const ArrayDataLock&) = delete;
    ArrayDataLock& operator=(const ArrayDataLock&) = delete;
    ~ArrayDataLock() { SafeArrayUnaccessData(array_); }

    const char* Data() const { return static_cast<const char*>(data_); }

private:
    SAFEARRAY* array_;
    void* data_ = nullptr;
};

std::int32_t ElementCount(SAFEARRAY* array) {
    if (SafeArrayGetDim(array) != 1) return 0;
    LONG lower = 0;
    LONG upper = -1;
    CheckPlatformResult(SafeArrayGetLBound(array, 1, &lower));
    CheckPlatformResult(SafeArrayGetUBound(array, 1, &upper));
    return upper < lower ? 0 : static_cast<std::int32_t>(static_cast<std::int64_t>(upper) - lower + 1);
}

class AspHostRequest final : public HostRequest {
public:
    explicit AspHostRequest(ComPtr<IRequest> request) : request_(std::move(request)) {}

    std::int32_t TotalBytes() override {
        LONG total = 0;
        CheckHostResult(request_->get_TotalBytes(&total));
        return static_cast<std::int32_t>(total);
    }

    std::int32_t BinaryRead(std::int32_t count, char* destination) override {
        UniqueVariant countValue;
        V_VT(countValue.Get()) = VT_I4;
        V_I4(countValue.Get()) = count;
        UniqueVariant data;
        CheckHostResult(request_->BinaryRead(countValue.Get(), data.Get()));

        // The host may hand the count back as any integer variant type.
        UniqueVariant delivered;
        CheckPlatformResult(VariantChangeType(delivered.Get(), countValue.Get(), 0, VT_I4));
        if (V_VT(data.Get()) != (VT_ARRAY | VT_UI1) || V_ARRAY(data.Get()) == nullptr) {
            throw EOleSysError("Invalid variant type conversion", DISP_E_TYPEMISMATCH);
        }
        SAFEARRAY* array = V_ARRAY(data.Get());
        const std::int32_t copied = std::max<std::int32_t>(
            0, std::min({static_cast<std::int32_t>(V_I4(delivered.Get())), ElementCount(array), count}));
        if (copied > 0) {
            const ArrayDataLock lock(array);
            std::memcpy(destination, lock.Data(), static_cast<std::size_t>(copied));
        }
        return copied;
    }

private:
    ComPtr<IRequest> request_;
};

class AspHostResponse final : public HostResponse {
public:
    explicit AspHostResponse(ComPtr<IResponse> response) : response_(std::move(response)) {}

    void Write(std::string_view text) override {
        UniqueVariant value;
        V_BSTR(value.Get()) = BstrFromNarrow(text);
        V_VT(value.Get()) = VT_BSTR;
        CheckHostResult(response_->Write(*value.Get()));
    }

    bool IsClientConnected() override {
        VARIANT_BOOL connected = VARIANT_FALSE;
        CheckHostResult(response_->IsClientConnected(&connected));
        return connected != VARIANT_FALSE;
    }

private:
    ComPtr<IResponse> response_;
};

template <typename T>
ComPtr<T> QueryHostInterface(IUnknown* object, REFIID iid) {
    ComPtr<T> result;
    if (object == nullptr || FAILED(object->QueryInterface(iid, result.OutVoid())) || !result) {
        RaiseInterfaceNotSupported();
    }
    return result;
}

}  // namespace

std::unique_ptr<HostRequest> MakeHostRequest(IUnknown* object) {
    return std::make_unique<AspHostRequest>(QueryHostInterface<IRequest>(object, IID_IRequest));
}

std::unique_ptr<HostResponse> MakeHostResponse(IUnknown* object) {
    return std::make_unique<AspHostResponse>(QueryHostInterface<IResponse>(object, IID_IResponse));
}

const ContextProvider& Win32HostContext::Provider() const {
    return provider_ ? *provider_ : ProcessContextProvider();
}

std::unique_ptr<HostRequest> Win32HostContext::FetchHostRequest() {
    return MakeHostRequest(FetchContextObject(Provider(), L"Request").Get());
}

std::unique_ptr<HostResponse> Win32HostContext::FetchHostResponse() {
    return MakeHostResponse(FetchContextObject(Provider(), L"Response").Get());
}

}  // namespace kestrune

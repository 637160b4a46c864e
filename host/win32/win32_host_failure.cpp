#include "host/win32/win32_host_failure.h"

#include <oleauto.h>

#include "com/com_ptr.h"
#include "com/owners.h"
#include "com/text_conversion.h"

namespace kestrune {

HostErrorInfo TakeThreadErrorInfo() {
    HostErrorInfo info;
    ComPtr<IErrorInfo> error;
    if (GetErrorInfo(0, error.Out()) != S_OK || !error) return info;
    UniqueBstr text;
    if (SUCCEEDED(error->GetSource(text.Out()))) info.Source = NarrowFromBstr(text.Get());
    if (SUCCEEDED(error->GetDescription(text.Out()))) info.Description = NarrowFromBstr(text.Get());
    if (SUCCEEDED(error->GetHelpFile(text.Out()))) info.HelpFile = NarrowFromBstr(text.Get());
    DWORD context = 0;
    if (SUCCEEDED(error->GetHelpContext(&context))) info.HelpContext = static_cast<std::int32_t>(context);
    return info;
}

std::string SystemMessage(HResult code) {
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text;
    if (buffer != nullptr) {
        text.assign(buffer, length);
        LocalFree(buffer);
    }
    return text;
}

void CheckHostResult(HRESULT hr) {
    if (FAILED(hr)) throw HostFailure(hr, TakeThreadErrorInfo(), SystemMessage);
}

void CheckPlatformResult(HRESULT hr) {
    if (FAILED(hr)) throw EOleSysError(HostFailureMessage({}, hr, SystemMessage), hr);
}

}  // namespace kestrune

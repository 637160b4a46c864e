#include "pagehost/intrinsics/publish_error.h"

#include <windows.h>
#include <oaidl.h>

#include "host/win32/com_ptr.h"

namespace kestrune {

void PublishError(const wchar_t* source, const std::wstring& description) {
    ComPtr<ICreateErrorInfo> creator;
    if (FAILED(CreateErrorInfo(creator.Out()))) return;
    creator->SetGUID(GUID_NULL);
    creator->SetSource(const_cast<LPOLESTR>(source));
    creator->SetDescription(const_cast<LPOLESTR>(description.c_str()));
    ComPtr<IErrorInfo> info;
    if (SUCCEEDED(creator.As(IID_IErrorInfo, info))) SetErrorInfo(0, info.Get());
}

}  // namespace kestrune

#include "server/tessock_com_object.h"

#include <cstdint>
#include <string>

#include "server/class_factory.h"

namespace kestrune {

namespace {

// A test switch, so that the tests run the body-file road on small bodies and the
// memory road on large ones: KESTRUNE_TEST_BODY_FILE_THRESHOLD, a number of bytes.
// Anything but plain decimal digits leaves the built-in threshold.
void ApplyTestBodyFileThreshold(TTessock& upload) {
    wchar_t text[32];
    const DWORD length = GetEnvironmentVariableW(L"KESTRUNE_TEST_BODY_FILE_THRESHOLD", text, 32);
    if (length == 0 || length >= 20) return;
    std::int64_t bytes = 0;
    for (DWORD i = 0; i < length; ++i) {
        if (text[i] < L'0' || text[i] > L'9') return;
        bytes = bytes * 10 + (text[i] - L'0');
    }
    upload.SetBodyFileThreshold(bytes);
}

}  // namespace

TTessockComObject::TTessockComObject(TAutoObjectFactory& factory)
    : DispatchObject(factory.DispatchInfo()), factory_(factory) {}

void TTessockComObject::Initialize() {
    ApplyTestBodyFileThreshold(tessock_);
    tessock_.Initialize();
}

HRESULT TTessockComObject::GetClassInfo(ITypeInfo** info) {
    return ComPtr<ITypeInfo>::Borrow(factory_.ClassInfo()).CopyTo(info);
}

HRESULT TTessockComObject::InterfaceSupportsErrorInfo(REFIID iid) { return Answers(iid) ? S_OK : S_FALSE; }

}  // namespace kestrune

#include "server/tessock_com_object.h"

#include <cstdint>
#include <string>

#include "server/class_factory.h"

namespace kestrune {

namespace {

// A test switch, so that the tests run the body-file road on small bodies and the
// memory road on large ones: KESTRUNE_TEST_BODY_FILE_THRESHOLD, a number of bytes.
// Anything but plain decimal digits leaves the built-in threshold; a number past the
// 64-bit range, however long, means no body ever goes to a file.
void ApplyTestBodyFileThreshold(TTessock& upload) {
    static constexpr wchar_t kName[] = L"KESTRUNE_TEST_BODY_FILE_THRESHOLD";
    const DWORD room = GetEnvironmentVariableW(kName, nullptr, 0);
    if (room <= 1) return;
    std::wstring text(room, L'\0');
    const DWORD length = GetEnvironmentVariableW(kName, text.data(), room);
    if (length == 0 || length >= room) return;
    std::int64_t bytes = 0;
    for (DWORD i = 0; i < length; ++i) {
        if (text[i] < L'0' || text[i] > L'9') return;
        const int digit = text[i] - L'0';
        bytes = bytes > (INT64_MAX - digit) / 10 ? INT64_MAX : bytes * 10 + digit;
    }
    upload.SetBodyFileThreshold(bytes);
}

}  // namespace

TTessockComObject::TTessockComObject(TAutoObjectFactory& factory)
    : DispatchObject(factory.DispatchInfo()), factory_(factory) {}

void TTessockComObject::Initialize() {
    ApplyTestBodyFileThreshold(tessock_);
    if (factory_.ReadsAtCreation()) tessock_.Initialize();
}

bool TTessockComObject::Withholds(REFIID iid) const {
    return IsEqualIID(iid, IID_IUpload) && factory_.ReadsAtCreation();
}

HRESULT TTessockComObject::GetClassInfo(ITypeInfo** info) {
    return ComPtr<ITypeInfo>::Borrow(factory_.ClassInfo()).CopyTo(info);
}

HRESULT TTessockComObject::InterfaceSupportsErrorInfo(REFIID iid) { return Answers(iid) ? S_OK : S_FALSE; }

}  // namespace kestrune

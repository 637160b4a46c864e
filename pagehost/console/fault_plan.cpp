#include "pagehost/console/fault_plan.h"

#include "com/error_info.h"

namespace kestrune {
namespace {

constexpr const wchar_t* kCallNames[] = {L"TotalBytes", L"BinaryRead", L"IsClientConnected", L"Write"};

}  // namespace

std::optional<HostCall> ParseHostCall(const std::wstring& name) {
    for (int i = 0; i < 4; ++i) {
        if (_wcsicmp(name.c_str(), kCallNames[i]) == 0) return static_cast<HostCall>(i);
    }
    return std::nullopt;
}

const wchar_t* HostCallName(HostCall call) { return kCallNames[static_cast<int>(call)]; }

void FaultPlan::Add(HostCall call, long occurrence) { failures_.emplace(call, occurrence); }

HRESULT FaultPlan::Enter(HostCall call) {
    long occurrence = ++calls_[static_cast<int>(call)];
    if (failures_.count({call, occurrence}) == 0) return S_OK;
    PublishError({GUID_NULL, L"kestrune-host",
                  (std::wstring(L"Simulated host failure in ") + HostCallName(call) + L". ").c_str()});
    return E_FAIL;
}

}  // namespace kestrune

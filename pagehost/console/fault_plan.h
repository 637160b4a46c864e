// Host calls made to fail on purpose (--fail CALL:K), to show how the component copes
// with a host that breaks mid-request.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <set>
#include <string>

namespace kestrune {

enum class HostCall { TotalBytes, BinaryRead, IsClientConnected, Write };

// "TotalBytes", "BinaryRead", "IsClientConnected" or "Write", any case.
std::optional<HostCall> ParseHostCall(const std::wstring& name);
const wchar_t* HostCallName(HostCall call);

class FaultPlan {
public:
    // Makes the occurrence-th call (counting from 1) of call fail.
    void Add(HostCall call, long occurrence);

    // Counts one call. Returns S_OK, or, for a planned failure, E_FAIL after publishing
    // an error object that describes it (its description ends in ". ", as hosts' often do).
    HRESULT Enter(HostCall call);

private:
    std::array<long, 4> calls_{};
    std::set<std::pair<HostCall, long>> failures_;
};

}  // namespace kestrune

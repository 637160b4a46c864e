// Script mode's faults, as decorators of the request source and the response transport:
// --fail CALL:K makes the K-th call of a host operation fail, to show how the component
// copes with a host that breaks mid-request; --disconnect-after N lets the client
// answer "connected" N times, then never again.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "pagehost/channels.h"

namespace kestrune {

enum class HostCall { TotalBytes, BinaryRead, IsClientConnected, Write };

// "TotalBytes", "BinaryRead", "IsClientConnected" or "Write", any case.
std::optional<HostCall> ParseHostCall(const std::wstring& name);

class FaultPlan {
public:
    // Makes the occurrence-th call (counting from 1) of call fail.
    void Add(HostCall call, long occurrence) { failures_.emplace(call, occurrence); }

    // Counts one call; for a planned failure throws std::runtime_error, which the page
    // sees as E_FAIL with the text as description (ending in ". ", as hosts' often do).
    void Enter(HostCall call);

private:
    std::array<long, 4> calls_{};
    std::set<std::pair<HostCall, long>> failures_;
};

// TotalBytes and Read count for TotalBytes and BinaryRead.
std::shared_ptr<RequestSource> WithFaults(std::shared_ptr<RequestSource> inner,
                                          std::shared_ptr<FaultPlan> plan);

// Send counts for Write, IsClientConnected for itself.
std::unique_ptr<ResponseTransport> WithFaults(std::unique_ptr<ResponseTransport> inner,
                                              std::shared_ptr<FaultPlan> plan);

// IsClientConnected answers from inner for the first answers calls, false from then on.
std::unique_ptr<ResponseTransport> DisconnectingAfter(std::unique_ptr<ResponseTransport> inner, long answers);

}  // namespace kestrune

// FuzzHost: a HostContext driven by a plan drawn from fuzz input. It serves a body in
// passes and can deliver short, lose the client, and fail any call; it records every
// call and aborts on a breach of the host protocol (a host object used twice, a pass
// that asks for the wrong count).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/host_objects.h"

namespace kestrune::fuzz {

struct HostPlan {
    std::int32_t total = 0;
    std::int32_t passCap = 0;   // most bytes one BinaryRead delivers; 0: all it is asked
    int disconnectAtCheck = 0;  // IsClientConnected answers false from its k-th call on
    int failAtCall = 0;         // the k-th host call of any kind throws (0: none)
    bool failSticky = false;    // and so does every call after it
};

enum class CallKind { FetchRequest, FetchResponse, TotalBytes, BinaryRead, IsClientConnected, Write };

struct CallRecord {
    CallKind kind;
    bool failed;
};

class FuzzHost : public HostContext {
public:
    static constexpr std::int32_t kChunkSize = 102400;

    FuzzHost(std::string_view body, HostPlan plan) : body_(body), plan_(plan) {}

    std::unique_ptr<HostRequest> FetchHostRequest() override;
    std::unique_ptr<HostResponse> FetchHostResponse() override;

    const HostPlan& Plan() const { return plan_; }
    const std::vector<CallRecord>& Calls() const { return calls_; }
    int FailedCalls() const { return failedCalls_; }
    const std::vector<std::string>& Writes() const { return writes_; }
    const std::string& Delivered() const { return delivered_; }
    int Reads() const { return reads_; }
    // BinaryRead calls made before IsClientConnected first answered false; -1 if never.
    int ReadsBeforeDisconnect() const { return readsBeforeDisconnect_; }

    // Used by the fetched objects.
    void Enter(CallKind kind);
    std::int32_t Read(std::int32_t count, char* destination);
    bool Connected();
    void Write(std::string_view text) { writes_.emplace_back(text); }

private:
    std::string_view body_;
    HostPlan plan_;
    std::vector<CallRecord> calls_;
    int failedCalls_ = 0;
    int checks_ = 0;
    int reads_ = 0;
    int readsBeforeDisconnect_ = -1;
    std::int64_t requested_ = 0;
    std::size_t served_ = 0;
    std::string delivered_;
    std::vector<std::string> writes_;
};

}  // namespace kestrune::fuzz

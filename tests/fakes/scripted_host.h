// ScriptedHost: a strict HostContext for tests. Serves a body in passes, records every
// call in order, and injects faults: short deliveries, a client that leaves, a failing
// call at its k-th occurrence. Each fetched object answers exactly one call, so code
// that caches a host object fails the test.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/exceptions.h"
#include "host/host_objects.h"

namespace kestrune::testing {

enum class HostCall { FetchRequest, FetchResponse, TotalBytes, BinaryRead, IsClientConnected, Write };

class ScriptedHost : public HostContext {
public:
    // TotalBytes answers body.size() unless SetTotalBytes says otherwise.
    explicit ScriptedHost(std::string body = {});

    void SetTotalBytes(std::int32_t total) { total_ = total; }

    // Each BinaryRead delivers at most this many bytes (0: no cap beyond the count).
    void SetPassCap(std::int32_t cap) { cap_ = cap; }

    // The k-th BinaryRead (1-based) delivers at most delivered bytes.
    void SetDelivery(int k, std::int32_t delivered) { deliveries_[k] = delivered; }

    // The k-th BinaryRead copies as usual but reports reported bytes (a lying host).
    void ReportAt(int k, std::int32_t reported) { reports_[k] = reported; }

    // IsClientConnected answers false from its k-th call (1-based) on.
    void DisconnectAtCheck(int k) { disconnectAt_ = k; }

    // The k-th call of this kind (1-based) throws an EOleException with code and description.
    void FailAt(HostCall call, int k, HResult code = static_cast<HResult>(0x80004005u),
                std::string description = "Unspecified error");

    // Every call so far: "FetchRequest", "TotalBytes", "BinaryRead(102400)", "Write(text)"...
    const std::vector<std::string>& Calls() const { return calls_; }
    // The text written to the page, all Write calls joined.
    const std::string& Output() const { return output_; }
    int Count(HostCall call) const;

    std::unique_ptr<HostRequest> FetchHostRequest() override;
    std::unique_ptr<HostResponse> FetchHostResponse() override;

    // Used by the fetched objects.
    void Enter(HostCall call, std::string record);
    std::int32_t Total() const { return total_; }
    std::int32_t Read(std::int32_t count, char* destination);
    bool Connected() const;
    void Append(std::string_view text) { output_.append(text); }

private:
    std::string body_;
    std::int32_t total_;
    std::int32_t cap_ = 0;
    std::size_t served_ = 0;
    std::map<int, std::int32_t> deliveries_;
    std::map<int, std::int32_t> reports_;
    int disconnectAt_ = 0;
    std::map<std::pair<HostCall, int>, std::pair<HResult, std::string>> failures_;
    std::map<HostCall, int> counts_;
    std::vector<std::string> calls_;
    std::string output_;
};

}  // namespace kestrune::testing

// ScriptedHost: a strict HostContext for the unit tests and the fuzz targets alike. Serves
// a body in passes, records every call in order, and injects faults: short deliveries, a
// client that leaves, a failing call (the k-th of a kind, or the k-th of any kind and
// optionally every one after it). Each fetched object answers exactly one call, and every
// pass must ask for the rest of the total capped at 102400 bytes; a breach is reported
// through ReportBreach (fakes/breach.h).
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/exceptions.h"
#include "host/host_objects.h"

namespace kestrune::testing {

enum class HostCall { FetchRequest, FetchResponse, TotalBytes, BinaryRead, IsClientConnected, Write };

// Small, since a long body makes two calls a line: the text of a Write is kept apart.
struct HostCallRecord {
    HostCall kind;
    bool failed = false;
    std::int32_t argument = 0;  // what a BinaryRead asked for; for a Write, its text's index
};

class ScriptedHost : public HostContext {
public:
    // The most one BinaryRead may ask for.
    static constexpr std::int32_t kPassSize = 102400;

    // TotalBytes answers body.size() unless SetTotalBytes says otherwise.
    explicit ScriptedHost(std::string body = {});

    void SetTotalBytes(std::int32_t total) { total_ = total; }

    // Each BinaryRead delivers at most this many bytes (0: no cap beyond the count).
    void SetPassCap(std::int32_t cap) { cap_ = cap; }

    // The k-th BinaryRead (1-based) delivers at most delivered bytes.
    void SetDelivery(int k, std::int32_t delivered) { deliveries_[k] = delivered; }

    // The k-th BinaryRead copies as usual but reports reported bytes (a lying host).
    void ReportAt(int k, std::int32_t reported) { reports_[k] = reported; }

    // IsClientConnected answers false from its k-th call (1-based) on; 0: never.
    void DisconnectAtCheck(int k) { disconnectAt_ = k; }

    // The k-th call of this kind (1-based) throws an EOleException with code and description.
    void FailAt(HostCall call, int k, HResult code = static_cast<HResult>(0x80004005u),
                std::string description = "Unspecified error");

    // The k-th host call of any kind (1-based; 0: none) throws, and with sticky every later
    // call as well.
    void FailAtCall(int k, bool sticky = false) {
        failAtCall_ = k;
        failSticky_ = sticky;
    }

    // Every call so far, in order and whether it threw.
    const std::vector<HostCallRecord>& Records() const { return records_; }
    // The same calls as text: "FetchRequest", "TotalBytes", "BinaryRead(102400)", "Write(text)"...
    std::vector<std::string> Calls() const;
    int Count(HostCall call) const;
    // The text written to the page, all Write calls joined.
    const std::string& Output() const { return output_; }
    // The bytes BinaryRead delivered, in order.
    std::string_view Delivered() const { return std::string_view(body_).substr(0, served_); }
    // BinaryRead calls made before IsClientConnected first answered false; -1 if it never did.
    int ReadsBeforeDisconnect() const { return readsBeforeDisconnect_; }

    std::unique_ptr<HostRequest> FetchHostRequest() override;
    std::unique_ptr<HostResponse> FetchHostResponse() override;

    // Used by the fetched objects.
    void Enter(HostCall kind, std::int32_t argument = 0);
    std::int32_t KeepWriteText(std::string_view text);
    std::int32_t Total() const { return total_; }
    std::int32_t Read(std::int32_t count, char* destination);
    bool Connected();
    void Append(std::string_view text) { output_.append(text); }

private:
    bool FailsNow(HostCall call, int occurrence) const;

    std::string body_;
    std::int32_t total_;
    std::int32_t cap_ = 0;
    std::int64_t requested_ = 0;
    std::size_t served_ = 0;
    std::map<int, std::int32_t> deliveries_;
    std::map<int, std::int32_t> reports_;
    int disconnectAt_ = 0;
    int readsBeforeDisconnect_ = -1;
    std::map<std::pair<HostCall, int>, std::pair<HResult, std::string>> failures_;
    int failAtCall_ = 0;
    bool failSticky_ = false;
    std::array<int, 6> counts_{};  // by HostCall
    std::vector<HostCallRecord> records_;
    std::vector<std::string> writeTexts_;
    std::string output_;
};

}  // namespace kestrune::testing

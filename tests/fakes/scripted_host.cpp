#include "fakes/scripted_host.h"

#include <algorithm>
#include <cstring>

#include "fakes/breach.h"

namespace kestrune::testing {

namespace {

// One fetched object: answers a single call; a second one breaks the host's rules,
// which say fetch afresh before every call.
class SingleUse {
protected:
    explicit SingleUse(ScriptedHost& host) : host_(host) {}
    void Use(HostCall kind, std::int32_t argument = 0) {
        if (used_) ReportBreach("host object reused; fetch afresh");
        used_ = true;
        host_.Enter(kind, argument);
    }
    ScriptedHost& host_;

private:
    bool used_ = false;
};

class ScriptedRequest : public HostRequest, SingleUse {
public:
    explicit ScriptedRequest(ScriptedHost& host) : SingleUse(host) {}
    std::int32_t TotalBytes() override {
        Use(HostCall::TotalBytes);
        return host_.Total();
    }
    std::int32_t BinaryRead(std::int32_t count, char* destination) override {
        Use(HostCall::BinaryRead, count);
        return host_.Read(count, destination);
    }
};

class ScriptedResponse : public HostResponse, SingleUse {
public:
    explicit ScriptedResponse(ScriptedHost& host) : SingleUse(host) {}
    void Write(std::string_view text) override {
        Use(HostCall::Write, host_.KeepWriteText(text));
        host_.Append(text);
    }
    bool IsClientConnected() override {
        Use(HostCall::IsClientConnected);
        return host_.Connected();
    }
};

}  // namespace

ScriptedHost::ScriptedHost(std::string body)
    : body_(std::move(body)), total_(static_cast<std::int32_t>(body_.size())) {
    records_.reserve(64);
}

void ScriptedHost::FailAt(HostCall call, int k, HResult code, std::string description) {
    failures_[{call, k}] = {code, std::move(description)};
}

int ScriptedHost::Count(HostCall call) const { return counts_[static_cast<std::size_t>(call)]; }

std::vector<std::string> ScriptedHost::Calls() const {
    static const char* const kNames[] = {"FetchRequest", "FetchResponse",     "TotalBytes",
                                         "BinaryRead",   "IsClientConnected", "Write"};
    std::vector<std::string> calls;
    for (const HostCallRecord& call : records_) {
        std::string text = kNames[static_cast<std::size_t>(call.kind)];
        if (call.kind == HostCall::BinaryRead) text += "(" + std::to_string(call.argument) + ")";
        if (call.kind == HostCall::Write)
            text += "(" + writeTexts_[static_cast<std::size_t>(call.argument)] + ")";
        calls.push_back(std::move(text));
    }
    return calls;
}

bool ScriptedHost::FailsNow(HostCall call, int occurrence) const {
    const int index = static_cast<int>(records_.size());
    if (failAtCall_ != 0 && (index == failAtCall_ || (failSticky_ && index > failAtCall_))) return true;
    return failures_.count({call, occurrence}) != 0;
}

std::int32_t ScriptedHost::KeepWriteText(std::string_view text) {
    writeTexts_.emplace_back(text);
    return static_cast<std::int32_t>(writeTexts_.size() - 1);
}

void ScriptedHost::Enter(HostCall kind, std::int32_t argument) {
    records_.push_back({kind, false, argument});
    const int occurrence = ++counts_[static_cast<std::size_t>(kind)];
    records_.back().failed = FailsNow(kind, occurrence);
    if (!records_.back().failed) return;
    const auto failure = failures_.find({kind, occurrence});
    if (failure != failures_.end()) {
        throw EOleException(failure->second.second, failure->second.first, "ScriptedHost", "", 0);
    }
    throw EOleException("Unspecified error", static_cast<HResult>(0x80004005u), "ScriptedHost", "", 0);
}

std::unique_ptr<HostRequest> ScriptedHost::FetchHostRequest() {
    Enter(HostCall::FetchRequest);
    return std::make_unique<ScriptedRequest>(*this);
}

std::unique_ptr<HostResponse> ScriptedHost::FetchHostResponse() {
    Enter(HostCall::FetchResponse);
    return std::make_unique<ScriptedResponse>(*this);
}

std::int32_t ScriptedHost::Read(std::int32_t count, char* destination) {
    const std::int64_t rest = std::min<std::int64_t>(kPassSize, std::int64_t{total_} - requested_);
    if (count != rest) {
        ReportBreach("BinaryRead asked for " + std::to_string(count) + ", not the rest capped at 102400 (" +
                     std::to_string(rest) + ")");
    }
    requested_ += std::max(count, 0);
    std::size_t size =
        std::min<std::size_t>(static_cast<std::size_t>(std::max(count, 0)), body_.size() - served_);
    if (cap_ > 0) size = std::min<std::size_t>(size, static_cast<std::size_t>(cap_));
    const auto delivery = deliveries_.find(Count(HostCall::BinaryRead));
    if (delivery != deliveries_.end()) {
        size = std::min<std::size_t>(size, static_cast<std::size_t>(std::max(delivery->second, 0)));
    }
    if (size > 0) std::memcpy(destination, body_.data() + served_, size);
    served_ += size;
    const auto report = reports_.find(Count(HostCall::BinaryRead));
    return report != reports_.end() ? report->second : static_cast<std::int32_t>(size);
}

bool ScriptedHost::Connected() {
    const bool connected = disconnectAt_ == 0 || Count(HostCall::IsClientConnected) < disconnectAt_;
    if (!connected && readsBeforeDisconnect_ < 0) readsBeforeDisconnect_ = Count(HostCall::BinaryRead);
    return connected;
}

}  // namespace kestrune::testing

#include "fuzz_host.h"

#include <algorithm>
#include <cstring>

#include "base/exceptions.h"
#include "fuzz_check.h"

namespace kestrune::fuzz {
namespace {

constexpr HResult kHostFailed = static_cast<HResult>(0x80004005u);

// Each fetched object answers one call only: code that keeps a host object across
// calls would break the host's rules, so the second call aborts.
class OneCall {
protected:
    explicit OneCall(FuzzHost& host) : host_(host) {}
    void Use(CallKind kind) {
        FUZZ_CHECK(!used_, "a fetched host object was used twice");
        used_ = true;
        host_.Enter(kind);
    }
    FuzzHost& host_;

private:
    bool used_ = false;
};

class Request final : public HostRequest, OneCall {
public:
    explicit Request(FuzzHost& host) : OneCall(host) {}
    std::int32_t TotalBytes() override {
        Use(CallKind::TotalBytes);
        return host_.Plan().total;
    }
    std::int32_t BinaryRead(std::int32_t count, char* destination) override {
        Use(CallKind::BinaryRead);
        return host_.Read(count, destination);
    }
};

class Response final : public HostResponse, OneCall {
public:
    explicit Response(FuzzHost& host) : OneCall(host) {}
    void Write(std::string_view text) override {
        Use(CallKind::Write);
        host_.Write(text);
    }
    bool IsClientConnected() override {
        Use(CallKind::IsClientConnected);
        return host_.Connected();
    }
};

}  // namespace

void FuzzHost::Enter(CallKind kind) {
    const int index = static_cast<int>(calls_.size()) + 1;
    const bool fail = plan_.failAtCall != 0 &&
                      (index == plan_.failAtCall || (plan_.failSticky && index > plan_.failAtCall));
    calls_.push_back({kind, fail});
    if (!fail) return;
    ++failedCalls_;
    throw EOleException("Host call failed", kHostFailed, "FuzzHost", "", 0);
}

std::unique_ptr<HostRequest> FuzzHost::FetchHostRequest() {
    Enter(CallKind::FetchRequest);
    return std::make_unique<Request>(*this);
}

std::unique_ptr<HostResponse> FuzzHost::FetchHostResponse() {
    Enter(CallKind::FetchResponse);
    return std::make_unique<Response>(*this);
}

std::int32_t FuzzHost::Read(std::int32_t count, char* destination) {
    const std::int64_t expected = std::min<std::int64_t>(kChunkSize, plan_.total - requested_);
    FUZZ_CHECK(count == expected, "a pass asked for another count than the rest, capped at 102400");
    requested_ += count;
    ++reads_;
    std::size_t size = std::min<std::size_t>(static_cast<std::size_t>(count), body_.size() - served_);
    if (plan_.passCap > 0) size = std::min<std::size_t>(size, static_cast<std::size_t>(plan_.passCap));
    if (size == 0) return 0;
    std::memcpy(destination, body_.data() + served_, size);
    delivered_.append(body_.data() + served_, size);
    served_ += size;
    return static_cast<std::int32_t>(size);
}

bool FuzzHost::Connected() {
    ++checks_;
    const bool connected = plan_.disconnectAtCheck == 0 || checks_ < plan_.disconnectAtCheck;
    if (!connected && readsBeforeDisconnect_ < 0) readsBeforeDisconnect_ = reads_;
    return connected;
}

}  // namespace kestrune::fuzz

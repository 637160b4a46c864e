#include "pagehost/console/host_faults.h"

#include <stdexcept>

#include "base/ascii.h"
#include "pagehost/text.h"

namespace kestrune {
namespace {

constexpr const char* kCallNames[] = {"TotalBytes", "BinaryRead", "IsClientConnected", "Write"};

class FailingSource final : public RequestSource {
public:
    FailingSource(std::shared_ptr<RequestSource> inner, std::shared_ptr<FaultPlan> plan)
        : inner_(std::move(inner)), plan_(std::move(plan)) {}

    std::int64_t TotalBytes() override {
        plan_->Enter(HostCall::TotalBytes);
        return inner_->TotalBytes();
    }
    std::size_t Read(char* destination, std::size_t count) override {
        plan_->Enter(HostCall::BinaryRead);
        return inner_->Read(destination, count);
    }
    std::int64_t Left() const override { return inner_->Left(); }

private:
    std::shared_ptr<RequestSource> inner_;
    std::shared_ptr<FaultPlan> plan_;
};

class FailingTransport final : public ResponseTransport {
public:
    FailingTransport(std::unique_ptr<ResponseTransport> inner, std::shared_ptr<FaultPlan> plan)
        : inner_(std::move(inner)), plan_(std::move(plan)) {}

    void SendHead(std::string_view head) override { inner_->SendHead(head); }
    void Send(std::string_view bytes) override {
        plan_->Enter(HostCall::Write);
        inner_->Send(bytes);
    }
    bool IsClientConnected() override {
        plan_->Enter(HostCall::IsClientConnected);
        return inner_->IsClientConnected();
    }

private:
    std::unique_ptr<ResponseTransport> inner_;
    std::shared_ptr<FaultPlan> plan_;
};

class DisconnectingTransport final : public ResponseTransport {
public:
    DisconnectingTransport(std::unique_ptr<ResponseTransport> inner, long answers)
        : inner_(std::move(inner)), answersLeft_(answers) {}

    void SendHead(std::string_view head) override { inner_->SendHead(head); }
    void Send(std::string_view bytes) override { inner_->Send(bytes); }
    bool IsClientConnected() override {
        if (answersLeft_ <= 0) return false;
        --answersLeft_;
        return inner_->IsClientConnected();
    }

private:
    std::unique_ptr<ResponseTransport> inner_;
    long answersLeft_;
};

}  // namespace

std::optional<HostCall> ParseHostCall(const std::wstring& name) {
    std::string narrow = ToUtf8(name);
    for (int i = 0; i < 4; ++i) {
        if (EqualsNoCase(narrow, kCallNames[i])) return static_cast<HostCall>(i);
    }
    return std::nullopt;
}

void FaultPlan::Enter(HostCall call) {
    long occurrence = ++calls_[static_cast<int>(call)];
    if (failures_.count({call, occurrence}) != 0)
        throw std::runtime_error(std::string("Simulated host failure in ") +
                                 kCallNames[static_cast<int>(call)] + ". ");
}

std::shared_ptr<RequestSource> WithFaults(std::shared_ptr<RequestSource> inner,
                                          std::shared_ptr<FaultPlan> plan) {
    return std::make_shared<FailingSource>(std::move(inner), std::move(plan));
}

std::unique_ptr<ResponseTransport> WithFaults(std::unique_ptr<ResponseTransport> inner,
                                              std::shared_ptr<FaultPlan> plan) {
    return std::make_unique<FailingTransport>(std::move(inner), std::move(plan));
}

std::unique_ptr<ResponseTransport> DisconnectingAfter(std::unique_ptr<ResponseTransport> inner,
                                                      long answers) {
    return std::make_unique<DisconnectingTransport>(std::move(inner), answers);
}

}  // namespace kestrune

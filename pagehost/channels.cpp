#include "pagehost/channels.h"

#include <utility>

namespace kestrune {
namespace {

class EmptyRequestSource final : public RequestSource {
public:
    std::int64_t TotalBytes() override { return 0; }
    std::size_t Read(char*, std::size_t) override { return 0; }
};

class DisconnectingSink final : public ResponseSink {
public:
    DisconnectingSink(std::shared_ptr<ResponseSink> inner, std::int64_t answers)
        : inner_(std::move(inner)), answersLeft_(answers) {}

    void Write(std::string_view text) override { inner_->Write(text); }

    bool IsConnected() override {
        if (answersLeft_ <= 0) return false;
        --answersLeft_;
        return inner_->IsConnected();
    }
    void End() override { inner_->End(); }
    bool Ended() const override { return inner_->Ended(); }

private:
    std::shared_ptr<ResponseSink> inner_;
    std::int64_t answersLeft_;
};

}  // namespace

std::shared_ptr<RequestSource> MakeEmptyRequestSource() { return std::make_shared<EmptyRequestSource>(); }

std::shared_ptr<ResponseSink> MakeDisconnectingSink(std::shared_ptr<ResponseSink> inner,
                                                    std::int64_t answers) {
    return std::make_shared<DisconnectingSink>(std::move(inner), answers);
}

}  // namespace kestrune

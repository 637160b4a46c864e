#include "channels.h"

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
        : inner_(std::move(inner)), answers_left_(answers) {}

    void Write(std::string_view text) override { inner_->Write(text); }

    bool IsConnected() override {
        if (answers_left_ <= 0) return false;
        --answers_left_;
        return inner_->IsConnected();
    }

private:
    std::shared_ptr<ResponseSink> inner_;
    std::int64_t answers_left_;
};

}  // namespace

std::shared_ptr<RequestSource> MakeEmptyRequestSource() { return std::make_shared<EmptyRequestSource>(); }

std::shared_ptr<ResponseSink> MakeDisconnectingSink(std::shared_ptr<ResponseSink> inner,
                                                    std::int64_t answers) {
    return std::make_shared<DisconnectingSink>(std::move(inner), answers);
}

}  // namespace kestrune

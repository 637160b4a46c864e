#include "kestrune_parse/body_host.h"

#include <algorithm>
#include <cstring>

namespace kestrune::tools {

class BodyHost::Request : public HostRequest {
public:
    explicit Request(BodyHost& host) : host_(host) {}
    std::int32_t TotalBytes() override { return static_cast<std::int32_t>(host_.body_.size()); }
    std::int32_t BinaryRead(std::int32_t count, char* destination) override {
        const std::size_t size =
            std::min<std::size_t>(static_cast<std::size_t>(std::max(count, 0)), host_.body_.size() - host_.served_);
        if (size > 0) std::memcpy(destination, host_.body_.data() + host_.served_, size);
        host_.served_ += size;
        return static_cast<std::int32_t>(size);
    }

private:
    BodyHost& host_;
};

class BodyHost::Response : public HostResponse {
public:
    explicit Response(BodyHost& host) : host_(host) {}
    void Write(std::string_view text) override { host_.output_.append(text); }
    bool IsClientConnected() override { return true; }

private:
    BodyHost& host_;
};

std::unique_ptr<HostRequest> BodyHost::FetchHostRequest() {
    return std::make_unique<Request>(*this);
}

std::unique_ptr<HostResponse> BodyHost::FetchHostResponse() {
    return std::make_unique<Response>(*this);
}

}  // namespace kestrune::tools

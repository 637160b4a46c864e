#include "host/posix/body_host.h"

#include <algorithm>
#include <cstring>

namespace kestrune {

class BodyHost::Request : public HostRequest {
public:
    explicit Request(BodyHost& host) : host_(host) {}

    std::int32_t TotalBytes() override { return host_.size_; }

    std::int32_t BinaryRead(std::int32_t count, char* destination) override {
        const std::int32_t n = std::max(0, std::min(count, host_.size_ - host_.delivered_));
        host_.reader_(static_cast<std::uint64_t>(host_.delivered_), static_cast<std::size_t>(n), destination);
        host_.delivered_ += n;
        return n;
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

BodyHost::BodyHost(std::int32_t size, Reader reader) : size_(size), reader_(std::move(reader)) {}

BodyHost::BodyHost(std::string_view body)
    : BodyHost(static_cast<std::int32_t>(body.size()),
               [body](std::uint64_t offset, std::size_t count, char* destination) {
                   std::memcpy(destination, body.data() + offset, count);
               }) {}

std::unique_ptr<HostRequest> BodyHost::FetchHostRequest() { return std::make_unique<Request>(*this); }

std::unique_ptr<HostResponse> BodyHost::FetchHostResponse() { return std::make_unique<Response>(*this); }

}  // namespace kestrune

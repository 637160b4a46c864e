// A stand-alone page host for running the component without one: serves a body through
// BinaryRead from memory or from a reader function, with a client that never leaves, and
// collects what is written to the page. A reader may make the bytes on the fly, so the
// host itself need hold none of the body.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "host/host_objects.h"

namespace kestrune {

class BodyHost : public HostContext {
public:
    // Writes body bytes offset .. offset+count-1 to destination.
    using Reader = std::function<void(std::uint64_t offset, std::size_t count, char* destination)>;

    BodyHost(std::int32_t size, Reader reader);
    explicit BodyHost(std::string_view body);

    std::unique_ptr<HostRequest> FetchHostRequest() override;
    std::unique_ptr<HostResponse> FetchHostResponse() override;

    // What the object wrote to the page (an intake error message, if any).
    const std::string& Output() const { return output_; }

private:
    class Request;
    class Response;

    std::int32_t size_;
    Reader reader_;
    std::int32_t delivered_ = 0;
    std::string output_;
};

}  // namespace kestrune

// A page host for one captured body: serves it in passes, keeps the client connected,
// and collects what is written to the page.
#pragma once

#include <string>
#include <string_view>

#include "host/host_objects.h"

namespace kestrune::tools {

class BodyHost : public HostContext {
public:
    explicit BodyHost(std::string_view body) : body_(body) {}

    std::unique_ptr<HostRequest> FetchHostRequest() override;
    std::unique_ptr<HostResponse> FetchHostResponse() override;

    const std::string& Output() const { return output_; }

private:
    class Request;
    class Response;

    std::string_view body_;
    std::size_t served_ = 0;
    std::string output_;
};

}  // namespace kestrune::tools

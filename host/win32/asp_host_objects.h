// HostContext, HostRequest and HostResponse over the page host's intrinsic objects
// (IRequest, IResponse), found in the object context of the current call.
#pragma once

#include "host/host_objects.h"
#include "host/win32/object_context.h"

namespace kestrune {

class Win32HostContext final : public HostContext {
public:
    // Without a provider, the process-wide one is used (chosen on the first fetch).
    explicit Win32HostContext(const ContextProvider* provider = nullptr) : provider_(provider) {}

    std::unique_ptr<HostRequest> FetchHostRequest() override;
    std::unique_ptr<HostResponse> FetchHostResponse() override;

private:
    const ContextProvider& Provider() const;

    const ContextProvider* provider_;
};

// The operations over an object already in hand, asked for IRequest or IResponse;
// raises "Interface not supported" when it has no such interface.
std::unique_ptr<HostRequest> MakeHostRequest(IUnknown* object);
std::unique_ptr<HostResponse> MakeHostResponse(IUnknown* object);

}  // namespace kestrune

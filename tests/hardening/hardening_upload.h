// An upload object built the way a page gets one: a scripted host serves the body,
// intake reads and parses it. Members are declared in the order they must be built.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "fakes/scripted_host.h"
#include "host/code_page.h"
#include "host/file_system.h"
#include "upload/tessock.h"

namespace kestrune::testing {

struct HostedUpload {
    HostedUpload(std::string body, const CodePage& codePage, FileSystem& files, std::int32_t passCap = 0)
        : host(std::move(body)), object(host, codePage, files) {
        host.SetPassCap(passCap);
        object.Initialize();
    }

    ScriptedHost host;
    TTessock object;
};

}  // namespace kestrune::testing

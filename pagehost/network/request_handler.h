// One connection, one request: reads the head, routes it to a page or a static file,
// answers, and closes (every response says "Connection: close").
#pragma once

#include "pagehost/network/socket.h"  // first: Winsock before windows.h

#include "com/object_context_interfaces.h"

#include <cstdint>
#include <string>

namespace kestrune {

struct SiteContext {
    std::string root;  // UTF-8 Windows path of the site folder
    std::uint64_t maxRequestBytes = 0;
    int port = 0;  // the listening port on 127.0.0.1
    SetHostObjectsFunction setHost = nullptr;
};

// Runs on the connection's own thread, which has joined the multithreaded apartment.
void ServeConnection(UniqueSocket socket, int remotePort, const SiteContext& site);

}  // namespace kestrune

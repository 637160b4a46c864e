// One connection, one request: reads the head, routes it to a page or a static file,
// answers, and closes (every response says "Connection: close").
#pragma once

#include "pagehost/network/socket.h"  // first: Winsock before windows.h

#include "com/object_context_interfaces.h"
#include "pagehost/http/server_variables.h"

#include <cstdint>
#include <string>

namespace kestrune {

struct SiteContext {
    std::string root;  // UTF-8 Windows path of the site folder
    std::uint64_t maxRequestBytes = 0;
    ConnectionAddress address;  // the listening side; the peer is filled per connection
    SetHostObjectsFunction setHost = nullptr;
};

// Runs on the connection's own thread, which has joined the multithreaded apartment.
void ServeConnection(UniqueSocket socket, const SiteContext& site);

}  // namespace kestrune

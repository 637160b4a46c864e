// Files other than pages: sent as they are, with the Content-Type of their extension.
#pragma once

#include "pagehost/http/request_head.h"
#include "pagehost/network/client_connection.h"

#include <string>

namespace kestrune {

// Files the site keeps to itself: settings and include files are never sent.
bool IsRefusedStaticFile(const std::string& sitePath);

// Sends the file at path (a GET or HEAD). False when the client is gone or the
// connection cannot carry another request.
bool SendStaticFile(ClientConnection& connection, const RequestHead& head, const std::string& sitePath,
                    const std::wstring& path, bool keepAlive);

}  // namespace kestrune

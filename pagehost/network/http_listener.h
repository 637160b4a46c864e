// Serve mode: listens on 127.0.0.1, gives every connection a thread of its own in the
// multithreaded apartment, answers its one request with a page, a static file or a plain
// status, and stops on Ctrl+C or when the console closes.
#pragma once

#include "com/object_context_interfaces.h"
#include "pagehost/network/serve_options.h"

namespace kestrune {

// Serves until stopped; returns the process exit code.
int Serve(const ServeOptions& options, SetHostObjectsFunction setHost);

}  // namespace kestrune

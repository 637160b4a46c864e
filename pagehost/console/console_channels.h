// The command-line host's channels: the body comes from a file, the output goes to
// stdout as UTF-8 bytes, and the "client" never goes away by itself.
#pragma once

#include "pagehost/channels.h"

#include <memory>
#include <string>

namespace kestrune {

// Throws std::runtime_error when the file cannot be opened.
std::shared_ptr<RequestSource> MakeFileRequestSource(const std::wstring& path);

std::shared_ptr<ResponseSink> MakeStdoutSink();

}  // namespace kestrune

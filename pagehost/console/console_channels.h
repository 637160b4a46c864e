// Script mode's channels: the body comes from a file (or there is none), the output goes
// to stdout as bytes without a head, and the "client" never goes away by itself.
#pragma once

#include "pagehost/channels.h"

#include <memory>
#include <optional>
#include <string>

namespace kestrune {

// The body file at path, or an empty body. Throws std::runtime_error when the file
// cannot be opened.
std::shared_ptr<RequestSource> MakeBodySource(const std::optional<std::wstring>& path);

std::unique_ptr<ResponseTransport> MakeStdoutTransport();

}  // namespace kestrune

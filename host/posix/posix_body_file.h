// The body file on Linux: a file in the temporary folder ($TMPDIR, else /tmp) that has
// no name from the start, so nothing is left behind however the process ends.
#pragma once

#include <memory>

#include "host/body_file.h"

namespace kestrune {

// Null when the temporary folder cannot take a file.
std::unique_ptr<BodyFile> CreatePosixBodyFile();

}  // namespace kestrune

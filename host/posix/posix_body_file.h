// The body file on Linux: a file in the temporary folder ($TMPDIR, else /tmp) that has
// no name from the start, so nothing is left behind however the process ends.
#pragma once

#include <memory>

#include "host/body_file.h"

namespace kestrune {

// Null when the temporary folder cannot take a file.
std::unique_ptr<BodyFile> CreatePosixBodyFile();

// The open file descriptor (which it then owns) as a body file, for tools that read an
// existing file as a body.
std::unique_ptr<BodyFile> PosixBodyFileOf(int descriptor);

}  // namespace kestrune

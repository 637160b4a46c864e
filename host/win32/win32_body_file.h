// The body file on Windows: a new file under a random name in the process's temporary
// folder, shared with no one, and deleted by the system when its handle closes, which
// the end of the process does too, however it ends.
#pragma once

#include <memory>

#include "host/body_file.h"

namespace kestrune {

// Null when the temporary folder cannot take a file.
std::unique_ptr<BodyFile> CreateWin32BodyFile();

}  // namespace kestrune

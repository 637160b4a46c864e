// Which SaveFile targets are refused before any file is touched.
#pragma once

#include <string_view>

#include "host/code_page.h"

namespace kestrune {

// False for a path holding a NUL byte (it would name a shorter path), and for one whose
// last component is empty, ends in "." or " ", or is a reserved device name (CON, PRN,
// AUX, NUL, CONIN$, CONOUT$, COM0-COM9, LPT0-LPT9, and in a single-byte code page or UTF-8
// COM and LPT with a superscript 1, 2 or 3; in any case, with or without an extension). Windows
// would quietly write such a target somewhere else; every platform refuses it alike.
bool IsAcceptableTarget(std::string_view path, const CodePage& codePage);

}  // namespace kestrune

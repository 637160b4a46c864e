// Which SaveFile targets are refused before any file is touched.
#pragma once

#include <string_view>

#include "base/device_name.h"
#include "host/code_page.h"

namespace kestrune {

// False for a path holding a NUL byte (it would name a shorter path), and for one whose
// last component is empty, ends in "." or " ", or is a reserved device name (CON, PRN,
// AUX, NUL, CONIN$, CONOUT$, COM0-COM9, LPT0-LPT9, and in a single-byte code page or UTF-8
// COM and LPT with a superscript 1, 2 or 3; in any case, with or without an extension). Windows
// would quietly write such a target somewhere else; every platform refuses it alike.
// Also false for a path into the device namespace ("\\.\", "\\?\" or "\??\" followed by
// anything but a drive or UNC\) and for a share that is a server's named pipes or
// mailslots (pipe, mailslot, IPC$): those would open a device, not a file.
bool IsAcceptableTarget(std::string_view path, const CodePage& codePage);

// How texts in codePage spell the superscript digits that Windows takes as port numbers.
SuperscriptDigits SuperscriptsOf(const CodePage& codePage);

}  // namespace kestrune

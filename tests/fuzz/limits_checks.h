// The intake target's checks of the Upload class's limits.
#pragma once

#include <cstdint>

#include "host/code_page.h"
#include "upload/tessock.h"

namespace kestrune::fuzz {

// The number of bytes LimitsFrom reads.
inline constexpr std::size_t kLimitBytes = 5;

// Limits from kLimitBytes bytes of the input, of the sizes its bodies have:
//   0  MaxBodyBytes: the byte times 8 (0: none)
//   1  MaxFileBytes: the byte
//   2  MaxFiles: low 3 bits; MaxFields: the next 3 bits; bit 7 makes both -1 (no limit)
//   3  MaxFieldBytes: the byte
//   4  AllowedExtensions: one of a few lists, by the byte's value
IntakeLimits LimitsFrom(const unsigned char* bytes);

// Every part the parse of the object's body without limits finds is either kept or
// listed as rejected, in body order, with the reason the first limit it breaks gives and
// its size and names; no kept part breaks a limit; and the lists hold exactly the parts
// kept. With whole false (a parse cut short) the object holds a beginning of that.
void CheckLimits(const TTessock& upload, const IntakeLimits& limits, const CodePage& codePage, bool whole);

}  // namespace kestrune::fuzz

// ReferenceParse: the multipart rules written down as plainly as possible (a byte at a
// time, the form-field list as a walked vector), to hold the fast parser against.
#pragma once

#include <string_view>

#include "host/code_page.h"
#include "support/parse_outcome.h"

namespace kestrune {

ParseOutcome ReferenceParse(std::string_view body, const CodePage& codePage,
                            int connectedChecks = kAlwaysConnected);

// The delimiter automaton alone: offset of the first byte of the first complete match at
// or after start, or -1.
long ReferenceScan(std::string_view body, long start, std::string_view boundaryLine);

}  // namespace kestrune

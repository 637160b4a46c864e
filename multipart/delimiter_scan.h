// The delimiter search inside a file part's content.
#pragma once

#include <cstddef>
#include <string_view>

#include "multipart/body_window.h"

namespace kestrune {

// Offset of the first byte of the first complete match of boundaryLine in body at or
// after start, or npos; a match may straddle the window's moves. Matching follows a
// simple automaton: bytes are compared in order against the boundary line, and after a
// mismatch the search starts over with the next byte: the byte that broke a partial
// match is never compared again with the first byte of the boundary line. A boundary
// line under two bytes never matches.
std::size_t ScanForDelimiter(BodyWindow& body, std::size_t start, std::string_view boundaryLine);

}  // namespace kestrune

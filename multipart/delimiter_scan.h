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

// The same for a boundary line too long to hold: the line at offset 0 of body, length
// characters long, of which held (at least one) are its first.
std::size_t ScanForLongDelimiter(BodyWindow& body, std::size_t start, std::string_view held,
                                 std::size_t length);

}  // namespace kestrune

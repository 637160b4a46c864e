// ReadLine: one text line of the body, for header, delimiter and field lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "multipart/body_window.h"

namespace kestrune {

// Reads the line that starts at offset start (>= 0) into line, keeping at most keep
// characters of it (enough to compare it with a known line, whatever its length in the
// body), and returns the number of body bytes consumed. The line runs up to, not
// including, the first LF at or after start (or to the end of the body), with every CR in
// that stretch removed; only LF and the end of the body end a line. The count includes
// the removed CRs and the LF. At or past the end of the body: empty line, 0. With length,
// *length is the number of characters of the whole line, those past keep included.
std::int32_t ReadLine(BodyWindow& body, std::int32_t start, std::string& line,
                      std::size_t keep = std::string::npos, std::size_t* length = nullptr);

}  // namespace kestrune

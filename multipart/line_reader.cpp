#include "multipart/line_reader.h"

#include <algorithm>
#include <cstring>

namespace kestrune {

namespace {

// Appends the stretch without its CRs, up to keep characters in all.
void AppendWithoutCr(std::string& line, const char* begin, const char* end, std::size_t keep) {
    const char* piece = begin;
    while (piece < end && line.size() < keep) {
        const char* cr =
            static_cast<const char*>(std::memchr(piece, '\r', static_cast<std::size_t>(end - piece)));
        const char* pieceEnd = cr != nullptr ? cr : end;
        const auto room = keep - line.size();
        line.append(piece, std::min(static_cast<std::size_t>(pieceEnd - piece), room));
        piece = pieceEnd + (cr != nullptr ? 1 : 0);
    }
}

}  // namespace

std::int32_t ReadLine(BodyWindow& body, std::int32_t start, std::string& line, std::size_t keep) {
    line.clear();
    if (start < 0 || static_cast<std::size_t>(start) >= body.Size()) return 0;
    std::size_t position = static_cast<std::size_t>(start);
    // A body in memory is one window, so this runs once; a file body's line may span several.
    for (;;) {
        const std::string_view window = body.At(position);
        const char* begin = window.data();
        const char* lineFeed = static_cast<const char*>(std::memchr(begin, '\n', window.size()));
        const char* end = lineFeed != nullptr ? lineFeed : begin + window.size();
        AppendWithoutCr(line, begin, end, keep);
        position += static_cast<std::size_t>(end - begin);
        if (lineFeed != nullptr) {
            ++position;
            break;
        }
        if (position >= body.Size()) break;
    }
    return static_cast<std::int32_t>(position - static_cast<std::size_t>(start));
}

}  // namespace kestrune

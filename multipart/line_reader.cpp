#include "multipart/line_reader.h"

#include <algorithm>
#include <cstring>

namespace kestrune {

namespace {

// Appends the stretch without its CRs, up to keep characters in all; with count, returns
// the number of characters in the stretch, those past keep included.
std::size_t AppendWithoutCr(std::string& line, const char* begin, const char* end, std::size_t keep,
                            bool count) {
    std::size_t characters = 0;
    const char* piece = begin;
    while (piece < end && (count || line.size() < keep)) {
        const char* cr =
            static_cast<const char*>(std::memchr(piece, '\r', static_cast<std::size_t>(end - piece)));
        const char* pieceEnd = cr != nullptr ? cr : end;
        const auto size = static_cast<std::size_t>(pieceEnd - piece);
        if (line.size() < keep) line.append(piece, std::min(size, keep - line.size()));
        characters += size;
        piece = pieceEnd + (cr != nullptr ? 1 : 0);
    }
    return characters;
}

}  // namespace

std::int32_t ReadLine(BodyWindow& body, std::int32_t start, std::string& line, std::size_t keep,
                      std::size_t* length) {
    line.clear();
    std::size_t characters = 0;
    if (length != nullptr) *length = 0;
    if (start < 0 || static_cast<std::size_t>(start) >= body.Size()) return 0;
    std::size_t position = static_cast<std::size_t>(start);
    // A body in memory is one window, so this runs once; a file body's line may span several.
    for (;;) {
        const std::string_view window = body.At(position);
        const char* begin = window.data();
        const char* lineFeed = static_cast<const char*>(std::memchr(begin, '\n', window.size()));
        const char* end = lineFeed != nullptr ? lineFeed : begin + window.size();
        characters += AppendWithoutCr(line, begin, end, keep, length != nullptr);
        position += static_cast<std::size_t>(end - begin);
        if (lineFeed != nullptr) {
            ++position;
            break;
        }
        if (position >= body.Size()) break;
    }
    if (length != nullptr) *length = characters;
    return static_cast<std::int32_t>(position - static_cast<std::size_t>(start));
}

}  // namespace kestrune

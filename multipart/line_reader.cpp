#include "multipart/line_reader.h"

#include <cstring>

namespace kestrune {

std::int32_t ReadLine(std::string_view body, std::int32_t start, std::string& line) {
    line.clear();
    if (start < 0 || static_cast<std::size_t>(start) >= body.size()) return 0;
    const char* begin = body.data() + start;
    const char* bodyEnd = body.data() + body.size();
    const char* lineFeed =
        static_cast<const char*>(std::memchr(begin, '\n', static_cast<std::size_t>(bodyEnd - begin)));
    const char* end = lineFeed != nullptr ? lineFeed : bodyEnd;
    const char* consumedEnd = lineFeed != nullptr ? lineFeed + 1 : bodyEnd;

    // A CR anywhere in the stretch is dropped, not only the one before the LF.
    const char* piece = begin;
    while (piece < end) {
        const char* cr =
            static_cast<const char*>(std::memchr(piece, '\r', static_cast<std::size_t>(end - piece)));
        const char* pieceEnd = cr != nullptr ? cr : end;
        line.append(piece, static_cast<std::size_t>(pieceEnd - piece));
        piece = pieceEnd + (cr != nullptr ? 1 : 0);
    }
    return static_cast<std::int32_t>(consumedEnd - begin);
}

}  // namespace kestrune

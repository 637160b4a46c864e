#include "multipart/delimiter_scan.h"

#include <cstring>

namespace kestrune {

std::size_t ScanForDelimiter(std::string_view body, std::size_t start, std::string_view boundaryLine) {
    const std::size_t length = boundaryLine.size();
    if (length < 2) return std::string_view::npos;
    const char* data = body.data();
    const std::size_t size = body.size();
    std::size_t position = start;
    while (position < size) {
        const void* found = std::memchr(data + position, boundaryLine[0], size - position);
        if (found == nullptr) break;
        const std::size_t candidate = static_cast<std::size_t>(static_cast<const char*>(found) - data);
        const std::size_t room = size - candidate;
        if (room >= length && std::memcmp(data + candidate + 1, boundaryLine.data() + 1, length - 1) == 0) {
            return candidate;
        }
        // A partial match: find the byte that broke it and go on after that byte.
        std::size_t matched = 1;
        while (matched < room && matched < length && data[candidate + matched] == boundaryLine[matched])
            ++matched;
        if (matched == room) break;
        position = candidate + matched + 1;
    }
    return std::string_view::npos;
}

}  // namespace kestrune

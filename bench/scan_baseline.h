// The floor any delimiter search pays, used as the in-run baseline for parsing: visit
// every byte equal to the delimiter's first byte and compare the whole delimiter there.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace kestrune::bench {

inline std::size_t ScanForDelimiter(std::string_view buffer, std::string_view delimiter) {
    std::size_t matches = 0;
    const char* p = buffer.data();
    const char* const end = p + buffer.size();
    while (p < end) {
        p = static_cast<const char*>(std::memchr(p, delimiter[0], static_cast<std::size_t>(end - p)));
        if (p == nullptr) break;
        if (static_cast<std::size_t>(end - p) >= delimiter.size() &&
            std::memcmp(p, delimiter.data(), delimiter.size()) == 0)
            ++matches;
        ++p;
    }
    return matches;
}

}  // namespace kestrune::bench

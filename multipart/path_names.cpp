#include "multipart/path_names.h"

#include <cstddef>

namespace kestrune {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

struct LastMarks {
    std::size_t separator = kNone;
    std::size_t separatorOrDot = kNone;
};

bool IsSeparator(char byte) { return byte == '\\' || byte == ':' || byte == '/'; }

// One pass from the front: only going forward tells a trail byte from a lead or
// single byte, and it leaves the rightmost marks behind.
LastMarks FindLastMarks(std::string_view path, const CodePage& codePage) {
    LastMarks marks;
    std::size_t i = 0;
    while (i < path.size()) {
        char byte = path[i];
        if (IsSeparator(byte)) {
            marks.separator = i;
            marks.separatorOrDot = i;
        } else if (byte == '.') {
            marks.separatorOrDot = i;
        }
        bool swallowsNext = codePage.IsLeadByte(static_cast<unsigned char>(byte)) && i + 1 < path.size() &&
                            path[i + 1] != '\0';
        i += swallowsNext ? 2 : 1;
    }
    return marks;
}

}  // namespace

std::string PathFileName(std::string_view path, const CodePage& codePage) {
    LastMarks marks = FindLastMarks(path, codePage);
    if (marks.separator == kNone) return std::string(path);
    return std::string(path.substr(marks.separator + 1));
}

std::string PathExtension(std::string_view path, const CodePage& codePage) {
    LastMarks marks = FindLastMarks(path, codePage);
    if (marks.separatorOrDot == kNone || path[marks.separatorOrDot] != '.') return std::string();
    return std::string(path.substr(marks.separatorOrDot));
}

}  // namespace kestrune

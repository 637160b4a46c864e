#include "pagehost/asp/include_path.h"

#include <stdexcept>
#include <vector>

namespace kestrune {
namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// Appends the segments of path to folder, resolving "." and "..".
void Walk(std::vector<std::string>& folder, std::string_view path) {
    std::size_t i = 0;
    while (i <= path.size()) {
        std::size_t end = i;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        std::string_view segment = path.substr(i, end - i);
        if (segment == "..") {
            if (folder.empty()) throw std::invalid_argument("include path leaves the site root");
            folder.pop_back();
        } else if (!segment.empty() && segment != ".") {
            folder.emplace_back(segment);
        }
        i = end + 1;
    }
}

}  // namespace

std::string ResolveIncludePath(std::string_view includingPage, IncludeKind kind, std::string_view target) {
    if (target.empty()) throw std::invalid_argument("include path is empty");
    if (target.find('\0') != std::string_view::npos || target.find(':') != std::string_view::npos)
        throw std::invalid_argument("include path may not hold NUL or ':'");

    std::vector<std::string> segments;
    bool fromRoot = kind == IncludeKind::kVirtual && IsSeparator(target.front());
    if (!fromRoot) {
        Walk(segments, includingPage);
        if (!segments.empty()) segments.pop_back();  // the including page's own name
    }
    Walk(segments, target);
    if (segments.empty()) throw std::invalid_argument("include path names no file");

    std::string result;
    for (const std::string& segment : segments) result += "/" + segment;
    return result;
}

}  // namespace kestrune

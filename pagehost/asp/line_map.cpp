#include "pagehost/asp/line_map.h"

namespace kestrune {

int LineMap::FileIndex(const std::string& file) {
    for (std::size_t i = 0; i < files_.size(); ++i) {
        if (files_[i] == file) return static_cast<int>(i);
    }
    files_.push_back(file);
    return static_cast<int>(files_.size() - 1);
}

void LineMap::AddLine(int file, int line) { lines_.push_back(Entry{file, line}); }

void LineMap::SetLine(int outputLine, int file, int line) {
    if (outputLine < 1 || static_cast<std::size_t>(outputLine) > lines_.size()) return;
    lines_[static_cast<std::size_t>(outputLine) - 1] = Entry{file, line};
}

SourceLocation LineMap::Locate(int outputLine) const {
    if (lines_.empty() || outputLine < 1) return {};
    std::size_t index = static_cast<std::size_t>(outputLine) - 1;
    if (index >= lines_.size()) index = lines_.size() - 1;
    const Entry& entry = lines_[index];
    if (entry.file < 0) return {};
    return SourceLocation{files_[static_cast<std::size_t>(entry.file)], entry.line};
}

}  // namespace kestrune

#pragma once
// Maps the lines of a translated VBScript or JScript program back to the page or include file
// and line that produced them, so a script error can name what the author wrote.

#include <cstddef>
#include <string>
#include <vector>

namespace kestrune {

struct SourceLocation {
    std::string file;  // site path, "/upload-result.asp"
    int line = 0;      // 1-based; 0 when unknown
};

class LineMap {
public:
    // Index of file in Files(), adding it on first use.
    int FileIndex(const std::string& file);
    // Records that the next output line came from (file index, source line).
    void AddLine(int file, int line);
    // Changes the source of an output line already added (1-based).
    void SetLine(int outputLine, int file, int line);
    // Output line is 1-based, as VBScript counts (IActiveScriptError gives 0-based:
    // add 1). Lines past the end map to the last known location.
    SourceLocation Locate(int outputLine) const;

    std::size_t LineCount() const { return lines_.size(); }
    const std::vector<std::string>& Files() const { return files_; }

private:
    struct Entry {
        int file;
        int line;
    };
    std::vector<std::string> files_;
    std::vector<Entry> lines_;
};

}  // namespace kestrune

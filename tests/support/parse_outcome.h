// ParseOutcome: everything a parse leaves behind, in one comparable value, and a way to
// get it from ParseMultipart with the body placed in a GuardedBuffer.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "host/code_page.h"
#include "multipart/multipart_parser.h"

namespace kestrune {

// One entry of the list of every file.
struct FileOutcome {
    std::string field;
    std::size_t offset = 0;
    std::string data, name, ext, base, type;

    bool operator==(const FileOutcome& other) const;
};

struct ParseOutcome {
    std::vector<std::string> lines;
    std::string fileData;
    std::size_t fileOffset = 0;  // where fileData starts in the body (0 without a file)
    std::string fileName;
    std::string fileExt;
    std::string baseName;
    std::string contentType;
    std::vector<FileOutcome> files;
    int clientChecks = 0;

    bool operator==(const ParseOutcome& other) const;
    bool operator!=(const ParseOutcome& other) const { return !(*this == other); }
};

std::ostream& operator<<(std::ostream& out, const ParseOutcome& outcome);

// The client check answers "connected" this many times, then "gone"; -1: always connected.
constexpr int kAlwaysConnected = -1;

// The long-name limit of a list that holds lines to held characters, for tests: past it
// only ASCII letters fold, as on Windows, while the double-byte test page folds full-width
// letters too, so its names keep the real limit.
std::size_t TestLongName(const CodePage& codePage, std::size_t held);

// Runs ParseMultipart over a guarded copy of body (holding lines of up to held characters
// whole, and names of up to held as short), the first listed file as the file.
// Also checks that the file's bytes are a slice of that copy.
ParseOutcome ParseWithParser(std::string_view body, const CodePage& codePage,
                             int connectedChecks = kAlwaysConnected, std::size_t held = kHeldLine);

}  // namespace kestrune

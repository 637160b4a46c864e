// The multipart rules and a page's form-field reads written down as plainly as possible,
// to hold the parser, the list and the object against: a byte at a time, and reads that
// walk the list from the top. The unit tests, the hardening tests and the fuzz targets
// all use this one.
//
// One concession keeps big bodies cheap enough to fuzz: a repeated field finds its first
// line by name key (NameCollation::NameKey) rather than by NamesEqual over every line.
// The two agree by the code page's contract, which code_page_test and the fuzz targets
// check separately.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "host/code_page.h"
#include "support/parse_outcome.h"

namespace kestrune {

ParseOutcome ReferenceParse(std::string_view body, const CodePage& codePage,
                            int connectedChecks = kAlwaysConnected);

// Whether to record the part whose first header line starts at an offset of the body.
using ReferenceKeep = std::function<bool(std::size_t firstHeaderLine)>;

// ReferenceParse recording only the parts keep accepts, as a PartFilter would keep them:
// the others add no line, merge into none and list no file.
ParseOutcome ReferenceParse(std::string_view body, const CodePage& codePage, const ReferenceKeep& keep);

// The delimiter automaton alone: offset of the first byte of the first complete match at
// or after start, or -1.
long ReferenceScan(std::string_view body, long start, std::string_view boundaryLine);

struct ReferenceName {
    std::string_view text;  // empty when the line has no "="
    bool hasEquals = false;
};

// The name of a list line: the text before its first "=", stepping over double-byte
// characters; a NUL byte first means no name.
ReferenceName ReferenceNameOf(std::string_view line, const CodePage& codePage);

// The text after the rightmost single-byte separator ("\", ":", "/").
std::string ReferencePathFileName(std::string_view path, const CodePage& codePage);

// The outcome of a read: a value, or an error kind and its message.
struct ReferenceRead {
    enum Kind { Value, UploadError, ListError } kind = Value;
    std::string text;  // the value, or the message
    bool operator==(const ReferenceRead& other) const { return kind == other.kind && text == other.text; }
};

// The reads a page makes, walking the lines every time. Values are remembered by name
// only to keep big lists affordable; that changes nothing that is found.
class ReferenceReads {
public:
    ReferenceReads(std::vector<std::string> lines, const CodePage& codePage);

    std::string FormVariable(std::string_view name);
    ReferenceRead FormVariableByIndex(std::int64_t index);

private:
    std::string ValueOf(std::string_view name);

    std::vector<std::string> lines_;
    const CodePage& codePage_;
    std::vector<ReferenceName> names_;
    std::vector<std::string> upperNames_;
    std::map<std::string, std::string, std::less<>> values_;
};

}  // namespace kestrune

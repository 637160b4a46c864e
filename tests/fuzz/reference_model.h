// A plain, slow model of the parser and of the form-field reads, written straight from
// the rules with no index and no cleverness, for the fuzz targets to compare against.
// Every lookup walks the list from the top.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "host/code_page.h"

namespace kestrune::fuzz {

struct ModelLine {
    std::string text;
    std::size_t consumed = 0;
};

// The line at start (CRs dropped, up to and without the first LF) and the bytes it used.
ModelLine ModelReadLine(std::string_view body, std::size_t start);

struct ModelName {
    std::string_view text;  // empty when the line has no "="
    bool hasEquals = false;
};

// The name of a list line: the text before its first "=", stepping over double-byte
// characters and stopping at a NUL byte.
ModelName ModelNameOf(std::string_view line, const CodePage& codePage);

std::string ModelPathFileName(std::string_view path, const CodePage& codePage);
std::string ModelPathExtension(std::string_view path, const CodePage& codePage);

struct ModelUpload {
    std::vector<std::string> lines;
    bool stored = false;
    std::size_t fileOffset = 0;  // into the body
    std::size_t fileSize = 0;
    std::string fileName, fileExt, baseName, contentType;
};

ModelUpload ModelParse(std::string_view body, const CodePage& codePage);

// The outcome of a read: a value, or an error kind and its message.
struct ModelRead {
    enum Kind { Value, UploadError, ListError } kind = Value;
    std::string text;  // the value, or the message
    bool operator==(const ModelRead& other) const { return kind == other.kind && text == other.text; }
};

// The reads a page makes, walking the list every time. Value lookups are remembered by
// name only to keep big lists affordable; they do not change what is found.
class ModelReads {
public:
    ModelReads(const std::vector<std::string>& lines, const CodePage& codePage);

    std::string FormVariable(std::string_view name);
    ModelRead FormVariableByIndex(std::int64_t index);

private:
    std::string ValueOf(std::string_view name);

    const std::vector<std::string>& lines_;
    const CodePage& codePage_;
    std::vector<ModelName> names_;
    std::vector<std::string> upperNames_;
    std::map<std::string, std::string, std::less<>> values_;
};

std::string ModelAsciiUpper(std::string_view text);

}  // namespace kestrune::fuzz

#include "support/reference_parser.h"

#include <optional>
#include <string>

namespace kestrune {
namespace {

int ReadLineByBytes(std::string_view body, int start, std::string& line) {
    line.clear();
    const int size = static_cast<int>(body.size());
    if (start >= size) return 0;
    int count = 0;
    for (;;) {
        char byte = body[static_cast<std::size_t>(start + count)];
        ++count;
        if (byte != '\r' && byte != '\n') line += byte;
        if (byte == '\n' || start + count >= size) return count;
    }
}

bool IsTrailByte(std::string_view text, std::size_t index, const CodePage& codePage) {
    std::size_t i = 0;
    while (i < index) {
        if (codePage.IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() &&
            text[i + 1] != '\0') {
            if (i + 1 == index) return true;
            i += 2;
        } else {
            ++i;
        }
    }
    return false;
}

// The rightmost byte of path that is one of marks and counts (no NUL, no trail byte).
std::optional<std::size_t> RightmostOf(const std::string& path, std::string_view marks,
                                       const CodePage& codePage) {
    for (std::size_t i = path.size(); i-- > 0;) {
        if (path[i] != '\0' && marks.find(path[i]) != std::string_view::npos &&
            !IsTrailByte(path, i, codePage))
            return i;
    }
    return std::nullopt;
}

std::optional<std::string> NameOfLine(const std::string& line, const CodePage& codePage) {
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\0') return std::nullopt;
        if (line[i] == '=') return line.substr(0, i);
        if (codePage.IsLeadByte(static_cast<unsigned char>(line[i]))) {
            if (i + 1 < line.size() && line[i + 1] == '\0') return std::nullopt;
            ++i;
        }
    }
    return std::nullopt;
}

void StoreFile(ParseOutcome& out, std::string_view data, const std::string& second,
               const std::string& fileName, const CodePage& codePage) {
    out.fileData = std::string(data);
    std::size_t type = second.find("Content-Type:");
    out.contentType = type + 14 <= second.size() ? second.substr(type + 14) : "";
    auto separator = RightmostOf(fileName, "\\:/", codePage);
    out.fileName = separator ? fileName.substr(*separator + 1) : fileName;
    auto mark = RightmostOf(out.fileName, ".\\:/", codePage);
    out.fileExt = mark && out.fileName[*mark] == '.' ? out.fileName.substr(*mark + 1) : "";
    bool hasExt = !out.fileExt.empty();
    out.baseName =
        hasExt ? out.fileName.substr(0, out.fileName.size() - out.fileExt.size() - 1) : out.fileName;
}

void Record(ParseOutcome& out, const std::string& fieldName, const std::string& fileName,
            const std::string& value, const CodePage& codePage) {
    if (!fileName.empty()) {
        out.lines.push_back(fieldName + "=" + fileName);
        return;
    }
    for (std::string& line : out.lines) {
        auto name = NameOfLine(line, codePage);
        if (name && codePage.NamesEqual(*name, fieldName)) {
            std::string earlier = line.size() > fieldName.size() ? line.substr(fieldName.size() + 1) : "";
            line = fieldName + "=" + earlier + ", " + value;
            return;
        }
    }
    out.lines.push_back(fieldName + "=" + value);
}

}  // namespace

long ReferenceScan(std::string_view body, long start, std::string_view boundaryLine) {
    const long length = static_cast<long>(boundaryLine.size());
    if (length < 2) return -1;
    long match = 0;
    for (long position = start; position < static_cast<long>(body.size()); ++position) {
        if (body[static_cast<std::size_t>(position)] == boundaryLine[static_cast<std::size_t>(match)]) {
            if (++match == length) return position + 1 - length;
        } else {
            match = 0;
        }
    }
    return -1;
}

ParseOutcome ReferenceParse(std::string_view body, const CodePage& codePage, int connectedChecks) {
    ParseOutcome out;
    const int size = static_cast<int>(body.size());
    std::string boundary, line, first, second, third;
    ReadLineByBytes(body, 0, boundary);
    int offset = 0;
    bool done = false;
    bool stored = false;
    while (!done) {
        ++out.clientChecks;
        if (connectedChecks >= 0 && out.clientChecks > connectedChecks) break;
        offset += ReadLineByBytes(body, offset, line);
        if (offset >= size) done = true;
        if (line != boundary) continue;
        offset += ReadLineByBytes(body, offset, first);
        offset += ReadLineByBytes(body, offset, second);
        offset += ReadLineByBytes(body, offset, third);
        if (offset >= size) {
            done = true;
            continue;
        }
        std::string fieldName, fileName, value;
        std::size_t name = first.find("name=\"");
        if (name != std::string::npos) {
            std::string rest = first.substr(name + 6);
            std::size_t quote = rest.find('"');
            if (quote != std::string::npos) {
                fieldName = rest.substr(0, quote);
                rest = rest.substr(quote + 1);
            }
            std::size_t file = rest.find("filename=\"");
            if (file != std::string::npos) {
                rest = rest.substr(file + 10);
                quote = rest.find('"');
                if (quote != std::string::npos) fileName = rest.substr(0, quote);
            }
        }
        if (second.find("Content-Type:") != std::string::npos) {
            if (!third.empty()) {
                do {
                    offset += ReadLineByBytes(body, offset, line);
                    if (offset >= size) done = true;
                } while (!line.empty());
            }
            const int dataStart = offset;
            long found = ReferenceScan(body, dataStart, boundary);
            if (found >= 0) {
                offset = static_cast<int>(found) - 1;
                int count = offset - dataStart - 1;
                if (count >= 1 && !stored) {
                    stored = true;
                    StoreFile(
                        out,
                        body.substr(static_cast<std::size_t>(dataStart), static_cast<std::size_t>(count)),
                        second, fileName, codePage);
                }
            }
        } else {
            value = third;
            for (;;) {
                int count = ReadLineByBytes(body, offset, line);
                if (line == boundary || offset + count >= size) break;
                value += "\r\n" + line;
                offset += count;
            }
        }
        Record(out, fieldName, fileName, value, codePage);
    }
    return out;
}

}  // namespace kestrune

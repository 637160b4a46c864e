#include "support/reference_parser.h"

#include <algorithm>
#include <unordered_map>

#include "base/ascii.h"

namespace kestrune {
namespace {

struct Line {
    std::string text;
    std::size_t consumed = 0;
};

// The line at start: CRs dropped, up to and without the first LF, and the bytes it used.
// The bytes between CRs go over in runs, so that a long line costs one copy.
Line ReadLineAt(std::string_view body, std::size_t start) {
    Line line;
    if (start >= body.size()) return line;
    const std::size_t end = std::min(body.find('\n', start), body.size());
    line.consumed = end - start + (end < body.size() ? 1 : 0);
    line.text.reserve(end - start);
    for (std::size_t run = start; run < end;) {
        const std::size_t cr = std::min(body.find('\r', run), end);
        line.text.append(body.substr(run, cr - run));
        run = cr + 1;
    }
    return line;
}

// Whether the line at start (CRs dropped, up to the first LF) is text, without making
// it: most lines the main loop reads are not the delimiter.
bool LineIs(std::string_view body, std::size_t start, std::string_view text) {
    std::size_t matched = 0;
    for (std::size_t at = start; at < body.size() && body[at] != '\n'; ++at) {
        if (body[at] == '\r') continue;
        if (matched == text.size() || body[at] != text[matched]) return false;
        ++matched;
    }
    return matched == text.size();
}

// The bytes the line at start uses, its LF included.
std::size_t LineLength(std::string_view body, std::size_t start) {
    if (start >= body.size()) return 0;
    const std::size_t end = std::min(body.find('\n', start), body.size());
    return end - start + (end < body.size() ? 1 : 0);
}

bool Swallows(std::string_view text, std::size_t i, const CodePage& codePage) {
    return codePage.IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() &&
           text[i + 1] != '\0';
}

// Calls visit(offset) for each single-byte character of text, in order.
template <typename Visit>
void ForEachSingleByte(std::string_view text, const CodePage& codePage, Visit visit) {
    for (std::size_t i = 0; i < text.size();) {
        if (Swallows(text, i, codePage)) {
            i += 2;
        } else {
            visit(i++);
        }
    }
}

bool IsSeparator(char byte) { return byte == '\\' || byte == '/' || byte == ':'; }

std::string After(std::string_view text, std::size_t count) {
    return count >= text.size() ? std::string() : std::string(text.substr(count));
}

std::string PathExtension(std::string_view path, const CodePage& codePage) {
    std::size_t dot = path.size();
    ForEachSingleByte(path, codePage, [&](std::size_t i) {
        if (IsSeparator(path[i])) dot = path.size();
        if (path[i] == '.') dot = i;
    });
    return std::string(path.substr(dot));
}

struct Part {
    std::string header1, header2, header3;
    std::string fieldName, fileName, value;
};

class Parser {
public:
    Parser(std::string_view body, const CodePage& codePage, int connectedChecks, const ReferenceKeep* keep)
        : body_(body), codePage_(codePage), connectedChecks_(connectedChecks), keep_(keep) {}

    ParseOutcome Run() {
        boundary_ = ReadLineAt(body_, 0).text;
        while (!done_) {
            ++outcome_.clientChecks;
            if (connectedChecks_ >= 0 && outcome_.clientChecks > connectedChecks_) break;
            Cycle();
        }
        return std::move(outcome_);
    }

private:
    std::string Next() {
        Line line = ReadLineAt(body_, offset_);
        offset_ += line.consumed;
        return line.text;
    }

    void Cycle() {
        const bool delimiter = LineIs(body_, offset_, boundary_);
        offset_ += LineLength(body_, offset_);
        if (offset_ >= body_.size()) done_ = true;
        if (!delimiter) return;
        Part part;
        kept_ = keep_ == nullptr || (*keep_)(offset_);
        part.header1 = Next();
        part.header2 = Next();
        part.header3 = Next();
        if (offset_ >= body_.size()) {
            done_ = true;
            return;
        }
        TakeNames(part);
        if (part.header2.find("Content-Type:") != std::string::npos) {
            FilePart(part);
        } else {
            OrdinaryField(part);
        }
        if (kept_) Record(part);
    }

    static void TakeNames(Part& part) {
        std::string_view rest = part.header1;
        std::size_t at = rest.find("name=\"");
        if (at == std::string::npos) return;
        rest.remove_prefix(at + 6);
        std::size_t quote = rest.find('"');
        if (quote != std::string::npos) {
            part.fieldName = rest.substr(0, quote);
            rest.remove_prefix(quote + 1);
        }
        at = rest.find("filename=\"");
        if (at == std::string::npos) return;
        rest.remove_prefix(at + 10);
        quote = rest.find('"');
        if (quote != std::string::npos) part.fileName = rest.substr(0, quote);
    }

    void FilePart(const Part& part) {
        if (!part.header3.empty()) {
            for (;;) {
                std::string line = Next();
                if (offset_ >= body_.size()) done_ = true;
                if (line.empty()) break;
            }
        }
        const std::size_t dataStart = offset_;
        const long found = ReferenceScan(body_, static_cast<long>(dataStart), boundary_);
        if (found < 0) return;
        const auto start = static_cast<std::size_t>(found);
        offset_ = start - 1;
        if (start >= dataStart + 3 && kept_) Store(part, dataStart, start - 2 - dataStart);
    }

    void Store(const Part& part, std::size_t start, std::size_t size) {
        FileOutcome file;
        file.field = part.fieldName;
        file.offset = start;
        file.data = std::string(body_.substr(start, size));
        file.type = After(part.header2, part.header2.find("Content-Type:") + 14);
        file.name = ReferencePathFileName(part.fileName, codePage_);
        file.ext = After(PathExtension(file.name, codePage_), 1);
        file.base =
            file.ext.empty() ? file.name : file.name.substr(0, file.name.size() - file.ext.size() - 1);
        outcome_.files.push_back(file);
        if (stored_) return;
        stored_ = true;
        outcome_.fileOffset = file.offset;
        outcome_.fileData = file.data;
        outcome_.contentType = file.type;
        outcome_.fileName = file.name;
        outcome_.fileExt = file.ext;
        outcome_.baseName = file.base;
    }

    void OrdinaryField(Part& part) {
        part.value = part.header3;
        for (;;) {
            const std::size_t length = LineLength(body_, offset_);
            if (LineIs(body_, offset_, boundary_) || offset_ + length >= body_.size()) return;
            part.value.append("\r\n").append(ReadLineAt(body_, offset_).text);
            offset_ += length;
        }
    }

    void Record(const Part& part) {
        std::vector<std::string>& lines = outcome_.lines;
        const auto first = part.fileName.empty() && !firstByKey_.empty()
                               ? firstByKey_.find(codePage_.NameKey(part.fieldName))
                               : firstByKey_.end();
        if (first == firstByKey_.end()) {
            lines.push_back(part.fieldName + "=" + (part.fileName.empty() ? part.value : part.fileName));
            const ReferenceName name = ReferenceNameOf(lines.back(), codePage_);
            if (name.hasEquals) firstByKey_.emplace(codePage_.NameKey(name.text), lines.size() - 1);
            return;
        }
        std::string& line = lines[first->second];
        line = part.fieldName + "=" + After(line, part.fieldName.size() + 1) + ", " + part.value;
    }

    std::string_view body_;
    const CodePage& codePage_;
    const int connectedChecks_;
    const ReferenceKeep* keep_;
    bool kept_ = true;  // the current part is recorded
    std::string boundary_;
    std::size_t offset_ = 0;
    bool done_ = false;
    bool stored_ = false;
    ParseOutcome outcome_;
    std::unordered_map<std::string, std::size_t> firstByKey_;
};

}  // namespace

ParseOutcome ReferenceParse(std::string_view body, const CodePage& codePage, int connectedChecks) {
    return Parser(body, codePage, connectedChecks, nullptr).Run();
}

ParseOutcome ReferenceParse(std::string_view body, const CodePage& codePage, const ReferenceKeep& keep) {
    return Parser(body, codePage, kAlwaysConnected, &keep).Run();
}

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

ReferenceName ReferenceNameOf(std::string_view line, const CodePage& codePage) {
    for (std::size_t i = 0; i < line.size();) {
        if (line[i] == '\0') return {};
        if (line[i] == '=') return {line.substr(0, i), true};
        i += Swallows(line, i, codePage) ? 2 : 1;
    }
    return {};
}

std::string ReferencePathFileName(std::string_view path, const CodePage& codePage) {
    std::size_t start = 0;
    ForEachSingleByte(path, codePage, [&](std::size_t i) {
        if (IsSeparator(path[i])) start = i + 1;
    });
    return std::string(path.substr(start));
}

ReferenceReads::ReferenceReads(std::vector<std::string> lines, const CodePage& codePage)
    : lines_(std::move(lines)), codePage_(codePage) {
    for (const std::string& line : lines_) {
        names_.push_back(ReferenceNameOf(line, codePage_));
        upperNames_.push_back(AsciiUpperCase(names_.back().text));
    }
}

std::string ReferenceReads::ValueOf(std::string_view name) {
    auto known = values_.find(name);
    if (known != values_.end()) return known->second;
    std::string value;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (names_[i].hasEquals && codePage_.NamesEqual(names_[i].text, name)) {
            value = After(lines_[i], name.size() + 1);
            break;
        }
    }
    values_.emplace(std::string(name), value);
    return value;
}

std::string ReferenceReads::FormVariable(std::string_view name) {
    const std::string wanted = AsciiUpperCase(name);
    std::string result;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (upperNames_[i] == wanted) result = ValueOf(names_[i].text);
    }
    return result;
}

ReferenceRead ReferenceReads::FormVariableByIndex(std::int64_t index) {
    const auto count = static_cast<std::int64_t>(lines_.size());
    if (index > count - 1) return {ReferenceRead::UploadError, "Index out of range."};
    if (index < 0) {
        return {ReferenceRead::ListError, "List index out of bounds (" + std::to_string(index) + ")"};
    }
    return {ReferenceRead::Value,
            ValueOf(ReferenceNameOf(lines_[static_cast<std::size_t>(index)], codePage_).text)};
}

}  // namespace kestrune

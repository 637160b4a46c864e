#include "reference_model.h"

#include <unordered_map>

#include "fuzz_check.h"

namespace kestrune::fuzz {

ModelLine ModelReadLine(std::string_view body, std::size_t start) {
    ModelLine line;
    for (std::size_t i = start; i < body.size(); ++i) {
        ++line.consumed;
        if (body[i] == '\n') break;
        if (body[i] != '\r') line.text += body[i];
    }
    return line;
}

namespace {

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

}  // namespace

ModelName ModelNameOf(std::string_view line, const CodePage& codePage) {
    for (std::size_t i = 0; i < line.size();) {
        if (line[i] == '\0') return {};
        if (line[i] == '=') return {line.substr(0, i), true};
        i += Swallows(line, i, codePage) ? 2 : 1;
    }
    return {};
}

std::string ModelPathFileName(std::string_view path, const CodePage& codePage) {
    std::size_t start = 0;
    ForEachSingleByte(path, codePage, [&](std::size_t i) {
        if (IsSeparator(path[i])) start = i + 1;
    });
    return std::string(path.substr(start));
}

std::string ModelPathExtension(std::string_view path, const CodePage& codePage) {
    std::size_t dot = path.size();
    ForEachSingleByte(path, codePage, [&](std::size_t i) {
        if (IsSeparator(path[i])) dot = path.size();
        if (path[i] == '.') dot = i;
    });
    return std::string(path.substr(dot));
}

namespace {

struct Part {
    std::string header1, header2, header3;
    std::string fieldName, fileName, value;
};

class ModelParser {
public:
    ModelParser(std::string_view body, const CodePage& codePage) : body_(body), codePage_(codePage) {}

    ModelUpload Run() {
        boundary_ = ModelReadLine(body_, 0).text;
        while (!done_) Cycle();
        return std::move(upload_);
    }

private:
    std::string Next() {
        ModelLine line = ModelReadLine(body_, offset_);
        offset_ += line.consumed;
        return line.text;
    }

    void Cycle() {
        std::string line = Next();
        if (offset_ >= body_.size()) done_ = true;
        if (line != boundary_) return;
        Part part;
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
        Record(part);
    }

    static void TakeNames(Part& part) {
        std::string rest = part.header1;
        std::size_t at = rest.find("name=\"");
        if (at == std::string::npos) return;
        rest.erase(0, at + 6);
        std::size_t quote = rest.find('"');
        if (quote != std::string::npos) {
            part.fieldName = rest.substr(0, quote);
            rest.erase(0, quote + 1);
        }
        at = rest.find("filename=\"");
        if (at == std::string::npos) return;
        rest.erase(0, at + 10);
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
        const std::size_t length = boundary_.size();
        if (length < 2) return;
        std::size_t matched = 0;
        for (std::size_t i = dataStart; i < body_.size(); ++i) {
            if (body_[i] != boundary_[matched]) {
                matched = 0;
                continue;
            }
            if (++matched < length) continue;
            const std::size_t s = i + 1 - length;
            offset_ = s - 1;
            if (s >= dataStart + 3 && !upload_.stored) Store(part, dataStart, s - 2 - dataStart);
            return;
        }
    }

    void Store(const Part& part, std::size_t start, std::size_t size) {
        upload_.stored = true;
        upload_.fileOffset = start;
        upload_.fileSize = size;
        upload_.contentType = After(part.header2, part.header2.find("Content-Type:") + 14);
        upload_.fileName = ModelPathFileName(part.fileName, codePage_);
        upload_.fileExt = After(ModelPathExtension(upload_.fileName, codePage_), 1);
        upload_.baseName =
            upload_.fileExt.empty()
                ? upload_.fileName
                : upload_.fileName.substr(0, upload_.fileName.size() - upload_.fileExt.size() - 1);
    }

    void OrdinaryField(Part& part) {
        part.value = part.header3;
        for (;;) {
            ModelLine line = ModelReadLine(body_, offset_);
            if (line.text == boundary_ || offset_ + line.consumed >= body_.size()) return;
            part.value += "\r\n" + line.text;
            offset_ += line.consumed;
        }
    }

    void Record(const Part& part) {
        std::vector<std::string>& lines = upload_.lines;
        if (!part.fileName.empty()) {
            lines.push_back(part.fieldName + "=" + part.fileName);
            Index(lines.size() - 1);
            return;
        }
        // The first line of each name key, so big bodies stay affordable; the fuzz
        // targets check separately that keys agree with the list name comparison.
        const auto first = firstByKey_.find(codePage_.NameKey(part.fieldName));
        if (first == firstByKey_.end()) {
            lines.push_back(part.fieldName + "=" + part.value);
            Index(lines.size() - 1);
            return;
        }
        std::string& line = lines[first->second];
        FUZZ_CHECK(codePage_.NamesEqual(ModelNameOf(line, codePage_).text, part.fieldName),
                   "NameKey and NamesEqual disagree");
        std::string earlier = After(line, part.fieldName.size() + 1);
        line = part.fieldName + "=" + earlier + ", " + part.value;
    }

    void Index(std::size_t at) {
        const ModelName name = ModelNameOf(upload_.lines[at], codePage_);
        if (name.hasEquals) firstByKey_.emplace(codePage_.NameKey(name.text), at);
    }

    std::string_view body_;
    const CodePage& codePage_;
    std::string boundary_;
    std::size_t offset_ = 0;
    bool done_ = false;
    ModelUpload upload_;
    std::unordered_map<std::string, std::size_t> firstByKey_;
};

}  // namespace

ModelUpload ModelParse(std::string_view body, const CodePage& codePage) {
    return ModelParser(body, codePage).Run();
}

std::string ModelAsciiUpper(std::string_view text) {
    std::string upper(text);
    for (char& byte : upper) {
        if (byte >= 'a' && byte <= 'z') byte = static_cast<char>(byte - 'a' + 'A');
    }
    return upper;
}

ModelReads::ModelReads(const std::vector<std::string>& lines, const CodePage& codePage)
    : lines_(lines), codePage_(codePage) {
    for (const std::string& line : lines_) {
        names_.push_back(ModelNameOf(line, codePage_));
        upperNames_.push_back(ModelAsciiUpper(names_.back().text));
    }
}

std::string ModelReads::ValueOf(std::string_view name) {
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

std::string ModelReads::FormVariable(std::string_view name) {
    const std::string wanted = ModelAsciiUpper(name);
    std::string result;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (upperNames_[i] == wanted) result = ValueOf(names_[i].text);
    }
    return result;
}

ModelRead ModelReads::FormVariableByIndex(std::int64_t index) {
    const auto count = static_cast<std::int64_t>(lines_.size());
    if (index > count - 1) return {ModelRead::UploadError, "Index out of range."};
    if (index < 0) {
        return {ModelRead::ListError, "List index out of bounds (" + std::to_string(index) + ")"};
    }
    return {ModelRead::Value, ValueOf(ModelNameOf(lines_[index], codePage_).text)};
}

}  // namespace kestrune::fuzz

// How this works: a read offset walks the body line by line. A line equal to the body's
// first line (the boundary line) starts a part: three header lines follow, then either
// file content, found by scanning for the boundary line, or an ordinary value, read as
// lines until one equals the boundary line or reaches the end of the body. Every part
// with its three header lines complete leaves a line in the form-field list.
#include "multipart/multipart_parser.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

#include "multipart/delimiter_scan.h"
#include "multipart/line_reader.h"
#include "multipart/part_headers.h"
#include "multipart/path_names.h"

namespace kestrune {
namespace {

// Where decodedFrom is given, the header values are first decoded from it to UTF-8 and
// codePage is UTF-8's: splitting whole characters is what keeps a byte of one from
// passing for a separator or a dot.
TFileRecord DescribeFile(const BodyWindow& body, std::int32_t dataStart, std::int32_t dataSize,
                         std::string_view second, const PartNames& names, const CodePage& codePage,
                         const CodePage* decodedFrom = nullptr) {
    const auto text = [decodedFrom](std::string_view value) {
        return decodedFrom == nullptr ? std::string(value) : decodedFrom->ToUtf8(value);
    };
    TFileRecord record;
    record.FieldNameText = text(names.fieldName);
    record.ContentTypeText = text(ContentTypeOf(second));
    record.FileNameText = PathFileName(text(names.fileName), codePage);
    std::string extension = PathExtension(record.FileNameText, codePage);
    if (!extension.empty()) extension.erase(0, 1);
    const std::string& name = record.FileNameText;
    record.BaseNameText = extension.empty() ? name : name.substr(0, name.size() - extension.size() - 1);
    record.FileExtText = std::move(extension);
    record.DataStart = dataStart;
    record.DataSize = dataSize;
    if (!body.Memory().empty())
        record.FileData =
            body.Memory().substr(static_cast<std::size_t>(dataStart), static_cast<std::size_t>(dataSize));
    return record;
}

class Parser {
public:
    Parser(BodyWindow& body, TStringList& formFields, TBodyParts& found)
        : body_(body),
          size_(static_cast<std::int32_t>(body.Size())),
          formFields_(formFields),
          found_(found) {}

    void Run(const std::function<bool()>& isClientConnected);

private:
    void ReadAdvancing(std::string& line) { offset_ += ReadLine(body_, offset_, line); }
    // Past the next line, keeping only enough of it to compare it with a line of keep - 1
    // characters: a line of any length costs no more memory than that.
    void SkipAdvancing(std::string& line, std::size_t keep) {
        offset_ += ReadLine(body_, offset_, line, keep);
    }
    bool AtEnd() const { return offset_ >= size_; }

    void ReadPart(const std::string& first, const std::string& second, const std::string& third);
    void ReadFileContent(const std::string& third);
    std::string ReadFieldValue(const std::string& third, TFieldPart& part);
    void Record(std::string_view fieldName, std::string_view fileName, std::string_view value,
                const TFieldPart& part);

    BodyWindow& body_;
    std::int32_t size_;
    TStringList& formFields_;
    TBodyParts& found_;
    std::int32_t firstLine_ = 0;   // where the current part's first header line starts
    std::int32_t secondLine_ = 0;  // and its second
    std::int32_t thirdLine_ = 0;   // and its third
    std::string boundary_;
    std::int32_t offset_ = 0;
    bool done_ = false;
};

void Parser::Run(const std::function<bool()>& isClientConnected) {
    // The first cycle reads the boundary line again and takes it as the first delimiter.
    ReadLine(body_, 0, boundary_);
    std::string line, first, second, third;
    while (!done_) {
        if (!isClientConnected()) return;
        SkipAdvancing(line, boundary_.size() + 1);
        if (AtEnd()) done_ = true;
        if (line != boundary_) continue;
        firstLine_ = offset_;
        ReadAdvancing(first);
        secondLine_ = offset_;
        ReadAdvancing(second);
        thirdLine_ = offset_;
        ReadAdvancing(third);
        if (AtEnd()) {
            done_ = true;  // a part cut short in its headers is dropped
            continue;
        }
        ReadPart(first, second, third);
    }
}

void Parser::ReadPart(const std::string& first, const std::string& second, const std::string& third) {
    PartNames names = ParsePartNames(first);
    TFieldPart part{firstLine_, 0, 0, true};
    if (IsFilePartHeader(second)) {
        ReadFileContent(third);
        Record(names.fieldName, names.fileName, std::string_view(), part);
    } else {
        part.IsFile = false;
        const std::string value = ReadFieldValue(third, part);
        Record(names.fieldName, names.fileName, value, part);
    }
}

void Parser::ReadFileContent(const std::string& third) {
    // Any number of further header lines may follow the second; the content starts
    // after the first empty line.
    if (!third.empty()) {
        std::string line;
        do {
            SkipAdvancing(line, 1);
            if (AtEnd()) done_ = true;
        } while (!line.empty());
    }
    const std::int32_t dataStart = offset_;
    const std::size_t found = ScanForDelimiter(body_, static_cast<std::size_t>(dataStart), boundary_);
    if (found == std::string_view::npos) return;  // the content is read on as lines
    // The two bytes ahead of the delimiter line (CR LF when well formed) are not content;
    // the next cycle resumes at the LF and reads the delimiter line after it.
    const auto delimiterStart = static_cast<std::int32_t>(found);
    offset_ = delimiterStart - 1;
    const std::int32_t size = delimiterStart - 2 - dataStart;
    if (size >= 1) found_.Files.push_back(TFilePart{dataStart, size, firstLine_, secondLine_});
}

std::string Parser::ReadFieldValue(const std::string& third, TFieldPart& part) {
    // The first header line is the part's only header; the second is taken as the empty
    // separator line, so the value starts with the third. Every line of it ended with an
    // LF, or the part would have been dropped; the range ends before the last one.
    std::string value = third;
    part.ValueStart = thirdLine_;
    part.ValueEnd = offset_ - 1;
    std::string line;
    for (;;) {
        std::int32_t count = ReadLine(body_, offset_, line);
        if (line == boundary_ || offset_ + count >= size_) return value;
        value += "\r\n";
        value += line;
        offset_ += count;
        part.ValueEnd = offset_ - 1;
    }
}

void Parser::Record(std::string_view fieldName, std::string_view fileName, std::string_view value,
                    const TFieldPart& part) {
    found_.Fields.push_back(part);
    // A file entry with a file name is always a new line; anything else merges into the
    // first line of its name, where there is one.
    std::int32_t index = fileName.empty() ? formFields_.IndexOfName(fieldName) : -1;
    if (index >= 0) {
        formFields_.MergeValue(index, fieldName, value);
        return;
    }
    std::string line(fieldName);
    line += '=';
    line += fileName.empty() ? value : fileName;
    formFields_.Append(std::move(line));
}

}  // namespace

void ParseMultipart(BodyWindow& body, const std::function<bool()>& isClientConnected, TStringList& FormFields,
                    TBodyParts& Found) {
    Parser parser(body, FormFields, Found);
    parser.Run(isClientConnected);
}

TPartNames ReadPartNames(BodyWindow& body, std::int32_t firstHeaderLine) {
    std::string first;
    ReadLine(body, firstHeaderLine, first);
    const PartNames names = ParsePartNames(first);
    return {std::string(names.fieldName), std::string(names.fileName)};
}

std::string PartValue(BodyWindow& body, const TFieldPart& part) {
    std::string value;
    for (auto offset = static_cast<std::size_t>(part.ValueStart);
         offset < static_cast<std::size_t>(part.ValueEnd);) {
        const std::string_view window =
            body.At(offset).substr(0, static_cast<std::size_t>(part.ValueEnd) - offset);
        for (const char c : window) {
            if (c == '\r') continue;
            if (c == '\n') value += '\r';
            value += c;
        }
        offset += window.size();
    }
    return value;
}

TFileRecord DescribeFilePart(BodyWindow& body, const TFilePart& part, const CodePage& codePage,
                             const CodePage* decodedFrom) {
    std::string first, second;
    ReadLine(body, part.FirstHeaderLine, first);
    ReadLine(body, part.SecondHeaderLine, second);
    return DescribeFile(body, part.DataStart, part.DataSize, second, ParsePartNames(first), codePage,
                        decodedFrom);
}

}  // namespace kestrune

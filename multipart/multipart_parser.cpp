// How this works: a read offset walks the body line by line. A line equal to the body's
// first line (the boundary line) starts a part: three header lines follow, then either
// file content, found by scanning for the boundary line, or an ordinary value, read as
// lines until one equals the boundary line or reaches the end of the body. Every part
// with its three header lines complete leaves a line in the form-field list, unless a
// PartFilter refuses it.
#include "multipart/multipart_parser.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

#include "multipart/delimiter_scan.h"
#include "multipart/body_text.h"
#include "multipart/line_reader.h"
#include "multipart/line_text.h"
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

// A header line as the parser holds it: whole, or its first characters where it is longer.
struct HeaderLine {
    std::int32_t start = 0;
    std::int32_t end = 0;    // where the next line starts
    std::size_t length = 0;  // characters of the whole line
    std::string text;

    bool Long() const { return length > text.size(); }
};

// A stretch of a header line's text as the form-field list keeps it: a range of the body.
TFieldText LineStretch(const HeaderLine& line, std::size_t from, std::size_t to) {
    TFieldText text;
    if (to == from) return text;
    TTextPiece piece;
    piece.start = line.start;
    piece.end = line.end;
    piece.skip = from;
    piece.length = to - from;
    text.pieces.push_back(std::move(piece));
    return text;
}

// The names of a part from a first header line too long to hold, found as ParsePartNames
// finds them in the whole text; the file name, which may be as long as the line, stays
// in the body.
struct LongNames {
    TFieldText fieldName;
    TFieldText fileName;
    bool hasFileName = false;
};

LongNames FindLongNames(BodyWindow& body, const HeaderLine& line) {
    const auto start = static_cast<std::size_t>(line.start);
    const auto find = [&](std::string_view pattern, std::size_t from) {
        return FindInLine(body, start, line.length, pattern, from);
    };
    LongNames names;
    const std::size_t name = find(kNameParameter, 0);
    if (name == std::string::npos) return names;
    std::size_t rest = name + kNameParameter.size();
    std::size_t quote = find("\"", rest);
    if (quote != std::string::npos) {
        names.fieldName = LineStretch(line, rest, quote);
        rest = quote + 1;
    }
    const std::size_t fileName = find(kFileNameParameter, rest);
    if (fileName == std::string::npos) return names;
    rest = fileName + kFileNameParameter.size();
    quote = find("\"", rest);
    if (quote != std::string::npos) {
        names.fileName = LineStretch(line, rest, quote);
        names.hasFileName = true;
    }
    return names;
}

class Parser {
public:
    Parser(BodyWindow& body, TStringList& formFields, TBodyParts& found, std::size_t held, PartFilter* filter)
        : body_(body),
          size_(static_cast<std::int32_t>(body.Size())),
          formFields_(formFields),
          found_(found),
          held_(held),
          filter_(filter) {}

    void Run(const std::function<bool()>& isClientConnected);

private:
    // Past the next line, keeping only enough of it to compare it with a line of keep - 1
    // characters: a line of any length costs no more memory than that.
    void SkipAdvancing(std::string& line, std::size_t keep) {
        offset_ += ReadLine(body_, offset_, line, keep);
    }
    void ReadHeader(HeaderLine& line) {
        line.start = offset_;
        offset_ += ReadLine(body_, offset_, line.text, held_, &line.length);
        line.end = offset_;
    }
    bool AtEnd() const { return offset_ >= size_; }
    // Reads the next line; true when it is the boundary line.
    bool AtDelimiterLine(std::string& line);
    // True when the line at start, of length characters of which line holds at least the
    // boundary line's held ones and two more, is a closing delimiter: the boundary line,
    // "--", and whatever padding after them.
    bool IsClosing(const std::string& line, std::size_t length, std::int32_t start) const;
    // True when the line at start, of length characters of which line holds at least
    // the boundary line's held ones and one more, is the boundary line.
    bool IsBoundary(const std::string& line, std::size_t length, std::int32_t start) const {
        if (boundaryLength_ == boundary_.size()) return line == boundary_;
        return length == boundaryLength_ && line.compare(0, boundary_.size(), boundary_) == 0 &&
               LineTextsEqual(body_, static_cast<std::size_t>(start), 0, boundaryLength_, held_);
    }

    void ReadPart(const HeaderLine& first, const HeaderLine& second, const HeaderLine& third);
    // The file part with content, if the part has any (DataSize 0 where not).
    TFilePart ReadFileContent(const HeaderLine& third, TFieldPart& part);
    // True when there is no filter, or it keeps the part.
    bool Kept(const TFieldPart& part, const TFilePart* file) {
        if (filter_ == nullptr || filter_->Keep(part, file)) return true;
        refused_ = true;
        return false;
    }
    TFieldText ReadFieldValue(const HeaderLine& third, TFieldPart& part);
    void Record(const TFieldText& fieldName, const TFieldText& fileName, TFieldText value,
                const TFieldPart& part);

    BodyWindow& body_;
    std::int32_t size_;
    TStringList& formFields_;
    TBodyParts& found_;
    std::size_t held_;             // the longest line the parser holds whole
    PartFilter* filter_;           // null: every part is recorded
    std::int32_t firstLine_ = 0;   // where the current part's first header line starts
    std::int32_t secondLine_ = 0;  // and its second
    std::string boundary_;         // whole, or its first held_ characters
    std::size_t boundaryLength_ = 0;
    std::int32_t offset_ = 0;
    bool done_ = false;
    bool closed_ = false;
    bool refused_ = false;  // the filter refused a part
};

void Parser::Run(const std::function<bool()>& isClientConnected) {
    // The first cycle reads the boundary line again and takes it as the first delimiter.
    ReadLine(body_, 0, boundary_, held_, &boundaryLength_);
    found_.Delimited = boundaryLength_ > 2 && boundary_.compare(0, 2, "--") == 0;
    std::string line;
    HeaderLine first, second, third;
    while (!done_) {
        found_.Closed = closed_;
        if (!isClientConnected()) return;
        if (!AtDelimiterLine(line)) continue;
        firstLine_ = offset_;
        ReadHeader(first);
        if (IsClosing(first.text, first.length, first.start)) closed_ = true;
        secondLine_ = offset_;
        ReadHeader(second);
        ReadHeader(third);
        if (AtEnd()) {
            done_ = true;  // a part cut short in its headers is dropped
            continue;
        }
        ReadPart(first, second, third);
    }
    // A body whose parts were all refused still had parts: a filter changes no outcome.
    const bool empty = found_.Fields.empty() && found_.Files.empty() && !refused_;
    const bool closedAlone = boundaryLength_ == boundary_.size() && boundaryLength_ > 4 &&
                             boundary_.compare(boundaryLength_ - 2, 2, "--") == 0;
    found_.Closed = closed_ || (empty && closedAlone);
}

bool Parser::IsClosing(const std::string& line, std::size_t length, std::int32_t start) const {
    const std::size_t size = boundaryLength_;
    if (length < size + 2 || line.compare(0, boundary_.size(), boundary_) != 0) return false;
    if (size == boundary_.size() && line.size() >= size + 2)
        return line[size] == '-' && line[size + 1] == '-';
    if (size > boundary_.size() && !LineTextsEqual(body_, static_cast<std::size_t>(start), 0, size, held_))
        return false;
    LineCursor cursor(body_, static_cast<std::size_t>(start), length);
    cursor.Skip(size);
    std::string dashes;
    cursor.Read(2, dashes);
    return dashes == "--";
}

bool Parser::AtDelimiterLine(std::string& line) {
    if (boundaryLength_ == boundary_.size()) {
        SkipAdvancing(line, boundary_.size() + 2);
        if (AtEnd()) done_ = true;
        if (IsClosing(line, line.size(), 0)) closed_ = true;
        return line == boundary_;
    }
    const std::int32_t start = offset_;
    std::size_t length = 0;
    offset_ += ReadLine(body_, offset_, line, held_, &length);
    if (AtEnd()) done_ = true;
    if (IsClosing(line, length, start)) closed_ = true;
    return length == boundaryLength_ && line == boundary_ &&
           LineTextsEqual(body_, static_cast<std::size_t>(start), 0, length, held_);
}

void Parser::ReadPart(const HeaderLine& first, const HeaderLine& second, const HeaderLine& third) {
    LongNames names;
    if (first.Long()) {
        names = FindLongNames(body_, first);
    } else {
        const PartNames found = ParsePartNames(first.text);
        names.fieldName.held = std::string(found.fieldName);
        if (!found.fileName.empty()) names.fileName.held = std::string(found.fileName);
        names.hasFileName = found.hasFileName;
    }
    const bool isFile = second.Long() ? FindInLine(body_, static_cast<std::size_t>(second.start),
                                                   second.length, kContentType, 0) != std::string::npos
                                      : IsFilePartHeader(second.text);
    TFieldPart part{firstLine_, 0, 0, 0, true, names.hasFileName};
    if (isFile) {
        const TFilePart file = ReadFileContent(third, part);
        if (file.DataSize > 0) {
            if (!Kept(part, &file)) return;
            found_.Files.push_back(file);
        }
        Record(names.fieldName, names.fileName, TFieldText(), part);
    } else {
        part.IsFile = false;
        TFieldText value = ReadFieldValue(third, part);
        if (!Kept(part, nullptr)) return;
        Record(names.fieldName, names.fileName, std::move(value), part);
    }
}

TFilePart Parser::ReadFileContent(const HeaderLine& third, TFieldPart& part) {
    // Any number of further header lines may follow the second; the content starts
    // after the first empty line.
    if (third.length != 0) {
        std::string line;
        do {
            SkipAdvancing(line, 1);
            if (AtEnd()) done_ = true;
        } while (!line.empty());
    }
    const std::int32_t dataStart = offset_;
    const auto from = static_cast<std::size_t>(dataStart);
    const std::size_t found = boundaryLength_ == boundary_.size()
                                  ? ScanForDelimiter(body_, from, boundary_)
                                  : ScanForLongDelimiter(body_, from, boundary_, boundaryLength_);
    if (found == std::string_view::npos) return {};  // the content is read on as lines
    // The two bytes ahead of the delimiter line (CR LF when well formed) are not content;
    // the next cycle resumes at the LF and reads the delimiter line after it.
    const auto delimiterStart = static_cast<std::int32_t>(found);
    offset_ = delimiterStart - 1;
    const std::int32_t size = delimiterStart - 2 - dataStart;
    if (size < 1) return {};
    part.ValueStart = dataStart;
    part.ValueEnd = dataStart + size;
    part.ValueSize = size;
    return TFilePart{dataStart, size, firstLine_, secondLine_};
}

TFieldText Parser::ReadFieldValue(const HeaderLine& third, TFieldPart& part) {
    // The first header line is the part's only header; the second is taken as the empty
    // separator line, so the value starts with the third. Every line of it ended with an
    // LF, or the part would have been dropped; the range ends before the last one. A
    // value longer than the parser holds stays in the body as that range.
    part.ValueStart = third.start;
    part.ValueEnd = offset_ - 1;
    std::string value = third.text;
    std::size_t length = third.length;
    bool held = !third.Long();
    const std::size_t keep = std::max(boundary_.size() + 2, held_ + 1);
    std::string line;
    for (;;) {
        const std::int32_t start = offset_;
        std::size_t lineLength = 0;
        const std::int32_t count = ReadLine(body_, offset_, line, keep, &lineLength);
        // A closing delimiter is not one of the lines that end a value: it stays in it.
        if (IsClosing(line, lineLength, start)) closed_ = true;
        if (offset_ + count >= size_ || IsBoundary(line, lineLength, start)) break;
        length += 2 + lineLength;
        held = held && length <= held_;
        if (held) {
            value += "\r\n";
            value += line;
        }
        offset_ += count;
        part.ValueEnd = offset_ - 1;
    }
    part.ValueSize = static_cast<std::int32_t>(length);
    if (held) return TFieldText(std::move(value));
    TFieldText text;
    TTextPiece piece;
    piece.start = part.ValueStart;
    piece.end = part.ValueEnd;
    piece.length = length;
    text.pieces.push_back(std::move(piece));
    return text;
}

void Parser::Record(const TFieldText& fieldName, const TFieldText& fileName, TFieldText value,
                    const TFieldPart& part) {
    found_.Fields.push_back(part);
    // A file entry with a file name is always a new line; anything else merges into the
    // first line of its name, where there is one.
    const bool named = fileName.Size() != 0;
    std::int32_t index = named ? -1 : formFields_.IndexOfNameText(fieldName);
    if (index >= 0) {
        formFields_.MergeValue(index, fieldName, value);
        return;
    }
    const TFieldText& text = named ? fileName : value;
    if (fieldName.IsHeld() && text.IsHeld()) {
        // The usual line, held whole: made in one piece.
        std::string held;
        held.reserve(fieldName.held.size() + 1 + text.held.size());
        held.append(fieldName.held).append(1, '=').append(text.held);
        formFields_.Append(TFieldText(std::move(held)));
        return;
    }
    TFieldText line = fieldName;
    AppendHeld(line, "=");
    AppendText(line, text);
    formFields_.Append(std::move(line));
}

}  // namespace

void ParseMultipart(BodyWindow& body, const std::function<bool()>& isClientConnected, TStringList& FormFields,
                    TBodyParts& Found, std::size_t held) {
    Parser parser(body, FormFields, Found, held, nullptr);
    parser.Run(isClientConnected);
}

void ParseMultipart(BodyWindow& body, const std::function<bool()>& isClientConnected, TStringList& FormFields,
                    TBodyParts& Found, PartFilter& filter, std::size_t held) {
    Parser parser(body, FormFields, Found, held, &filter);
    parser.Run(isClientConnected);
}

TPartNames ReadPartNames(BodyWindow& body, std::int32_t firstHeaderLine) {
    HeaderLine first;
    first.start = firstHeaderLine;
    first.end = firstHeaderLine + ReadLine(body, firstHeaderLine, first.text, kHeldLine, &first.length);
    if (first.Long()) {
        // The field name whole: the few places that ask for it pay its length.
        LongNames names = FindLongNames(body, first);
        const WindowText source(body);
        return {TextOf(names.fieldName, &source), std::move(names.fileName)};
    }
    const PartNames names = ParsePartNames(first.text);
    return {std::string(names.fieldName), std::string(names.fileName)};
}

TFieldText PartValue(BodyWindow& body, const TFieldPart& part) {
    TFieldText value;
    TTextPiece piece;
    piece.start = part.ValueStart;
    piece.end = part.ValueEnd;
    piece.length = static_cast<std::size_t>(part.ValueSize);
    value.pieces.push_back(std::move(piece));
    if (static_cast<std::size_t>(part.ValueSize) > kHeldLine) return value;
    const WindowText source(body);
    return TextOf(value, &source);
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

#include "support/parse_outcome.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "base/file_record.h"
#include "multipart/body_text.h"
#include "base/string_list.h"
#include "multipart/multipart_parser.h"
#include "support/guarded_buffer.h"

namespace kestrune {
namespace {

void PrintBytes(std::ostream& out, std::string_view bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    out << '\'';
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\' && byte != '\'') {
            out << c;
        } else {
            out << "\\x" << kHex[byte >> 4] << kHex[byte & 15];
        }
    }
    out << '\'';
}

// Also checks that the bytes are a slice of the body.
FileOutcome OutcomeOf(const TFileRecord& file, std::string_view body) {
    FileOutcome outcome{file.FieldNameText,         0,
                        std::string(file.FileData), file.FileNameText,
                        file.FileExtText,           file.BaseNameText,
                        file.ContentTypeText};
    EXPECT_GE(file.FileData.data(), body.data()) << "file bytes are not a slice of the body";
    EXPECT_LE(file.FileData.data() + file.FileData.size(), body.data() + body.size());
    outcome.offset = static_cast<std::size_t>(file.FileData.data() - body.data());
    EXPECT_EQ(outcome.offset, static_cast<std::size_t>(file.DataStart)) << "the range is not the view's";
    EXPECT_TRUE(file.SavedNameText.empty());
    return outcome;
}

}  // namespace

bool FileOutcome::operator==(const FileOutcome& other) const {
    return field == other.field && offset == other.offset && data == other.data && name == other.name &&
           ext == other.ext && base == other.base && type == other.type;
}

bool ParseOutcome::operator==(const ParseOutcome& other) const {
    return lines == other.lines && fileData == other.fileData && fileOffset == other.fileOffset &&
           fileName == other.fileName && fileExt == other.fileExt && baseName == other.baseName &&
           contentType == other.contentType && files == other.files && clientChecks == other.clientChecks;
}

std::ostream& operator<<(std::ostream& out, const ParseOutcome& outcome) {
    out << "{lines: [";
    for (const std::string& line : outcome.lines) {
        PrintBytes(out, line);
        out << ' ';
    }
    out << "], file: ";
    PrintBytes(out, outcome.fileData);
    out << " at " << outcome.fileOffset;
    out << ", name: ";
    PrintBytes(out, outcome.fileName);
    out << ", ext: ";
    PrintBytes(out, outcome.fileExt);
    out << ", base: ";
    PrintBytes(out, outcome.baseName);
    out << ", type: ";
    PrintBytes(out, outcome.contentType);
    out << ", files: [";
    for (const FileOutcome& file : outcome.files) {
        out << '{';
        PrintBytes(out, file.field);
        out << " at " << file.offset << ' ';
        PrintBytes(out, file.data);
        for (const std::string* text : {&file.name, &file.ext, &file.base, &file.type}) {
            out << ' ';
            PrintBytes(out, *text);
        }
        out << "} ";
    }
    out << ']';
    return out << ", checks: " << outcome.clientChecks << '}';
}

std::size_t TestLongName(const CodePage& codePage, std::size_t held) {
    return codePage.IsLeadByte(0x82) ? TStringList::kLongName : std::min(held, TStringList::kLongName);
}

ParseOutcome ParseWithParser(std::string_view body, const CodePage& codePage, int connectedChecks,
                             std::size_t held) {
    GuardedBuffer buffer(body);
    BodyWindow window(buffer.View());
    WindowText source(window);
    TStringList fields(codePage, TestLongName(codePage, held));
    fields.SetTextSource(&source);
    ParseOutcome outcome;
    auto isClientConnected = [&] {
        ++outcome.clientChecks;
        return connectedChecks < 0 || outcome.clientChecks <= connectedChecks;
    };
    TBodyParts found;
    ParseMultipart(window, isClientConnected, fields, found, held);
    for (const TFilePart& each : found.Files) {
        outcome.files.push_back(OutcomeOf(DescribeFilePart(window, each, codePage), buffer.View()));
    }
    for (std::int32_t i = 0; i < fields.Count(); ++i) outcome.lines.push_back(fields.Line(i));
    if (found.Files.empty()) return outcome;
    const TFileRecord file = DescribeFilePart(window, found.Files.front(), codePage);
    EXPECT_GE(file.FileData.data(), buffer.View().data()) << "file bytes are not a slice of the body";
    EXPECT_LE(file.FileData.data() + file.FileData.size(), buffer.View().data() + buffer.View().size());
    outcome.fileData = std::string(file.FileData);
    outcome.fileOffset = static_cast<std::size_t>(file.FileData.data() - buffer.View().data());
    outcome.fileName = file.FileNameText;
    outcome.fileExt = file.FileExtText;
    outcome.baseName = file.BaseNameText;
    outcome.contentType = file.ContentTypeText;
    EXPECT_TRUE(file.SavedNameText.empty());
    return outcome;
}

}  // namespace kestrune

#include "support/parse_outcome.h"

#include <gtest/gtest.h>

#include "base/file_record.h"
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

}  // namespace

bool ParseOutcome::operator==(const ParseOutcome& other) const {
    return lines == other.lines && fileData == other.fileData && fileOffset == other.fileOffset &&
           fileName == other.fileName && fileExt == other.fileExt && baseName == other.baseName &&
           contentType == other.contentType && clientChecks == other.clientChecks;
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
    return out << ", checks: " << outcome.clientChecks << '}';
}

ParseOutcome ParseWithParser(std::string_view body, const CodePage& codePage, int connectedChecks) {
    GuardedBuffer buffer(body);
    TStringList fields(codePage);
    TFileRecord file;
    ParseOutcome outcome;
    auto isClientConnected = [&] {
        ++outcome.clientChecks;
        return connectedChecks < 0 || outcome.clientChecks <= connectedChecks;
    };
    ParseMultipart(buffer.View(), codePage, isClientConnected, fields, file);
    for (std::int32_t i = 0; i < fields.Count(); ++i) outcome.lines.push_back(fields.Line(i));
    if (!file.FileData.empty()) {
        EXPECT_GE(file.FileData.data(), buffer.View().data()) << "file bytes are not a slice of the body";
        EXPECT_LE(file.FileData.data() + file.FileData.size(), buffer.View().data() + buffer.View().size());
    }
    outcome.fileData = std::string(file.FileData);
    if (!file.FileData.empty())
        outcome.fileOffset = static_cast<std::size_t>(file.FileData.data() - buffer.View().data());
    outcome.fileName = file.FileNameText;
    outcome.fileExt = file.FileExtText;
    outcome.baseName = file.BaseNameText;
    outcome.contentType = file.ContentTypeText;
    EXPECT_TRUE(file.SavedNameText.empty());
    return outcome;
}

}  // namespace kestrune

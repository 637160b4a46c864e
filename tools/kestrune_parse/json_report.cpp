#include "kestrune_parse/json_report.h"

#include <set>
#include <utility>
#include <vector>

#include "host/posix/posix_hashing.h"
#include "members/file_hash.h"

namespace kestrune::tools {

namespace {

constexpr char kHex[] = "0123456789abcdef";

std::string Array(const std::vector<std::string>& items, const std::string& indent) {
    if (items.empty()) return "[]";
    std::string out = "[\n";
    for (std::size_t i = 0; i < items.size(); ++i) {
        out += indent + "  " + JsonString(items[i]) + (i + 1 < items.size() ? ",\n" : "\n");
    }
    return out + indent + "]";
}

// Members already rendered as JSON values.
std::string Object(const std::vector<std::pair<std::string, std::string>>& members,
                   const std::string& indent) {
    if (members.empty()) return "{}";
    std::string out = "{\n";
    for (std::size_t i = 0; i < members.size(); ++i) {
        out += indent + "  " + JsonString(members[i].first) + ": " + members[i].second +
               (i + 1 < members.size() ? ",\n" : "\n");
    }
    return out + indent + "}";
}

// The first file's SHA-256, read from the body wherever it is, as a page's Hash would.
std::string FileSha256(const TTessock& upload) {
    const TFileRecord file = upload.FileRecord();
    BodyWindow body = upload.OpenBody(BodyWindow::kPieceCapacity);
    return HashHex(PosixHashing(), HashAlgorithm::Sha256, body, static_cast<std::size_t>(file.DataStart),
                   static_cast<std::size_t>(file.DataSize));
}

}  // namespace

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else if (byte >= 0x80) {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string JsonReport(const TTessock& upload) {
    const TStringList& list = upload.FieldList();
    std::vector<std::string> lines;
    std::vector<std::string> byIndex;
    std::vector<std::pair<std::string, std::string>> variables;
    std::set<std::string, std::less<>> seen;
    for (std::int32_t i = 0; i < list.Count(); ++i) {
        lines.push_back(list.Line(i));
        byIndex.push_back(upload.FormVariableByIndex(i));
        const std::string name(list.Name(i));
        if (seen.insert(name).second) variables.emplace_back(name, JsonString(upload.FormVariable(name)));
    }
    const std::vector<std::pair<std::string, std::string>> file = {
        {"name", JsonString(upload.Filename())},
        {"ext", JsonString(upload.FileExtension())},
        {"base", JsonString(upload.FileNameNoExtension())},
        {"content_type", JsonString(upload.ContentType())},
        {"size", std::to_string(upload.FileSize())},
        {"sha256", JsonString(FileSha256(upload))},
    };
    return Object({{"form_fields", Array(lines, "  ")},
                   {"file", Object(file, "  ")},
                   {"form_variable", Object(variables, "  ")},
                   {"by_index", Array(byIndex, "  ")}},
                  "") +
           "\n";
}

}  // namespace kestrune::tools

#include "upload_checks.h"

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "base/ascii.h"
#include "base/exceptions.h"
#include "fuzz_check.h"
#include "members/form_collection.h"
#include "support/reference_parser.h"

namespace kestrune::fuzz {

bool everyRoad = false;

namespace {

// Reads by name walk every line, so their count sets the cost of an input: beyond this
// many lines they are checked on an even sample (and the last line), as are reads by
// index beyond twice as many, and the name keys on the first few names. The list's
// indexes themselves are held to a walk line by line in string_list_test.
constexpr std::size_t kSampledLines = 16;
constexpr std::size_t kKeyedNames = 12;

// Steps through count items so that at most about sample of them are visited.
std::size_t SampleStep(std::size_t count, std::size_t sample) {
    return count <= sample ? 1 : (count + sample - 1) / sample;
}

bool HasSingleByteSeparator(const std::string& text, const CodePage& codePage) {
    return ReferencePathFileName(text, codePage) != text;
}

void CheckFile(const TTessock& upload, const CodePage& codePage) {
    const std::size_t bodySize = upload.OpenBody(BodyWindow::kLineCapacity).Size();
    const TFileRecord& file = upload.FileRecord();
    FUZZ_CHECK(upload.FileSize() >= 0, "FileSize is negative");
    FUZZ_CHECK(upload.FileSize() == file.DataSize, "FileSize differs from the bytes");
    FUZZ_CHECK(static_cast<std::size_t>(file.DataSize) <= bodySize, "the file is larger than the body");
    if (file.DataSize == 0) {
        FUZZ_CHECK(upload.Filename().empty() && upload.FileExtension().empty() &&
                       upload.FileNameNoExtension().empty() && upload.ContentType().empty(),
                   "describing texts set without a stored file");
        return;
    }
    FUZZ_CHECK(
        file.DataStart >= 0 &&
            static_cast<std::size_t>(file.DataStart) + static_cast<std::size_t>(file.DataSize) <= bodySize,
        "the file does not lie inside the body");
    const std::string& name = upload.Filename();
    const std::string& ext = upload.FileExtension();
    const std::string& base = upload.FileNameNoExtension();
    FUZZ_CHECK(!HasSingleByteSeparator(name, codePage), "Filename holds a path separator");
    FUZZ_CHECK(name.find_first_of("\r\n") == std::string::npos, "Filename holds a line break");
    FUZZ_CHECK(upload.ContentType().find_first_of("\r\n") == std::string::npos,
               "ContentType holds a line break");
    if (ext.empty()) {
        FUZZ_CHECK(base == name, "no extension, yet the base name is not the file name");
    } else {
        FUZZ_CHECK(base + "." + ext == name, "base name, dot and extension do not make the file name");
    }
}

ReferenceRead ActualByIndex(const TTessock& upload, std::int64_t index) {
    try {
        return {ReferenceRead::Value, upload.FormVariableByIndex(static_cast<std::int32_t>(index))};
    } catch (const EUploadError& error) {
        return {ReferenceRead::UploadError, error.Message()};
    } catch (const EListError& error) {
        return {ReferenceRead::ListError, error.Message()};
    }
}

std::vector<std::int64_t> IndexesToRead(std::int32_t count, bool alsoOutside) {
    std::vector<std::int64_t> indexes;
    if (alsoOutside) indexes = {-1, count};
    const auto step =
        static_cast<std::int32_t>(SampleStep(static_cast<std::size_t>(count), 2 * kSampledLines));
    for (std::int32_t i = 0; i < count; i += step) indexes.push_back(i);
    if (count > 0) indexes.push_back(count - 1);
    return indexes;
}

std::set<std::string> NamesToRead(const std::vector<std::string>& lines, const CodePage& codePage) {
    std::set<std::string> names{
        "",     "a",        "A",       "name", "NAME", "file", "upload", "=", std::string(1, '\0'),
        "\xE9", "\x81\x5C", "\x82\x60"};
    const auto add = [&](const std::string& line) {
        const std::string name(ReferenceNameOf(line, codePage).text);
        names.insert(name);
        names.insert(AsciiUpperCase(name));
    };
    const std::size_t step = SampleStep(lines.size(), kSampledLines);
    for (std::size_t i = 0; i < lines.size(); i += step) add(lines[i]);
    if (!lines.empty()) add(lines.back());
    return names;
}

// The list finds names through NameKey; the rules speak of NamesEqual. They must agree.
void CheckNameKeys(const std::vector<std::string>& lines, const CodePage& codePage) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < lines.size() && names.size() < kKeyedNames; ++i) {
        names.emplace_back(ReferenceNameOf(lines[i], codePage).text);
        names.push_back(AsciiUpperCase(names.back()));
    }
    std::vector<std::string> keys;
    for (const std::string& name : names) keys.push_back(codePage.NameKey(name));
    for (std::size_t a = 0; a < names.size(); ++a) {
        for (std::size_t b = 0; b < names.size(); ++b) {
            FUZZ_CHECK(codePage.NamesEqual(names[a], names[b]) == (keys[a] == keys[b]),
                       "NameKey and NamesEqual disagree");
        }
    }
}

// The Form collection answers every read of its own names and values, and the read's
// status agrees with itself.
void CheckForm(const TTessock& upload, std::size_t bodySize) {
    const FormCollection& form = upload.Form();
    const std::size_t step = SampleStep(static_cast<std::size_t>(form.Count()), kSampledLines);
    for (std::int32_t i = 0; i < form.Count(); i += static_cast<std::int32_t>(step)) {
        // On the system road a later name of other characters may match first (the
        // double-byte case FormVariable has too); the Unicode road finds the name itself.
        const std::int32_t found = form.IndexOf(form.Key(i));
        FUZZ_CHECK(upload.Rules().IsUnicode() ? found == i : found >= 0,
                   "Form does not find a name it lists");
        FUZZ_CHECK(form.ValueCount(i) >= 1, "Form lists a name without a value");
        std::string joined;
        for (std::int32_t v = 0; v < form.ValueCount(i); ++v) {
            const std::string value = form.Value(i, v);
            FUZZ_CHECK(value.size() <= 2 * bodySize, "a Form value is longer than its body could make it");
            joined += (v > 0 ? ", " : "") + value;
        }
        FUZZ_CHECK(form.Joined(i) == joined, "a field's text is not its values joined");
    }
    const ReadStatus& read = upload.Read();
    FUZZ_CHECK(read.Complete == (read.Error == ReadError::None), "Complete disagrees with ReadError");
    FUZZ_CHECK(read.BytesReceived >= 0, "fewer than no bytes received");
}

}  // namespace

void CheckObject(const TTessock& upload, const CodePage& codePage, bool alsoOutside) {
    CheckFile(upload, codePage);
    const TStringList& list = upload.FieldList();
    const std::int32_t count = upload.FormVariableCount();
    FUZZ_CHECK(count == list.Count(), "FormVariableCount is not the number of lines");
    std::vector<std::string> lines;
    for (std::int32_t i = 0; i < count; ++i) lines.push_back(list.Line(i));
    CheckNameKeys(lines, codePage);

    const std::set<std::string> names = NamesToRead(lines, codePage);
    ReferenceReads reference(std::move(lines), codePage);
    for (std::int64_t index : IndexesToRead(count, alsoOutside)) {
        FUZZ_CHECK(ActualByIndex(upload, index) == reference.FormVariableByIndex(index),
                   "FormVariableByIndex differs from a plain walk of the list");
    }
    for (const std::string& name : names) {
        FUZZ_CHECK(upload.FormVariable(name) == reference.FormVariable(name),
                   "FormVariable differs from a plain walk of the list");
    }
    CheckForm(upload, upload.OpenBody(BodyWindow::kLineCapacity).Size());
    FUZZ_CHECK(TTessock::Version().rfind("Kestrune 1.1.0.0", 0) == 0, "Version banner");
}

void CheckAgainstReference(const TTessock& upload, const ParseOutcome& reference) {
    const TStringList& list = upload.FieldList();
    FUZZ_CHECK(static_cast<std::size_t>(list.Count()) == reference.lines.size(),
               "FormVariableCount is not the number of recorded parts");
    for (std::int32_t i = 0; i < list.Count(); ++i) {
        FUZZ_CHECK(list.Line(i) == reference.lines[static_cast<std::size_t>(i)], "a list line differs");
    }
    FUZZ_CHECK((upload.FileSize() == 0) == reference.fileData.empty(),
               "a file was stored or not against the rules");
    CheckFileAgainstReference(upload, reference);
    FUZZ_CHECK(static_cast<std::size_t>(upload.FileCount()) == reference.files.size(),
               "the list of files is not the files the rules store");
    for (std::int32_t i = 0; i < upload.FileCount(); ++i) {
        const TFileRecord& file = upload.FileAt(i);
        const FileOutcome& expected = reference.files[static_cast<std::size_t>(i)];
        FUZZ_CHECK(static_cast<std::size_t>(file.DataStart) == expected.offset &&
                       static_cast<std::size_t>(file.DataSize) == expected.data.size() &&
                       static_cast<std::size_t>(upload.FileSizeAt(i)) == expected.data.size(),
                   "a listed file is another stretch of the body");
        FUZZ_CHECK(file.FieldNameText == expected.field && file.FileNameText == expected.name &&
                       file.FileExtText == expected.ext && file.BaseNameText == expected.base &&
                       file.ContentTypeText == expected.type,
                   "a listed file's texts differ");
    }
}

std::string BodyOf(const TTessock& upload) {
    BodyWindow body = upload.OpenBody(BodyWindow::kLineCapacity);
    std::string bytes(body.Size(), '\0');
    body.CopyOut(0, bytes.size(), bytes.data());
    return bytes;
}

void CheckFileAgainstReference(const TTessock& upload, const ParseOutcome& reference) {
    const TFileRecord& file = upload.FileRecord();
    if (file.DataSize == 0) return;
    FUZZ_CHECK(!reference.fileData.empty(), "a file was stored against the rules");
    FUZZ_CHECK(static_cast<std::size_t>(file.DataStart) == reference.fileOffset &&
                   static_cast<std::size_t>(file.DataSize) == reference.fileData.size(),
               "the stored file is another stretch of the body");
    FUZZ_CHECK(upload.FileContent() == reference.fileData, "the stored file's bytes differ");
    FUZZ_CHECK(upload.Filename() == reference.fileName, "Filename differs");
    FUZZ_CHECK(upload.FileExtension() == reference.fileExt, "FileExtension differs");
    FUZZ_CHECK(upload.FileNameNoExtension() == reference.baseName, "FileNameNoExtension differs");
    FUZZ_CHECK(upload.ContentType() == reference.contentType, "ContentType differs");
}

}  // namespace kestrune::fuzz

// The list of every uploaded file. Positions fail as FormVariableByIndex's do: past the
// end with the object's own error, below zero with the list's bounds error.
#include "base/exceptions.h"
#include "members/system_file_names.h"
#include "members/unicode_fields.h"
#include "upload/tessock.h"

namespace kestrune {

void TTessock::CheckFileIndex(std::int32_t Index) const {
    if (Index > FileCount() - 1) throw EUploadError(kIndexOutOfRange);
    if (Index < 0) TStringList::RaiseBoundsError(Index);
}

TFileRecord TTessock::DescribeFile(BodyWindow& body, const TFilePart& part) const {
    // On the Unicode road the texts are decoded to UTF-8 first and split by its rules.
    return Unicode() ? DescribeFilePart(body, part, rules_.Texts(), &rules_.Body())
                     : DescribeFilePart(body, part, codePage_);
}

TFileRecord TTessock::DescribeFileAt(BodyWindow& body, std::int32_t Index) const {
    return DescribeFile(body, Parts.Files[static_cast<std::size_t>(Index)]);
}

TFileRecord TTessock::FileAt(std::int32_t Index) const {
    CheckFileIndex(Index);
    BodyWindow body = OpenBody(BodyWindow::kLineCapacity);
    TFileRecord record = DescribeFileAt(body, Index);
    record.SavedNameText = NewNameAt(Index);
    return record;
}

std::int32_t TTessock::FileSizeAt(std::int32_t Index) const {
    CheckFileIndex(Index);
    return Parts.Files[static_cast<std::size_t>(Index)].DataSize;
}

std::string TTessock::NewNameAt(std::int32_t Index) const {
    CheckFileIndex(Index);
    const auto at = static_cast<std::size_t>(Index);
    return at < Saves.size() ? InRules(Saves[at].name, nullptr) : std::string();
}

SystemError TTessock::LastSaveErrorAt(std::int32_t Index) const {
    CheckFileIndex(Index);
    const auto at = static_cast<std::size_t>(Index);
    return at < Saves.size() ? Saves[at].lastError : kNoError;
}

std::int32_t TTessock::FileIndexOf(std::string_view FieldName) const {
    if (Unicode()) return UnicodeFieldList().FileIndexOf(FieldName);
    if (!systemFileNames_) {
        BodyWindow body = OpenBody(BodyWindow::kLineCapacity);
        systemFileNames_ = std::make_unique<SystemFileNames>(body, Parts.Files, codePage_);
    }
    return systemFileNames_->IndexOf(FieldName);
}

void TTessock::SaveAt(std::int32_t Index, std::string_view Filename, bool exact, SystemError* error) {
    if (Saves.size() < Parts.Files.size()) Saves.resize(Parts.Files.size());
    FileSaves& saves = Saves[static_cast<std::size_t>(Index)];
    std::string saved = SavePart(Parts.Files[static_cast<std::size_t>(Index)], Filename, exact,
                                 OverwriteModeValue, error ? *error : saves.lastError);
    if (!saved.empty()) saves.name = {std::move(saved), Unicode()};
}

void TTessock::SaveFileAt(std::int32_t Index, std::string_view Filename, bool exact) {
    CheckFileIndex(Index);
    SaveAt(Index, Filename, exact, nullptr);
}

void TTessock::SaveFile(std::string_view Filename, bool exact) {
    if (Parts.Files.empty()) {
        SavePart(TFilePart{}, Filename, exact, OverwriteModeValue, lastSaveError_);  // no file: its own error
        return;
    }
    SaveAt(0, Filename, exact, &lastSaveError_);
}

}  // namespace kestrune

// The list of every uploaded file. Positions fail as FormVariableByIndex's do: past the
// end with the object's own error, below zero with the list's bounds error.
#include "base/exceptions.h"
#include "upload/tessock.h"

namespace kestrune {

void TTessock::CheckFileIndex(std::int32_t Index) const {
    if (Index > FileCount() - 1) throw EUploadError(kIndexOutOfRange);
    if (Index < 0) TStringList::RaiseBoundsError(Index);
}

TFileRecord TTessock::DescribeFileAt(BodyWindow& body, std::int32_t Index) const {
    const TFilePart& part = FileList[static_cast<std::size_t>(Index)];
    return unicode_ ? DescribeFilePart(body, part, *utf8Page_, bodyPage_)
                    : DescribeFilePart(body, part, codePage_);
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
    return FileList[static_cast<std::size_t>(Index)].DataSize;
}

std::string TTessock::NewNameAt(std::int32_t Index) const {
    CheckFileIndex(Index);
    const auto at = static_cast<std::size_t>(Index);
    return at < SavedNames.size() ? SavedNames[at] : std::string();
}

std::int32_t TTessock::FileIndexOf(std::string_view FieldName) const {
    // Compared by key, as the form-field list compares names (as Unicode text on that road).
    const CodePage& rules = TextRules();
    const std::string key = rules.NameKey(FieldName);
    // One window for the whole walk: on a body file, the header lines of neighbouring
    // parts mostly share a read.
    BodyWindow body = OpenBody(BodyWindow::kLineCapacity);
    for (std::int32_t i = 0; i < FileCount(); ++i) {
        if (rules.NameKey(DescribeFileAt(body, i).FieldNameText) == key) return i;
    }
    return -1;
}

void TTessock::SaveFileAt(std::int32_t Index, std::string_view Filename) {
    TFileRecord record = FileAt(Index);
    SaveRecord(record, Filename);
    const auto at = static_cast<std::size_t>(Index);
    if (record.SavedNameText == NewNameAt(Index)) return;
    if (SavedNames.size() <= at) SavedNames.resize(FileList.size());
    SavedNames[at] = std::move(record.SavedNameText);
}

}  // namespace kestrune

// The list of every uploaded file. Positions fail as FormVariableByIndex's do: past the
// end with the object's own error, below zero with the list's bounds error.
#include "base/exceptions.h"
#include "upload/tessock.h"

namespace kestrune {

void TTessock::CheckFileIndex(std::int32_t Index) const {
    if (Index > FileCount() - 1) throw EUploadError(kIndexOutOfRange);
    if (Index < 0) TStringList::RaiseBoundsError(Index);
}

const TFileRecord& TTessock::FileAt(std::int32_t Index) const {
    CheckFileIndex(Index);
    return FileList[static_cast<std::size_t>(Index)];
}

std::int32_t TTessock::FileIndexOf(std::string_view FieldName) const {
    // Compared by key, as the form-field list compares names.
    const std::string key = codePage_.NameKey(FieldName);
    for (std::size_t i = 0; i < FileList.size(); ++i) {
        if (codePage_.NameKey(FileList[i].FieldNameText) == key) return static_cast<std::int32_t>(i);
    }
    return -1;
}

void TTessock::SaveFileAt(std::int32_t Index, std::string_view Filename) {
    CheckFileIndex(Index);
    SaveRecord(FileList[static_cast<std::size_t>(Index)], Filename);
}

}  // namespace kestrune

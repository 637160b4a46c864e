// What a test compares of an upload object after intake: the list lines and the file.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "base/file_record.h"
#include "base/string_list.h"
#include "upload/tessock.h"

namespace kestrune::testing {

struct UploadState {
    std::vector<std::string> Lines;
    std::string FileName, FileExt, BaseName, ContentType, FileData;

    bool operator==(const UploadState& other) const {
        return Lines == other.Lines && FileName == other.FileName && FileExt == other.FileExt &&
               BaseName == other.BaseName && ContentType == other.ContentType && FileData == other.FileData;
    }
    bool Empty() const { return *this == UploadState{}; }
};

inline UploadState StateOf(const TStringList& list, const TFileRecord& file) {
    UploadState state;
    for (std::int32_t i = 0; i < list.Count(); ++i) state.Lines.push_back(list.Line(i));
    state.FileName = file.FileNameText;
    state.FileExt = file.FileExtText;
    state.BaseName = file.BaseNameText;
    state.ContentType = file.ContentTypeText;
    state.FileData = std::string(file.FileData);
    return state;
}

// The file's bytes as the object reads them, wherever its body is.
inline UploadState StateOf(const TTessock& object) {
    UploadState state = StateOf(object.FieldList(), object.FileRecord());
    state.FileData = object.FileContent();
    return state;
}

inline std::ostream& operator<<(std::ostream& out, const UploadState& state) {
    out << "{lines:";
    for (const auto& line : state.Lines) out << " [" << line << "]";
    return out << " file: [" << state.FileName << "] [" << state.FileExt << "] [" << state.BaseName << "] ["
               << state.ContentType << "] " << state.FileData.size() << " bytes}";
}

// A multipart body with boundary line "--XyZ": fields as (name, value), then one file.
inline std::string MultipartBody(const std::vector<std::pair<std::string, std::string>>& fields,
                                 const std::string& fileName = {}, const std::string& content = {}) {
    std::string body;
    for (const auto& [name, value] : fields) {
        body += "--XyZ\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value + "\r\n";
    }
    if (!fileName.empty()) {
        body += "--XyZ\r\nContent-Disposition: form-data; name=\"upload\"; filename=\"" + fileName +
                "\"\r\nContent-Type: application/octet-stream\r\n\r\n" + content + "\r\n";
    }
    return body + "--XyZ--\r\n";
}

}  // namespace kestrune::testing

// TFileRecord: one uploaded file, its describing texts and its bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrune {

// The bytes are the range DataStart, DataSize of the request body, which never changes
// after intake, so the file is never copied. Where the body is in memory, FileData views
// the same range; where it is in a body file, FileData is empty and the range is read
// from the file. The four describing texts are set together or not at all.
struct TFileRecord {
    std::string FieldNameText;
    std::string FileNameText;
    std::string FileExtText;
    std::string ContentTypeText;
    std::string BaseNameText;
    std::int32_t DataStart = 0;
    std::int32_t DataSize = 0;
    std::string_view FileData;
    std::string SavedNameText;
};

}  // namespace kestrune

// TFileRecord: one uploaded file, its describing texts and its bytes.
#pragma once

#include <string>
#include <string_view>

namespace kestrune {

// FileData is a view into the request body, which never changes after intake, so the
// file is never copied. The four describing texts are set together or not at all.
struct TFileRecord {
    std::string FieldNameText;
    std::string FileNameText;
    std::string FileExtText;
    std::string ContentTypeText;
    std::string BaseNameText;
    std::string_view FileData;
    std::string SavedNameText;
};

}  // namespace kestrune

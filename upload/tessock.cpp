// Construction, the defaults and the members that hold no logic of their own.
#include "upload/tessock.h"

#include "kestrune_version.h"
#include "members/form_collection.h"
#include "members/system_file_names.h"
#include "members/unicode_fields.h"

namespace kestrune {

TTessock::TTessock(HostContext& host, const CodePage& codePage, FileSystem& fileSystem,
                   const Hashing& hashing)
    : host_(host), codePage_(codePage), fileSystem_(fileSystem), hashing_(hashing) {
    FormFields.SetTextSource(&bodyText_);
}

TTessock::~TTessock() = default;

void TTessock::Initialize() {
    OverwriteModeValue = Overwrite::Replace;
    OverwriteMarker = {"~"};
    received_ = true;
    ReadRequest(true);
}

void TTessock::SetOverwriteMode(std::int32_t mode) {
    const bool known = mode == static_cast<std::int32_t>(Overwrite::Keep) ||
                       mode == static_cast<std::int32_t>(Overwrite::Number);
    OverwriteModeValue = known ? static_cast<Overwrite>(mode) : Overwrite::Replace;
}

const std::string& TTessock::Version() {
    static const std::string banner = "Kestrune " KESTRUNE_VERSION_TEXT " - file upload component";
    return banner;
}

}  // namespace kestrune

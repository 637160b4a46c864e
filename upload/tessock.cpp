#include "upload/tessock.h"

namespace kestrune {

TTessock::TTessock(HostContext& host, const CodePage& codePage, FileSystem& fileSystem)
    : host_(host), codePage_(codePage), fileSystem_(fileSystem) {}

void TTessock::Initialize() {
    OverwriteModeValue = 0;
    OverwriteMarker = "~";
    ReadRequest();
}

void TTessock::SetOverwriteMode(std::int32_t mode) {
    OverwriteModeValue = (mode == 1 || mode == 2) ? static_cast<std::uint8_t>(mode) : 0;
}

const std::string& TTessock::Version() {
    static const std::string banner = "Kestrune 1.0.1.0 - file upload component";
    return banner;
}

}  // namespace kestrune

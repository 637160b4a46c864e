// The Upload class's intake: the page's limits, applied while the body is parsed.
#include "base/exceptions.h"
#include "upload/tessock.h"

namespace kestrune {

std::string_view RejectReasonText(RejectReason reason) {
    switch (reason) {
        case RejectReason::FileTooLarge:
            return "The file is larger than MaxFileBytes allows.";
        case RejectReason::TooManyFiles:
            return "The request has more files than MaxFiles allows.";
        case RejectReason::TooManyFields:
            return "The request has more text fields than MaxFields allows.";
        case RejectReason::FieldTooLong:
            return "The text field is longer than MaxFieldBytes allows.";
        case RejectReason::ExtensionNotAllowed:
            return "The file's extension is not in AllowedExtensions.";
    }
    return {};
}

void TTessock::SetLimits(IntakeLimits limits) {
    if (received_) throw EUploadError(kLimitsAfterReadMessage);
    limits_ = std::move(limits);
}

// Not yet applied: the whole body is kept, as Initialize keeps it, but quietly.
void TTessock::Receive() {
    if (received_) return;
    received_ = true;
    ReadRequest();
}

std::int32_t TTessock::RejectedCount() const { return 0; }

RejectedPart TTessock::RejectedAt(std::int32_t Index) const {
    (void)Index;
    throw EUploadError(kIndexOutOfRange);
}

}  // namespace kestrune

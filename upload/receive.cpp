// The Upload class's intake: the page's limits, applied while the body is parsed. A part
// outside them is refused before the parser records it, so it is in none of the lists
// any member reads (the form fields, the parts behind the Form collection and the
// Unicode road's list, the files) and merges into no kept field; Rejected lists it by
// its offsets, and derives its texts when they are asked for, as FileAt does a file's.
#include <optional>

#include "base/exceptions.h"
#include "members/extension_policy.h"
#include "members/safe_name.h"
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

// Judges each part as the parser reaches it, in body order, and keeps the rejections on
// the object. The counts are of kept parts only: a refused file leaves room for a later one.
class TTessock::LimitsFilter final : public PartFilter {
public:
    LimitsFilter(TTessock& owner, const BodyWindow& body)
        : owner_(owner),
          limits_(owner.limits_),
          policy_(ExtensionPolicy::Allowing(limits_.AllowedExtensions)) {
        if (!limits_.AllowedExtensions.empty()) names_.emplace(body.Another(BodyWindow::kLineCapacity));
    }

    bool Keep(const TFieldPart& part, const TFilePart* file) override {
        const std::optional<RejectReason> reason = file != nullptr ? FileRefusal(*file) : FieldRefusal(part);
        if (!reason) {
            if (file == nullptr) ++keptFields_;
            return true;
        }
        Rejection rejection;
        rejection.isFile = file != nullptr;
        rejection.part =
            file != nullptr ? *file : TFilePart{part.ValueStart, part.ValueSize, part.FirstHeaderLine};
        rejection.reason = *reason;
        owner_.rejected_.push_back(rejection);
        return false;
    }

private:
    static bool Over(std::int32_t value, std::int32_t limit) { return limit > 0 && value > limit; }
    static bool Full(std::size_t kept, std::int32_t limit) {
        return limit > 0 && kept >= static_cast<std::size_t>(limit);
    }

    std::optional<RejectReason> FileRefusal(const TFilePart& file) {
        if (names_ && !ExtensionAllowed(file)) return RejectReason::ExtensionNotAllowed;
        if (Over(file.DataSize, limits_.MaxFileBytes)) return RejectReason::FileTooLarge;
        // The parser lists a kept file right after it is asked: the list is the count.
        if (Full(owner_.Parts.Files.size(), limits_.MaxFiles)) return RejectReason::TooManyFiles;
        return std::nullopt;
    }

    std::optional<RejectReason> FieldRefusal(const TFieldPart& part) const {
        if (Over(part.ValueSize, limits_.MaxFieldBytes)) return RejectReason::FieldTooLong;
        if (Full(keptFields_, limits_.MaxFields)) return RejectReason::TooManyFields;
        return std::nullopt;
    }

    // Judged on the name the file would be stored under, as SaveToFolder judges it: the
    // raw name's extension is not the one a stored file gets ("x.asp;.jpg" is a .jpg).
    bool ExtensionAllowed(const TFilePart& file) {
        const CodePage& texts = owner_.rules_.Texts();
        return policy_.Allows(SafeFilename(owner_.DescribeFile(*names_, file).FileNameText, texts), texts);
    }

    TTessock& owner_;
    const IntakeLimits& limits_;
    const ExtensionPolicy policy_;
    std::optional<BodyWindow> names_;  // where the file names are read; only with a list
    std::size_t keptFields_ = 0;
};

void TTessock::SetLimits(IntakeLimits limits) {
    if (received_) throw EUploadError(kLimitsAfterReadMessage);
    limits_ = std::move(limits);
}

void TTessock::Receive() {
    if (received_) return;
    received_ = true;
    ReadRequest(false);
}

void TTessock::ParseWithinLimits(BodyWindow& body, const std::function<bool()>& isClientConnected) {
    const IntakeLimits& limits = limits_;
    const bool anyPartLimit = limits.MaxFileBytes > 0 || limits.MaxFiles > 0 || limits.MaxFields > 0 ||
                              limits.MaxFieldBytes > 0 || !limits.AllowedExtensions.empty();
    if (!anyPartLimit) {
        ParseMultipart(body, isClientConnected, FormFields, Parts);
        return;
    }
    LimitsFilter filter(*this, body);
    ParseMultipart(body, isClientConnected, FormFields, Parts, filter);
}

std::int32_t TTessock::RejectedCount() const { return static_cast<std::int32_t>(rejected_.size()); }

RejectedPart TTessock::RejectedAt(std::int32_t Index) const {
    if (Index > RejectedCount() - 1) throw EUploadError(kIndexOutOfRange);
    if (Index < 0) TStringList::RaiseBoundsError(Index);
    const Rejection& rejection = rejected_[static_cast<std::size_t>(Index)];
    RejectedPart rejected;
    rejected.Size = rejection.part.DataSize;
    rejected.Reason = rejection.reason;
    BodyWindow body = OpenBody(BodyWindow::kLineCapacity);
    if (rejection.isFile) {
        TFileRecord record = DescribeFile(body, rejection.part);
        rejected.FieldName = std::move(record.FieldNameText);
        rejected.Filename = std::move(record.FileNameText);
    } else {
        rejected.FieldName = rules_.FromBody(ReadPartNames(body, rejection.part.FirstHeaderLine).FieldName);
    }
    return rejected;
}

}  // namespace kestrune

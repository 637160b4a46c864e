// How this works: the object's own body is parsed again without limits; the limits, as a
// page reads them, are applied to that parse's parts one by one, which predicts what is
// kept and what is rejected; the reference parser, recording exactly the predicted parts,
// gives the lists the object must hold. The kept parts are then held to the limits once
// more through the object's own reads alone.
#include "limits_checks.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "members/extension_policy.h"
#include "members/safe_name.h"
#include "multipart/body_text.h"
#include "multipart/multipart_parser.h"
#include "support/reference_parser.h"
#include "upload_checks.h"

namespace kestrune::fuzz {

namespace {

struct Prediction {
    std::set<std::int32_t> kept;  // by first header line
    std::vector<RejectedPart> rejected;
};

bool Over(std::int32_t value, std::int32_t limit) { return limit > 0 && value > limit; }
bool Full(std::int32_t kept, std::int32_t limit) { return limit > 0 && kept >= limit; }

Prediction Predict(BodyWindow& body, const TBodyParts& all, const IntakeLimits& limits,
                   const CodePage& codePage) {
    const ExtensionPolicy policy = ExtensionPolicy::Allowing(limits.AllowedExtensions);
    Prediction prediction;
    std::size_t nextFile = 0;
    std::int32_t files = 0;
    std::int32_t fields = 0;
    for (const TFieldPart& part : all.Fields) {
        std::optional<RejectReason> reason;
        if (part.IsFile && part.ValueSize > 0) {
            FUZZ_CHECK(nextFile < all.Files.size(), "a file part with content is not listed");
            const TFilePart& file = all.Files[nextFile++];
            FUZZ_CHECK(file.DataStart == part.ValueStart && file.DataSize == part.ValueSize,
                       "a listed file is not its part's content");
            const TFileRecord record = DescribeFilePart(body, file, codePage);
            if (!limits.AllowedExtensions.empty() &&
                !policy.Allows(SafeFilename(record.FileNameText, codePage), codePage))
                reason = RejectReason::ExtensionNotAllowed;
            else if (Over(file.DataSize, limits.MaxFileBytes))
                reason = RejectReason::FileTooLarge;
            else if (Full(files, limits.MaxFiles))
                reason = RejectReason::TooManyFiles;
            else
                ++files;
            if (reason)
                prediction.rejected.push_back(
                    {record.FieldNameText, record.FileNameText, file.DataSize, *reason});
        } else if (!part.IsFile) {
            if (Over(part.ValueSize, limits.MaxFieldBytes))
                reason = RejectReason::FieldTooLong;
            else if (Full(fields, limits.MaxFields))
                reason = RejectReason::TooManyFields;
            else
                ++fields;
            if (reason)
                prediction.rejected.push_back(
                    {ReadPartNames(body, part.FirstHeaderLine).FieldName, "", part.ValueSize, *reason});
        }
        if (!reason) prediction.kept.insert(part.FirstHeaderLine);
    }
    FUZZ_CHECK(nextFile == all.Files.size(), "a listed file belongs to no part");
    return prediction;
}

// The parts of a parse of body without limits.
TBodyParts ParseAll(BodyWindow& body, const CodePage& codePage) {
    const WindowText source(body);
    TStringList fields(codePage);
    fields.SetTextSource(&source);
    TBodyParts parts;
    ParseMultipart(
        body, [] { return true; }, fields, parts);
    return parts;
}

bool Same(const RejectedPart& a, const RejectedPart& b) {
    return a.FieldName == b.FieldName && a.Filename == b.Filename && a.Size == b.Size && a.Reason == b.Reason;
}

// What the object's own reads show of the kept files and the rejected parts.
void CheckWithinLimits(const TTessock& upload, const IntakeLimits& limits, const CodePage& codePage) {
    const ExtensionPolicy policy = ExtensionPolicy::Allowing(limits.AllowedExtensions);
    FUZZ_CHECK(!Over(upload.FileCount(), limits.MaxFiles), "more files kept than MaxFiles");
    for (std::int32_t i = 0; i < upload.FileCount(); ++i) {
        FUZZ_CHECK(!Over(upload.FileSizeAt(i), limits.MaxFileBytes), "a kept file is over MaxFileBytes");
        FUZZ_CHECK(limits.AllowedExtensions.empty() || policy.Allows(upload.SafeFilenameAt(i), codePage),
                   "a kept file's extension is not allowed");
    }
    for (std::int32_t i = 0; i < upload.RejectedCount(); ++i) {
        const RejectedPart part = upload.RejectedAt(i);
        FUZZ_CHECK(part.Reason != RejectReason::FileTooLarge || Over(part.Size, limits.MaxFileBytes),
                   "a file rejected as too large is within MaxFileBytes");
        FUZZ_CHECK(part.Reason != RejectReason::FieldTooLong || Over(part.Size, limits.MaxFieldBytes),
                   "a field rejected as too long is within MaxFieldBytes");
    }
}

}  // namespace

IntakeLimits LimitsFrom(const unsigned char* bytes) {
    static const char* const kLists[] = {"", "jpg", "txt;png", "asp", " ; ", "BIN, .Txt", "a"};
    IntakeLimits limits;
    limits.MaxBodyBytes = bytes[0] * 8;
    limits.MaxFileBytes = bytes[1];
    const bool unlimited = (bytes[2] & 0x80) != 0;
    limits.MaxFiles = unlimited ? -1 : bytes[2] & 7;
    limits.MaxFields = unlimited ? -1 : (bytes[2] >> 3) & 7;
    limits.MaxFieldBytes = bytes[3];
    limits.AllowedExtensions = kLists[bytes[4] % (sizeof kLists / sizeof kLists[0])];
    return limits;
}

void CheckLimits(const TTessock& upload, const IntakeLimits& limits, const CodePage& codePage, bool whole) {
    CheckWithinLimits(upload, limits, codePage);
    const std::string bytes = BodyOf(upload);
    if (bytes.empty()) {
        // Given up (a body file without a part), or never read: nothing was kept or rejected.
        FUZZ_CHECK(upload.FileCount() == 0 && upload.FieldList().Count() == 0 && upload.RejectedCount() == 0,
                   "parts without a body");
        return;
    }
    BodyWindow body(bytes);
    const TBodyParts all = ParseAll(body, codePage);
    const Prediction prediction = Predict(body, all, limits, codePage);
    // The parts kept, as the reference parser records them: nothing of the product's
    // filter or list stands between a refused part and what the object must hold.
    const ParseOutcome kept =
        ReferenceParse(bytes, codePage, [&](std::size_t at) { return prediction.kept.count(at) != 0; });

    const auto rejected = static_cast<std::size_t>(upload.RejectedCount());
    const auto files = static_cast<std::size_t>(upload.FileCount());
    const auto lines = static_cast<std::size_t>(upload.FieldList().Count());
    if (whole) {
        const ReadStatus& read = upload.Read();
        const bool complete =
            read.BytesReceived == static_cast<std::int32_t>(bytes.size()) && all.Delimited && all.Closed;
        FUZZ_CHECK(read.Complete == complete, "the limits changed whether the body is complete");
        FUZZ_CHECK(rejected == prediction.rejected.size(), "not every part outside the limits is rejected");
        FUZZ_CHECK(files == kept.files.size(), "the files kept are not those within the limits");
        FUZZ_CHECK(lines == kept.lines.size(), "the list is not that of the parts within the limits");
    } else {
        FUZZ_CHECK(rejected <= prediction.rejected.size() && files <= kept.files.size() &&
                       lines <= kept.lines.size(),
                   "a parse cut short kept or rejected more than a whole one");
    }
    for (std::size_t i = 0; i < rejected; ++i) {
        FUZZ_CHECK(Same(upload.RejectedAt(static_cast<std::int32_t>(i)), prediction.rejected[i]),
                   "a rejected part differs from the one its limits reject");
    }
    for (std::size_t i = 0; i < files; ++i) {
        const TFileRecord file = upload.FileAt(static_cast<std::int32_t>(i));
        FUZZ_CHECK(static_cast<std::size_t>(file.DataStart) == kept.files[i].offset &&
                       file.FileNameText == kept.files[i].name,
                   "a kept file is not the one within the limits");
    }
    // Merged lines of a parse cut short may lack later values: only a whole one compares.
    for (std::size_t i = 0; whole && i < lines; ++i) {
        FUZZ_CHECK(upload.FieldList().Line(static_cast<std::int32_t>(i)) == kept.lines[i],
                   "a list line differs from that of the parts within the limits");
    }
}

}  // namespace kestrune::fuzz

// TTessock: the state of one upload and the script-facing operations on it, free of any
// platform. The COM face in server/ owns one of these per automation object and only
// converts arguments and results; it never reaches into the state directly.
//
// Life of an object: construct, Initialize() once (defaults, then request intake, which
// reads and parses the whole body), then any number of member calls. Errors are thrown
// as members of the Exception family (base/exceptions.h).
//
// Where the members are defined: construction, Initialize, the overwrite settings and
// Version in upload/tessock.cpp; ReadRequest (intake) and the reads of the body, wherever
// it is, in upload/read_request.cpp; the limits, Receive and the parts it did not keep in
// upload/receive.cpp; the form-field reads in members/form_fields.cpp;
// SaveFile and SaveToFolder in members/save_file.cpp; the file list in
// members/file_list.cpp; what a file's bytes show (type, image size, hashes, slices) and
// its safe name in members/file_facts.cpp; the change
// of text rules in members/unicode_texts.cpp, and the Unicode road's field list in
// members/unicode_fields.*.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_record.h"
#include "base/memory_stream.h"
#include "base/string_list.h"
#include "host/body_file.h"
#include "host/code_page.h"
#include "host/file_system.h"
#include "host/hashing.h"
#include "host/host_objects.h"
#include "multipart/body_window.h"
#include "multipart/multipart_parser.h"
#include "upload/request_body.h"
#include "members/file_type.h"
#include "members/image_size.h"
#include "upload/text_rules.h"

namespace kestrune {

class FormCollection;
class SystemFileNames;
class UnicodeFields;

// From this many bytes of TotalBytes on, intake writes the body to a body file instead of
// memory (where the file system can make one). Chosen by timing the creation of objects
// on both roads from 64 KiB to 100 MiB: below a few MiB memory is some 3 to 4 times
// faster, yet the file's extra cost stays near a millisecond at 4 MiB, little beside the
// time such a body takes on the wire; from about 32 MiB on, where every body buffer is
// fresh memory from the system, the file is the faster road. So no upload holds more
// than 4 MiB of body in memory, and the file road's buffers stay well below its bodies.
inline constexpr std::int64_t kBodyFileThreshold = 4 << 20;

// What SaveFile does when a file already exists at the target. The numbers are those a
// page sets OverwriteMode to; any other number means Replace.
enum class Overwrite : std::uint8_t {
    Replace = 0,  // the new file takes the existing one's place
    Keep = 1,     // the existing file stays and the new one is not written
    Number = 2,   // the new file goes under the first free name with OverwriteChr and a number
};

// Why intake did not read a whole multipart body, as a page reads it in ReadError. A
// number, once given, keeps its meaning and is never given to another cause.
enum class ReadError : std::int32_t {
    None = 0,
    ClientGone = 1,    // the client went away before the body was read
    HostFailed = 2,    // a call to the host failed while reading
    NotMultipart = 3,  // no body, or one whose first line is no boundary line
    Unfinished = 4,    // the body ended before its closing delimiter
    NotHeld = 5,       // neither memory nor the body file could hold the body
    TooLarge = 6,      // TotalBytes above the page's MaxBodyBytes: nothing was read
};

// A short English text for the cause; empty for None.
std::string_view ReadErrorText(ReadError error);

// What intake came to.
struct ReadStatus {
    std::int32_t BytesReceived = 0;  // bytes the host delivered
    ReadError Error = ReadError::NotMultipart;
    bool Complete = false;  // TotalBytes arrived and the closing delimiter was read
    // The passes put the body in a body file (a file that failed midway handed it to
    // memory).
    bool BodyInFile = false;
};

// What the page of an Upload object lets intake keep, each 0 (or empty) for no limit. A
// file part is one that the file list would hold (a Content-Type line and a byte or
// more); a text field is a part without a Content-Type line. Any other part is kept.
struct IntakeLimits {
    std::int32_t MaxBodyBytes = 0;  // TotalBytes above it: nothing is read at all
    std::int32_t MaxFileBytes = 0;  // a file of more bytes is not kept
    std::int32_t MaxFiles = 0;      // files past this many kept ones are not kept
    std::int32_t MaxFields = 0;     // text fields past this many kept ones are not kept
    // A text field whose value is longer is not kept: its size as FormVariable reads it,
    // each line break two bytes (TFieldPart::ValueSize).
    std::int32_t MaxFieldBytes = 0;
    // An ExtensionPolicy list (members/extension_policy.h), judged on each file's
    // SafeFilename: a file whose extension is not on it is not kept. Empty: any file; a
    // list with no entry (blanks and separators alone) is the default policy, which
    // refuses what runs, as ExtensionPolicy takes it. Held in the encoding of the text
    // rules at SetLimits (no conversion follows): a page that changes CodePage between
    // SetLimits and the read has the list's bytes judged by the new rules.
    std::string AllowedExtensions;
};

// Why a part was not kept, as a page reads it in Rejected's Reason. A number, once given,
// keeps its meaning and is never given to another cause.
enum class RejectReason : std::int32_t {
    FileTooLarge = 1,
    TooManyFiles = 2,
    TooManyFields = 3,
    FieldTooLong = 4,
    ExtensionNotAllowed = 5,
};

// A short English text for the reason.
std::string_view RejectReasonText(RejectReason reason);

// A part intake did not keep, with its texts in the rules' encoding.
struct RejectedPart {
    std::string FieldName;
    std::string Filename;   // as FileAt gives a file's; empty for a text field
    std::int32_t Size = 0;  // a file's bytes; a text field's value's, as MaxFieldBytes counts them
    RejectReason Reason = RejectReason::FileTooLarge;
};

inline constexpr const char* kLimitsAfterReadMessage = "Limits must be set before the request is read.";

inline constexpr const char* kTypeNotAllowedMessage = "File type not allowed.";
inline constexpr const char* kNamingNotSupportedMessage = "Naming not supported.";

// A stretch of the body: a file's bytes, or some of them.
struct FileSpan {
    std::int32_t Start = 0;
    std::int32_t Size = 0;
};
inline FileSpan SpanOf(const TFileRecord& record) { return {record.DataStart, record.DataSize}; }

class TTessock {
public:
    // The four platform services must outlive the object.
    TTessock(HostContext& host, const CodePage& codePage, FileSystem& fileSystem, const Hashing& hashing);
    ~TTessock();
    TTessock(const TTessock&) = delete;
    TTessock& operator=(const TTessock&) = delete;

    // For tests only: the TotalBytes from which intake uses a body file (0: always, a
    // huge value: never). Takes effect at the next Initialize.
    void SetBodyFileThreshold(std::int64_t bytes) { BodyFileThreshold = bytes; }

    // The initialisation hook: defaults, then ReadRequest. Errors before the guarded
    // stretch of intake (the first fetch and TotalBytes) propagate: creation fails.
    void Initialize();

    // The Upload class's intake, which waits for the page: the limits (and the text rules
    // and settings) it sets first, then Receive reads and parses the body once, keeping
    // only the parts within the limits. It never writes to the page: its failures are
    // in Read() alone, but for those before the guarded stretch (the first fetch and
    // TotalBytes), which propagate as they do from Initialize; the read counts as made
    // all the same. Unlike Initialize it leaves OverwriteMode and OverwriteChr as the
    // page set them. Receive after a read (Initialize's too) does nothing.
    const IntakeLimits& Limits() const { return limits_; }
    // Throws EUploadError with kLimitsAfterReadMessage once the body has been read.
    void SetLimits(IntakeLimits limits);
    void Receive();
    bool Received() const { return received_; }
    // The parts Receive did not keep, in body order; positions fail as FileAt's do.
    std::int32_t RejectedCount() const;
    RejectedPart RejectedAt(std::int32_t Index) const;

    // Form fields.
    std::string FormVariable(std::string_view VariableName) const;
    std::int32_t FormVariableCount() const;
    std::string FormVariableByIndex(std::int32_t Index) const;
    // The text fields by name, each name's values one by one (members/form_collection.h),
    // by the rules of the current road.
    const FormCollection& Form() const;

    // What intake came to.
    const ReadStatus& Read() const { return read_; }

    // The uploaded file: the first listed one (FileAt(0)), its texts derived at each call.
    std::string Filename() const { return FileRecord().FileNameText; }
    std::string FileExtension() const { return FileRecord().FileExtText; }
    std::string FileNameNoExtension() const { return FileRecord().BaseNameText; }
    std::string ContentType() const { return FileRecord().ContentTypeText; }
    std::int32_t FileSize() const { return Parts.Files.empty() ? 0 : Parts.Files.front().DataSize; }
    static const std::string& Version();

    // Every uploaded file, in body order; the first is the file above. A position outside
    // the list raises FormVariableByIndex's error for that position.
    std::int32_t FileCount() const { return static_cast<std::int32_t>(Parts.Files.size()); }
    // The file's texts are derived at each call, by the rules of the file above.
    TFileRecord FileAt(std::int32_t Index) const;
    // Copies the bytes of Span (a file's, or some of them) into Dest, which has room for
    // Span.Size bytes. Throws EUploadError when the body file fails.
    void CopyFileBytes(FileSpan Span, char* Dest) const;
    void CopyFileBytes(const TFileRecord& Record, char* Dest) const { CopyFileBytes(SpanOf(Record), Dest); }
    std::int32_t FileSizeAt(std::int32_t Index) const;
    // Position of the file for FieldName by the rule FormVariable keeps on the road
    // (SystemFileNames, UnicodeFields); -1 when there is none.
    std::int32_t FileIndexOf(std::string_view FieldName) const;
    // SaveFile and NewName for the file at Index, by the rules and settings of the object.
    // A Filename that is not exactly the page's (exact false: a conversion to the rules'
    // encoding changed it) fails as any refused target does, and nothing is written.
    void SaveFileAt(std::int32_t Index, std::string_view Filename, bool exact = true);
    std::string NewNameAt(std::int32_t Index) const;
    // Why the last save of the file at Index failed; kNoError after one that worked.
    SystemError LastSaveErrorAt(std::int32_t Index) const;
    // Saves the file at Index into Folder (exact as SaveFileAt's Filename) under its
    // SafeFilename, or with Naming 1 (and whenever that name is empty) under a random
    // name with its extension in lower case, never replacing a file: a taken name gets
    // OverwriteChr and a number, as Overwrite::Number does. AllowedExtensions is an
    // ExtensionPolicy list (members/extension_policy.h); empty, the default policy.
    // Returns the name used, which NewNameAt gives from then on. A refused extension
    // raises kTypeNotAllowedMessage and writes nothing; a Naming other than 0 or 1
    // raises kNamingNotSupportedMessage.
    std::string SaveToFolderAt(std::int32_t Index, std::string_view Folder, bool exact,
                               std::string_view AllowedExtensions, std::int32_t Naming);

    // What the bytes of the file at Index show, and its name made safe to store
    // (members/safe_name.h), in the texts of the rules.
    std::string SafeFilenameAt(std::int32_t Index) const;
    DetectedFileType DetectedTypeAt(std::int32_t Index) const;
    ImageSize ImageSizeAt(std::int32_t Index) const;
    // The digest of the file's bytes for a page's name of the algorithm
    // (members/file_hash.h), in lower-case hexadecimal; each computed once.
    std::string HashAt(std::int32_t Index, std::string_view Algorithm) const;
    // At most Count bytes from Offset of the file at Index: none from its end on. A
    // negative Offset or Count raises kIndexOutOfRange.
    FileSpan FileBytesAt(std::int32_t Index, std::int32_t Offset, std::int32_t Count) const;

    // Saving: SaveFile and NewName are those of the first file (FileAt(0)). LastSaveError
    // is that of this member's own saves, not of SaveFileAt(0)'s.
    void SaveFile(std::string_view Filename, bool exact = true);
    SystemError LastSaveError() const { return lastSaveError_; }
    std::int32_t OverwriteMode() const { return static_cast<std::int32_t>(OverwriteModeValue); }
    void SetOverwriteMode(std::int32_t mode);
    // OverwriteChr in the texts of the rules; held as set (exact as SaveFileAt's Filename),
    // so that no change of rules alters it. A numbered save with a marker that is not
    // exactly the page's, or that the rules' encoding lacks, fails.
    std::string OverwriteChr() const { return InRules(OverwriteMarker, nullptr); }
    void SetOverwriteChr(std::string marker, bool exact = true) {
        OverwriteMarker = {std::move(marker), Unicode(), exact};
    }
    std::string NewName() const { return Parts.Files.empty() ? std::string() : NewNameAt(0); }

    // The rules of the object's texts (upload/text_rules.h); the system's by default.
    // What the object holds (OverwriteChr, names saved under) stays as it was given and
    // is converted where it is used; the Unicode road's field list is made anew at its
    // next use.
    void SetTextRules(TextRules rules);
    const TextRules& Rules() const { return rules_; }

    // The first file (every text empty, and no bytes, where there is none).
    TFileRecord FileRecord() const;

    // Read-only views of the state, for tests and tools.
    const TStringList& FieldList() const { return FormFields; }
    const TMemoryStream& Body() const { return body_.Memory(); }
    bool BodyInFile() const { return body_.InFile(); }
    // The body as intake left it, wherever it is; capacity bounds a file body's buffer.
    BodyWindow OpenBody(std::size_t capacity = BodyWindow::kParseCapacity) const;
    // The bytes of Record as one string: CopyFileBytes for tests and tools.
    std::string FileContent(const TFileRecord& Record) const;
    std::string FileContent() const { return FileContent(FileRecord()); }

private:
    static constexpr const char* kIndexOutOfRange = "Index out of range.";

    // Intake; report: a failure in the guarded stretch is written to the page as well.
    void ReadRequest(bool report);
    bool ReadPasses(std::int32_t total);
    // ParseMultipart into the lists, keeping only the parts within the limits.
    void ParseWithinLimits(BodyWindow& body, const std::function<bool()>& isClientConnected);
    void CheckFileIndex(std::int32_t Index) const;
    // The record of a file part, read through body by the current rules; no saved name.
    TFileRecord DescribeFile(BodyWindow& body, const TFilePart& part) const;
    // The record of the listed file at Index (checked), read through body; no saved name.
    TFileRecord DescribeFileAt(BodyWindow& body, std::int32_t Index) const;
    // A text as the page gave it, in the encoding of the rules it came under.
    struct HeldText {
        std::string text;
        bool unicode = false;
        bool exact = true;
    };
    // held in the current rules' encoding; exact (where given) false where that loses
    // something, or the page's text was not exact to begin with.
    std::string InRules(const HeldText& held, bool* exact) const;
    // Saves the bytes of Part; returns the name the file went under in mode 2 (empty in
    // the others). error is the reason it failed, kNoError when it did not.
    std::string SavePart(const TFilePart& Part, std::string_view Filename, bool exact, Overwrite mode,
                         SystemError& error);
    // SavePart for the file at Index, keeping the name it went under; the reason for a
    // failure goes to error, or where null to the file's own.
    void SaveAt(std::int32_t Index, std::string_view Filename, bool exact, SystemError* error);
    // The outcome of a parse that ran to its end (or stopped with the client gone).
    void Conclude(std::int32_t total, bool clientGone);
    bool Unicode() const { return rules_.IsUnicode(); }
    const UnicodeFields& UnicodeFieldList() const;
    // Gives up the body where nothing any member reads is in it.
    void ReleaseUnreadBody();

    HostContext& host_;
    const CodePage& codePage_;
    FileSystem& fileSystem_;
    const Hashing& hashing_;

    // What the saves of a file left: by position, grown by the first save.
    struct FileSaves {
        HeldText name;  // the name the last save in mode 2 went under
        SystemError lastError = kNoError;
    };

    // A part Receive did not keep: a file part as the file list would hold it, or a text
    // field's first header line with its value's size as DataSize.
    struct Rejection {
        TFilePart part;
        bool isFile = false;
        RejectReason reason = RejectReason::FileTooLarge;
    };
    class LimitsFilter;  // the PartFilter of the limits, in upload/receive.cpp

    TBodyParts Parts;
    std::vector<Rejection> rejected_;
    std::vector<FileSaves> Saves;
    // Each file's digests, by algorithm; empty until computed.
    mutable std::vector<std::vector<std::string>> hashes_;
    SystemError lastSaveError_ = kNoError;
    ReadStatus read_;
    IntakeLimits limits_;
    bool received_ = false;
    TStringList FormFields{codePage_};
    RequestBody body_;
    RequestBodyText bodyText_{body_};  // what the list's long lines read
    std::int64_t BodyFileThreshold = kBodyFileThreshold;
    Overwrite OverwriteModeValue = Overwrite::Replace;
    HeldText OverwriteMarker{"~"};
    TextRules rules_{codePage_};
    // Made at their first use after a change of rules.
    mutable std::unique_ptr<UnicodeFields> unicodeFields_;
    mutable std::unique_ptr<FormCollection> form_;
    mutable std::unique_ptr<SystemFileNames> systemFileNames_;
    mutable std::unique_ptr<TFileRecord> firstFile_;  // FileAt(0) but for its saved name
};

}  // namespace kestrune

// SaveFile. No save leaves a partial file behind or loses the contents of an existing
// one: every mode creates only where nothing exists at the moment of creation, and
// removes what it created when the bytes do not all go in. Replacing an existing file
// goes through a new file beside it that takes its place only once every byte is in;
// keeping and numbering never overwrite a file that appears meanwhile.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <new>
#include <string>

#include "base/ascii.h"
#include "base/exceptions.h"
#include "members/extension_policy.h"
#include "members/safe_name.h"
#include "members/target_path.h"
#include "multipart/path_names.h"
#include "upload/tessock.h"

namespace kestrune {

namespace {

constexpr const char* kNoFileMessage = "Error. No file received.";
constexpr const char* kSaveErrorMessage = "Error saving file. Check the user permissions.";

constexpr SystemError kReadFault = 30;       // ERROR_READ_FAULT: the body file failed
constexpr SystemError kNotEnoughMemory = 8;  // ERROR_NOT_ENOUGH_MEMORY

// Any failure of a save, with the reason the page reads as LastSaveError; SaveFile turns
// every failure into the one permissions message.
struct SaveFailed {
    SystemError error;
};

// ASCII letters in lower case; the bytes of double-byte characters stay as they are.
std::string LowerCaseLetters(std::string_view text, const CodePage& codePage) {
    std::string lower(text);
    for (std::size_t i = 0; i < lower.size(); ++i) {
        if (codePage.IsLeadByte(static_cast<unsigned char>(lower[i]))) {
            ++i;
        } else {
            lower[i] = AsciiLower(lower[i]);
        }
    }
    return lower;
}

class FileSaver {
public:
    // The bytes are the range start, size of body.
    FileSaver(FileSystem& fileSystem, const TextRules& rules, BodyWindow& body, std::size_t start,
              std::size_t size)
        : fileSystem_(fileSystem),
          rules_(rules),
          codePage_(rules.Texts()),
          body_(body),
          start_(start),
          size_(size) {}

    void CheckTarget(const std::string& path) const {
        // Refused before Windows sees it, with the code Windows gives such a name.
        if (!IsAcceptableTarget(path, codePage_)) throw SaveFailed{kInvalidName};
    }

    // Writes the bytes into the file just created at path; on failure (of the body file
    // too) removes it.
    void Fill(const std::string& path, OutputFile& file) {
        bool written = false;
        bool closed = false;
        SystemError error = kReadFault;  // unless the file says otherwise, the body failed
        try {
            written = WriteBytes(file);
            if (!written) error = file.LastError();
        } catch (...) {}
        try {
            closed = file.Close();
            if (written && !closed) error = file.LastError();
        } catch (...) {}
        if (!written || !closed) {
            fileSystem_.Remove(Path(path));
            throw SaveFailed{error};
        }
    }

    // Creates path only if nothing is there now and fills it; false when something was.
    bool CreateExclusive(const std::string& path) {
        CheckTarget(path);
        std::unique_ptr<OutputFile> file;
        switch (fileSystem_.CreateNew(Path(path), file)) {
            case CreateOutcome::Created:
                Fill(path, *file);
                return true;
            case CreateOutcome::AlreadyExists:
                // A file that appeared since the existence test is the caller's to keep
                // or replace; a directory at the path is no file, and nothing can be
                // created there.
                if (fileSystem_.IsFile(Path(path))) return false;
                break;
            case CreateOutcome::Failed:
                break;
        }
        throw SaveFailed{fileSystem_.LastError()};
    }

    void Replace(const std::string& target) {
        CheckTarget(target);
        // Where nothing is, the file is created in place as keeping does, so replacing
        // can create every target that keeping can; one that appears meanwhile is replaced.
        if (!fileSystem_.IsFile(Path(target)) && CreateExclusive(target)) return;
        const std::string temporary = FillTemporaryBeside(target);
        if (!fileSystem_.Replace(Path(temporary), Path(target))) {
            const SystemError error = fileSystem_.LastError();
            fileSystem_.Remove(Path(temporary));
            throw SaveFailed{error};
        }
    }

    void Keep(const std::string& target) {
        CheckTarget(target);
        if (fileSystem_.IsFile(Path(target))) return;
        CreateExclusive(target);  // something that appeared meanwhile is kept as well
    }

    // Returns the file name under which the file was stored.
    std::string CreateNumbered(const std::string& target, const std::string& marker) {
        CheckTarget(target);
        if (!fileSystem_.IsFile(Path(target)) && CreateExclusive(target)) {
            return PathFileName(target, codePage_);
        }
        const std::string extension = PathExtension(target, codePage_);
        const std::string base = target.substr(0, target.size() - extension.size());
        // Ends at the first free number, or at a candidate that cannot be created.
        for (std::uint64_t n = 1;; ++n) {
            const std::string candidate = base + marker + std::to_string(n) + extension;
            if (fileSystem_.IsFile(Path(candidate))) continue;
            if (CreateExclusive(candidate)) return PathFileName(candidate, codePage_);
        }
    }

private:
    // A body in memory goes in one write, as one window; a body file in window-sized ones.
    bool WriteBytes(OutputFile& file) {
        for (std::size_t offset = start_, left = size_; left > 0;) {
            const std::string_view window = body_.At(offset);
            const std::size_t count = std::min(window.size(), left);
            if (!file.WriteAll(window.data(), count)) return false;
            offset += count;
            left -= count;
        }
        return true;
    }

    // Returns the path of a new file that holds the data, in the target's folder so that
    // putting it in place stays within one directory and file system.
    std::string FillTemporaryBeside(const std::string& target) {
        const std::string folder = target.substr(0, FolderLength(target));
        for (int attempt = 0; attempt < 64; ++attempt) {
            const std::string temporary = folder + TemporaryName();
            std::unique_ptr<OutputFile> file;
            switch (fileSystem_.CreateTemporary(Path(temporary), file)) {
                case CreateOutcome::Created:
                    Fill(temporary, *file);
                    return temporary;
                case CreateOutcome::AlreadyExists:
                    continue;
                case CreateOutcome::Failed:
                    throw SaveFailed{fileSystem_.LastError()};
            }
        }
        throw SaveFailed{kFileExists};
    }

    // Up to the last backslash, slash or colon, each of which ends a folder on Windows.
    // The cut keeps a double-byte character whole: each of the three bytes is either a
    // character of its own or the last byte of one.
    static std::size_t FolderLength(const std::string& target) {
        const std::size_t last = target.find_last_of("\\/:");
        return last == std::string::npos ? 0 : last + 1;
    }

    // Of one fixed length, whatever the target's name: a target name of up to 255
    // characters must not make the temporary one longer than a name may be.
    static std::string TemporaryName() {
        static std::atomic<std::uint32_t> counter{0};
        const auto ticks =
            static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        const auto unique = static_cast<std::uint32_t>(ticks ^ (ticks >> 32)) + 0x9E3779B9u * ++counter;
        char name[32];
        std::snprintf(name, sizeof name, "~kst%08x.tmp", static_cast<unsigned>(unique));
        return name;
    }

    FilePath Path(const std::string& text) const { return rules_.Path(text); }

    FileSystem& fileSystem_;
    const TextRules& rules_;
    const CodePage& codePage_;
    BodyWindow& body_;
    std::size_t start_;
    std::size_t size_;
};

}  // namespace

std::string TTessock::SavePart(const TFilePart& Part, std::string_view Filename, bool exact, Overwrite mode,
                               SystemError& error) {
    error = kFileNotFound;  // no file to save: nothing was found to write
    if (Part.DataSize <= 0) throw EUploadError(kNoFileMessage);
    error = kNoError;
    try {
        // Nothing is written under a name other than the page's.
        bool markerExact = true;
        const std::string marker = InRules(OverwriteMarker, &markerExact);
        if (!exact || (mode == Overwrite::Number && !markerExact)) throw SaveFailed{kInvalidName};
        const std::string target(Filename);
        BodyWindow body = OpenBody(BodyWindow::kParseCapacity);
        FileSaver saver(fileSystem_, rules_, body, static_cast<std::size_t>(Part.DataStart),
                        static_cast<std::size_t>(Part.DataSize));
        switch (mode) {
            case Overwrite::Keep:
                saver.Keep(target);
                return {};
            case Overwrite::Number:
                return saver.CreateNumbered(target, marker);
            case Overwrite::Replace:
                saver.Replace(target);
                return {};
        }
        return {};
    } catch (const SaveFailed& failed) {
        // Whatever went wrong, the page sees one message and never the underlying text;
        // the reason is kept for LastSaveError.
        error = failed.error == kNoError ? kAccessDenied : failed.error;
    } catch (const std::bad_alloc&) {
        error = kNotEnoughMemory;
    } catch (...) {
        error = kReadFault;
    }
    throw EUploadError(kSaveErrorMessage);
}

std::string TTessock::SaveToFolderAt(std::int32_t Index, std::string_view Folder, bool exact,
                                     std::string_view AllowedExtensions, std::int32_t Naming) {
    CheckFileIndex(Index);
    if (Naming != 0 && Naming != 1) throw EUploadError(kNamingNotSupportedMessage);
    if (Saves.size() < Parts.Files.size()) Saves.resize(Parts.Files.size());
    FileSaves& saves = Saves[static_cast<std::size_t>(Index)];
    const TFilePart& part = Parts.Files[static_cast<std::size_t>(Index)];
    const CodePage& texts = rules_.Texts();
    const std::string safeName = SafeFilenameAt(Index);
    // Judged by the name the file would be stored under; a random name keeps its extension.
    if (!ExtensionPolicy::Allowing(AllowedExtensions).Allows(safeName, texts)) {
        saves.lastError = kAccessDenied;
        throw EUploadError(kTypeNotAllowedMessage);
    }
    std::string name = safeName;
    const bool random = Naming == 1 || safeName.empty();
    if (Folder.empty() || (random && !fileSystem_.RandomName(name))) {
        saves.lastError = Folder.empty() ? kPathNotFound : fileSystem_.LastError();
        throw EUploadError(kSaveErrorMessage);
    }
    if (random) {
        const std::string extension = SafeNameExtension(safeName, texts);
        if (!extension.empty()) name += "." + LowerCaseLetters(extension, texts);
    }
    std::string target(Folder);
    if (!PathFileName(target, texts).empty()) target += '\\';
    target += name;
    std::string saved = SavePart(part, target, exact, Overwrite::Number, saves.lastError);
    saves.name = {saved, Unicode()};
    return saved;
}

}  // namespace kestrune

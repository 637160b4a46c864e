// FakeFileSystem: an in-memory FileSystem with fault injection at every call, for the unit
// tests and the fuzz targets alike. Files are path -> bytes; directories are a set of
// paths. Records every call in order. Strict: writing to a closed file, closing twice,
// replacing or removing an open file, or leaving a file open is reported through
// ReportBreach (fakes/breach.h).
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/file_system.h"

namespace kestrune::testing {

class FakeFileSystem : public FileSystem {
public:
    ~FakeFileSystem() override;

    void AddFile(const std::string& path, std::string content) { files_[path] = std::move(content); }
    void AddDirectory(const std::string& path) { directories_.insert(path); }

    // Faults. A matcher decides per path; an empty matcher means "never". Each fault
    // reports its own error: a failed create error (no such folder by default), a short
    // write kDiskFull, a failed close kSharingViolation, a failed replace kAccessDenied.
    using PathMatch = std::function<bool(const std::string&)>;
    void FailCreate(PathMatch match, SystemError error = kPathNotFound) {
        failCreate_ = std::move(match);
        createError_ = error;
    }
    // A file with content appears at a matching path just before CreateNew looks.
    void AppearBeforeCreate(PathMatch match, std::string content = "intruder");
    // WriteAll stores only the first half of the bytes and reports failure.
    void ShortWrite(bool on = true) { shortWrite_ = on; }
    void FailClose(bool on = true) { failClose_ = on; }
    void FailReplace(bool on = true) { failReplace_ = on; }
    // Body files: none can be made; Append, from its k-th call on (1-based, counted over
    // every body file; 0: never), stores half its bytes and fails; Read fails likewise.
    void FailBodyFileCreate(bool on = true) { failBodyFileCreate_ = on; }
    void FailBodyFileAppend(int k) { failAppendAt_ = k; }
    void FailBodyFileRead(int k) { failReadAt_ = k; }
    // RandomName gives the numbers 1, 2, 3... as 32 hexadecimal digits, or fails with
    // kAccessDenied.
    void FailRandomName(bool on = true) { failRandomName_ = on; }
    // Body files made and not yet destroyed; Append calls so far.
    int BodyFilesOpen() const { return bodyFilesOpen_; }
    int BodyFileAppends() const { return appends_; }

    const std::map<std::string, std::string>& Files() const { return files_; }
    bool Has(const std::string& path) const { return files_.count(path) != 0; }
    const std::vector<std::string>& Calls() const { return calls_; }

    bool IsFile(const FilePath& path) override;
    CreateOutcome CreateNew(const FilePath& path, std::unique_ptr<OutputFile>& file) override;
    bool Replace(const FilePath& from, const FilePath& to) override;
    void Remove(const FilePath& path) override;
    std::unique_ptr<BodyFile> CreateBodyFile() override;
    bool RandomName(std::string& name) override;
    SystemError LastError() const override { return lastError_; }

    // Used by the files it hands out.
    bool Write(const std::string& path, const char* data, std::size_t size);
    bool Close(const std::string& path);
    bool AppendAllowed() { return ++appends_ < failAppendAt_ || failAppendAt_ == 0; }
    bool ReadAllowed() { return ++reads_ < failReadAt_ || failReadAt_ == 0; }
    void BodyFileClosed() { --bodyFilesOpen_; }

private:
    std::map<std::string, std::string> files_;
    std::set<std::string> directories_;
    std::set<std::string> open_;
    PathMatch failCreate_;
    SystemError createError_ = kPathNotFound;
    SystemError lastError_ = kNoError;
    PathMatch appear_;
    std::string appearContent_;
    bool shortWrite_ = false;
    bool failClose_ = false;
    bool failReplace_ = false;
    bool failBodyFileCreate_ = false;
    bool failRandomName_ = false;
    unsigned randomNames_ = 0;
    int failAppendAt_ = 0;
    int failReadAt_ = 0;
    int appends_ = 0;
    int reads_ = 0;
    int bodyFilesOpen_ = 0;
    std::vector<std::string> calls_;
};

}  // namespace kestrune::testing

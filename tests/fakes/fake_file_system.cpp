#include "fakes/fake_file_system.h"

#include "fakes/breach.h"

namespace kestrune::testing {

namespace {

class FakeOutputFile : public OutputFile {
public:
    FakeOutputFile(FakeFileSystem& system, std::string path) : system_(system), path_(std::move(path)) {}

    bool WriteAll(const char* data, std::size_t size) override {
        if (closed_) ReportBreach("write to closed file " + path_);
        return system_.Write(path_, data, size) || Failed(kDiskFull);
    }

    bool Close() override {
        if (closed_) ReportBreach("file closed twice: " + path_);
        closed_ = true;
        return system_.Close(path_) || Failed(kSharingViolation);
    }

    SystemError LastError() const override { return lastError_; }

private:
    bool Failed(SystemError error) {
        lastError_ = error;
        return false;
    }

    FakeFileSystem& system_;
    std::string path_;
    bool closed_ = false;
    SystemError lastError_ = kNoError;
};

class FakeBodyFile : public BodyFile {
public:
    explicit FakeBodyFile(FakeFileSystem& system) : system_(system) {}
    FakeBodyFile(const FakeBodyFile&) = delete;
    FakeBodyFile& operator=(const FakeBodyFile&) = delete;
    ~FakeBodyFile() override { system_.BodyFileClosed(); }

    bool Append(const char* data, std::size_t size) override {
        if (broken_) ReportBreach("append to a body file after a failed append");
        if (!system_.AppendAllowed()) {
            bytes_.append(data, size / 2);
            broken_ = true;
            return false;
        }
        bytes_.append(data, size);
        return true;
    }

    bool Read(std::int64_t offset, std::size_t size, char* dest) override {
        if (offset < 0 || static_cast<std::uint64_t>(offset) + size > bytes_.size())
            ReportBreach("body file read past the bytes appended");
        if (!system_.ReadAllowed()) return false;
        bytes_.copy(dest, size, static_cast<std::size_t>(offset));
        return true;
    }

private:
    FakeFileSystem& system_;
    std::string bytes_;
    bool broken_ = false;
};

}  // namespace

FakeFileSystem::~FakeFileSystem() {
    for (const auto& path : open_) ReportBreach("file left open: " + path);
    if (bodyFilesOpen_ != 0) ReportBreach("body file outlives the file system");
}

std::unique_ptr<BodyFile> FakeFileSystem::CreateBodyFile() {
    calls_.push_back("CreateBodyFile()");
    if (failBodyFileCreate_) return nullptr;
    ++bodyFilesOpen_;
    return std::make_unique<FakeBodyFile>(*this);
}

void FakeFileSystem::AppearBeforeCreate(PathMatch match, std::string content) {
    appear_ = std::move(match);
    appearContent_ = std::move(content);
}

bool FakeFileSystem::IsFile(const FilePath& filePath) {
    const std::string& path = filePath.text;
    calls_.push_back("IsFile(" + path + ")");
    return files_.count(path) != 0;
}

CreateOutcome FakeFileSystem::CreateNew(const FilePath& filePath, std::unique_ptr<OutputFile>& file) {
    const std::string& path = filePath.text;
    calls_.push_back("CreateNew(" + path + ")");
    file.reset();
    if (appear_ && appear_(path) && files_.count(path) == 0) files_[path] = appearContent_;
    // Like the real systems: an exclusive create onto a directory reports that
    // something exists there.
    if (directories_.count(path) != 0 || files_.count(path) != 0) {
        lastError_ = kFileExists;
        return CreateOutcome::AlreadyExists;
    }
    if (failCreate_ && failCreate_(path)) {
        lastError_ = createError_;
        return CreateOutcome::Failed;
    }
    files_[path];
    open_.insert(path);
    file = std::make_unique<FakeOutputFile>(*this, path);
    return CreateOutcome::Created;
}

bool FakeFileSystem::Write(const std::string& path, const char* data, std::size_t size) {
    calls_.push_back("Write(" + path + "," + std::to_string(size) + ")");
    if (shortWrite_) {
        files_[path].append(data, size / 2);
        return false;
    }
    files_[path].append(data, size);
    return true;
}

bool FakeFileSystem::Close(const std::string& path) {
    calls_.push_back("Close(" + path + ")");
    open_.erase(path);
    return !failClose_;
}

bool FakeFileSystem::Replace(const FilePath& fromPath, const FilePath& toPath) {
    const std::string& from = fromPath.text;
    const std::string& to = toPath.text;
    calls_.push_back("Replace(" + from + "," + to + ")");
    if (open_.count(from) != 0) ReportBreach("replace from an open file: " + from);
    if (open_.count(to) != 0) ReportBreach("replace onto an open file: " + to);
    if (failReplace_ || files_.count(from) == 0 || directories_.count(to) != 0) {
        lastError_ = kAccessDenied;
        return false;
    }
    files_[to] = files_[from];
    files_.erase(from);
    return true;
}

void FakeFileSystem::Remove(const FilePath& filePath) {
    const std::string& path = filePath.text;
    calls_.push_back("Remove(" + path + ")");
    if (open_.count(path) != 0) ReportBreach("remove of an open file: " + path);
    files_.erase(path);
}

bool FakeFileSystem::RandomName(std::string& name) {
    calls_.push_back("RandomName()");
    if (failRandomName_) {
        lastError_ = kAccessDenied;
        return false;
    }
    const std::string number = std::to_string(++randomNames_);
    name = std::string(kRandomNameDigits - number.size(), '0') + number;
    return true;
}

}  // namespace kestrune::testing

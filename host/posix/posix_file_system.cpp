#include "host/posix/posix_file_system.h"

#include "host/posix/posix_body_file.h"

#include "base/ascii.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrune {

namespace {

// The Windows error code that stands for errno's value, as a page reads it.
SystemError FromErrno(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return kPathNotFound;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return kAccessDenied;
        case EBUSY:
        case ETXTBSY:
            return kSharingViolation;
        case EEXIST:
            return kFileExists;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return kDiskFull;
        case EINVAL:
        case EILSEQ:
            return kInvalidName;
        case ENAMETOOLONG:
            return kNameTooLong;
        default:
            return 1117;  // ERROR_IO_DEVICE
    }
}

class PosixOutputFile : public OutputFile {
public:
    explicit PosixOutputFile(int descriptor) : descriptor_(descriptor) {}
    PosixOutputFile(const PosixOutputFile&) = delete;
    PosixOutputFile& operator=(const PosixOutputFile&) = delete;
    ~PosixOutputFile() override {
        if (descriptor_ >= 0) ::close(descriptor_);
    }

    bool WriteAll(const char* data, std::size_t size) override {
        while (size > 0) {
            const ssize_t written = ::write(descriptor_, data, size);
            if (written < 0) {
                if (errno == EINTR) continue;
                return Failed(FromErrno(errno));
            }
            if (written == 0) return Failed(kDiskFull);
            data += written;
            size -= static_cast<std::size_t>(written);
        }
        return true;
    }

    bool Close() override {
        const int descriptor = descriptor_;
        descriptor_ = -1;
        // close() may report a delayed write error (NFS, quota); EINTR still frees it.
        return (descriptor >= 0 && ::close(descriptor) == 0) || Failed(FromErrno(errno));
    }

    SystemError LastError() const override { return lastError_; }

private:
    bool Failed(SystemError error) {
        lastError_ = error;
        return false;
    }

    int descriptor_;
    SystemError lastError_ = kNoError;
};

}  // namespace

bool PosixFileSystem::IsFile(const FilePath& path) {
    struct stat status {};
    return ::stat(path.text.c_str(), &status) == 0 && !S_ISDIR(status.st_mode);
}

CreateOutcome PosixFileSystem::CreateNew(const FilePath& path, std::unique_ptr<OutputFile>& file) {
    file.reset();
    int descriptor;
    do {
        descriptor = ::open(path.text.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0) {
        lastError_ = FromErrno(errno);
        return errno == EEXIST ? CreateOutcome::AlreadyExists : CreateOutcome::Failed;
    }
    // Advisory only, but keeps a second cooperating writer out while the bytes go in.
    ::flock(descriptor, LOCK_EX | LOCK_NB);
    try {
        file = std::make_unique<PosixOutputFile>(descriptor);
    } catch (...) {
        ::close(descriptor);
        ::unlink(path.text.c_str());
        throw;
    }
    return CreateOutcome::Created;
}

bool PosixFileSystem::Replace(const FilePath& from, const FilePath& to) {
    struct stat status {};
    if (::stat(to.text.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode) || (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
            lastError_ = kAccessDenied;
            return false;
        }
        // The replaced file keeps its permissions, as it keeps its access list on Windows.
        ::chmod(from.text.c_str(), status.st_mode & 07777);
    }
    if (std::rename(from.text.c_str(), to.text.c_str()) == 0) return true;
    lastError_ = FromErrno(errno);
    return false;
}

void PosixFileSystem::Remove(const FilePath& path) { ::unlink(path.text.c_str()); }

std::unique_ptr<BodyFile> PosixFileSystem::CreateBodyFile() { return CreatePosixBodyFile(); }

bool PosixFileSystem::RandomName(std::string& name) {
    char bits[kRandomNameDigits / 2];
    ssize_t got;
    do {
        got = ::getrandom(bits, sizeof bits, 0);
    } while (got < 0 && errno == EINTR);
    if (got != static_cast<ssize_t>(sizeof bits)) {
        lastError_ = got < 0 ? FromErrno(errno) : kAccessDenied;
        return false;
    }
    name = LowerHex({bits, sizeof bits});
    return true;
}

}  // namespace kestrune

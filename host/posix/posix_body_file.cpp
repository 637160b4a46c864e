#include "host/posix/posix_body_file.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace kestrune {

namespace {

class PosixBodyFile final : public BodyFile {
public:
    explicit PosixBodyFile(int descriptor) : descriptor_(descriptor) {}
    PosixBodyFile(const PosixBodyFile&) = delete;
    PosixBodyFile& operator=(const PosixBodyFile&) = delete;
    ~PosixBodyFile() override { ::close(descriptor_); }

    bool Append(const char* data, std::size_t size) override {
        while (size > 0) {
            const ssize_t written = ::write(descriptor_, data, size);
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) return false;
            data += written;
            size -= static_cast<std::size_t>(written);
        }
        return true;
    }

    bool Read(std::int64_t offset, std::size_t size, char* dest) override {
        while (size > 0) {
            const ssize_t got = ::pread(descriptor_, dest, size, static_cast<off_t>(offset));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return false;
            dest += got;
            offset += got;
            size -= static_cast<std::size_t>(got);
        }
        return true;
    }

private:
    int descriptor_;
};

// A named file, unlinked at once, where the file system has no anonymous ones.
int OpenUnlinked(const std::string& folder) {
    std::string name = folder + "/kestrune-body-XXXXXX";
    const int descriptor = ::mkostemp(&name[0], O_CLOEXEC);
    if (descriptor >= 0) ::unlink(name.c_str());
    return descriptor;
}

}  // namespace

std::unique_ptr<BodyFile> CreatePosixBodyFile() {
    const char* variable = std::getenv("TMPDIR");
    const std::string folder = variable != nullptr && *variable != '\0' ? variable : "/tmp";
    int descriptor = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_EXCL | O_CLOEXEC, 0600);
    if (descriptor < 0) descriptor = OpenUnlinked(folder);
    if (descriptor < 0) return nullptr;
    return PosixBodyFileOf(descriptor);
}

std::unique_ptr<BodyFile> PosixBodyFileOf(int descriptor) {
    try {
        return std::make_unique<PosixBodyFile>(descriptor);
    } catch (...) {
        ::close(descriptor);
        throw;
    }
}

}  // namespace kestrune

// FileSystem over POSIX calls, for running the core on Linux.
#pragma once

#include "host/file_system.h"

namespace kestrune {

class PosixFileSystem : public FileSystem {
public:
    bool IsFile(const FilePath& path) override;
    CreateOutcome CreateNew(const FilePath& path, std::unique_ptr<OutputFile>& file) override;
    // Refuses a target that is a directory or carries no write permission bit, so a
    // read-only file stays as it is even for root, as it would on Windows. The new file
    // takes the permission bits of the one it replaces.
    bool Replace(const FilePath& from, const FilePath& to) override;
    void Remove(const FilePath& path) override;
    std::unique_ptr<BodyFile> CreateBodyFile() override;
    bool RandomName(std::string& name) override;
    SystemError LastError() const override { return lastError_; }

private:
    SystemError lastError_ = kNoError;
};

}  // namespace kestrune

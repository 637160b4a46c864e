// FileSystem over POSIX calls, for running the core on Linux.
#pragma once

#include "host/file_system.h"

namespace kestrune {

class PosixFileSystem : public FileSystem {
public:
    bool IsFile(const std::string& path) override;
    CreateOutcome CreateNew(const std::string& path, std::unique_ptr<OutputFile>& file) override;
    // Refuses a target that is a directory or carries no write permission bit, so a
    // read-only file stays as it is even for root, as it would on Windows. The new file
    // takes the permission bits of the one it replaces.
    bool Replace(const std::string& from, const std::string& to) override;
    void Remove(const std::string& path) override;
    std::unique_ptr<BodyFile> CreateBodyFile() override;
};

}  // namespace kestrune

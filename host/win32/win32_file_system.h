// SaveFile's file operations over the Win32 file functions. A path in the system's code
// page goes through the ANSI functions; a UTF-8 one through the wide ones, so that any
// name the file system holds can be written. Either way targets keep the length limit of
// a path without the "\\?\" form (the wide functions are held to the one the ANSI ones
// keep, unless the page wrote the path in that form); paths are used as given, and targets that
// Windows would redirect (device names, trailing dots) are refused earlier, by the core's
// target check. The temporary file of a replacement, and the replacement itself, use the
// wide functions on the full "\\?\" path, so that a temporary name longer than the
// target's never fails where the target could be written.
#pragma once

#include "host/file_system.h"

namespace kestrune {

class Win32FileSystem final : public FileSystem {
public:
    bool IsFile(const FilePath& path) override;
    CreateOutcome CreateNew(const FilePath& path, std::unique_ptr<OutputFile>& file) override;
    CreateOutcome CreateTemporary(const FilePath& path, std::unique_ptr<OutputFile>& file) override;
    bool Replace(const FilePath& from, const FilePath& to) override;
    void Remove(const FilePath& path) override;
    std::unique_ptr<BodyFile> CreateBodyFile() override;
    bool RandomName(std::string& name) override;
    SystemError LastError() const override { return lastError_; }

private:
    bool Failed(SystemError error);

    SystemError lastError_ = kNoError;
};

}  // namespace kestrune

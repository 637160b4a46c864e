// SaveFile's file operations over the Win32 file functions. Paths are in the path code
// page: under CP_ACP, targets go through the ANSI functions; under CP_UTF8, through the
// wide ones, so that any name the file system holds can be written. Either way targets
// keep the length limit of a path without the "\\?\" form; paths are used as given, and targets that
// Windows would redirect (device names, trailing dots) are refused earlier, by the core's
// target check. The temporary file of a replacement, and the replacement itself, use the
// wide functions on the full "\\?\" path, so that a temporary name longer than the
// target's never fails where the target could be written.
#pragma once

#include "host/file_system.h"

namespace kestrune {

class Win32FileSystem final : public FileSystem {
public:
    // CP_ACP (0, the default) or CP_UTF8; it applies from the next call on.
    void UsePathCodePage(unsigned codePage) { pathCodePage_ = codePage; }

    bool IsFile(const std::string& path) override;
    CreateOutcome CreateNew(const std::string& path, std::unique_ptr<OutputFile>& file) override;
    CreateOutcome CreateTemporary(const std::string& path, std::unique_ptr<OutputFile>& file) override;
    bool Replace(const std::string& from, const std::string& to) override;
    void Remove(const std::string& path) override;
    std::unique_ptr<BodyFile> CreateBodyFile() override;

private:
    unsigned pathCodePage_ = 0;
};

}  // namespace kestrune

// SaveFile's file operations over the Win32 ANSI file functions. Paths are used as given;
// targets that Windows would redirect (device names, trailing dots) are refused earlier,
// by the core's target check.
#pragma once

#include "host/file_system.h"

namespace kestrune {

class Win32FileSystem final : public FileSystem {
public:
    bool IsFile(const std::string& path) override;
    CreateOutcome CreateNew(const std::string& path, std::unique_ptr<OutputFile>& file) override;
    bool Replace(const std::string& from, const std::string& to) override;
    void Remove(const std::string& path) override;
};

}  // namespace kestrune

// MemoryFileSystem: files as path -> bytes, for the intake target's saves. Aborts when a
// file is written after closing, closed twice, or replaced or removed while open.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>

#include "host/file_system.h"

namespace kestrune::fuzz {

class MemoryFileSystem : public FileSystem {
public:
    // WriteAll then keeps half the bytes and reports failure.
    void FailWrites(bool on) { failWrites_ = on; }
    const std::map<std::string, std::string>& Files() const { return files_; }
    bool AnyOpen() const { return !open_.empty(); }

    bool IsFile(const std::string& path) override { return files_.count(path) != 0; }
    CreateOutcome CreateNew(const std::string& path, std::unique_ptr<OutputFile>& file) override;
    bool Replace(const std::string& from, const std::string& to) override;
    void Remove(const std::string& path) override;

    bool Write(const std::string& path, const char* data, std::size_t size);
    void Close(const std::string& path);

private:
    std::map<std::string, std::string> files_;
    std::set<std::string> open_;
    bool failWrites_ = false;
};

}  // namespace kestrune::fuzz

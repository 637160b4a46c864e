#include "memory_file_system.h"

#include "fuzz_check.h"

namespace kestrune::fuzz {
namespace {

class MemoryFile final : public OutputFile {
public:
    MemoryFile(MemoryFileSystem& system, std::string path) : system_(system), path_(std::move(path)) {}
    bool WriteAll(const char* data, std::size_t size) override {
        FUZZ_CHECK(!closed_, "write to a closed file");
        return system_.Write(path_, data, size);
    }
    bool Close() override {
        FUZZ_CHECK(!closed_, "a file closed twice");
        closed_ = true;
        system_.Close(path_);
        return true;
    }

private:
    MemoryFileSystem& system_;
    std::string path_;
    bool closed_ = false;
};

}  // namespace

CreateOutcome MemoryFileSystem::CreateNew(const std::string& path, std::unique_ptr<OutputFile>& file) {
    file.reset();
    if (files_.count(path) != 0) return CreateOutcome::AlreadyExists;
    files_[path];
    open_.insert(path);
    file = std::make_unique<MemoryFile>(*this, path);
    return CreateOutcome::Created;
}

bool MemoryFileSystem::Replace(const std::string& from, const std::string& to) {
    FUZZ_CHECK(open_.count(from) == 0 && open_.count(to) == 0, "replace with an open file");
    auto source = files_.find(from);
    if (source == files_.end()) return false;
    std::string bytes = std::move(source->second);
    files_.erase(source);
    files_[to] = std::move(bytes);
    return true;
}

void MemoryFileSystem::Remove(const std::string& path) {
    FUZZ_CHECK(open_.count(path) == 0, "remove of an open file");
    files_.erase(path);
}

bool MemoryFileSystem::Write(const std::string& path, const char* data, std::size_t size) {
    if (failWrites_) {
        files_[path].append(data, size / 2);
        return false;
    }
    files_[path].append(data, size);
    return true;
}

void MemoryFileSystem::Close(const std::string& path) { open_.erase(path); }

}  // namespace kestrune::fuzz

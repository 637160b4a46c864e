#include "host/win32/win32_file_system.h"

#include <windows.h>

#include <algorithm>

namespace kestrune {

namespace {

// A single WriteFile moves at most this much, well inside the DWORD count.
constexpr std::size_t kWriteChunk = 64u * 1024u * 1024u;

class Win32OutputFile final : public OutputFile {
public:
    explicit Win32OutputFile(HANDLE handle) : handle_(handle) {}
    ~Win32OutputFile() override {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }

    bool WriteAll(const char* data, std::size_t size) override {
        while (size > 0) {
            const DWORD chunk = static_cast<DWORD>(std::min(size, kWriteChunk));
            DWORD written = 0;
            if (!WriteFile(handle_, data, chunk, &written, nullptr) || written != chunk) return false;
            data += chunk;
            size -= chunk;
        }
        return true;
    }

    bool Close() override {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return CloseHandle(handle) != FALSE;
    }

private:
    HANDLE handle_;
};

}  // namespace

bool Win32FileSystem::IsFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

CreateOutcome Win32FileSystem::CreateNew(const std::string& path, std::unique_ptr<OutputFile>& file) {
    file.reset();
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) ? CreateOutcome::AlreadyExists
                                                                             : CreateOutcome::Failed;
    }
    file = std::make_unique<Win32OutputFile>(handle);
    return CreateOutcome::Created;
}

bool Win32FileSystem::Replace(const std::string& from, const std::string& to) {
    // Windows refuses to replace a read-only file; some file systems would not, so the
    // rule is kept here rather than left to the platform.
    const DWORD attributes = GetFileAttributesA(to.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) return false;
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

void Win32FileSystem::Remove(const std::string& path) { DeleteFileA(path.c_str()); }

}  // namespace kestrune

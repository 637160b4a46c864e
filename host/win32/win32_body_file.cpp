#include "host/win32/win32_body_file.h"

#include <windows.h>
#include <ntsecapi.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace kestrune {

namespace {

// A single ReadFile or WriteFile moves at most this much, well inside the DWORD count.
constexpr std::size_t kTransferChunk = 64u * 1024u * 1024u;

// Names tried before giving up; a collision with 64 random bits is all but impossible,
// so more than one try means the folder answers oddly.
constexpr int kNameAttempts = 8;

OVERLAPPED At(std::int64_t offset) {
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset) & 0xFFFFFFFFu);
    position.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
    return position;
}

class Win32BodyFile final : public BodyFile {
public:
    explicit Win32BodyFile(HANDLE handle) : handle_(handle) {}
    Win32BodyFile(const Win32BodyFile&) = delete;
    Win32BodyFile& operator=(const Win32BodyFile&) = delete;
    ~Win32BodyFile() override { CloseHandle(handle_); }

    bool Append(const char* data, std::size_t size) override {
        const bool written = Transfer(size_, size, data, WriteFile);
        if (written) size_ += static_cast<std::int64_t>(size);
        return written;
    }

    bool Read(std::int64_t offset, std::size_t size, char* dest) override {
        return Transfer(offset, size, dest, ReadFile);
    }

private:
    // Moves size bytes between bytes and the file at offset, in calls of at most
    // kTransferChunk. Both directions give the offset explicitly, so neither depends on
    // where the other left the file pointer.
    template <typename Byte, typename Call>
    bool Transfer(std::int64_t offset, std::size_t size, Byte* bytes, Call call) {
        while (size > 0) {
            const DWORD chunk = static_cast<DWORD>(std::min(size, kTransferChunk));
            OVERLAPPED position = At(offset);
            DWORD moved = 0;
            if (!call(handle_, bytes, chunk, &moved, &position) || moved != chunk) return false;
            offset += chunk;
            bytes += chunk;
            size -= chunk;
        }
        return true;
    }

    HANDLE handle_;
    std::int64_t size_ = 0;
};

std::wstring TemporaryFolder() {
    const DWORD size = GetTempPathW(0, nullptr);
    if (size == 0) return {};
    std::wstring folder(size, L'\0');
    const DWORD length = GetTempPathW(size, &folder[0]);
    if (length == 0 || length >= size) return {};
    folder.resize(length);
    return folder;
}

bool RandomName(std::wstring& name) {
    unsigned long long bits = 0;
    if (!RtlGenRandom(&bits, sizeof bits)) return false;
    wchar_t text[32];
    std::swprintf(text, 32, L"kst%016llx.tmp", bits);
    name = text;
    return true;
}

}  // namespace

std::unique_ptr<BodyFile> CreateWin32BodyFile() {
    const std::wstring folder = TemporaryFolder();
    if (folder.empty()) return nullptr;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::wstring name;
        if (!RandomName(name)) return nullptr;
        const HANDLE handle =
            CreateFileW((folder + name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            try {
                return std::make_unique<Win32BodyFile>(handle);
            } catch (...) {
                CloseHandle(handle);
                throw;
            }
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return nullptr;
    }
    return nullptr;
}

}  // namespace kestrune

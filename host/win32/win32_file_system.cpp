#include "host/win32/win32_file_system.h"

#include <windows.h>
#include <ntsecapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/ascii.h"
#include "host/win32/win32_body_file.h"

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
            if (!WriteFile(handle_, data, chunk, &written, nullptr)) return Failed(GetLastError());
            // A write that takes fewer bytes than it was given found no room for them.
            if (written != chunk) return Failed(ERROR_DISK_FULL);
            data += chunk;
            size -= chunk;
        }
        return true;
    }

    bool Close() override {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return CloseHandle(handle) != FALSE || Failed(GetLastError());
    }

    SystemError LastError() const override { return lastError_; }

private:
    bool Failed(DWORD error) {
        lastError_ = error;
        return false;
    }

    HANDLE handle_;
    SystemError lastError_ = kNoError;
};

UINT CodePageOf(const FilePath& path) { return path.encoding == PathEncoding::Utf8 ? CP_UTF8 : CP_ACP; }

bool HasPrefix(const std::wstring& path, const wchar_t* prefix) { return path.compare(0, 4, prefix) == 0; }

// The path as UTF-16, for the wide functions.
std::wstring Wide(const FilePath& path) {
    const std::string& text = path.text;
    const UINT codePage = CodePageOf(path);
    const int units =
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    if (units > 0)
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], units);
    return wide;
}

// A UTF-8 target for the wide functions, held to the length the ANSI functions take
// (MAX_PATH with its NUL, as given and made full); empty where it is longer. A page that
// wants a longer path writes it in the "\\?\" form, which the ANSI functions never see.
std::wstring WideTarget(const FilePath& path) {
    std::wstring wide = Wide(path);
    if (HasPrefix(wide, L"\\\\?\\")) return wide;
    if (wide.size() >= MAX_PATH) return std::wstring();
    const DWORD full = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (full > MAX_PATH) return std::wstring();
    return wide;
}

// The path as the wide functions take it at any length: "\\?\" before the full path,
// made as the ANSI functions would make it. Only the temporary file, whose name the
// component chooses, may need the length; targets keep the limit.
std::wstring LongForm(const FilePath& path) {
    const std::wstring wide = Wide(path);
    if (HasPrefix(wide, L"\\\\?\\") || HasPrefix(wide, L"\\\\.\\")) return wide;
    const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0) return wide;
    std::wstring full(size, L'\0');
    full.resize(GetFullPathNameW(wide.c_str(), size, &full[0], nullptr));
    if (HasPrefix(full, L"\\\\?\\") || HasPrefix(full, L"\\\\.\\")) return full;
    if (full.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

// Attributes that Windows refuses to open with create-always, or that mark a file not
// to be replaced; such a target stays as it is.
constexpr DWORD kUnreplaceable =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;

// Attributes that say how the file is to be treated, whatever its contents. The archive
// attribute is not among them: new contents always await a backup.
constexpr DWORD kCarriedAttributes = FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_TEMPORARY;

// Gives the new file at from the access list, creation time and attributes of the file
// at to, before it takes that file's place. ReplaceFileW does this itself on Windows;
// doing it first keeps them where a ReplaceFileW does less, or where the plain move
// below has to stand in for it.
void CarryOver(const WIN32_FILE_ATTRIBUTE_DATA& existing, const std::wstring& to, const std::wstring& from) {
    DWORD needed = 0;
    GetFileSecurityW(to.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
    if (needed > 0) {
        std::vector<unsigned char> descriptor(needed);
        if (GetFileSecurityW(to.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), needed, &needed)) {
            SetFileSecurityW(from.c_str(), DACL_SECURITY_INFORMATION, descriptor.data());
        }
    }
    const HANDLE file =
        CreateFileW(from.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        SetFileTime(file, &existing.ftCreationTime, nullptr, nullptr);
        CloseHandle(file);
    }
    SetFileAttributesW(from.c_str(),
                       FILE_ATTRIBUTE_ARCHIVE | (existing.dwFileAttributes & kCarriedAttributes));
}

// Failures that leave both files as they were and that a plain move would meet as well.
bool RefusedByTheTarget(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
           error == ERROR_LOCK_VIOLATION || error == ERROR_USER_MAPPED_FILE ||
           error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

// Whether the file could be deleted now, as replacing it needs. Asked before
// ReplaceFileW, because some versions of it leave a file of their own behind when
// another handle holds the target.
bool CanBeDeleted(const std::wstring& path) {
    const HANDLE file =
        CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

bool Move(const std::wstring& from, const std::wstring& to) {
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

// What an exclusive create (CREATE_NEW) came to; on Created, file owns the handle, and
// otherwise error says why.
CreateOutcome TakeNewFile(HANDLE handle, std::unique_ptr<OutputFile>& file, SystemError& error) {
    if (handle == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
            error = ERROR_FILE_EXISTS;
            return CreateOutcome::AlreadyExists;
        }
        return CreateOutcome::Failed;
    }
    file = std::make_unique<Win32OutputFile>(handle);
    return CreateOutcome::Created;
}

}  // namespace

bool Win32FileSystem::IsFile(const FilePath& path) {
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    if (path.encoding == PathEncoding::System) {
        attributes = GetFileAttributesA(path.text.c_str());
    } else if (const std::wstring wide = WideTarget(path); !wide.empty()) {
        attributes = GetFileAttributesW(wide.c_str());
    }
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

CreateOutcome Win32FileSystem::CreateNew(const FilePath& path, std::unique_ptr<OutputFile>& file) {
    file.reset();
    const DWORD access = GENERIC_READ | GENERIC_WRITE;
    if (path.encoding == PathEncoding::System) {
        return TakeNewFile(
            CreateFileA(path.text.c_str(), access, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr),
            file, lastError_);
    }
    const std::wstring wide = WideTarget(path);
    if (wide.empty()) {
        lastError_ = ERROR_FILENAME_EXCED_RANGE;  // what the ANSI functions say of such a path
        return CreateOutcome::Failed;
    }
    return TakeNewFile(
        CreateFileW(wide.c_str(), access, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr), file,
        lastError_);
}

CreateOutcome Win32FileSystem::CreateTemporary(const FilePath& path, std::unique_ptr<OutputFile>& file) {
    file.reset();
    return TakeNewFile(CreateFileW(LongForm(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                   CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr),
                       file, lastError_);
}

bool Win32FileSystem::Replace(const FilePath& from, const FilePath& to) {
    const std::wstring source = LongForm(from);
    const std::wstring target = LongForm(to);
    WIN32_FILE_ATTRIBUTE_DATA existing{};
    if (!GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &existing)) {
        // Gone since the caller looked: the new file takes the free name.
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) return Failed(error);
        return Move(source, target) || Failed(GetLastError());
    }
    // Some file systems would replace these; Windows would not open them for
    // create-always, so the rule is kept here rather than left to the file system.
    if ((existing.dwFileAttributes & kUnreplaceable) != 0) return Failed(ERROR_ACCESS_DENIED);
    if (!CanBeDeleted(target)) return Failed(GetLastError());
    CarryOver(existing, target, source);
    if (ReplaceFileW(target.c_str(), source.c_str(), nullptr, 0, nullptr, nullptr)) return true;
    // Where ReplaceFileW cannot work (a file system without its support, a path too long
    // for its own temporary name), the move puts the new file, which already carries
    // what the old one had, in its place.
    const DWORD error = GetLastError();
    if (RefusedByTheTarget(error)) return Failed(error);
    return Move(source, target) || Failed(GetLastError());
}

bool Win32FileSystem::Failed(SystemError error) {
    lastError_ = error;
    return false;
}

void Win32FileSystem::Remove(const FilePath& path) { DeleteFileW(LongForm(path).c_str()); }

std::unique_ptr<BodyFile> Win32FileSystem::CreateBodyFile() { return CreateWin32BodyFile(); }

bool Win32FileSystem::RandomName(std::string& name) {
    char bits[kRandomNameDigits / 2];
    if (!RtlGenRandom(bits, sizeof bits)) return Failed(GetLastError());
    name = LowerHex({bits, sizeof bits});
    return true;
}

}  // namespace kestrune

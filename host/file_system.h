// The few file operations SaveFile and request intake need. A path is narrow text in the
// encoding it carries, used exactly as given: never normalised, made absolute, or created
// as directories.
#pragma once

#include <cstddef>
#include <memory>
#include <cstdint>
#include <string>
#include <utility>

#include "host/body_file.h"

namespace kestrune {

// How a path's bytes are read: in the system's ANSI code page, or as UTF-8.
// Why a file operation failed, as a Windows error code on every platform: the number a
// page reads as LastSaveError and looks up in the system's message table.
using SystemError = std::uint32_t;
inline constexpr SystemError kNoError = 0;
inline constexpr SystemError kFileNotFound = 2;  // ERROR_FILE_NOT_FOUND
inline constexpr SystemError kPathNotFound = 3;  // ERROR_PATH_NOT_FOUND: no such folder
inline constexpr SystemError kAccessDenied = 5;  // ERROR_ACCESS_DENIED, read-only included
inline constexpr SystemError kSharingViolation = 32;
inline constexpr SystemError kFileExists = 80;    // ERROR_FILE_EXISTS
inline constexpr SystemError kDiskFull = 112;     // ERROR_DISK_FULL
inline constexpr SystemError kInvalidName = 123;  // ERROR_INVALID_NAME: devices, trailing dots, NUL
inline constexpr SystemError kNameTooLong = 206;  // ERROR_FILENAME_EXCED_RANGE

enum class PathEncoding : std::uint8_t { System, Utf8 };

struct FilePath {
    // Implicit, so that a plain string stays a path in the system's code page.
    FilePath(std::string text, PathEncoding encoding = PathEncoding::System)  // NOLINT
        : text(std::move(text)), encoding(encoding) {}
    FilePath(const char* text) : text(text) {}  // NOLINT

    std::string text;
    PathEncoding encoding = PathEncoding::System;
};

class OutputFile {
public:
    virtual ~OutputFile() = default;

    // Writes all size bytes; false when fewer could be written.
    virtual bool WriteAll(const char* data, std::size_t size) = 0;

    // Flushes and closes; false when the file could not be completed. Called once.
    virtual bool Close() = 0;

    // The reason for the last WriteAll or Close that failed.
    virtual SystemError LastError() const = 0;
};

inline constexpr std::size_t kRandomNameDigits = 32;  // 128 bits

enum class CreateOutcome { Created, AlreadyExists, Failed };

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // True when something exists at path and it is not a directory.
    virtual bool IsFile(const FilePath& path) = 0;

    // Creates a new file only if nothing exists at path at this moment (exclusive
    // create), opened for writing without sharing. On Created, file holds it;
    // AlreadyExists when anything, a directory included, is at path.
    virtual CreateOutcome CreateNew(const FilePath& path, std::unique_ptr<OutputFile>& file) = 0;

    // CreateNew for a file that only Replace puts in place. Its name is the caller's,
    // not the page's, so where targets have a length limit this path need not keep it.
    virtual CreateOutcome CreateTemporary(const FilePath& path, std::unique_ptr<OutputFile>& file) {
        return CreateNew(path, file);
    }

    // Puts the closed file at from in place of the file at to (both in to's encoding), in one step. The file at to
    // keeps what marks it apart from its contents (access rights, attributes, creation
    // time) where the platform has them. False, with both files as they were, for a
    // target that may not be replaced: read-only, and on Windows hidden or system too.
    virtual bool Replace(const FilePath& from, const FilePath& to) = 0;

    // Removes the file at path; a missing file is no error.
    virtual void Remove(const FilePath& path) = 0;

    // A new, empty body file in the temporary folder; null when none can be made.
    virtual std::unique_ptr<BodyFile> CreateBodyFile() = 0;

    // A name for a file that nobody may guess: kRandomNameDigits lower-case hexadecimal
    // digits from the system's cryptographic random generator. False when it fails.
    virtual bool RandomName(std::string& name) = 0;

    // The reason for the last CreateNew or CreateTemporary that did not create (for
    // AlreadyExists, kFileExists), Replace or RandomName that failed.
    virtual SystemError LastError() const = 0;
};

}  // namespace kestrune

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
};

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
};

}  // namespace kestrune

// BodyFile: where a large request body is kept instead of memory. Written once from the
// start (appends only), then read at any offset. Private to the process, and gone when
// the object that owns it is destroyed, or when the process ends in any way.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrune {

class BodyFile {
public:
    virtual ~BodyFile() = default;

    // Writes size bytes after those already appended; false when not all of them went in
    // (the file's contents past the bytes appended before are then unknown).
    virtual bool Append(const char* data, std::size_t size) = 0;

    // Copies size bytes from offset into dest; false when they cannot all be read. Only
    // appended bytes may be asked for.
    virtual bool Read(std::int64_t offset, std::size_t size, char* dest) = 0;
};

}  // namespace kestrune

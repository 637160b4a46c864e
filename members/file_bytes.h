// FileBytes: one file's range of the body, read a few bytes at a time at any offset in
// it, through the body's window. What the type and image-size readers look at: they read
// headers only, so a file in a body file costs them a window's load or a few, never the
// file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "multipart/body_window.h"

namespace kestrune {

class FileBytes {
public:
    // The size bytes from offset of body (all within its Size()).
    FileBytes(BodyWindow& body, std::size_t offset, std::size_t size)
        : body_(body), offset_(offset), size_(size) {}

    std::size_t Size() const { return size_; }

    // Copies count bytes from at into dest; false, with nothing copied, when they are
    // not all within the file. Throws what the window throws.
    bool Read(std::size_t at, std::size_t count, unsigned char* dest);

    // Up to count bytes from at: fewer at the file's end, none past it.
    std::string Bytes(std::size_t at, std::size_t count);

private:
    BodyWindow& body_;
    std::size_t offset_;
    std::size_t size_;
};

// Unsigned integers of the bytes at p, little- and big-endian.
inline std::uint32_t Le16(const unsigned char* p) { return p[0] | (p[1] << 8u); }
inline std::uint32_t Le24(const unsigned char* p) { return Le16(p) | (std::uint32_t{p[2]} << 16u); }
inline std::uint32_t Le32(const unsigned char* p) { return Le24(p) | (std::uint32_t{p[3]} << 24u); }
inline std::uint32_t Be16(const unsigned char* p) { return (p[0] << 8u) | p[1]; }
inline std::uint32_t Be32(const unsigned char* p) { return (Be16(p) << 16u) | Be16(p + 2); }

}  // namespace kestrune

#include "members/file_bytes.h"

#include <algorithm>
#include <cstring>

namespace kestrune {

bool FileBytes::Read(std::size_t at, std::size_t count, unsigned char* dest) {
    if (at > size_ || count > size_ - at) return false;
    while (count > 0) {
        const std::string_view piece = body_.At(offset_ + at);
        const std::size_t taken = std::min(piece.size(), count);
        std::memcpy(dest, piece.data(), taken);
        dest += taken;
        at += taken;
        count -= taken;
    }
    return true;
}

std::string FileBytes::Bytes(std::size_t at, std::size_t count) {
    if (at >= size_) return std::string();
    std::string bytes(std::min(count, size_ - at), '\0');
    Read(at, bytes.size(), reinterpret_cast<unsigned char*>(&bytes[0]));
    return bytes;
}

}  // namespace kestrune

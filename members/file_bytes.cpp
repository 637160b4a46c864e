#include "members/file_bytes.h"

#include <algorithm>

namespace kestrune {

bool FileBytes::Read(std::size_t at, std::size_t count, unsigned char* dest) {
    if (at > size_ || count > size_ - at) return false;
    if (count > 0) body_.CopyOut(offset_ + at, count, reinterpret_cast<char*>(dest));
    return true;
}

std::string FileBytes::Bytes(std::size_t at, std::size_t count) {
    if (at >= size_) return std::string();
    std::string bytes(std::min(count, size_ - at), '\0');
    Read(at, bytes.size(), reinterpret_cast<unsigned char*>(&bytes[0]));
    return bytes;
}

}  // namespace kestrune

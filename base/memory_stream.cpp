#include "base/memory_stream.h"

#include <cstdint>
#include <cstdlib>
#include <new>

namespace kestrune {

TMemoryStream::~TMemoryStream() { std::free(data_); }

void TMemoryStream::SetSize(std::int64_t size) {
    std::free(data_);
    data_ = nullptr;
    size_ = 0;
    position_ = 0;
    if (size < 0 || static_cast<std::uint64_t>(size) > SIZE_MAX) throw std::bad_alloc();
    if (size == 0) return;
    // calloc hands out zeroed pages lazily for large sizes, so a body that is declared
    // big but arrives short costs no more memory than the bytes actually written.
    data_ = static_cast<char*>(std::calloc(static_cast<std::size_t>(size), 1));
    if (data_ == nullptr) throw std::bad_alloc();
    size_ = size;
}

}  // namespace kestrune

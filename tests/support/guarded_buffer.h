// GuardedBuffer: a read-only copy of some bytes that ends right before an inaccessible
// page, so a parser that reads one byte too far, or writes at all, crashes the test.
#pragma once

#include <cstddef>
#include <string_view>

namespace kestrune {

class GuardedBuffer {
public:
    explicit GuardedBuffer(std::string_view bytes);
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;
    ~GuardedBuffer();

    std::string_view View() const { return {data_, size_}; }

private:
    char* mapping_ = nullptr;
    std::size_t mappingSize_ = 0;
    const char* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace kestrune

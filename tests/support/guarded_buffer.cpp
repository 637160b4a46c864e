#include "support/guarded_buffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <new>
#include <stdexcept>

namespace kestrune {

GuardedBuffer::GuardedBuffer(std::string_view bytes) : size_(bytes.size()) {
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t dataPages = (bytes.size() + page - 1) / page * page;
    mappingSize_ = dataPages + page;
    void* mapping = mmap(nullptr, mappingSize_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) throw std::bad_alloc();
    mapping_ = static_cast<char*>(mapping);
    char* data = mapping_ + dataPages - bytes.size();
    if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
    data_ = data;
    if (mprotect(mapping_ + dataPages, page, PROT_NONE) != 0 ||
        (dataPages > 0 && mprotect(mapping_, dataPages, PROT_READ) != 0)) {
        munmap(mapping_, mappingSize_);
        throw std::runtime_error("mprotect failed");
    }
}

GuardedBuffer::~GuardedBuffer() { munmap(mapping_, mappingSize_); }

}  // namespace kestrune

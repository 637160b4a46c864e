// TMemoryStream: the request body buffer. Sized once, before the first host read, so
// the passes write straight into it and the body is held in memory exactly once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kestrune {

class TMemoryStream {
public:
    TMemoryStream() = default;
    TMemoryStream(const TMemoryStream&) = delete;
    TMemoryStream& operator=(const TMemoryStream&) = delete;
    ~TMemoryStream();

    // Discards the contents, then holds size zero bytes with the position at 0. Throws
    // std::bad_alloc when the memory cannot be had; the stream is then empty.
    void SetSize(std::int64_t size);

    std::int64_t Size() const { return size_; }
    std::int64_t Position() const { return position_; }
    void SetPosition(std::int64_t position) { position_ = position; }

    // Room for writing at the position: Size() - Position() bytes (0 past the end).
    char* WritePointer() { return data_ + position_; }

    std::string_view View() const { return {data_, static_cast<std::size_t>(size_)}; }

private:
    char* data_ = nullptr;
    std::int64_t size_ = 0;
    std::int64_t position_ = 0;
};

}  // namespace kestrune

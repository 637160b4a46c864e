// BodyWindow: the request body as the parser and the file readers see it. A body in
// memory is one window over all of it, so nothing is copied and no call reaches a file.
// A body in a body file is read through a buffer of fixed capacity that moves to where
// it is asked for; the bytes past those in the file (a client that sent less than it
// announced) read as zeros, as they do in a memory body.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "host/body_file.h"

namespace kestrune {

// The text of every failure to read a body back, during intake and after it.
inline constexpr const char* kBodyReadErrorMessage = "Error reading uploaded file or form data.";

class BodyWindow {
public:
    // What the parser reads through: large reads, yet bounded memory for any body.
    static constexpr std::size_t kParseCapacity = 1u << 20;
    // Enough for the header lines of one part.
    static constexpr std::size_t kLineCapacity = 4096;
    // What a long text is read through, beside the parser's own window.
    static constexpr std::size_t kPieceCapacity = 64 * 1024;

    explicit BodyWindow(std::string_view memory) : memory_(memory), size_(memory.size()) {}
    // size bytes, of which the first stored are in file. Throws std::bad_alloc when the
    // buffer cannot be had.
    BodyWindow(BodyFile& file, std::int64_t stored, std::int64_t size, std::size_t capacity);

    // A window of its own over the same body (capacity bounds a body file's buffer).
    BodyWindow Another(std::size_t capacity) const {
        return file_ == nullptr ? BodyWindow(memory_)
                                : BodyWindow(*file_, static_cast<std::int64_t>(stored_),
                                             static_cast<std::int64_t>(size_), capacity);
    }

    std::size_t Size() const { return size_; }
    // The whole body where it is in memory; empty (with a null data pointer) where not.
    std::string_view Memory() const { return memory_; }

    // The bytes from offset (below Size()) to the end of the window that holds them;
    // never empty. Throws EUploadError with kBodyReadErrorMessage when the file fails.
    std::string_view At(std::size_t offset) {
        if (file_ == nullptr) return memory_.substr(offset);
        if (offset < start_ || offset >= start_ + filled_) Load(offset);
        return {buffer_.get() + (offset - start_), filled_ - (offset - start_)};
    }

    // Copies size bytes from offset (all within Size()) into dest, from the file
    // directly; failures as At's.
    void CopyOut(std::size_t offset, std::size_t size, char* dest);

private:
    void Load(std::size_t offset);

    std::string_view memory_;
    std::size_t size_;
    BodyFile* file_ = nullptr;
    std::size_t stored_ = 0;
    std::size_t capacity_ = 0;
    std::unique_ptr<char[]> buffer_;
    std::size_t start_ = 0;   // body offset of the buffer's first byte
    std::size_t filled_ = 0;  // bytes of the body in the buffer
};

}  // namespace kestrune

#include "multipart/body_window.h"

#include <algorithm>
#include <cstring>

#include "base/exceptions.h"

namespace kestrune {

BodyWindow::BodyWindow(BodyFile& file, std::int64_t stored, std::int64_t size, std::size_t capacity)
    : size_(static_cast<std::size_t>(size)),
      file_(&file),
      stored_(static_cast<std::size_t>(std::min(stored, size))),
      capacity_(std::max<std::size_t>(std::min(capacity, size_), 1)),
      buffer_(new char[capacity_]) {}

void BodyWindow::Load(std::size_t offset) {
    filled_ = 0;
    const std::size_t count = std::min(capacity_, size_ - offset);
    CopyOut(offset, count, buffer_.get());
    start_ = offset;
    filled_ = count;
}

void BodyWindow::CopyOut(std::size_t offset, std::size_t size, char* dest) {
    if (size == 0) return;
    if (file_ == nullptr) {
        std::memcpy(dest, memory_.data() + offset, size);
        return;
    }
    const std::size_t fromFile = offset < stored_ ? std::min(size, stored_ - offset) : 0;
    if (fromFile > 0 && !file_->Read(static_cast<std::int64_t>(offset), fromFile, dest))
        throw EUploadError(kBodyReadErrorMessage);
    std::memset(dest + fromFile, 0, size - fromFile);
}

}  // namespace kestrune

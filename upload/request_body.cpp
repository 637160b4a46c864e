#include "upload/request_body.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "base/exceptions.h"
#include "multipart/body_text.h"

namespace kestrune {

namespace {

// Any failure to make the file (an exception included) only means the body stays in memory.
std::unique_ptr<BodyFile> TryCreateBodyFile(FileSystem& fileSystem) {
    try {
        return fileSystem.CreateBodyFile();
    } catch (...) {
        return nullptr;
    }
}

}  // namespace

void RequestBody::Begin(std::int32_t total, std::int64_t threshold, FileSystem& fileSystem) {
    size_ = total;
    if (total >= threshold) file_ = TryCreateBodyFile(fileSystem);
    if (file_) {
        pass_.reset(new char[static_cast<std::size_t>(std::min(total, kPassSize))]);
    } else {
        memory_.SetSize(total);
        memory_.SetPosition(0);
    }
}

char* RequestBody::Room(std::int32_t count) {
    if (!file_) return memory_.WritePointer();
    // The pass buffer starts each pass as the memory body does.
    std::memset(pass_.get(), 0, static_cast<std::size_t>(count));
    return pass_.get();
}

void RequestBody::Commit(std::int32_t delivered) {
    if (!file_) {
        memory_.SetPosition(memory_.Position() + delivered);
        return;
    }
    if (file_->Append(pass_.get(), static_cast<std::size_t>(delivered))) {
        stored_ += delivered;
        return;
    }
    MoveToMemory();
    std::memcpy(memory_.WritePointer(), pass_.get(), static_cast<std::size_t>(delivered));
    memory_.SetPosition(memory_.Position() + delivered);
}

void RequestBody::MoveToMemory() {
    // The file is no longer to be trusted past what it took before: the body moves to
    // memory, sized as it would have been from the start.
    const std::unique_ptr<BodyFile> failed = std::move(file_);
    const std::int32_t stored = std::exchange(stored_, 0);
    memory_.SetSize(size_);
    if (stored > 0 && !failed->Read(0, static_cast<std::size_t>(stored), memory_.WritePointer()))
        throw EUploadError(kBodyReadErrorMessage);
    memory_.SetPosition(stored);
}

void RequestBody::Release() {
    if (!file_) return;
    file_.reset();
    pass_.reset();
    stored_ = 0;
    size_ = 0;
}

BodyWindow RequestBody::Open(std::size_t capacity) const {
    if (file_) return BodyWindow(*file_, stored_, size_, capacity);
    return BodyWindow(memory_.View());
}

void RequestBodyText::Visit(std::int64_t start, std::int64_t end, std::size_t skip, std::size_t length,
                            const std::function<bool(std::string_view)>& visit) const {
    BodyWindow window = body_.Open(BodyWindow::kPieceCapacity);
    VisitBodyText(window, start, end, skip, length, visit);
}

std::unique_ptr<TextReader> RequestBodyText::Open(std::int64_t start, std::int64_t end,
                                                  std::size_t skip) const {
    return OpenBodyText(body_.Open(BodyWindow::kLineCapacity), start, end, skip);
}

}  // namespace kestrune

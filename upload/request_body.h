// RequestBody: the request body, held once. Below the body-file threshold it is one
// buffer sized once, which the passes are read straight into; from the threshold on,
// each pass goes through a pass buffer into a body file, read back through a bounded
// window. When the file fails, the body moves to memory with what the file had, so no
// upload fails for want of the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "base/field_text.h"
#include "base/memory_stream.h"
#include "host/body_file.h"
#include "host/file_system.h"
#include "multipart/body_window.h"

namespace kestrune {

class RequestBody {
public:
    // The most one pass asks the host for.
    static constexpr std::int32_t kPassSize = 102400;

    // Makes room for total bytes: a body file where total reaches threshold and
    // fileSystem can make one, memory otherwise. Throws std::bad_alloc.
    void Begin(std::int32_t total, std::int64_t threshold, FileSystem& fileSystem);

    // Room for the next pass, of at most count bytes (no more than Begin's total in all),
    // which reads as zeros where the host writes nothing.
    char* Room(std::int32_t count);

    // Takes the first delivered bytes of the room Room gave. Throws EUploadError when a
    // failed body file cannot be read back into memory.
    void Commit(std::int32_t delivered);

    // Gives up a body file: nothing will read the body again.
    void Release();

    bool InFile() const { return file_ != nullptr; }
    const TMemoryStream& Memory() const { return memory_; }

    // The body wherever it is, of Begin's total bytes (those never delivered read as
    // zeros); capacity bounds a body file's buffer.
    BodyWindow Open(std::size_t capacity) const;

private:
    void MoveToMemory();

    TMemoryStream memory_;
    std::unique_ptr<BodyFile> file_;
    std::unique_ptr<char[]> pass_;
    std::int32_t stored_ = 0;  // bytes delivered into the body file
    std::int32_t size_ = 0;    // Begin's total
};

// The text of the body's ranges, for the form-field list's long lines.
class RequestBodyText final : public TextSource {
public:
    explicit RequestBodyText(const RequestBody& body) : body_(body) {}

    void Visit(std::int64_t start, std::int64_t end, std::size_t skip, std::size_t length,
               const std::function<bool(std::string_view)>& visit) const override;
    std::unique_ptr<TextReader> Open(std::int64_t start, std::int64_t end, std::size_t skip) const override;

private:
    const RequestBody& body_;
};

}  // namespace kestrune

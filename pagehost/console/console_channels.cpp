#include "pagehost/console/console_channels.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <stdexcept>

namespace kestrune {
namespace {

class FileRequestSource final : public RequestSource {
public:
    explicit FileRequestSource(const std::wstring& path)
        : file_(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {
        LARGE_INTEGER size{};
        if (file_ == INVALID_HANDLE_VALUE || !GetFileSizeEx(file_, &size)) {
            Close();
            throw std::runtime_error("cannot open the body file");
        }
        size_ = size.QuadPart;
    }
    ~FileRequestSource() override { Close(); }
    FileRequestSource(const FileRequestSource&) = delete;
    FileRequestSource& operator=(const FileRequestSource&) = delete;

    std::int64_t TotalBytes() override { return size_; }
    std::int64_t Left() const override { return size_ - taken_; }

    std::size_t Read(char* destination, std::size_t count) override {
        std::size_t done = 0;
        while (done < count) {
            DWORD piece = static_cast<DWORD>(std::min<std::size_t>(count - done, 1 << 20));
            DWORD got = 0;
            if (!ReadFile(file_, destination + done, piece, &got, nullptr))
                throw std::runtime_error("cannot read the body file");
            if (got == 0) break;
            done += got;
        }
        taken_ += static_cast<std::int64_t>(done);
        return done;
    }

private:
    void Close() {
        if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
    }

    HANDLE file_;
    std::int64_t size_ = 0;
    std::int64_t taken_ = 0;
};

class EmptyRequestSource final : public RequestSource {
public:
    std::int64_t TotalBytes() override { return 0; }
    std::size_t Read(char*, std::size_t) override { return 0; }
    std::int64_t Left() const override { return 0; }
};

// The page's output and nothing else: no head, and a client that never leaves.
class StdoutTransport final : public ResponseTransport {
public:
    // Page output is bytes: no CRLF translation.
    StdoutTransport() { _setmode(_fileno(stdout), _O_BINARY); }
    ~StdoutTransport() override { std::fflush(stdout); }

    void SendHead(std::string_view) override {}
    void Send(std::string_view bytes) override { std::fwrite(bytes.data(), 1, bytes.size(), stdout); }
    bool IsClientConnected() override { return true; }
};

}  // namespace

std::shared_ptr<RequestSource> MakeBodySource(const std::optional<std::wstring>& path) {
    if (!path) return std::make_shared<EmptyRequestSource>();
    return std::make_shared<FileRequestSource>(*path);
}

std::unique_ptr<ResponseTransport> MakeStdoutTransport() { return std::make_unique<StdoutTransport>(); }

}  // namespace kestrune

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
        return done;
    }

private:
    void Close() {
        if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
    }

    HANDLE file_;
    std::int64_t size_ = 0;
};

class StdoutSink final : public ResponseSink {
public:
    // Page output is bytes: no CRLF translation.
    StdoutSink() { _setmode(_fileno(stdout), _O_BINARY); }
    ~StdoutSink() override { std::fflush(stdout); }

    void Write(std::string_view text) override {
        if (!ended_) std::fwrite(text.data(), 1, text.size(), stdout);
    }
    bool IsConnected() override { return true; }
    void End() override { ended_ = true; }
    bool Ended() const override { return ended_; }

private:
    bool ended_ = false;
};

}  // namespace

std::shared_ptr<RequestSource> MakeFileRequestSource(const std::wstring& path) {
    return std::make_shared<FileRequestSource>(path);
}

std::shared_ptr<ResponseSink> MakeStdoutSink() { return std::make_shared<StdoutSink>(); }

}  // namespace kestrune

// kestrune-bench-floor BYTES FOLDER: the least a page that keeps an upload and saves it
// can cost on this machine beyond receiving it. Fills BYTES of newly allocated memory in
// the component's passes of 102,400 bytes, then writes them to a new file in FOLDER and
// removes it again; prints
//   fill_seconds=X write_seconds=Y
// Both steps touch memory the process has not used before (the buffer, and the page
// cache behind the new file), which is what a page that only discards the body avoids.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

constexpr std::size_t kPass = 102400;

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool WriteNewFile(const std::string& path, const char* data, std::size_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) return false;
    bool ok = true;
    while (ok && size > 0) {
        const ssize_t written = ::write(fd, data, size);
        ok = written > 0;
        if (ok) {
            data += written;
            size -= static_cast<std::size_t>(written);
        }
    }
    return ::close(fd) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    const long long bytes = argc == 3 ? std::atoll(argv[1]) : 0;
    if (bytes < 1 || bytes > (1LL << 31)) {
        std::fprintf(stderr, "usage: kestrune-bench-floor BYTES FOLDER\n");
        return 2;
    }
    const auto size = static_cast<std::size_t>(bytes);
    const std::string path = std::string(argv[2]) + "/kestrune-floor.bin";

    char pass[kPass];
    for (std::size_t i = 0; i < kPass; ++i) pass[i] = static_cast<char>(i * 131 + 7);

    auto start = std::chrono::steady_clock::now();
    const std::unique_ptr<char[]> buffer(new char[size]);
    for (std::size_t offset = 0; offset < size; offset += kPass)
        std::copy_n(pass, std::min(kPass, size - offset), buffer.get() + offset);
    const double fill = SecondsSince(start);

    ::unlink(path.c_str());
    start = std::chrono::steady_clock::now();
    const bool written = WriteNewFile(path, buffer.get(), size);
    const double write = SecondsSince(start);
    ::unlink(path.c_str());
    if (!written) {
        std::fprintf(stderr, "kestrune-bench-floor: cannot write %s\n", path.c_str());
        return 1;
    }
    std::printf("fill_seconds=%.3f write_seconds=%.3f\n", fill, write);
    return 0;
}

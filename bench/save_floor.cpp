// kestrune-bench-floor BYTES FOLDER: the least a page that keeps an upload and saves it
// can cost on this machine beyond receiving it. Fills BYTES of newly allocated memory in
// the component's passes of 102,400 bytes, then writes them to a new file in FOLDER and
// removes it again; prints
//   fill_seconds=X write_seconds=Y
// Both steps touch memory the process has not used before (the buffer, and the page
// cache behind the new file), which is what a page that only discards the body avoids.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "host/posix/posix_file_system.h"

namespace {

constexpr std::size_t kPass = 102400;

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
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

    kestrune::PosixFileSystem files;
    files.Remove(path);
    start = std::chrono::steady_clock::now();
    std::unique_ptr<kestrune::OutputFile> file;
    const bool written = files.CreateNew(path, file) == kestrune::CreateOutcome::Created &&
                         file->WriteAll(buffer.get(), size) && file->Close();
    const double write = SecondsSince(start);
    files.Remove(path);
    if (!written) {
        std::fprintf(stderr, "kestrune-bench-floor: cannot write %s\n", path.c_str());
        return 1;
    }
    std::printf("fill_seconds=%.3f write_seconds=%.3f\n", fill, write);
    return 0;
}

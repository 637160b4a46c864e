// kestrune-bench-memory [MIB] [--memory-road | --shape SHAPE]: creates one object for a
// single-file upload of MIB MiB (default 100) served by a host that makes the body on the
// fly, and prints how far the process's peak resident memory rose while it did:
//   body_bytes=N baseline_kib=N peak_kib=N
// A SHAPE puts the MIB MiB elsewhere: first-line (the boundary line), header-line (a
// part's first header line), short-lines or one-line (a field's value), file-name or
// field-name.
// A body that large goes to a body file in the temporary folder, which is written and read
// with write and pread, never mapped, so the page cache behind it is not counted and the
// rise is the object's private memory. --memory-road raises the body-file threshold above
// any body, so the object holds the body in memory as it did before the body file.
// Run it as a process of its own, so nothing else has raised the peak before.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <string>

#include "bench/bench_bodies.h"
#include "host/posix/body_host.h"
#include "host/posix/posix_file_system.h"
#include "host/posix/posix_hashing.h"
#include "host/posix/single_byte_code_page.h"
#include "upload/tessock.h"

namespace {

long StatusKiB(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t keyLength = std::strlen(key);
    while (std::getline(status, line))
        if (line.compare(0, keyLength, key) == 0 && line.size() > keyLength && line[keyLength] == ':')
            return std::strtol(line.c_str() + keyLength + 1, nullptr, 10);
    return -1;
}

// Brings the peak down to what is resident now, where the kernel allows it.
void ResetPeak() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5" << std::flush;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kestrune;
    const long mebibytes = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 100;
    const bool memoryRoad = argc > 2 && std::strcmp(argv[2], "--memory-road") == 0;
    const char* shape = argc == 4 && std::strcmp(argv[2], "--shape") == 0 ? argv[3] : nullptr;
    const std::uint64_t size = static_cast<std::uint64_t>(mebibytes) * 1024 * 1024;
    const bench::ShapedBody shaped(shape == nullptr ? "" : shape, size);
    if (mebibytes < 1 || mebibytes > 2000 || (argc > 3 && shape == nullptr) || argc > 4 ||
        (argc == 3 && !memoryRoad) || (shape != nullptr && shaped.Size() == 0)) {
        std::fprintf(
            stderr,
            "usage: kestrune-bench-memory [MIB] [--memory-road | --shape SHAPE]   (MIB: 1 to 2000)\n");
        return 2;
    }
    const bench::SingleFileBody body(bench::Content::Random, size);
    const std::uint64_t bodySize = shape == nullptr ? body.Size() : shaped.Size();
    BodyHost host(static_cast<std::int32_t>(bodySize),
                  [&](std::uint64_t offset, std::size_t count, char* destination) {
                      if (shape == nullptr) {
                          body.Read(offset, count, destination);
                      } else {
                          shaped.Read(offset, count, destination);
                      }
                  });
    const SingleByteCodePage codePage;
    PosixFileSystem fileSystem;
    const PosixHashing hashing;

    ResetPeak();
    const long baseline = StatusKiB("VmHWM");
    TTessock upload(host, codePage, fileSystem, hashing);
    if (memoryRoad) upload.SetBodyFileThreshold(std::numeric_limits<std::int64_t>::max());
    upload.Initialize();
    const long peak = StatusKiB("VmHWM");

    const bool kept = shape == nullptr ? static_cast<std::uint64_t>(upload.FileSize()) == body.ContentSize()
                                       : upload.FormVariableCount() == shaped.Fields();
    if (!host.Output().empty() || !kept) {
        std::fprintf(stderr, "kestrune-bench-memory: the object did not keep the file (%s)\n",
                     host.Output().c_str());
        return 1;
    }
    if (baseline < 0 || peak < 0) {
        std::fprintf(stderr, "kestrune-bench-memory: /proc/self/status has no VmHWM\n");
        return 1;
    }
    std::printf("body_bytes=%llu baseline_kib=%ld peak_kib=%ld\n", static_cast<unsigned long long>(bodySize),
                baseline, peak);
    return 0;
}

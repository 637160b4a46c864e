// kestrune-parse: parses a captured multipart/form-data request body as the upload
// component would on a page, and prints what a page would see, as JSON.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <optional>
#include <string>

#include "host/posix/posix_file_system.h"
#include "host/posix/posix_hashing.h"
#include "host/posix/single_byte_code_page.h"
#include "host/posix/body_host.h"
#include "kestrune_parse/json_report.h"
#include "upload/tessock.h"

namespace {

using kestrune::TTessock;

constexpr const char* kUsage =
    "usage: kestrune-parse BODYFILE\n"
    "       kestrune-parse --repeat N BODYFILE\n"
    "       kestrune-parse --help\n";

constexpr const char* kHelp =
    "\n"
    "Parses BODYFILE, a captured multipart/form-data request body, exactly as the upload\n"
    "component does when a page creates it (passes of 102400 bytes, a client that stays\n"
    "connected, the single-byte code page with Windows-1252 rules), and prints JSON:\n"
    "\n"
    "  {\"form_fields\": [every line of the form-field list],\n"
    "   \"file\": {\"name\", \"ext\", \"base\", \"content_type\", \"size\", \"sha256\"},\n"
    "   \"form_variable\": {each distinct line name: FormVariable(name)},\n"
    "   \"by_index\": [FormVariableByIndex(i) for every line]}\n"
    "\n"
    "Output is pretty-printed with two spaces a level, keys in the order above, and ends\n"
    "with a newline. Every byte of text is the Unicode character of the same value\n"
    "(Latin-1): quote and backslash are escaped, bytes below 0x20 are written as\n"
    "\\u00xx (lower-case hex), bytes 0x80-0xFF as UTF-8. sha256 is lower-case hex.\n"
    "If reading the upload failed, the component's page message goes to stderr.\n"
    "\n"
    "--repeat N parses the body N times in one process and prints only the mean\n"
    "elapsed seconds of one parse, with six decimals (for benchmarking).\n"
    "\n"
    "Exit status: 0 on success, 2 for wrong usage or a body file that cannot be read.\n";

std::optional<std::string> ReadBody(const char* path) {
    const int descriptor = ::open(path, O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        std::fprintf(stderr, "kestrune-parse: cannot open '%s': %s\n", path, std::strerror(errno));
        return std::nullopt;
    }
    std::string body;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(descriptor, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            std::fprintf(stderr, "kestrune-parse: cannot read '%s': %s\n", path, std::strerror(errno));
            ::close(descriptor);
            return std::nullopt;
        }
        if (got == 0) break;
        body.append(buffer, static_cast<std::size_t>(got));
        if (body.size() > static_cast<std::size_t>(INT32_MAX)) {
            std::fprintf(stderr, "kestrune-parse: '%s' is larger than 2147483647 bytes\n", path);
            ::close(descriptor);
            return std::nullopt;
        }
    }
    ::close(descriptor);
    return body;
}

int Report(const std::string& body) {
    kestrune::SingleByteCodePage codePage;
    kestrune::PosixFileSystem fileSystem;
    const kestrune::PosixHashing hashing;
    kestrune::BodyHost host(body);
    TTessock upload(host, codePage, fileSystem, hashing);
    upload.Initialize();
    if (!host.Output().empty()) std::fprintf(stderr, "%s\n", host.Output().c_str());
    const std::string json = kestrune::tools::JsonReport(upload);
    std::fwrite(json.data(), 1, json.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int Repeat(const std::string& body, long count) {
    kestrune::SingleByteCodePage codePage;
    kestrune::PosixFileSystem fileSystem;
    const kestrune::PosixHashing hashing;
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < count; ++i) {
        kestrune::BodyHost host(body);
        TTessock upload(host, codePage, fileSystem, hashing);
        upload.Initialize();
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("%.6f\n", elapsed.count() / static_cast<double>(count));
    return 0;
}

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
            std::printf("%s%s", kUsage, kHelp);
            return 0;
        }
        long repeat = 0;
        const char* path = nullptr;
        if (argc == 2 && argv[1][0] != '-') {
            path = argv[1];
        } else if (argc == 4 && std::strcmp(argv[1], "--repeat") == 0) {
            char* end = nullptr;
            errno = 0;
            repeat = std::strtol(argv[2], &end, 10);
            if (errno != 0 || end == argv[2] || *end != '\0' || repeat < 1) return Usage();
            path = argv[3];
        } else {
            return Usage();
        }
        const std::optional<std::string> body = ReadBody(path);
        if (!body) return 2;
        return repeat > 0 ? Repeat(*body, repeat) : Report(*body);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kestrune-parse: %s\n", e.what());
        return 1;
    }
}

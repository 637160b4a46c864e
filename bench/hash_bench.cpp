// kestrune-bench-hash FILE: the SHA-256 of FILE as a page's Hash computes it, printed as
// openssl dgst -r prints it ("HEX *FILE"), so bench/hash_figure.sh can time both on the
// same bytes and check that they agree. The file stands for a body file: it is read
// through a BodyWindow of the capacity the members read pieces with, from the page cache
// as openssl reads it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <memory>

#include "host/posix/posix_body_file.h"
#include "host/posix/posix_hashing.h"
#include "members/file_hash.h"

int main(int argc, char** argv) {
    const int descriptor = argc == 2 ? ::open(argv[1], O_RDONLY | O_CLOEXEC) : -1;
    struct stat facts {};
    if (descriptor < 0 || ::fstat(descriptor, &facts) != 0) {
        std::fprintf(stderr, "usage: kestrune-bench-hash FILE (an existing, readable file)\n");
        return 2;
    }
    const std::unique_ptr<kestrune::BodyFile> file = kestrune::PosixBodyFileOf(descriptor);
    try {
        const auto size = static_cast<std::int64_t>(facts.st_size);
        kestrune::BodyWindow body(*file, size, size, kestrune::BodyWindow::kPieceCapacity);
        const std::string hex = kestrune::HashHex(kestrune::PosixHashing(), kestrune::HashAlgorithm::Sha256,
                                                  body, 0, static_cast<std::size_t>(size));
        std::printf("%s *%s\n", hex.c_str(), argv[1]);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "kestrune-bench-hash: %s\n", failure.what());
        return 1;
    }
    return 0;
}

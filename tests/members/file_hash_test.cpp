#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "host/posix/posix_body_file.h"
#include "host/posix/posix_hashing.h"
#include "members/file_hash.h"
#include "support/expect_throw_msg.h"

namespace kestrune {
namespace {

const PosixHashing kHashing;

std::string HexOf(HashAlgorithm algorithm, std::string_view data) {
    BodyWindow memory(data);
    return HashHex(kHashing, algorithm, memory, 0, data.size());
}

// The published vectors (FIPS 180-4's examples, RFC 1321's), for each algorithm a page
// can name, by the name it uses.
TEST(FileHash, KnownVectors) {
    struct Case {
        const char* name;
        std::string input, digest;
    };
    const std::string million(1000000, 'a');
    const std::vector<Case> cases = {
        {"SHA256", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"SHA256", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"SHA256", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"sha256", million, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
        {"SHA1", "abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {"Sha1", "", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
        {"SHA384", "abc",
         "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed8086072ba1e7cc2358baeca134c825a7"},
        {"SHA512", "abc",
         "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a836ba3c23a3feebbd"
         "454d4423643ce80e2a9ac94fa54ca49f"},
        {"sha512", million,
         "e718483d0ce769644e2e42c7bc15b4638e1f98b13b2044285632a803afa973ebde0ff244877ea60a4cb0432ce577c31b"
         "eb009c5c2c49aa2e4eadb217ad8cc09b"},
        {"MD5", "abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"md5", "", "d41d8cd98f00b204e9800998ecf8427e"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " of " + std::to_string(c.input.size()) + " bytes");
        EXPECT_EQ(c.digest, HexOf(HashAlgorithmNamed(c.name), c.input));
    }
}

TEST(FileHash, OtherNamesAreRefused) {
    for (const char* name :
         {"", "SHA-256", "SHA 256", "SHA256 ", "SHA224", "SHA3-256", "CRC32", "MD4", "RIPEMD160"}) {
        SCOPED_TRACE(name);
        EXPECT_THROW_MSG(HashAlgorithmNamed(name), EUploadError, "Hash algorithm not supported.");
    }
}

// A file's range of a body file, read through windows of every kind of capacity, and
// the range of a memory body: the digest of exactly that range, whichever way the
// window's pieces fall across it.
TEST(FileHash, RangesAcrossWindowPieces) {
    std::string body;
    for (int i = 0; i < 5000; ++i) body += static_cast<char>(i * 131 + i / 7);
    std::unique_ptr<BodyFile> file = CreatePosixBodyFile();
    ASSERT_NE(nullptr, file);
    ASSERT_TRUE(file->Append(body.data(), body.size()));
    const auto size = static_cast<std::int64_t>(body.size());
    struct Range {
        std::size_t offset, size;
    };
    for (const Range range :
         {Range{0, 5000}, Range{1, 4999}, Range{17, 4000}, Range{4999, 1}, Range{2500, 0}}) {
        const std::string expected =
            HexOf(HashAlgorithm::Sha256, std::string_view(body).substr(range.offset, range.size));
        BodyWindow memory(body);
        EXPECT_EQ(expected, HashHex(kHashing, HashAlgorithm::Sha256, memory, range.offset, range.size));
        for (const std::size_t capacity : {1, 7, 64, 4096, 5000, 1 << 20}) {
            SCOPED_TRACE(std::to_string(range.offset) + "+" + std::to_string(range.size) + " through " +
                         std::to_string(capacity));
            BodyWindow window(*file, size, size, capacity);
            EXPECT_EQ(expected, HashHex(kHashing, HashAlgorithm::Sha256, window, range.offset, range.size));
        }
    }
}

}  // namespace
}  // namespace kestrune

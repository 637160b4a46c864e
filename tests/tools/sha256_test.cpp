#include <gtest/gtest.h>

#include "kestrune_parse/sha256.h"

namespace kestrune::tools {
namespace {

TEST(Sha256, FipsVectors) {
    struct Case {
        std::string input, digest;
    };
    const std::vector<Case> cases = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmno"
         "pqrstnopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input.size());
        EXPECT_EQ(c.digest, Sha256Hex(c.input));
    }
}

// Every split of the input across Update calls, and every padding length, gives the
// digest of the whole.
TEST(Sha256, PiecewiseEqualsWhole) {
    std::string data;
    for (int i = 0; i < 200; ++i) data += static_cast<char>(i * 7);
    for (std::size_t size = 0; size <= data.size(); size += 13) {
        const std::string whole = Sha256Hex(data.substr(0, size));
        for (std::size_t cut = 0; cut <= size; cut += 29) {
            SCOPED_TRACE(std::to_string(size) + " cut at " + std::to_string(cut));
            Sha256 hash;
            hash.Update(std::string_view(data).substr(0, cut));
            hash.Update(std::string_view(data).substr(cut, size - cut));
            std::string hex;
            for (const auto byte : hash.Final()) {
                static constexpr char kDigits[] = "0123456789abcdef";
                hex += kDigits[byte >> 4];
                hex += kDigits[byte & 15];
            }
            EXPECT_EQ(whole, hex);
        }
    }
}

}  // namespace
}  // namespace kestrune::tools

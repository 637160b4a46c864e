// SHA-256 (FIPS 180-4), so the tool needs nothing beyond the standard library.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrune::tools {

class Sha256 {
public:
    Sha256();
    void Update(std::string_view data);
    std::array<std::uint8_t, 32> Final();

private:
    void Compress(const std::uint8_t* block);

    std::array<std::uint32_t, 8> state_;
    std::array<std::uint8_t, 64> buffer_{};
    std::size_t buffered_ = 0;
    std::uint64_t length_ = 0;
};

// The digest of data as 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::string_view data);

}  // namespace kestrune::tools

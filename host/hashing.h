// Hashing: the digests the core computes over uploaded files, done by the platform's own
// library (libcrypto natively, CNG on Windows), never by code of the component's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace kestrune {

enum class HashAlgorithm : std::uint8_t { Sha256, Sha1, Sha384, Sha512, Md5 };

// One digest being computed: any number of Update calls, then Finish once.
class Digest {
public:
    virtual ~Digest() = default;

    virtual void Update(const char* data, std::size_t size) = 0;

    // The digest's raw bytes (32 for SHA-256, 16 for MD5...).
    virtual std::string Finish() = 0;
};

class Hashing {
public:
    virtual ~Hashing() = default;

    // A new digest of algorithm. Safe to call from several threads at once. Throws a
    // member of the Exception family when the platform fails, here or in the digest.
    virtual std::unique_ptr<Digest> Start(HashAlgorithm algorithm) const = 0;
};

}  // namespace kestrune

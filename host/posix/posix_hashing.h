// Hashing over OpenSSL's libcrypto (its EVP digests), for running the core on Linux and
// for the tools.
#pragma once

#include "host/hashing.h"

namespace kestrune {

class PosixHashing final : public Hashing {
public:
    // Throws EUploadError with kHashFailedMessage when libcrypto fails.
    std::unique_ptr<Digest> Start(HashAlgorithm algorithm) const override;
};

// What a failing libcrypto call raises; only a library built without an algorithm (FIPS
// mode and MD5, say) should ever give it.
inline constexpr const char* kHashFailedMessage = "Error computing the hash.";

}  // namespace kestrune

#include "members/file_hash.h"

#include <algorithm>
#include <memory>

#include "base/ascii.h"
#include "base/exceptions.h"

namespace kestrune {

HashAlgorithm HashAlgorithmNamed(std::string_view name) {
    struct Named {
        std::string_view name;
        HashAlgorithm algorithm;
    };
    static constexpr Named kNames[] = {
        {"SHA256", HashAlgorithm::Sha256}, {"SHA1", HashAlgorithm::Sha1}, {"SHA384", HashAlgorithm::Sha384},
        {"SHA512", HashAlgorithm::Sha512}, {"MD5", HashAlgorithm::Md5},
    };
    for (const Named& named : kNames) {
        if (EqualsNoCase(name, named.name)) return named.algorithm;
    }
    throw EUploadError(kHashNotSupportedMessage);
}

std::string HashHex(const Hashing& hashing, HashAlgorithm algorithm, BodyWindow& body, std::size_t offset,
                    std::size_t size) {
    const std::unique_ptr<Digest> digest = hashing.Start(algorithm);
    while (size > 0) {
        const std::string_view piece = body.At(offset);
        const std::size_t taken = std::min(piece.size(), size);
        digest->Update(piece.data(), taken);
        offset += taken;
        size -= taken;
    }
    return LowerHex(digest->Finish());
}

}  // namespace kestrune

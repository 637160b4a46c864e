#include "host/posix/posix_hashing.h"

#include <openssl/evp.h>

#include "base/exceptions.h"

namespace kestrune {

namespace {

const EVP_MD* Method(HashAlgorithm algorithm) {
    switch (algorithm) {
        case HashAlgorithm::Sha256:
            return EVP_sha256();
        case HashAlgorithm::Sha1:
            return EVP_sha1();
        case HashAlgorithm::Sha384:
            return EVP_sha384();
        case HashAlgorithm::Sha512:
            return EVP_sha512();
        case HashAlgorithm::Md5:
            return EVP_md5();
    }
    return nullptr;
}

void Check(int result) {
    if (result != 1) throw EUploadError(kHashFailedMessage);
}

class EvpDigest final : public Digest {
public:
    explicit EvpDigest(const EVP_MD* method) : context_(EVP_MD_CTX_new()) {
        if (context_ == nullptr) throw EUploadError(kHashFailedMessage);
        Check(method != nullptr ? EVP_DigestInit_ex(context_.get(), method, nullptr) : 0);
    }

    void Update(const char* data, std::size_t size) override {
        Check(EVP_DigestUpdate(context_.get(), data, size));
    }

    std::string Finish() override {
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int size = 0;
        Check(EVP_DigestFinal_ex(context_.get(), digest, &size));
        return std::string(reinterpret_cast<const char*>(digest), size);
    }

private:
    struct Free {
        void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
    };
    std::unique_ptr<EVP_MD_CTX, Free> context_;
};

}  // namespace

std::unique_ptr<Digest> PosixHashing::Start(HashAlgorithm algorithm) const {
    return std::make_unique<EvpDigest>(Method(algorithm));
}

}  // namespace kestrune

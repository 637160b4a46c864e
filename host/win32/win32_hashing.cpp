#include "host/win32/win32_hashing.h"

#include <windows.h>
#include <bcrypt.h>

#include <algorithm>

#include "host/win32/win32_host_failure.h"

namespace kestrune {

namespace {

// BCryptHashData counts in a ULONG: a larger update goes in pieces of this size.
constexpr std::size_t kUpdatePiece = 1u << 30;

struct Provider {
    const wchar_t* name;
    ULONG digestSize;
};

Provider ProviderOf(HashAlgorithm algorithm) {
    switch (algorithm) {
        case HashAlgorithm::Sha1:
            return {BCRYPT_SHA1_ALGORITHM, 20};
        case HashAlgorithm::Sha384:
            return {BCRYPT_SHA384_ALGORITHM, 48};
        case HashAlgorithm::Sha512:
            return {BCRYPT_SHA512_ALGORITHM, 64};
        case HashAlgorithm::Md5:
            return {BCRYPT_MD5_ALGORITHM, 16};
        case HashAlgorithm::Sha256:
            break;
    }
    return {BCRYPT_SHA256_ALGORITHM, 32};
}

void Check(NTSTATUS status) {
    if (status < 0) CheckPlatformResult(HRESULT_FROM_NT(status));
}

// One provider handle and one hash object per digest: opening a provider costs little
// beside hashing a file, and nothing is then shared between threads.
class CngDigest final : public Digest {
public:
    explicit CngDigest(HashAlgorithm algorithm) : digestSize_(ProviderOf(algorithm).digestSize) {
        Check(BCryptOpenAlgorithmProvider(&provider_, ProviderOf(algorithm).name, nullptr, 0));
        // CNG allocates the hash object itself when given no buffer for it.
        const NTSTATUS status = BCryptCreateHash(provider_, &hash_, nullptr, 0, nullptr, 0, 0);
        if (status < 0) {
            BCryptCloseAlgorithmProvider(provider_, 0);
            Check(status);
        }
    }
    CngDigest(const CngDigest&) = delete;
    CngDigest& operator=(const CngDigest&) = delete;
    ~CngDigest() override {
        BCryptDestroyHash(hash_);
        BCryptCloseAlgorithmProvider(provider_, 0);
    }

    void Update(const char* data, std::size_t size) override {
        while (size > 0) {
            const std::size_t piece = std::min(size, kUpdatePiece);
            // CNG only reads the input, whatever the pointer's type says.
            Check(BCryptHashData(hash_, reinterpret_cast<PUCHAR>(const_cast<char*>(data)),
                                 static_cast<ULONG>(piece), 0));
            data += piece;
            size -= piece;
        }
    }

    std::string Finish() override {
        std::string digest(digestSize_, '\0');
        Check(BCryptFinishHash(hash_, reinterpret_cast<PUCHAR>(&digest[0]), digestSize_, 0));
        return digest;
    }

private:
    BCRYPT_ALG_HANDLE provider_ = nullptr;
    BCRYPT_HASH_HANDLE hash_ = nullptr;
    ULONG digestSize_;
};

}  // namespace

std::unique_ptr<Digest> Win32Hashing::Start(HashAlgorithm algorithm) const {
    return std::make_unique<CngDigest>(algorithm);
}

}  // namespace kestrune

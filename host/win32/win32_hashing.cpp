#include "host/win32/win32_hashing.h"

#include <windows.h>
#include <bcrypt.h>

#include <algorithm>
#include <string>

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

// CNG's functions, found in the system's own bcrypt.dll at the first digest rather than
// imported: the component then still loads on a Windows without CNG, where only Hash
// fails (with the loader's error).
struct Cng {
    decltype(&BCryptOpenAlgorithmProvider) OpenAlgorithmProvider = nullptr;
    decltype(&BCryptCloseAlgorithmProvider) CloseAlgorithmProvider = nullptr;
    decltype(&BCryptCreateHash) CreateHash = nullptr;
    decltype(&BCryptDestroyHash) DestroyHash = nullptr;
    decltype(&BCryptHashData) HashData = nullptr;
    decltype(&BCryptFinishHash) FinishHash = nullptr;
    DWORD loadError = ERROR_SUCCESS;
};

template <typename Function>
bool Find(HMODULE module, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    return function != nullptr;
}

Cng LoadCng() {
    Cng cng;
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    const std::wstring path = std::wstring(folder, length < MAX_PATH ? length : 0) + L"\\bcrypt.dll";
    // Kept loaded for the process's life, as the system keeps its own libraries.
    const HMODULE module = length > 0 && length < MAX_PATH ? LoadLibraryW(path.c_str()) : nullptr;
    if (module == nullptr || !Find(module, "BCryptOpenAlgorithmProvider", cng.OpenAlgorithmProvider) ||
        !Find(module, "BCryptCloseAlgorithmProvider", cng.CloseAlgorithmProvider) ||
        !Find(module, "BCryptCreateHash", cng.CreateHash) ||
        !Find(module, "BCryptDestroyHash", cng.DestroyHash) ||
        !Find(module, "BCryptHashData", cng.HashData) || !Find(module, "BCryptFinishHash", cng.FinishHash)) {
        cng.loadError = GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_PROC_NOT_FOUND;
    }
    return cng;
}

const Cng& TheCng() {
    static const Cng cng = LoadCng();
    if (cng.loadError != ERROR_SUCCESS) CheckPlatformResult(HRESULT_FROM_WIN32(cng.loadError));
    return cng;
}

// One provider handle and one hash object per digest: opening a provider costs little
// beside hashing a file, and nothing is then shared between threads.
class CngDigest final : public Digest {
public:
    explicit CngDigest(HashAlgorithm algorithm)
        : cng_(TheCng()), digestSize_(ProviderOf(algorithm).digestSize) {
        Check(cng_.OpenAlgorithmProvider(&provider_, ProviderOf(algorithm).name, nullptr, 0));
        // CNG allocates the hash object itself when given no buffer for it.
        const NTSTATUS status = cng_.CreateHash(provider_, &hash_, nullptr, 0, nullptr, 0, 0);
        if (status < 0) {
            cng_.CloseAlgorithmProvider(provider_, 0);
            Check(status);
        }
    }
    CngDigest(const CngDigest&) = delete;
    CngDigest& operator=(const CngDigest&) = delete;
    ~CngDigest() override {
        cng_.DestroyHash(hash_);
        cng_.CloseAlgorithmProvider(provider_, 0);
    }

    void Update(const char* data, std::size_t size) override {
        while (size > 0) {
            const std::size_t piece = std::min(size, kUpdatePiece);
            // CNG only reads the input, whatever the pointer's type says.
            Check(cng_.HashData(hash_, reinterpret_cast<PUCHAR>(const_cast<char*>(data)),
                                static_cast<ULONG>(piece), 0));
            data += piece;
            size -= piece;
        }
    }

    std::string Finish() override {
        std::string digest(digestSize_, '\0');
        Check(cng_.FinishHash(hash_, reinterpret_cast<PUCHAR>(&digest[0]), digestSize_, 0));
        return digest;
    }

private:
    const Cng& cng_;
    BCRYPT_ALG_HANDLE provider_ = nullptr;
    BCRYPT_HASH_HANDLE hash_ = nullptr;
    ULONG digestSize_;
};

}  // namespace

std::unique_ptr<Digest> Win32Hashing::Start(HashAlgorithm algorithm) const {
    return std::make_unique<CngDigest>(algorithm);
}

}  // namespace kestrune

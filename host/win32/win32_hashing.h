// Hashing over CNG (bcrypt.dll), the system's own hash providers.
#pragma once

#include "host/hashing.h"

namespace kestrune {

class Win32Hashing final : public Hashing {
public:
    // Throws EOleSysError with the failing status (as an HRESULT) when CNG fails.
    std::unique_ptr<Digest> Start(HashAlgorithm algorithm) const override;
};

}  // namespace kestrune

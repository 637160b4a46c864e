// A file's digest, computed by the platform (host/hashing.h) over its range of the body in
// one pass, through the body's window: memory stays bounded by the window's capacity
// whatever the file's size.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "host/hashing.h"
#include "multipart/body_window.h"

namespace kestrune {

inline constexpr const char* kHashNotSupportedMessage = "Hash algorithm not supported.";

// The algorithm for a page's name of it: "SHA256", "SHA1", "SHA384", "SHA512" or "MD5",
// ASCII case ignored. Any other name (the empty one included) throws EUploadError with
// kHashNotSupportedMessage.
HashAlgorithm HashAlgorithmNamed(std::string_view name);

// The digest of the size bytes from offset of body (all within its Size()), as lower-case
// hexadecimal digits. Throws what the window and the platform throw.
std::string HashHex(const Hashing& hashing, HashAlgorithm algorithm, BodyWindow& body, std::size_t offset,
                    std::size_t size);

}  // namespace kestrune

#include "com/owners.h"

#include <cstring>

namespace kestrune {

UniqueSafeArray ByteArray(std::string_view bytes, LONG lowerBound) {
    SAFEARRAYBOUND bound;
    bound.cElements = static_cast<ULONG>(bytes.size());
    bound.lLbound = lowerBound;
    UniqueSafeArray array(SafeArrayCreate(VT_UI1, 1, &bound));
    if (!array || bytes.empty()) return array;
    const SafeArrayData lock(array.Get());
    if (FAILED(lock.Result())) return {};
    std::memcpy(lock.Data(), bytes.data(), bytes.size());
    return array;
}

UniqueSafeArray ByteArray(std::size_t count, LONG lowerBound) {
    if (count > MAXLONG) return {};
    SAFEARRAYBOUND bound;
    bound.cElements = static_cast<ULONG>(count);
    bound.lLbound = lowerBound;
    return UniqueSafeArray(SafeArrayCreate(VT_UI1, 1, &bound));
}

LONG ElementCount(SAFEARRAY* array) noexcept {
    if (array == nullptr || SafeArrayGetDim(array) != 1) return 0;
    LONG lower = 0;
    LONG upper = -1;
    if (FAILED(SafeArrayGetLBound(array, 1, &lower)) || FAILED(SafeArrayGetUBound(array, 1, &upper)))
        return 0;
    const LONGLONG count = static_cast<LONGLONG>(upper) - lower + 1;
    return count <= 0 ? 0 : count > MAXLONG ? MAXLONG : static_cast<LONG>(count);
}

}  // namespace kestrune

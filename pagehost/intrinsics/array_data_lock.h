// Keeps a SAFEARRAY's data locked while it lives, so that no exit path leaves the array
// locked (a locked array cannot be destroyed or resized).
#pragma once

#include <windows.h>
#include <oleauto.h>

namespace kestrune {

class ArrayDataLock {
public:
    explicit ArrayDataLock(SAFEARRAY* array) : array_(array), result_(SafeArrayAccessData(array, &data_)) {}
    ~ArrayDataLock() {
        if (SUCCEEDED(result_)) SafeArrayUnaccessData(array_);
    }
    ArrayDataLock(const ArrayDataLock&) = delete;
    ArrayDataLock& operator=(const ArrayDataLock&) = delete;

    // The failure of SafeArrayAccessData, or S_OK when Data() may be used.
    HRESULT Result() const { return result_; }
    char* Data() const { return SUCCEEDED(result_) ? static_cast<char*>(data_) : nullptr; }

private:
    SAFEARRAY* array_;
    void* data_ = nullptr;
    HRESULT result_;
};

}  // namespace kestrune

// TComClassManager: the process-wide list of class factories, found by class identifier.
// Lookups share the lock; adding and removing take it alone.
#pragma once

#include <windows.h>

#include <vector>

namespace kestrune {

class TAutoObjectFactory;

class TComClassManager {
public:
    TComClassManager() = default;
    TComClassManager(const TComClassManager&) = delete;
    TComClassManager& operator=(const TComClassManager&) = delete;

    // A new factory goes to the head of the list.
    void Add(TAutoObjectFactory* factory);
    void Remove(TAutoObjectFactory* factory);
    TAutoObjectFactory* Find(REFCLSID classId) const;

private:
    mutable SRWLOCK lock_ = SRWLOCK_INIT;
    std::vector<TAutoObjectFactory*> factories_;
};

// The module's class registry; null before load and after unload.
TComClassManager* ComClassManager();
void SetComClassManager(TComClassManager* manager);

}  // namespace kestrune

#include "server/class_registry.h"

#include <algorithm>
#include <atomic>

#include "server/class_factory.h"

namespace kestrune {

namespace {

std::atomic<TComClassManager*> g_manager{nullptr};

// Holds the registry's lock for the scope: shared for lookups, alone for changes.
template <bool kShared>
class ScopedLock {
public:
    explicit ScopedLock(SRWLOCK& lock) : lock_(lock) {
        if (kShared) {
            AcquireSRWLockShared(&lock_);
        } else {
            AcquireSRWLockExclusive(&lock_);
        }
    }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;
    ~ScopedLock() {
        if (kShared) {
            ReleaseSRWLockShared(&lock_);
        } else {
            ReleaseSRWLockExclusive(&lock_);
        }
    }

private:
    SRWLOCK& lock_;
};

using SharedLock = ScopedLock<true>;
using ExclusiveLock = ScopedLock<false>;

}  // namespace

TComClassManager* ComClassManager() { return g_manager.load(); }
void SetComClassManager(TComClassManager* manager) { g_manager.store(manager); }

void TComClassManager::Add(TAutoObjectFactory* factory) {
    const ExclusiveLock lock(lock_);
    factories_.insert(factories_.begin(), factory);
}

void TComClassManager::Remove(TAutoObjectFactory* factory) {
    const ExclusiveLock lock(lock_);
    factories_.erase(std::remove(factories_.begin(), factories_.end(), factory), factories_.end());
}

TAutoObjectFactory* TComClassManager::Find(REFCLSID classId) const {
    const SharedLock lock(lock_);
    for (TAutoObjectFactory* factory : factories_) {
        if (IsEqualGUID(factory->ClassId(), classId)) return factory;
    }
    return nullptr;
}

}  // namespace kestrune

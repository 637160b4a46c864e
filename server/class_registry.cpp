#include "server/class_registry.h"

#include <algorithm>
#include <atomic>

#include "server/class_factory.h"

namespace kestrune {

namespace {

std::atomic<TComClassManager*> g_manager{nullptr};

class SharedLock {
public:
    explicit SharedLock(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockShared(&lock_); }
    SharedLock(const SharedLock&) = delete;
    SharedLock& operator=(const SharedLock&) = delete;
    ~SharedLock() { ReleaseSRWLockShared(&lock_); }

private:
    SRWLOCK& lock_;
};

class ExclusiveLock {
public:
    explicit ExclusiveLock(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;
    ~ExclusiveLock() { ReleaseSRWLockExclusive(&lock_); }

private:
    SRWLOCK& lock_;
};

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

#include "platform/foundation/Synchronized.h"

#include "platform/foundation/NeverDestroyed.h"

#include <memory>
#include <mutex>
#include <unordered_map>

namespace {

struct ObjectLock {
    std::recursive_mutex mutex;
    std::size_t users { 0 };
};

struct LockTable {
    std::mutex mutex;
    std::unordered_map<const void*, std::shared_ptr<ObjectLock>> locks;
};

std::shared_ptr<LockTable> table()
{
    static const NeverDestroyed<std::shared_ptr<LockTable>> shared(std::make_shared<LockTable>());
    return shared.get();
}

} // namespace

Synchronized::Synchronized(const void* object)
    : m_object(object)
{
    auto locks = table();
    std::shared_ptr<ObjectLock> entry;
    {
        std::lock_guard lock(locks->mutex);
        auto& slot = locks->locks[object];
        if (!slot)
            slot = std::make_shared<ObjectLock>();
        ++slot->users;
        entry = slot;
    }
    entry->mutex.lock();
}

Synchronized::~Synchronized()
{
    auto locks = table();
    std::lock_guard lock(locks->mutex);
    auto found = locks->locks.find(m_object);
    found->second->mutex.unlock();
    if (--found->second->users == 0)
        locks->locks.erase(found);
}

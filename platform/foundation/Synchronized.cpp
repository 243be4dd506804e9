#include "platform/foundation/Synchronized.h"

#include "platform/foundation/Guarded.h"
#include "platform/foundation/NeverDestroyed.h"

#include <memory>
#include <mutex>
#include <unordered_map>

namespace {

struct ObjectLock {
    // Recursive on purpose: a synchronized block may enter another on the same object, as the
    // platform allows.
    std::recursive_mutex mutex;
    // Guards and waiters that hold the entry; counted under the table's lock.
    std::size_t users { 0 };
};

using LockTable = Guarded<std::unordered_map<const void*, std::shared_ptr<ObjectLock>>>;

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
        auto entries = locks->lock();
        auto& slot = (*entries)[object];
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
    auto entries = locks->lock();
    auto found = entries->find(m_object);
    found->second->mutex.unlock();
    if (--found->second->users == 0)
        entries->erase(found);
}

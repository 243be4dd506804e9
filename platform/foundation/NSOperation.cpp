#include "platform/foundation/NSOperation.h"

#include <algorithm>

void NSOperation::start()
{
    if (isFinished() || isExecuting())
        return;
    if (isCancelled()) {
        finishWithoutRunning();
        return;
    }
    if (!isReady())
        return;
    willChangeValueForKey("isExecuting");
    {
        std::lock_guard lock(m_mutex);
        m_executing = true;
    }
    didChangeValueForKey("isExecuting");

    main();

    willChangeValueForKey("isExecuting");
    willChangeValueForKey("isFinished");
    {
        std::lock_guard lock(m_mutex);
        m_executing = false;
        m_finished = true;
    }
    didChangeValueForKey("isFinished");
    didChangeValueForKey("isExecuting");
}

void NSOperation::finishWithoutRunning()
{
    willChangeValueForKey("isFinished");
    {
        std::lock_guard lock(m_mutex);
        m_finished = true;
    }
    didChangeValueForKey("isFinished");
}

void NSOperation::cancel()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_cancelled || m_finished)
            return;
    }
    willChangeValueForKey("isCancelled");
    {
        std::lock_guard lock(m_mutex);
        m_cancelled = true;
    }
    didChangeValueForKey("isCancelled");
    // Cancelling releases the operation from its dependencies.
    willChangeValueForKey("isReady");
    didChangeValueForKey("isReady");
}

bool NSOperation::isCancelled() const
{
    std::lock_guard lock(m_mutex);
    return m_cancelled;
}

bool NSOperation::isExecuting() const
{
    std::lock_guard lock(m_mutex);
    return m_executing;
}

bool NSOperation::isFinished() const
{
    std::lock_guard lock(m_mutex);
    return m_finished;
}

bool NSOperation::isReady() const
{
    if (NSOperation::isCancelled())
        return true;
    for (const auto& dependency : dependencies()) {
        if (!dependency->isFinished())
            return false;
    }
    return true;
}

void NSOperation::addDependency(const std::shared_ptr<NSOperation>& operation)
{
    if (!operation || operation.get() == this)
        return;
    {
        std::lock_guard lock(m_mutex);
        for (const auto& entry : m_dependencies) {
            if (entry.operation == operation)
                return;
        }
    }
    std::weak_ptr<NSOperation> weakSelf = self();
    NSUInteger token = operation->addObserverForKeyPath("isFinished", [weakSelf](const NSString&) {
        if (auto dependent = weakSelf.lock()) {
            dependent->willChangeValueForKey("isReady");
            dependent->didChangeValueForKey("isReady");
        }
    });
    {
        std::lock_guard lock(m_mutex);
        m_dependencies.push_back({ operation, token });
    }
    willChangeValueForKey("isReady");
    didChangeValueForKey("isReady");
}

void NSOperation::removeDependency(const std::shared_ptr<NSOperation>& operation)
{
    NSUInteger token = 0;
    {
        std::lock_guard lock(m_mutex);
        auto entry = std::find_if(m_dependencies.begin(), m_dependencies.end(), [&](const DependencyEntry& e) { return e.operation == operation; });
        if (entry == m_dependencies.end())
            return;
        token = entry->observerToken;
        m_dependencies.erase(entry);
    }
    operation->removeObserverForKeyPath(token);
    willChangeValueForKey("isReady");
    didChangeValueForKey("isReady");
}

std::vector<std::shared_ptr<NSOperation>> NSOperation::dependencies() const
{
    std::lock_guard lock(m_mutex);
    std::vector<std::shared_ptr<NSOperation>> operations;
    for (const auto& entry : m_dependencies)
        operations.push_back(entry.operation);
    return operations;
}

NSOperationQueuePriority NSOperation::queuePriority() const
{
    std::lock_guard lock(m_mutex);
    return m_queuePriority;
}

void NSOperation::setQueuePriority(NSOperationQueuePriority priority)
{
    std::lock_guard lock(m_mutex);
    m_queuePriority = priority;
}

std::function<void()> NSOperation::completionBlock() const
{
    std::lock_guard lock(m_mutex);
    return m_completionBlock;
}

void NSOperation::setCompletionBlock(std::function<void()> block)
{
    std::lock_guard lock(m_mutex);
    m_completionBlock = std::move(block);
}

NSString NSOperation::name() const
{
    std::lock_guard lock(m_mutex);
    return m_name;
}

void NSOperation::setName(const NSString& name)
{
    std::lock_guard lock(m_mutex);
    m_name = name;
}

void NSOperation::waitUntilFinished()
{
    // isFinished() is not read under the wait lock: a subclass may announce its finish while
    // holding its own lock, which isFinished() may also take.
    while (true) {
        NSUInteger seen;
        {
            std::lock_guard lock(m_waitMutex);
            seen = m_finishAnnouncements;
        }
        if (isFinished())
            return;
        std::unique_lock lock(m_waitMutex);
        m_finishedCondition.wait(lock, [&] { return m_finishAnnouncements != seen; });
    }
}

void NSOperation::willChangeValueForKey(const NSString&)
{
}

void NSOperation::didChangeValueForKey(const NSString& key)
{
    const std::string name = key.UTF8String();
    // The operation must outlive its own announcement: the last owner may drop it in an observer.
    auto protectedSelf = self();
    if (name == "isFinished" && isFinished()) {
        std::function<void()> completion;
        {
            std::lock_guard lock(m_mutex);
            if (!m_completionRan) {
                m_completionRan = true;
                completion = m_completionBlock;
            }
        }
        if (completion)
            completion();
    }
    std::vector<std::shared_ptr<KeyObserver>> observers;
    {
        std::lock_guard lock(m_observerMutex);
        for (const auto& entry : m_observers) {
            if (entry.keyPath == name)
                observers.push_back(entry.observer);
        }
    }
    for (const auto& observer : observers)
        (*observer)(key);
    if (name == "isFinished") {
        std::lock_guard lock(m_waitMutex);
        ++m_finishAnnouncements;
        m_finishedCondition.notify_all();
    }
}

NSUInteger NSOperation::addObserverForKeyPath(const NSString& keyPath, KeyObserver observer)
{
    if (!observer || keyPath.isNil())
        return 0;
    std::lock_guard lock(m_observerMutex);
    NSUInteger token = m_nextObserverToken++;
    m_observers.push_back({ token, keyPath.UTF8String(), std::make_shared<KeyObserver>(std::move(observer)) });
    return token;
}

void NSOperation::removeObserverForKeyPath(NSUInteger token)
{
    std::lock_guard lock(m_observerMutex);
    std::erase_if(m_observers, [token](const ObserverEntry& e) { return e.token == token; });
}

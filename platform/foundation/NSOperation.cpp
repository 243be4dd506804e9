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
    m_state.lock()->executing = true;
    didChangeValueForKey("isExecuting");

    main();

    willChangeValueForKey("isExecuting");
    willChangeValueForKey("isFinished");
    {
        auto state = m_state.lock();
        state->executing = false;
        state->finished = true;
    }
    didChangeValueForKey("isFinished");
    didChangeValueForKey("isExecuting");
}

void NSOperation::finishWithoutRunning()
{
    willChangeValueForKey("isFinished");
    m_state.lock()->finished = true;
    didChangeValueForKey("isFinished");
}

void NSOperation::cancel()
{
    {
        auto state = m_state.lock();
        if (state->cancelled || state->finished)
            return;
    }
    willChangeValueForKey("isCancelled");
    m_state.lock()->cancelled = true;
    didChangeValueForKey("isCancelled");
    // Cancelling releases the operation from its dependencies.
    willChangeValueForKey("isReady");
    didChangeValueForKey("isReady");
}

bool NSOperation::isCancelled() const
{
    return m_state.lock()->cancelled;
}

bool NSOperation::isExecuting() const
{
    return m_state.lock()->executing;
}

bool NSOperation::isFinished() const
{
    return m_state.lock()->finished;
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
        auto state = m_state.lock();
        for (const auto& entry : state->dependencies) {
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
    m_state.lock()->dependencies.push_back({ operation, token });
    willChangeValueForKey("isReady");
    didChangeValueForKey("isReady");
}

void NSOperation::removeDependency(const std::shared_ptr<NSOperation>& operation)
{
    NSUInteger token = 0;
    {
        auto state = m_state.lock();
        auto& dependencies = state->dependencies;
        auto entry = std::find_if(dependencies.begin(), dependencies.end(), [&](const DependencyEntry& e) { return e.operation == operation; });
        if (entry == dependencies.end())
            return;
        token = entry->observerToken;
        dependencies.erase(entry);
    }
    operation->removeObserverForKeyPath(token);
    willChangeValueForKey("isReady");
    didChangeValueForKey("isReady");
}

std::vector<std::shared_ptr<NSOperation>> NSOperation::dependencies() const
{
    std::vector<std::shared_ptr<NSOperation>> operations;
    auto state = m_state.lock();
    for (const auto& entry : state->dependencies)
        operations.push_back(entry.operation);
    return operations;
}

NSOperationQueuePriority NSOperation::queuePriority() const
{
    return m_state.lock()->queuePriority;
}

void NSOperation::setQueuePriority(NSOperationQueuePriority priority)
{
    m_state.lock()->queuePriority = priority;
}

std::function<void()> NSOperation::completionBlock() const
{
    return m_state.lock()->completionBlock;
}

void NSOperation::setCompletionBlock(std::function<void()> block)
{
    // The block it replaces goes after the lock: its captures may hold anything.
    std::swap(m_state.lock()->completionBlock, block);
}

NSString NSOperation::name() const
{
    return m_state.lock()->name;
}

void NSOperation::setName(const NSString& name)
{
    m_state.lock()->name = name;
}

void NSOperation::waitUntilFinished()
{
    // isFinished() is asked without the lock: a subclass may announce its finish while holding
    // its own lock, which its isFinished() may also take.
    while (true) {
        const NSUInteger seen = m_state.lock()->finishAnnouncements;
        if (isFinished())
            return;
        auto state = m_state.lock();
        state.wait(m_finishedCondition, [&] { return state->finishAnnouncements != seen; });
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
            auto state = m_state.lock();
            if (!state->completionRan) {
                state->completionRan = true;
                completion = state->completionBlock;
            }
        }
        if (completion)
            completion();
    }
    m_keyObservers.announce(key);
    if (name == "isFinished") {
        auto state = m_state.lock();
        ++state->finishAnnouncements;
        m_finishedCondition.notify_all();
    }
}

NSUInteger NSOperation::addObserverForKeyPath(const NSString& keyPath, KeyObserver observer)
{
    return m_keyObservers.add(keyPath, std::move(observer));
}

void NSOperation::removeObserverForKeyPath(NSUInteger token)
{
    m_keyObservers.remove(token);
}

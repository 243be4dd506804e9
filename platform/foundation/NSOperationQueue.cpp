#include "platform/foundation/NSOperationQueue.h"

#include "platform/foundation/NSBlockOperation.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSThread.h"
#include "platform/foundation/NeverDestroyed.h"
#include "platform/foundation/WorkerThreadPool.h"

#include <algorithm>

namespace {

// What the system chooses for the default count: as many as the worker pool allows.
constexpr NSInteger systemConcurrencyLimit = 64;

thread_local std::weak_ptr<NSOperationQueue> t_currentQueue;

} // namespace

std::shared_ptr<NSOperationQueue> NSOperationQueue::mainQueue()
{
    static const NeverDestroyed<std::shared_ptr<NSOperationQueue>> queue([] {
        auto main = create();
        main->m_isMain = true;
        main->m_maxConcurrentOperationCount = 1;
        main->m_name = "NSOperationQueue Main Queue";
        return main;
    }());
    return queue.get();
}

std::shared_ptr<NSOperationQueue> NSOperationQueue::currentQueue()
{
    if (auto queue = t_currentQueue.lock())
        return queue;
    return NSThread::isMainThread() ? mainQueue() : nullptr;
}

void NSOperationQueue::addOperation(const std::shared_ptr<NSOperation>& operation)
{
    if (!operation)
        return;
    if (operation->isFinished() || operation->isExecuting())
        NSException::raise(NSInvalidArgumentException, "operation is finished or executing and cannot be enqueued");
    std::weak_ptr<NSOperationQueue> weakSelf = self();
    NSOperation* address = operation.get();
    {
        std::lock_guard lock(m_mutex);
        for (const auto& entry : m_entries) {
            if (entry.operation == operation)
                NSException::raise(NSInvalidArgumentException, "operation is already enqueued on a queue");
        }
        if (m_entries.empty())
            m_keepAlive = self();
        m_entries.push_back({ operation, 0, 0, m_nextSequence++, false });
    }
    NSUInteger finishedToken = operation->addObserverForKeyPath("isFinished", [weakSelf, address](const NSString&) {
        if (auto queue = weakSelf.lock())
            queue->operationDidFinish(address);
    });
    NSUInteger readyToken = operation->addObserverForKeyPath("isReady", [weakSelf](const NSString&) {
        if (auto queue = weakSelf.lock())
            queue->schedule();
    });
    bool stillQueued = false;
    {
        std::lock_guard lock(m_mutex);
        for (auto& entry : m_entries) {
            if (entry.operation.get() == address) {
                entry.finishedToken = finishedToken;
                entry.readyToken = readyToken;
                stillQueued = true;
            }
        }
    }
    if (!stillQueued) {
        operation->removeObserverForKeyPath(finishedToken);
        operation->removeObserverForKeyPath(readyToken);
    }
    // It may have finished (cancelled and announced) before the observer was in place.
    if (operation->isFinished())
        operationDidFinish(address);
    schedule();
}

void NSOperationQueue::addOperations(const std::vector<std::shared_ptr<NSOperation>>& operations, bool waitUntilFinished)
{
    for (const auto& operation : operations)
        addOperation(operation);
    if (waitUntilFinished) {
        for (const auto& operation : operations) {
            if (operation)
                operation->waitUntilFinished();
        }
    }
}

void NSOperationQueue::addOperationWithBlock(std::function<void()> block)
{
    addOperation(NSBlockOperation::blockOperationWithBlock(std::move(block)));
}

std::vector<std::shared_ptr<NSOperation>> NSOperationQueue::operations() const
{
    std::lock_guard lock(m_mutex);
    std::vector<std::shared_ptr<NSOperation>> operations;
    for (const auto& entry : m_entries)
        operations.push_back(entry.operation);
    return operations;
}

NSUInteger NSOperationQueue::operationCount() const
{
    std::lock_guard lock(m_mutex);
    return m_entries.size();
}

NSInteger NSOperationQueue::maxConcurrentOperationCount() const
{
    std::lock_guard lock(m_mutex);
    return m_maxConcurrentOperationCount;
}

void NSOperationQueue::setMaxConcurrentOperationCount(NSInteger count)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_isMain || count == m_maxConcurrentOperationCount)
            return;
        m_maxConcurrentOperationCount = count;
    }
    schedule();
}

NSInteger NSOperationQueue::effectiveLimitLocked() const
{
    if (m_maxConcurrentOperationCount < 0)
        return systemConcurrencyLimit;
    return std::min(m_maxConcurrentOperationCount, systemConcurrencyLimit);
}

bool NSOperationQueue::isSuspended() const
{
    std::lock_guard lock(m_mutex);
    return m_suspended;
}

void NSOperationQueue::setSuspended(bool suspended)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_suspended == suspended)
            return;
        m_suspended = suspended;
    }
    schedule();
}

NSString NSOperationQueue::name() const
{
    std::lock_guard lock(m_mutex);
    return m_name;
}

void NSOperationQueue::setName(const NSString& name)
{
    std::lock_guard lock(m_mutex);
    m_name = name;
}

void NSOperationQueue::cancelAllOperations()
{
    for (const auto& operation : operations())
        operation->cancel();
}

void NSOperationQueue::waitUntilAllOperationsAreFinished()
{
    std::unique_lock lock(m_mutex);
    m_emptyCondition.wait(lock, [this] { return m_entries.empty(); });
}

void NSOperationQueue::operationDidFinish(NSOperation* operation)
{
    std::shared_ptr<NSOperation> finished;
    std::shared_ptr<NSOperationQueue> releasedSelf;
    NSUInteger finishedToken = 0;
    NSUInteger readyToken = 0;
    {
        std::lock_guard lock(m_mutex);
        auto entry = std::find_if(m_entries.begin(), m_entries.end(), [operation](const Entry& e) { return e.operation.get() == operation; });
        if (entry == m_entries.end())
            return;
        finished = entry->operation;
        finishedToken = entry->finishedToken;
        readyToken = entry->readyToken;
        if (entry->started)
            --m_running;
        m_entries.erase(entry);
        if (m_entries.empty()) {
            releasedSelf = std::move(m_keepAlive);
            m_emptyCondition.notify_all();
        }
    }
    finished->removeObserverForKeyPath(finishedToken);
    finished->removeObserverForKeyPath(readyToken);
    schedule();
    // releasedSelf and finished go last: either may hold the last reference to its object.
}

void NSOperationQueue::schedule()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_scheduling) {
            m_rescheduleRequested = true;
            return;
        }
        m_scheduling = true;
    }
    // Readiness is asked without the queue's lock: an operation may be announcing a change under
    // its own lock and call back into the queue.
    auto protectedSelf = self();
    while (true) {
        std::vector<Entry> candidates;
        NSInteger slots = 0;
        {
            std::lock_guard lock(m_mutex);
            m_rescheduleRequested = false;
            if (!m_suspended) {
                slots = effectiveLimitLocked() - m_running;
                for (const auto& entry : m_entries) {
                    if (!entry.started)
                        candidates.push_back(entry);
                }
            }
        }
        std::stable_sort(candidates.begin(), candidates.end(), [](const Entry& a, const Entry& b) {
            return a.operation->queuePriority() > b.operation->queuePriority();
        });
        for (const auto& candidate : candidates) {
            if (slots <= 0)
                break;
            if (!candidate.operation->isReady())
                continue;
            bool claimed = false;
            {
                std::lock_guard lock(m_mutex);
                for (auto& entry : m_entries) {
                    if (entry.operation == candidate.operation && !entry.started) {
                        entry.started = true;
                        ++m_running;
                        claimed = true;
                    }
                }
            }
            if (claimed) {
                --slots;
                launch(candidate.operation);
            }
        }
        std::lock_guard lock(m_mutex);
        if (!m_rescheduleRequested) {
            m_scheduling = false;
            return;
        }
    }
}

void NSOperationQueue::launch(const std::shared_ptr<NSOperation>& operation)
{
    auto job = [queue = self(), operation] {
        auto previous = t_currentQueue;
        t_currentQueue = queue;
        operation->start();
        t_currentQueue = previous;
    };
    if (m_isMain)
        NSRunLoop::mainRunLoop()->performBlock(std::move(job));
    else if (operation->startsWithoutBlocking())
        job();
    else
        WorkerThreadPool::shared().run(std::move(job));
}

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
        auto state = main->m_state.lock();
        state->maxConcurrentOperationCount = 1;
        state->name = "NSOperationQueue Main Queue";
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
        auto state = m_state.lock();
        for (const auto& entry : state->entries) {
            if (entry.operation == operation)
                NSException::raise(NSInvalidArgumentException, "operation is already enqueued on a queue");
        }
        if (state->entries.empty())
            state->keepAlive = self();
        state->entries.push_back({ operation, 0, 0, state->nextSequence++, false });
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
        auto state = m_state.lock();
        for (auto& entry : state->entries) {
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
    std::vector<std::shared_ptr<NSOperation>> operations;
    auto state = m_state.lock();
    for (const auto& entry : state->entries)
        operations.push_back(entry.operation);
    return operations;
}

NSUInteger NSOperationQueue::operationCount() const
{
    return m_state.lock()->entries.size();
}

NSInteger NSOperationQueue::maxConcurrentOperationCount() const
{
    return m_state.lock()->maxConcurrentOperationCount;
}

void NSOperationQueue::setMaxConcurrentOperationCount(NSInteger count)
{
    {
        auto state = m_state.lock();
        if (m_isMain || count == state->maxConcurrentOperationCount)
            return;
        state->maxConcurrentOperationCount = count;
    }
    schedule();
}

NSInteger NSOperationQueue::State::effectiveLimit() const
{
    if (maxConcurrentOperationCount < 0)
        return systemConcurrencyLimit;
    return std::min(maxConcurrentOperationCount, systemConcurrencyLimit);
}

bool NSOperationQueue::isSuspended() const
{
    return m_state.lock()->suspended;
}

void NSOperationQueue::setSuspended(bool suspended)
{
    {
        auto state = m_state.lock();
        if (state->suspended == suspended)
            return;
        state->suspended = suspended;
    }
    schedule();
}

NSString NSOperationQueue::name() const
{
    return m_state.lock()->name;
}

void NSOperationQueue::setName(const NSString& name)
{
    m_state.lock()->name = name;
}

void NSOperationQueue::cancelAllOperations()
{
    for (const auto& operation : operations())
        operation->cancel();
}

void NSOperationQueue::waitUntilAllOperationsAreFinished()
{
    auto state = m_state.lock();
    state.wait(m_emptyCondition, [&] { return state->entries.empty(); });
}

void NSOperationQueue::operationDidFinish(NSOperation* operation)
{
    std::shared_ptr<NSOperation> finished;
    std::shared_ptr<NSOperationQueue> releasedSelf;
    NSUInteger finishedToken = 0;
    NSUInteger readyToken = 0;
    {
        auto state = m_state.lock();
        auto& entries = state->entries;
        auto entry = std::find_if(entries.begin(), entries.end(), [operation](const Entry& e) { return e.operation.get() == operation; });
        if (entry == entries.end())
            return;
        finished = entry->operation;
        finishedToken = entry->finishedToken;
        readyToken = entry->readyToken;
        if (entry->started)
            --state->running;
        entries.erase(entry);
        if (entries.empty()) {
            releasedSelf = std::move(state->keepAlive);
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
        auto state = m_state.lock();
        if (state->scheduling) {
            state->rescheduleRequested = true;
            return;
        }
        state->scheduling = true;
    }
    // Readiness is asked without the queue's lock: an operation may be announcing a change under
    // its own lock and call back into the queue.
    auto protectedSelf = self();
    while (true) {
        std::vector<Entry> candidates;
        NSInteger slots = 0;
        {
            auto state = m_state.lock();
            state->rescheduleRequested = false;
            if (!state->suspended) {
                slots = state->effectiveLimit() - state->running;
                for (const auto& entry : state->entries) {
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
                auto state = m_state.lock();
                for (auto& entry : state->entries) {
                    if (entry.operation == candidate.operation && !entry.started) {
                        entry.started = true;
                        ++state->running;
                        claimed = true;
                    }
                }
            }
            if (claimed) {
                --slots;
                launch(candidate.operation);
            }
        }
        auto state = m_state.lock();
        if (!state->rescheduleRequested) {
            state->scheduling = false;
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

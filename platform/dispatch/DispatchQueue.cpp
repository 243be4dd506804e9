#include "platform/dispatch/DispatchQueue.h"

#include "platform/foundation/NSException.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSThread.h"
#include "platform/foundation/NeverDestroyed.h"
#include "platform/foundation/WorkerThreadPool.h"

#include <climits>
#include <vector>

namespace {

// The queues whose blocks this thread is running, innermost last. The queues are kept alive by
// the jobs (or synchronous callers) running their blocks.
thread_local std::vector<const DispatchQueue*> t_queueStack;

struct QueueScope {
    explicit QueueScope(const DispatchQueue* queue) { t_queueStack.push_back(queue); }
    ~QueueScope() { t_queueStack.pop_back(); }
};

} // namespace

void DispatchQueue::init(std::string label, Kind kind)
{
    m_label = std::move(label);
    m_kind = kind;
}

DispatchQueue::~DispatchQueue()
{
    for (auto& [key, specific] : m_state.lock()->specifics) {
        if (specific.destructor && specific.context)
            specific.destructor(specific.context);
    }
}

std::shared_ptr<DispatchQueue> DispatchQueue::mainQueue()
{
    static const NeverDestroyed<std::shared_ptr<DispatchQueue>> queue(create("corvane.main-thread", Kind::main));
    return queue.get();
}

std::shared_ptr<DispatchQueue> DispatchQueue::globalQueue(long priority)
{
    using Queue = NeverDestroyed<std::shared_ptr<DispatchQueue>>;
    static const Queue high(create("corvane.root.high-priority", Kind::global));
    static const Queue normal(create("corvane.root.default-priority", Kind::global));
    static const Queue low(create("corvane.root.low-priority", Kind::global));
    static const Queue background(create("corvane.root.background-priority", Kind::global));
    if (priority >= 2)
        return high.get();
    if (priority >= 0)
        return normal.get();
    if (priority >= -2)
        return low.get();
    return background.get();
}

std::shared_ptr<DispatchQueue> DispatchQueue::current()
{
    if (!t_queueStack.empty()) {
        auto queue = const_cast<DispatchQueue*>(t_queueStack.back());
        return queue->self();
    }
    return NSThread::isMainThread() ? mainQueue() : nullptr;
}

NSString DispatchQueue::description() const
{
    return NSString::stringWithFormat("<DispatchQueue: %s>", m_label.c_str());
}

std::shared_ptr<DispatchQueue> DispatchQueue::target() const
{
    auto state = m_state.lock();
    if (state->target || m_kind == Kind::main || m_kind == Kind::global)
        return state->target;
    return globalQueue(0);
}

void DispatchQueue::setTarget(const std::shared_ptr<DispatchQueue>& target)
{
    if (m_kind == Kind::main || m_kind == Kind::global || target.get() == this)
        return;
    m_state.lock()->target = target;
}

void DispatchQueue::suspend()
{
    if (m_kind == Kind::main || m_kind == Kind::global)
        return;
    ++m_state.lock()->suspendCount;
}

void DispatchQueue::resume()
{
    {
        auto state = m_state.lock();
        if (state->suspendCount == 0)
            NSException::raise(NSInternalInconsistencyException, "over-resume of dispatch queue %s", m_label.c_str());
        --state->suspendCount;
    }
    pump();
}

void DispatchQueue::setSpecific(const void* key, void* context, dispatch_function_t destructor)
{
    if (!key)
        return;
    Specific previous;
    {
        auto state = m_state.lock();
        auto found = state->specifics.find(key);
        if (found != state->specifics.end()) {
            previous = found->second;
            state->specifics.erase(found);
        }
        if (context)
            state->specifics[key] = { context, destructor };
    }
    if (previous.destructor && previous.context)
        previous.destructor(previous.context);
}

void* DispatchQueue::specific(const void* key) const
{
    auto state = m_state.lock();
    auto found = state->specifics.find(key);
    return found == state->specifics.end() ? nullptr : found->second.context;
}

void* DispatchQueue::specificInTargetChain(const void* key) const
{
    // Bounded: a cycle of targets is a programming error, but must not hang the lookup.
    auto queue = std::const_pointer_cast<DispatchQueue>(self());
    for (int depth = 0; queue && depth < 64; ++depth) {
        if (void* value = queue->specific(key))
            return value;
        queue = queue->target();
    }
    return nullptr;
}

void DispatchQueue::runAsCurrent(const dispatch_block_t& block)
{
    QueueScope scope(this);
    block();
}

void DispatchQueue::async(dispatch_block_t block, bool barrier)
{
    if (!block)
        return;
    if (m_kind == Kind::main) {
        NSRunLoop::mainRunLoop()->performBlock([queue = self(), block = std::move(block)] { queue->runAsCurrent(block); });
        return;
    }
    if (m_kind == Kind::global) {
        WorkerThreadPool::shared().run([queue = self(), block = std::move(block)] { queue->runAsCurrent(block); });
        return;
    }
    enqueue({ std::move(block), barrier, nullptr });
}

void DispatchQueue::sync(const dispatch_block_t& block, bool barrier)
{
    if (!block)
        return;
    auto protectedSelf = self();
    if (m_kind == Kind::main) {
        if (NSThread::isMainThread())
            NSException::raise(NSInternalInconsistencyException, "dispatch_sync onto the main queue from the main thread would deadlock");
        NSThread::mainThread()->performBlock([this, &block] { runAsCurrent(block); }, true);
        return;
    }
    if (m_kind == Kind::global) {
        runAsCurrent(block);
        return;
    }
    auto waiter = std::make_shared<SyncWaiter>();
    enqueue({ nullptr, barrier, waiter });
    {
        auto mayRun = waiter->mayRun.lock();
        mayRun.wait(waiter->condition, [&] { return *mayRun; });
    }
    struct Finish {
        DispatchQueue& queue;
        bool barrier;
        ~Finish() { queue.finishItem(barrier); }
    } finish { *this, barrier };
    runAsCurrent(block);
}

void DispatchQueue::enqueue(Item item)
{
    {
        m_state.lock()->pending.push_back(std::move(item));
    }
    pump();
}

void DispatchQueue::pump()
{
    const int width = m_kind == Kind::concurrent ? INT_MAX : 1;
    std::vector<Item> starting;
    {
        auto state = m_state.lock();
        while (state->suspendCount == 0 && !state->pending.empty()) {
            const Item& front = state->pending.front();
            bool canStart = front.barrier ? state->running == 0 : (!state->barrierRunning && state->running < width);
            if (!canStart)
                break;
            ++state->running;
            if (front.barrier)
                state->barrierRunning = true;
            starting.push_back(std::move(state->pending.front()));
            state->pending.pop_front();
        }
    }
    for (auto& item : starting) {
        if (item.waiter) {
            *item.waiter->mayRun.lock() = true;
            item.waiter->condition.notify_all();
            continue;
        }
        submit([queue = self(), block = std::move(item.block), barrier = item.barrier] {
            queue->runAsCurrent(block);
            queue->finishItem(barrier);
        });
    }
}

void DispatchQueue::finishItem(bool barrier)
{
    {
        auto state = m_state.lock();
        --state->running;
        if (barrier)
            state->barrierRunning = false;
    }
    pump();
}

void DispatchQueue::submit(std::function<void()> job)
{
    auto destination = target();
    if (destination)
        destination->async(std::move(job));
    else
        WorkerThreadPool::shared().run(std::move(job));
}

#include "platform/dispatch/dispatch.h"

#include "platform/dispatch/DispatchTimerThread.h"
#include "platform/foundation/Guarded.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSTimer.h"
#include "platform/foundation/WorkerThreadPool.h"

#include <algorithm>
#include <atomic>
#include <thread>

dispatch_queue_t dispatch_queue_create(const char* label, dispatch_queue_attr_t attribute)
{
    return DispatchQueue::create(label ? label : "", attribute == DISPATCH_QUEUE_CONCURRENT ? DispatchQueue::Kind::concurrent : DispatchQueue::Kind::serial);
}

dispatch_queue_t dispatch_queue_create(const char* label, std::nullptr_t)
{
    return dispatch_queue_create(label, DISPATCH_QUEUE_SERIAL);
}

dispatch_queue_t dispatch_get_main_queue()
{
    return DispatchQueue::mainQueue();
}

dispatch_queue_t dispatch_get_global_queue(long priority, unsigned long)
{
    return DispatchQueue::globalQueue(priority);
}

const char* dispatch_queue_get_label(const dispatch_queue_t& queue)
{
    if (queue)
        return queue->label();
    auto current = DispatchQueue::current();
    return current ? current->label() : "";
}

void dispatch_set_target_queue(const dispatch_queue_t& queue, const dispatch_queue_t& target)
{
    if (queue)
        queue->setTarget(target);
}

void dispatch_async(const dispatch_queue_t& queue, dispatch_block_t block)
{
    if (queue)
        queue->async(std::move(block));
}

void dispatch_sync(const dispatch_queue_t& queue, const dispatch_block_t& block)
{
    if (queue)
        queue->sync(block);
}

void dispatch_barrier_async(const dispatch_queue_t& queue, dispatch_block_t block)
{
    if (queue)
        queue->async(std::move(block), true);
}

void dispatch_barrier_sync(const dispatch_queue_t& queue, const dispatch_block_t& block)
{
    if (queue)
        queue->sync(block, true);
}

void dispatch_after(dispatch_time_t when, const dispatch_queue_t& queue, dispatch_block_t block)
{
    if (!queue || !block || when == DISPATCH_TIME_FOREVER)
        return;
    if (queue->kind() == DispatchQueue::Kind::main) {
        // A main run loop timer, so that advancing the manual clock runs it at its due time.
        auto timer = NSTimer::timerWithTimeInterval(dispatchSecondsUntil(when), [block = std::move(block)](const auto&) { block(); }, false);
        NSRunLoop::mainRunLoop()->addTimer(timer, NSRunLoopCommonModes);
        return;
    }
    DispatchTimerThread::shared().schedule(when == DISPATCH_TIME_NOW ? dispatchNow() : when, [queue, block = std::move(block)]() mutable {
        queue->async(std::move(block));
    });
}

void dispatch_apply(size_t iterations, const dispatch_queue_t& queue, const std::function<void(size_t)>& block)
{
    if (!queue || !block || iterations == 0)
        return;
    if (queue->kind() != DispatchQueue::Kind::concurrent && queue->kind() != DispatchQueue::Kind::global) {
        queue->sync([&] {
            for (size_t index = 0; index < iterations; ++index)
                block(index);
        });
        return;
    }
    // The caller takes part, so the call finishes even when every worker is busy.
    struct Shared {
        std::atomic<size_t> next { 0 };
        Guarded<size_t> done { size_t(0) };
        std::condition_variable condition;
    };
    auto shared = std::make_shared<Shared>();
    auto work = [shared, iterations, &block] {
        size_t index;
        size_t completed = 0;
        while ((index = shared->next++) < iterations) {
            block(index);
            ++completed;
        }
        auto done = shared->done.lock();
        *done += completed;
        shared->condition.notify_all();
    };
    size_t helpers = std::min<size_t>(iterations, std::max(1u, std::thread::hardware_concurrency())) - 1;
    for (size_t helper = 0; helper < helpers; ++helper)
        queue->async(work);
    queue->sync(work);
    auto done = shared->done.lock();
    done.wait(shared->condition, [&] { return *done == iterations; });
}

void dispatch_once(dispatch_once_t* predicate, const dispatch_block_t& block)
{
    if (predicate && block)
        std::call_once(*predicate, block);
}

dispatch_time_t dispatch_time(dispatch_time_t when, int64_t delta)
{
    if (when == DISPATCH_TIME_FOREVER)
        return DISPATCH_TIME_FOREVER;
    dispatch_time_t base = when == DISPATCH_TIME_NOW ? dispatchNow() : when;
    if (delta < 0)
        return static_cast<dispatch_time_t>(-delta) >= base ? 1 : base + delta;
    dispatch_time_t result = base + static_cast<dispatch_time_t>(delta);
    return result < base ? DISPATCH_TIME_FOREVER - 1 : result;
}

void dispatch_queue_set_specific(const dispatch_queue_t& queue, const void* key, void* context, dispatch_function_t destructor)
{
    if (queue)
        queue->setSpecific(key, context, destructor);
}

void* dispatch_queue_get_specific(const dispatch_queue_t& queue, const void* key)
{
    return queue ? queue->specific(key) : nullptr;
}

void* dispatch_get_specific(const void* key)
{
    auto current = DispatchQueue::current();
    return current ? current->specificInTargetChain(key) : nullptr;
}

void dispatch_suspend(const dispatch_queue_t& queue)
{
    if (queue)
        queue->suspend();
}

void dispatch_resume(const dispatch_queue_t& queue)
{
    if (queue)
        queue->resume();
}

dispatch_group_t dispatch_group_create()
{
    return DispatchGroup::create();
}

void dispatch_group_enter(const dispatch_group_t& group)
{
    if (group)
        group->enter();
}

void dispatch_group_leave(const dispatch_group_t& group)
{
    if (group)
        group->leave();
}

void dispatch_group_async(const dispatch_group_t& group, const dispatch_queue_t& queue, dispatch_block_t block)
{
    if (!group || !queue || !block)
        return;
    group->enter();
    queue->async([group, block = std::move(block)] {
        block();
        group->leave();
    });
}

void dispatch_group_notify(const dispatch_group_t& group, const dispatch_queue_t& queue, dispatch_block_t block)
{
    if (group)
        group->notify(queue, std::move(block));
}

long dispatch_group_wait(const dispatch_group_t& group, dispatch_time_t timeout)
{
    return group ? group->wait(timeout) : 0;
}

dispatch_semaphore_t dispatch_semaphore_create(long value)
{
    return value < 0 ? nullptr : DispatchSemaphore::create(value);
}

long dispatch_semaphore_wait(const dispatch_semaphore_t& semaphore, dispatch_time_t timeout)
{
    return semaphore ? semaphore->wait(timeout) : 0;
}

long dispatch_semaphore_signal(const dispatch_semaphore_t& semaphore)
{
    return semaphore ? semaphore->signal() : 0;
}

dispatch_source_t dispatch_source_create(dispatch_source_type_t, uintptr_t, unsigned long, const dispatch_queue_t& queue)
{
    return DispatchSource::create(queue);
}

void dispatch_source_set_timer(const dispatch_source_t& source, dispatch_time_t start, uint64_t interval, uint64_t leeway)
{
    if (source)
        source->setTimer(start, interval, leeway);
}

void dispatch_source_set_event_handler(const dispatch_source_t& source, dispatch_block_t handler)
{
    if (source)
        source->setEventHandler(std::move(handler));
}

void dispatch_source_set_cancel_handler(const dispatch_source_t& source, dispatch_block_t handler)
{
    if (source)
        source->setCancelHandler(std::move(handler));
}

void dispatch_source_cancel(const dispatch_source_t& source)
{
    if (source)
        source->cancel();
}

long dispatch_source_testcancel(const dispatch_source_t& source)
{
    return source && source->isCancelled() ? 1 : 0;
}

void dispatch_suspend(const dispatch_source_t& source)
{
    if (source)
        source->suspend();
}

void dispatch_resume(const dispatch_source_t& source)
{
    if (source)
        source->resume();
}

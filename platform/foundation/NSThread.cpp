#include "platform/foundation/NSThread.h"

#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NeverDestroyed.h"
#include "platform/foundation/SystemClock.h"

#include <chrono>
#include <condition_variable>
#include <pthread.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace {

thread_local std::shared_ptr<NSThread> t_currentThread;

bool onProcessMainThread()
{
    // Asked on every hop between threads: two system calls each time add up.
    thread_local const bool isMain = static_cast<pid_t>(syscall(SYS_gettid)) == getpid();
    return isMain;
}

} // namespace

std::shared_ptr<NSThread> NSThread::makeMainThread()
{
    // The main run loop listens to the clock until exit; making the clock's state first makes it
    // outlive the main thread object in static destruction.
    SystemClock::isManual();
    auto thread = create();
    thread->m_isMain = true;
    auto state = thread->m_state.lock();
    state->started = true;
    state->executing = true;
    state->name = "main";
    return thread;
}

std::shared_ptr<NSThread> NSThread::mainThread()
{
    static const NeverDestroyed<std::shared_ptr<NSThread>> thread(makeMainThread());
    return thread.get();
}

std::shared_ptr<NSThread> NSThread::currentThread()
{
    if (onProcessMainThread())
        return mainThread();
    if (!t_currentThread) {
        t_currentThread = create();
        auto state = t_currentThread->m_state.lock();
        state->started = true;
        state->executing = true;
    }
    return t_currentThread;
}

bool NSThread::isMainThread()
{
    return onProcessMainThread();
}

std::shared_ptr<NSThread> NSThread::detachNewThreadWithBlock(std::function<void()> block)
{
    auto thread = create(std::move(block));
    thread->start();
    return thread;
}

void NSThread::sleepForTimeInterval(NSTimeInterval seconds)
{
    if (seconds > 0)
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

void NSThread::sleepUntilDate(const std::shared_ptr<NSDate>& date)
{
    if (date)
        sleepForTimeInterval(date->timeIntervalSinceNow());
}

void NSThread::performOnMainThread(std::function<void()> block, bool waitUntilDone)
{
    mainThread()->performBlock(std::move(block), waitUntilDone);
}

void NSThread::start()
{
    {
        auto state = m_state.lock();
        if (state->started)
            NSException::raise(NSInvalidArgumentException, "%s: thread already started", className());
        state->started = true;
        state->executing = true;
    }
    // The thread keeps its NSThread alive until its body returns.
    std::thread([self = self()] {
        t_currentThread = self;
        if (NSString name = self->name(); !name.isNil())
            pthread_setname_np(pthread_self(), name.UTF8String().substr(0, 15).c_str());
        self->main();
        auto state = self->m_state.lock();
        state->executing = false;
        state->finished = true;
    }).detach();
}

void NSThread::main()
{
    std::function<void()> block = m_state.lock()->block;
    if (block)
        block();
}

void NSThread::cancel()
{
    m_state.lock()->cancelled = true;
}

bool NSThread::isCancelled() const
{
    return m_state.lock()->cancelled;
}

bool NSThread::isExecuting() const
{
    return m_state.lock()->executing;
}

bool NSThread::isFinished() const
{
    return m_state.lock()->finished;
}

NSString NSThread::name() const
{
    return m_state.lock()->name;
}

void NSThread::setName(const NSString& name)
{
    m_state.lock()->name = name;
}

std::shared_ptr<NSRunLoop> NSThread::runLoop()
{
    auto state = m_state.lock();
    if (!state->runLoop) {
        state->runLoop = NSRunLoop::create();
        state->runLoop->setIsMain(m_isMain, PassKey<NSThread>());
    }
    return state->runLoop;
}

void NSThread::performBlock(std::function<void()> block, bool waitUntilDone)
{
    performBlock(std::move(block), waitUntilDone, { NSRunLoopCommonModes });
}

void NSThread::performBlock(std::function<void()> block, bool waitUntilDone, const std::vector<NSString>& modes)
{
    if (!block)
        return;
    if (waitUntilDone && currentThread().get() == this) {
        block();
        return;
    }
    if (!waitUntilDone) {
        runLoop()->performInModes(modes, std::move(block));
        return;
    }
    struct Completion {
        Guarded<bool> done { false };
        std::condition_variable condition;
    };
    auto completion = std::make_shared<Completion>();
    runLoop()->performInModes(modes, [block = std::move(block), completion] {
        block();
        auto done = completion->done.lock();
        *done = true;
        completion->condition.notify_all();
    });
    auto done = completion->done.lock();
    done.wait(completion->condition, [&] { return *done; });
}

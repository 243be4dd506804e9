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
    thread->m_started = true;
    thread->m_executing = true;
    thread->m_name = "main";
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
        t_currentThread->m_started = true;
        t_currentThread->m_executing = true;
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
        std::lock_guard lock(m_mutex);
        if (m_started)
            NSException::raise(NSInvalidArgumentException, "%s: thread already started", className());
        m_started = true;
        m_executing = true;
    }
    // The thread keeps its NSThread alive until its body returns.
    std::thread([self = self()] {
        t_currentThread = self;
        {
            std::lock_guard lock(self->m_mutex);
            if (!self->m_name.isNil())
                pthread_setname_np(pthread_self(), self->m_name.UTF8String().substr(0, 15).c_str());
        }
        self->main();
        std::lock_guard lock(self->m_mutex);
        self->m_executing = false;
        self->m_finished = true;
    }).detach();
}

void NSThread::main()
{
    std::function<void()> block;
    {
        std::lock_guard lock(m_mutex);
        block = m_block;
    }
    if (block)
        block();
}

void NSThread::cancel()
{
    std::lock_guard lock(m_mutex);
    m_cancelled = true;
}

bool NSThread::isCancelled() const
{
    std::lock_guard lock(m_mutex);
    return m_cancelled;
}

bool NSThread::isExecuting() const
{
    std::lock_guard lock(m_mutex);
    return m_executing;
}

bool NSThread::isFinished() const
{
    std::lock_guard lock(m_mutex);
    return m_finished;
}

NSString NSThread::name() const
{
    std::lock_guard lock(m_mutex);
    return m_name;
}

void NSThread::setName(const NSString& name)
{
    std::lock_guard lock(m_mutex);
    m_name = name;
}

std::shared_ptr<NSRunLoop> NSThread::runLoop()
{
    std::lock_guard lock(m_mutex);
    if (!m_runLoop) {
        m_runLoop = NSRunLoop::create();
        m_runLoop->setIsMain(m_isMain, PassKey<NSThread>());
    }
    return m_runLoop;
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
        std::mutex mutex;
        std::condition_variable condition;
        bool done { false };
    };
    auto completion = std::make_shared<Completion>();
    runLoop()->performInModes(modes, [block = std::move(block), completion] {
        block();
        std::lock_guard lock(completion->mutex);
        completion->done = true;
        completion->condition.notify_all();
    });
    std::unique_lock lock(completion->mutex);
    completion->condition.wait(lock, [&] { return completion->done; });
}

#include "platform/foundation/NSRunLoop.h"

#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/NSPort.h"
#include "platform/foundation/NSThread.h"
#include "platform/foundation/NSTimer.h"
#include "platform/foundation/SystemClock.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

// Timers due within this margin count as due: fire dates are sums of intervals and may miss an
// advanced-to date by a rounding error.
constexpr NSTimeInterval dueMargin = 1e-6;
// A run-to-empty of posted blocks gives up after this many passes, so a block that keeps
// reposting itself cannot hang the clock.
constexpr int maximumDrainPasses = 10000;

double steadySeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

void NSRunLoop::init()
{
    m_wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    std::weak_ptr<NSRunLoop> weakSelf = self();
    m_clockListener = SystemClock::addChangeListener([weakSelf] {
        if (auto runLoop = weakSelf.lock())
            runLoop->wakeUp();
    });
}

NSRunLoop::~NSRunLoop()
{
    SystemClock::removeChangeListener(m_clockListener);
    if (m_wakeFd >= 0)
        close(m_wakeFd);
}

std::shared_ptr<NSRunLoop> NSRunLoop::currentRunLoop()
{
    return NSThread::currentThread()->runLoop();
}

std::shared_ptr<NSRunLoop> NSRunLoop::mainRunLoop()
{
    return NSThread::mainThread()->runLoop();
}

NSString NSRunLoop::currentMode() const
{
    auto state = m_state.lock();
    if (state->modeStack.empty())
        return nullptr;
    return NSString(state->modeStack.back());
}

bool NSRunLoop::isCommonMode(const std::string& mode) const
{
    return mode == NSDefaultRunLoopMode || mode == UITrackingRunLoopMode;
}

bool NSRunLoop::matches(const std::vector<std::string>& modes, const std::string& mode) const
{
    for (const auto& candidate : modes) {
        if (candidate == mode || (candidate == NSRunLoopCommonModes && isCommonMode(mode)))
            return true;
    }
    return false;
}

std::vector<std::string> NSRunLoop::modeNames(const std::vector<NSRunLoopMode>& modes) const
{
    std::vector<std::string> names;
    for (const auto& mode : modes) {
        if (!mode.isNil())
            names.push_back(mode.UTF8String());
    }
    return names;
}

void NSRunLoop::addTimer(const std::shared_ptr<NSTimer>& timer, const NSRunLoopMode& mode)
{
    if (!timer || mode.isNil() || !timer->isValid() || !timer->attach(self(), PassKey<NSRunLoop>()))
        return;
    std::string name = mode.UTF8String();
    {
        auto state = m_state.lock();
        auto& timers = state->timers;
        auto entry = std::find_if(timers.begin(), timers.end(), [&](const TimerEntry& e) { return e.timer == timer; });
        if (entry == timers.end())
            timers.push_back({ timer, { name }, state->nextSequence++ });
        else if (std::find(entry->modes.begin(), entry->modes.end(), name) == entry->modes.end())
            entry->modes.push_back(name);
    }
    wakeUp();
}

void NSRunLoop::timerDidChange(const NSTimer* timer)
{
    // The timer dropped goes after the lock: its last reference may be this entry.
    std::vector<TimerEntry> dropped;
    {
        auto state = m_state.lock();
        std::erase_if(state->timers, [&](TimerEntry& e) {
            if (e.timer.get() != timer || e.timer->isValid())
                return false;
            dropped.push_back(std::move(e));
            return true;
        });
    }
    wakeUp();
}

void NSRunLoop::addPort(const std::shared_ptr<NSPort>& port, const NSRunLoopMode& mode)
{
    if (!port || mode.isNil())
        return;
    std::string name = mode.UTF8String();
    auto state = m_state.lock();
    for (const auto& entry : state->ports) {
        if (entry.port == port && entry.mode == name)
            return;
    }
    state->ports.push_back({ port, name });
}

void NSRunLoop::removePort(const std::shared_ptr<NSPort>& port, const NSRunLoopMode& mode)
{
    if (mode.isNil())
        return;
    std::string name = mode.UTF8String();
    m_state.withLock([&](State& state) { std::erase_if(state.ports, [&](const PortEntry& e) { return e.port == port && e.mode == name; }); });
}

void NSRunLoop::performBlock(std::function<void()> block)
{
    performInModes({ NSRunLoopCommonModes }, std::move(block));
}

void NSRunLoop::performInModes(const std::vector<NSRunLoopMode>& modes, std::function<void()> block)
{
    if (!block)
        return;
    auto names = modeNames(modes);
    bool claimed;
    {
        auto state = m_state.lock();
        state->performs.push_back({ std::move(block), std::move(names) });
        claimed = claimWakeUp(*state);
    }
    if (claimed)
        signalWakeUp();
}

NSUInteger NSRunLoop::addFileDescriptor(int fd, short events, std::function<void(short)> handler, const std::vector<NSRunLoopMode>& modes)
{
    if (fd < 0 || !handler)
        return 0;
    NSUInteger token;
    auto entry = std::make_shared<std::function<void(short)>>(std::move(handler));
    auto names = modeNames(modes);
    {
        auto state = m_state.lock();
        token = state->nextToken++;
        state->descriptors.push_back({ token, fd, events, std::move(entry), std::move(names) });
        ++state->descriptorGeneration;
    }
    wakeUp();
    return token;
}

void NSRunLoop::removeFileDescriptor(NSUInteger token)
{
    // The handler goes after the lock: its captures may hold what removes more descriptors.
    std::vector<DescriptorEntry> removed;
    {
        auto state = m_state.lock();
        std::erase_if(state->descriptors, [&](DescriptorEntry& e) {
            if (e.token != token)
                return false;
            removed.push_back(std::move(e));
            return true;
        });
        if (!removed.empty())
            ++state->descriptorGeneration;
    }
    wakeUp();
}

void NSRunLoop::setFileDescriptorEvents(NSUInteger token, short events)
{
    bool claimed;
    {
        auto state = m_state.lock();
        auto& descriptors = state->descriptors;
        auto found = std::find_if(descriptors.begin(), descriptors.end(), [token](const DescriptorEntry& e) { return e.token == token; });
        if (found == descriptors.end() || found->events == events)
            return;
        found->events = events;
        if (state->pollSetGeneration == state->descriptorGeneration) {
            auto inSet = std::find(state->pollSetTokens.begin(), state->pollSetTokens.end(), token);
            if (inSet != state->pollSetTokens.end())
                state->pollSet[static_cast<std::size_t>(inSet - state->pollSetTokens.begin())].events = events;
        }
        claimed = claimWakeUp(*state);
    }
    if (claimed)
        signalWakeUp();
}

NSUInteger NSRunLoop::addPassObserver(std::function<void()> observer)
{
    if (!observer)
        return 0;
    auto entry = std::make_shared<std::function<void()>>(std::move(observer));
    auto state = m_state.lock();
    const NSUInteger token = state->nextToken++;
    state->passObservers.emplace_back(token, std::move(entry));
    return token;
}

void NSRunLoop::removePassObserver(NSUInteger token)
{
    std::vector<std::shared_ptr<std::function<void()>>> removed;
    auto state = m_state.lock();
    std::erase_if(state->passObservers, [&](auto& entry) {
        if (entry.first != token)
            return false;
        removed.push_back(std::move(entry.second));
        return true;
    });
}

void NSRunLoop::notifyPassObservers()
{
    std::vector<std::shared_ptr<std::function<void()>>> observers;
    {
        auto state = m_state.lock();
        if (state->passObservers.empty())
            return;
        for (const auto& entry : state->passObservers)
            observers.push_back(entry.second);
    }
    for (const auto& observer : observers)
        (*observer)();
}

bool NSRunLoop::claimWakeUp(State& state)
{
    if (m_wakeFd < 0 || m_runningThread.load(std::memory_order_relaxed) == std::this_thread::get_id())
        return false;
    return !std::exchange(state.wakePending, true);
}

void NSRunLoop::signalWakeUp()
{
    uint64_t one = 1;
    [[maybe_unused]] auto written = write(m_wakeFd, &one, sizeof one);
}

void NSRunLoop::wakeUp()
{
    if (m_state.withLock([this](State& state) { return claimWakeUp(state); }))
        signalWakeUp();
}

void NSRunLoop::stop()
{
    m_state.lock()->stopRequested = true;
    wakeUp();
}

std::shared_ptr<NSDate> NSRunLoop::limitDateForMode(const NSRunLoopMode& mode) const
{
    if (mode.isNil())
        return nullptr;
    std::string name = mode.UTF8String();
    bool found = false;
    NSTimeInterval earliest = 0;
    auto state = m_state.lock();
    for (const auto& entry : state->timers) {
        if (!matches(entry.modes, name) || !entry.timer->isValid())
            continue;
        NSTimeInterval time = entry.timer->fireTime();
        if (!found || time < earliest)
            earliest = time;
        found = true;
    }
    return found ? NSDate::dateWithTimeIntervalSinceReferenceDate(earliest) : nullptr;
}

bool NSRunLoop::hasInput(const State& state, const std::string& mode) const
{
    // The main loop always waits: the main dispatch queue and the host post to it at any time.
    if (m_isMain)
        return true;
    for (const auto& entry : state.timers) {
        if (matches(entry.modes, mode))
            return true;
    }
    for (const auto& entry : state.ports) {
        if (matches({ entry.mode }, mode))
            return true;
    }
    for (const auto& entry : state.descriptors) {
        if (matches(entry.modes, mode))
            return true;
    }
    for (const auto& entry : state.performs) {
        if (matches(entry.modes, mode))
            return true;
    }
    return false;
}

bool NSRunLoop::runPerforms(const std::string& mode)
{
    std::vector<std::function<void()>> due;
    {
        auto state = m_state.lock();
        if (state->performs.empty())
            return false;
        std::deque<PerformEntry> kept;
        for (auto& entry : state->performs) {
            if (matches(entry.modes, mode))
                due.push_back(std::move(entry.block));
            else
                kept.push_back(std::move(entry));
        }
        state->performs.swap(kept);
    }
    for (auto& block : due)
        block();
    return !due.empty();
}

void NSRunLoop::drainPerforms(const std::string& mode)
{
    for (int pass = 0; pass < maximumDrainPasses && runPerforms(mode); ++pass) { }
}

bool NSRunLoop::fireDueTimers(const std::string& mode, NSTimeInterval now)
{
    std::vector<std::pair<NSTimeInterval, TimerEntry>> due;
    {
        auto state = m_state.lock();
        for (const auto& entry : state->timers) {
            if (!matches(entry.modes, mode) || !entry.timer->isValid())
                continue;
            NSTimeInterval time = entry.timer->fireTime();
            if (time <= now + dueMargin)
                due.push_back({ time, entry });
        }
    }
    std::sort(due.begin(), due.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : a.second.sequence < b.second.sequence;
    });
    // Each timer fires at most once per pass, even if its action moves its date into the past.
    for (auto& [time, entry] : due) {
        if (!entry.timer->isValid() || entry.timer->fireTime() > now + dueMargin)
            continue;
        entry.timer->fireFromRunLoop(now, PassKey<NSRunLoop>());
    }
    return !due.empty();
}

bool NSRunLoop::fireEarliestTimer(const std::string& mode, NSTimeInterval notAfter)
{
    std::shared_ptr<NSTimer> earliest;
    NSTimeInterval earliestTime = 0;
    NSUInteger earliestSequence = 0;
    {
        auto state = m_state.lock();
        for (const auto& entry : state->timers) {
            if (!matches(entry.modes, mode) || !entry.timer->isValid())
                continue;
            NSTimeInterval time = entry.timer->fireTime();
            if (time > notAfter + dueMargin)
                continue;
            if (!earliest || time < earliestTime || (time == earliestTime && entry.sequence < earliestSequence)) {
                earliest = entry.timer;
                earliestTime = time;
                earliestSequence = entry.sequence;
            }
        }
    }
    if (!earliest)
        return false;
    SystemClock::advanceTo(earliestTime);
    earliest->fireFromRunLoop(std::max(earliestTime, SystemClock::now()), PassKey<NSRunLoop>());
    return true;
}

bool NSRunLoop::pollDescriptors(const std::string& mode, int timeoutMilliseconds)
{
    // The set is copied out of the lock into storage of the polling thread's own, so a poll
    // costs no allocation once the set is known.
    thread_local std::vector<pollfd> fds;
    thread_local std::vector<NSUInteger> tokens;
    {
        auto state = m_state.lock();
        if (state->pollSetGeneration != state->descriptorGeneration || state->pollSetMode != mode) {
            state->pollSet.assign(1, pollfd { m_wakeFd, POLLIN, 0 });
            state->pollSetTokens.assign(1, 0);
            for (const auto& entry : state->descriptors) {
                if (matches(entry.modes, mode)) {
                    state->pollSet.push_back({ entry.fd, entry.events, 0 });
                    state->pollSetTokens.push_back(entry.token);
                }
            }
            state->pollSetGeneration = state->descriptorGeneration;
            state->pollSetMode = mode;
        }
        fds.assign(state->pollSet.begin(), state->pollSet.end());
        tokens.assign(state->pollSetTokens.begin(), state->pollSetTokens.end());
    }
    int ready = poll(fds.data(), fds.size(), timeoutMilliseconds);
    if (ready <= 0)
        return false;
    if (fds[0].revents & POLLIN) {
        uint64_t count;
        [[maybe_unused]] auto readBytes = read(m_wakeFd, &count, sizeof count);
        // Cleared after the read: a wake-up skipped from here on is for input the caller's
        // next pass picks up.
        m_state.lock()->wakePending = false;
    }
    // Taken out of the storage above first: a handler may poll this loop again (a nested run).
    std::vector<std::pair<NSUInteger, short>> readyDescriptors;
    for (size_t i = 1; i < fds.size(); ++i) {
        if (fds[i].revents)
            readyDescriptors.emplace_back(tokens[i], fds[i].revents);
    }
    bool handled = false;
    for (const auto& [readyToken, revents] : readyDescriptors) {
        // Only a descriptor still watched is served: an earlier handler may have removed it.
        std::shared_ptr<std::function<void(short)>> handler;
        {
            auto state = m_state.lock();
            const NSUInteger token = readyToken;
            const auto& descriptors = state->descriptors;
            auto found = std::find_if(descriptors.begin(), descriptors.end(), [token](const DescriptorEntry& e) { return e.token == token; });
            if (found != descriptors.end())
                handler = found->handler;
        }
        if (handler) {
            (*handler)(revents);
            handled = true;
        }
    }
    return handled;
}

CFRunLoopRunResult NSRunLoop::runInMode(const NSRunLoopMode& mode, NSTimeInterval seconds, bool returnAfterSourceHandled)
{
    if (mode.isNil())
        return kCFRunLoopRunFinished;
    const std::string name = mode.UTF8String();
    if (name == NSRunLoopCommonModes)
        return kCFRunLoopRunFinished;
    seconds = std::clamp(seconds, 0.0, 1e10);
    const double realDeadline = steadySeconds() + seconds;
    const NSTimeInterval limit = SystemClock::now() + seconds;
    {
        auto state = m_state.lock();
        if (state->stopRequested) {
            state->stopRequested = false;
            return kCFRunLoopRunStopped;
        }
        if (!hasInput(*state, name))
            return kCFRunLoopRunFinished;
        if (state->modeStack.empty())
            m_runningThread = std::this_thread::get_id();
        state->modeStack.push_back(name);
    }
    struct ModeScope {
        NSRunLoop& loop;
        ~ModeScope()
        {
            auto state = loop.m_state.lock();
            state->modeStack.pop_back();
            if (state->modeStack.empty())
                loop.m_runningThread = std::thread::id();
        }
    } scope { *this };

    // Whether the descriptors were just polled, by the wait that ended the previous pass.
    bool justPolled = false;
    while (true) {
        bool handled = runPerforms(name);
        fireDueTimers(name, SystemClock::now());
        notifyPassObservers();

        double timeout;
        {
            auto state = m_state.lock();
            if (state->stopRequested) {
                state->stopRequested = false;
                return kCFRunLoopRunStopped;
            }
            NSTimeInterval now = SystemClock::now();
            double realNow = steadySeconds();
            const bool expired = now >= limit || realNow >= realDeadline;
            // The wait below serves the descriptors that are ready; a pass that returns without
            // waiting serves them first, unless the wait that ended the last pass just did.
            if ((handled && returnAfterSourceHandled) || expired) {
                if (!justPolled)
                    state.unlocked([&] { handled |= pollDescriptors(name, 0); });
                if (std::exchange(state->stopRequested, false))
                    return kCFRunLoopRunStopped;
                if (handled && returnAfterSourceHandled)
                    return kCFRunLoopRunHandledSource;
                return kCFRunLoopRunTimedOut;
            }
            if (!hasInput(*state, name))
                return kCFRunLoopRunFinished;
            timeout = realDeadline - realNow;
            if (!SystemClock::isManual()) {
                for (const auto& entry : state->timers) {
                    if (matches(entry.modes, name) && entry.timer->isValid())
                        timeout = std::min(timeout, entry.timer->fireTime() - now);
                }
            }
            for (const auto& entry : state->performs) {
                if (matches(entry.modes, name))
                    timeout = 0;
            }
        }
        int milliseconds = timeout >= INT_MAX / 1000.0 ? -1 : static_cast<int>(std::ceil(std::max(timeout, 0.0) * 1000));
        if (pollDescriptors(name, milliseconds) && returnAfterSourceHandled)
            return kCFRunLoopRunHandledSource;
        justPolled = true;
    }
}

bool NSRunLoop::runMode(const NSRunLoopMode& mode, const std::shared_ptr<NSDate>& limitDate)
{
    NSTimeInterval seconds = limitDate ? limitDate->timeIntervalSinceNow() : 0;
    return runInMode(mode, seconds, true) != kCFRunLoopRunFinished;
}

void NSRunLoop::runUntilDate(const std::shared_ptr<NSDate>& limitDate)
{
    if (!limitDate)
        return;
    const double realDeadline = steadySeconds() + std::clamp(limitDate->timeIntervalSinceNow(), 0.0, 1e10);
    while (true) {
        NSTimeInterval remaining = std::min(limitDate->timeIntervalSinceNow(), realDeadline - steadySeconds());
        if (remaining <= 0)
            return;
        if (runInMode(NSDefaultRunLoopMode, remaining, true) == kCFRunLoopRunFinished)
            return;
    }
}

void NSRunLoop::run()
{
    while (runInMode(NSDefaultRunLoopMode, 1e10, true) != kCFRunLoopRunFinished) { }
}

void NSRunLoop::advanceClock(NSTimeInterval seconds)
{
    NSString mode = currentMode();
    advanceClock(seconds, mode.isNil() ? NSString(NSDefaultRunLoopMode) : mode);
}

void NSRunLoop::advanceClock(NSTimeInterval seconds, const NSRunLoopMode& mode)
{
    if (!SystemClock::isManual())
        NSException::raise(NSInternalInconsistencyException, "advanceClock needs the manual clock");
    if (mode.isNil())
        return;
    const std::string name = mode.UTF8String();
    const NSTimeInterval target = SystemClock::now() + std::max(seconds, 0.0);
    m_state.lock()->modeStack.push_back(name);
    struct ModeScope {
        NSRunLoop& loop;
        ~ModeScope() { loop.m_state.lock()->modeStack.pop_back(); }
    } scope { *this };

    drainPerforms(name);
    while (fireEarliestTimer(name, target))
        drainPerforms(name);
    SystemClock::advanceTo(target);
    drainPerforms(name);
    pollDescriptors(name, 0);
}

std::shared_ptr<NSRunLoop> CFRunLoopGetCurrent()
{
    return NSRunLoop::currentRunLoop();
}

std::shared_ptr<NSRunLoop> CFRunLoopGetMain()
{
    return NSRunLoop::mainRunLoop();
}

void CFRunLoopRun()
{
    auto runLoop = NSRunLoop::currentRunLoop();
    CFRunLoopRunResult result;
    do {
        result = runLoop->runInMode(NSDefaultRunLoopMode, 1e10, false);
    } while (result != kCFRunLoopRunStopped && result != kCFRunLoopRunFinished);
}

CFRunLoopRunResult CFRunLoopRunInMode(const NSRunLoopMode& mode, NSTimeInterval seconds, bool returnAfterSourceHandled)
{
    return NSRunLoop::currentRunLoop()->runInMode(mode, seconds, returnAfterSourceHandled);
}

void CFRunLoopStop(const std::shared_ptr<NSRunLoop>& runLoop)
{
    if (runLoop)
        runLoop->stop();
}

void CFRunLoopWakeUp(const std::shared_ptr<NSRunLoop>& runLoop)
{
    if (runLoop)
        runLoop->wakeUp();
}

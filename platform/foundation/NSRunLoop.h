#pragma once
// One run loop per thread. A run loop waits for input (posted blocks, watched file descriptors,
// ports) and fires timers, each registered for one or more modes; while it runs in a mode it only
// serves what is registered for that mode. The common modes (default and tracking) are a group:
// what is registered for NSRunLoopCommonModes is served in each of them.
//
// Time comes from SystemClock. Under the manual clock time moves only through advanceClock(),
// which steps the clock to each due timer in order and fires it at its own time; the run methods
// then still wait for input, for at most the given interval of real time.

#include "platform/foundation/Guarded.h"
#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"
#include "platform/foundation/PassKey.h"

#include <poll.h>

#include <atomic>
#include <deque>
#include <functional>
#include <string>
#include <thread>
#include <vector>

class NSDate;
class NSPort;
class NSThread;
class NSTimer;

using NSRunLoopMode = NSString;
inline constexpr const char* NSDefaultRunLoopMode = "kCFRunLoopDefaultMode";
inline constexpr const char* NSRunLoopCommonModes = "kCFRunLoopCommonModes";
inline constexpr const char* UITrackingRunLoopMode = "UITrackingRunLoopMode";

// Why runInMode() returned, with the values of the platform's C interface.
enum CFRunLoopRunResult : int32_t {
    kCFRunLoopRunFinished = 1,
    kCFRunLoopRunStopped = 2,
    kCFRunLoopRunTimedOut = 3,
    kCFRunLoopRunHandledSource = 4,
};

class NSRunLoop : public NSObject {
    NS_OBJECT(NSRunLoop, NSObject)
public:
    ~NSRunLoop() override;

    static std::shared_ptr<NSRunLoop> currentRunLoop();
    static std::shared_ptr<NSRunLoop> mainRunLoop();

    // The innermost mode the loop is running in; nil when it is not running.
    NSString currentMode() const;

    void addTimer(const std::shared_ptr<NSTimer>& timer, const NSRunLoopMode& mode);
    // A port is an input source that does nothing but keep the loop from finishing.
    void addPort(const std::shared_ptr<NSPort>& port, const NSRunLoopMode& mode);
    void removePort(const std::shared_ptr<NSPort>& port, const NSRunLoopMode& mode);

    // Runs the default mode until stopped or until nothing is left to wait for.
    void run();
    void runUntilDate(const std::shared_ptr<NSDate>& limitDate);
    // Runs the mode until one input has been handled or the date has passed; false when the
    // mode has nothing to wait for.
    bool runMode(const NSRunLoopMode& mode, const std::shared_ptr<NSDate>& limitDate);
    CFRunLoopRunResult runInMode(const NSRunLoopMode& mode, NSTimeInterval seconds, bool returnAfterSourceHandled);
    // Makes the innermost running runInMode() return; may be called from any thread.
    void stop();
    void wakeUp();

    // Runs the block on this loop's thread, after the blocks posted before it, the next time the
    // loop runs in one of the modes. Callable from any thread.
    void performBlock(std::function<void()> block);
    void performInModes(const std::vector<NSRunLoopMode>& modes, std::function<void()> block);

    // Watches a file descriptor (poll events); the handler runs on this loop's thread with the
    // events that occurred, while the loop runs in one of the modes.
    NSUInteger addFileDescriptor(int fd, short events, std::function<void(short revents)> handler, const std::vector<NSRunLoopMode>& modes);
    void removeFileDescriptor(NSUInteger token);
    // Watches a descriptor already added for other events, without making the set again.
    void setFileDescriptorEvents(NSUInteger token, short events);

    // Runs on this loop's thread in each pass of runInMode(), after the pass's performs and due
    // timers, before the loop works out how long to wait: what a thread holds back to hand over
    // once per pass goes from here. The observer must not run the loop itself.
    NSUInteger addPassObserver(std::function<void()> observer);
    void removePassObserver(NSUInteger token);

    // Manual clock only: moves the clock forward by the interval, stopping at each timer of the
    // mode that falls due on the way (in due order) to fire it, and running the blocks posted
    // meanwhile. The mode defaults to the one the loop is running in, else the default mode.
    void advanceClock(NSTimeInterval seconds);
    void advanceClock(NSTimeInterval seconds, const NSRunLoopMode& mode);

    // The earliest fire date among the mode's timers; nil when there is none.
    std::shared_ptr<NSDate> limitDateForMode(const NSRunLoopMode& mode) const;

    // Called by NSTimer when it is invalidated or its fire date moves.
    void timerDidChange(const NSTimer* timer);
    // Set once by the thread that makes the loop, before it hands the loop out.
    void setIsMain(bool isMain, PassKey<NSThread>) { m_isMain = isMain; }

protected:
    void init();

private:
    struct TimerEntry {
        std::shared_ptr<NSTimer> timer;
        std::vector<std::string> modes;
        NSUInteger sequence { 0 };
    };
    struct PerformEntry {
        std::function<void()> block;
        std::vector<std::string> modes;
    };
    struct DescriptorEntry {
        NSUInteger token { 0 };
        int fd { -1 };
        short events { 0 };
        std::shared_ptr<std::function<void(short)>> handler;
        std::vector<std::string> modes;
    };
    struct PortEntry {
        std::shared_ptr<NSPort> port;
        std::string mode;
    };

    struct State {
        bool stopRequested { false };
        // A wake-up written and not yet read: more input posted meanwhile is seen by the same pass.
        bool wakePending { false };
        NSUInteger nextToken { 1 };
        NSUInteger nextSequence { 1 };
        std::vector<std::string> modeStack;
        std::vector<TimerEntry> timers;
        std::deque<PerformEntry> performs;
        std::vector<DescriptorEntry> descriptors;
        std::vector<PortEntry> ports;
        std::vector<std::pair<NSUInteger, std::shared_ptr<std::function<void()>>>> passObservers;
        // The poll set of the last mode polled, kept between turns until a descriptor comes or goes.
        NSUInteger descriptorGeneration { 1 };
        NSUInteger pollSetGeneration { 0 };
        std::string pollSetMode;
        std::vector<pollfd> pollSet;
        std::vector<NSUInteger> pollSetTokens;
    };

    bool isCommonMode(const std::string& mode) const;
    bool matches(const std::vector<std::string>& modes, const std::string& mode) const;
    bool hasInput(const State& state, const std::string& mode) const;
    bool runPerforms(const std::string& mode);
    bool fireDueTimers(const std::string& mode, NSTimeInterval now);
    bool fireEarliestTimer(const std::string& mode, NSTimeInterval notAfter);
    bool pollDescriptors(const std::string& mode, int timeoutMilliseconds);
    void drainPerforms(const std::string& mode);
    void notifyPassObservers();
    // True when the caller must signal the wake-up: none is pending and the caller is not the
    // thread running the loop.
    bool claimWakeUp(State& state);
    void signalWakeUp();
    std::vector<std::string> modeNames(const std::vector<NSRunLoopMode>& modes) const;

    // Never held while a block, a timer's action, a handler or an observer runs: each may post
    // to this loop or run it again.
    Guarded<State> m_state;
    // Set before the loop is handed out, and fixed from then on.
    int m_wakeFd { -1 };
    bool m_isMain { false };
    NSUInteger m_clockListener { 0 };
    // The thread inside runInMode(), if any: what it changes itself is seen before it next waits.
    std::atomic<std::thread::id> m_runningThread {};
};

// The platform's C interface over the same loops.
std::shared_ptr<NSRunLoop> CFRunLoopGetCurrent();
std::shared_ptr<NSRunLoop> CFRunLoopGetMain();
void CFRunLoopRun();
CFRunLoopRunResult CFRunLoopRunInMode(const NSRunLoopMode& mode, NSTimeInterval seconds, bool returnAfterSourceHandled);
void CFRunLoopStop(const std::shared_ptr<NSRunLoop>& runLoop);
void CFRunLoopWakeUp(const std::shared_ptr<NSRunLoop>& runLoop);

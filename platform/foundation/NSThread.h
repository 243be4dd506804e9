#pragma once
// A thread of execution with its own run loop. The main thread is the process's first thread;
// threads the platform did not start (pool workers) get an NSThread on first use of
// currentThread().

#include "platform/foundation/Guarded.h"
#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"

#include <functional>
#include <vector>

class NSDate;
class NSRunLoop;

class NSThread : public NSObject {
    NS_OBJECT(NSThread, NSObject)
public:
    static std::shared_ptr<NSThread> currentThread();
    static std::shared_ptr<NSThread> mainThread();
    static bool isMainThread();
    static std::shared_ptr<NSThread> detachNewThreadWithBlock(std::function<void()> block);
    static void sleepForTimeInterval(NSTimeInterval seconds);
    static void sleepUntilDate(const std::shared_ptr<NSDate>& date);
    // performSelectorOnMainThread:withObject:waitUntilDone:; a wait from the main thread runs
    // the block at once.
    static void performOnMainThread(std::function<void()> block, bool waitUntilDone);

    // Runs the thread's body (the block it was made with, or an override of main) on a new thread.
    void start();
    virtual void main();
    void cancel();
    bool isCancelled() const;
    bool isExecuting() const;
    bool isFinished() const;
    bool isMain() const { return m_isMain; }

    NSString name() const;
    void setName(const NSString& name);

    std::shared_ptr<NSRunLoop> runLoop();
    // performSelector:onThread:withObject:waitUntilDone:modes: — posted to this thread's run loop
    // after the blocks posted before it; waiting from this very thread runs the block at once.
    void performBlock(std::function<void()> block, bool waitUntilDone);
    void performBlock(std::function<void()> block, bool waitUntilDone, const std::vector<NSString>& modes);

protected:
    // initWithTarget:selector:object: — the target and argument live in the block.
    void init() { }
    void init(std::function<void()> block) { m_state.lock()->block = std::move(block); }

private:
    static std::shared_ptr<NSThread> makeMainThread();

    struct State {
        std::function<void()> block;
        NSString name;
        std::shared_ptr<NSRunLoop> runLoop;
        bool started { false };
        bool executing { false };
        bool finished { false };
        bool cancelled { false };
    };
    Guarded<State> m_state;
    // Set once, before the main thread's object is handed out.
    bool m_isMain { false };
};

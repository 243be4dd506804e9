#pragma once
// A unit of work with observable state. The base class runs main() synchronously from start();
// a concurrent subclass overrides start() and the state getters, and announces its own state
// changes with willChangeValueForKey()/didChangeValueForKey() for the keys "isReady",
// "isExecuting", "isFinished" and "isCancelled": that is how its queue and the operations that
// depend on it learn that it became ready or finished. The completion block runs once, on the
// thread that announces the finish.

#include "platform/foundation/Guarded.h"
#include "platform/foundation/KeyObserverList.h"
#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"

#include <condition_variable>
#include <functional>
#include <vector>

enum NSOperationQueuePriority : NSInteger {
    NSOperationQueuePriorityVeryLow = -8,
    NSOperationQueuePriorityLow = -4,
    NSOperationQueuePriorityNormal = 0,
    NSOperationQueuePriorityHigh = 4,
    NSOperationQueuePriorityVeryHigh = 8,
};

class NSOperation : public NSObject {
    NS_OBJECT(NSOperation, NSObject)
public:
    virtual void start();
    virtual void main() { }
    virtual void cancel();

    virtual bool isCancelled() const;
    virtual bool isExecuting() const;
    virtual bool isFinished() const;
    virtual bool isConcurrent() const { return false; }
    virtual bool isAsynchronous() const { return isConcurrent(); }
    // True for an operation whose start() only hands its work to another thread and returns:
    // its queue starts it on the thread that schedules it, without a worker in between.
    virtual bool startsWithoutBlocking() const { return false; }
    // All dependencies finished; a cancelled operation no longer waits for them.
    virtual bool isReady() const;

    void addDependency(const std::shared_ptr<NSOperation>& operation);
    void removeDependency(const std::shared_ptr<NSOperation>& operation);
    std::vector<std::shared_ptr<NSOperation>> dependencies() const;

    NSOperationQueuePriority queuePriority() const;
    void setQueuePriority(NSOperationQueuePriority priority);
    virtual std::function<void()> completionBlock() const;
    virtual void setCompletionBlock(std::function<void()> block);
    NSString name() const;
    void setName(const NSString& name);

    // Blocks the calling thread until the operation has finished.
    void waitUntilFinished();

    // Change notifications of the operation's keys. Observers run on the thread that announces
    // the change, after "did change".
    void willChangeValueForKey(const NSString& key);
    void didChangeValueForKey(const NSString& key);
    using KeyObserver = KeyObserverList::KeyObserver;
    NSUInteger addObserverForKeyPath(const NSString& keyPath, KeyObserver observer);
    void removeObserverForKeyPath(NSUInteger token);

private:
    struct DependencyEntry {
        std::shared_ptr<NSOperation> operation;
        NSUInteger observerToken { 0 };
    };

    void finishWithoutRunning();

    struct State {
        bool executing { false };
        bool finished { false };
        bool cancelled { false };
        bool completionRan { false };
        NSOperationQueuePriority queuePriority { NSOperationQueuePriorityNormal };
        std::function<void()> completionBlock;
        NSString name;
        std::vector<DependencyEntry> dependencies;
        // Counted, so that a waiter wakes on each announcement and asks isFinished() again.
        NSUInteger finishAnnouncements { 0 };
    };
    // Never held while an observer, the completion block or a subclass's getter runs.
    Guarded<State> m_state;
    KeyObserverList m_keyObservers;
    std::condition_variable m_finishedCondition;
};

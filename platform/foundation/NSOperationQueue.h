#pragma once
// Runs operations on worker threads (the main queue: on the main run loop), at most
// maxConcurrentOperationCount at a time, each once it is ready, higher priority first and
// otherwise in the order added. The queue learns that an operation finished only from its
// "isFinished" announcement, so a concurrent operation occupies its slot until it says so.
// A queue with operations keeps itself alive until they have finished.

#include "platform/foundation/Guarded.h"
#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"

#include <condition_variable>
#include <functional>
#include <vector>

class NSOperation;

inline constexpr NSInteger NSOperationQueueDefaultMaxConcurrentOperationCount = -1;

class NSOperationQueue : public NSObject {
    NS_OBJECT(NSOperationQueue, NSObject)
public:
    static std::shared_ptr<NSOperationQueue> mainQueue();
    // The queue running the calling operation; the main queue on the main thread; else nil.
    static std::shared_ptr<NSOperationQueue> currentQueue();

    // An operation can be in one queue once; adding a finished, running or queued one raises.
    void addOperation(const std::shared_ptr<NSOperation>& operation);
    void addOperations(const std::vector<std::shared_ptr<NSOperation>>& operations, bool waitUntilFinished);
    void addOperationWithBlock(std::function<void()> block);

    std::vector<std::shared_ptr<NSOperation>> operations() const;
    NSUInteger operationCount() const;
    NSInteger maxConcurrentOperationCount() const;
    void setMaxConcurrentOperationCount(NSInteger count);
    bool isSuspended() const;
    void setSuspended(bool suspended);
    NSString name() const;
    void setName(const NSString& name);

    void cancelAllOperations();
    void waitUntilAllOperationsAreFinished();

private:
    struct Entry {
        std::shared_ptr<NSOperation> operation;
        NSUInteger finishedToken { 0 };
        NSUInteger readyToken { 0 };
        NSUInteger sequence { 0 };
        bool started { false };
    };

    void operationDidFinish(NSOperation* operation);
    void schedule();
    void launch(const std::shared_ptr<NSOperation>& operation);

    struct State {
        std::vector<Entry> entries;
        std::shared_ptr<NSOperationQueue> keepAlive;
        NSInteger maxConcurrentOperationCount { NSOperationQueueDefaultMaxConcurrentOperationCount };
        NSInteger running { 0 };
        NSUInteger nextSequence { 1 };
        bool suspended { false };
        bool scheduling { false };
        bool rescheduleRequested { false };
        NSString name;

        NSInteger effectiveLimit() const;
    };
    Guarded<State> m_state;
    std::condition_variable m_emptyCondition;
    // Set once, before the main queue is handed out.
    bool m_isMain { false };
};

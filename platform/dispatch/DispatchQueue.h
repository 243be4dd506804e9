#pragma once
// A dispatch queue. Serial queues run one block at a time in submission order; concurrent queues
// run blocks side by side, except that a barrier block waits for the blocks before it and holds
// back the blocks after it. A queue hands its blocks to its target queue (a global queue unless
// set otherwise); the global queues run them on the worker pool and the main queue on the main
// run loop, in posting order. A synchronous block runs on the calling thread once the queue
// reaches it, as the platform does; onto the main queue it runs on the main thread.

#include "platform/dispatch/DispatchTypes.h"
#include "platform/foundation/Guarded.h"
#include "platform/foundation/NSObject.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <string>

class DispatchQueue : public NSObject {
    NS_OBJECT(DispatchQueue, NSObject)
public:
    enum class Kind { serial, concurrent, main, global };

    ~DispatchQueue() override;

    static std::shared_ptr<DispatchQueue> mainQueue();
    static std::shared_ptr<DispatchQueue> globalQueue(long priority);
    // The innermost queue whose block the calling thread is running; the main queue on the main
    // thread outside any block; else nil.
    static std::shared_ptr<DispatchQueue> current();

    const char* label() const { return m_label.c_str(); }
    Kind kind() const { return m_kind; }

    void async(dispatch_block_t block, bool barrier = false);
    void sync(const dispatch_block_t& block, bool barrier = false);
    void setTarget(const std::shared_ptr<DispatchQueue>& target);
    std::shared_ptr<DispatchQueue> target() const;
    void suspend();
    void resume();

    void setSpecific(const void* key, void* context, dispatch_function_t destructor);
    void* specific(const void* key) const;
    // This queue's value for the key, else its target's, and so on.
    void* specificInTargetChain(const void* key) const;

    NSString description() const override;

protected:
    void init(std::string label, Kind kind);

private:
    struct SyncWaiter {
        Guarded<bool> mayRun { false };
        std::condition_variable condition;
    };
    struct Item {
        dispatch_block_t block;
        bool barrier { false };
        std::shared_ptr<SyncWaiter> waiter;
    };
    struct Specific {
        void* context { nullptr };
        dispatch_function_t destructor { nullptr };
    };

    void enqueue(Item item);
    void pump();
    void finishItem(bool barrier);
    void submit(std::function<void()> job);
    void runAsCurrent(const dispatch_block_t& block);

    std::string m_label;
    Kind m_kind { Kind::serial };
    struct State {
        std::shared_ptr<DispatchQueue> target;
        std::deque<Item> pending;
        int running { 0 };
        bool barrierRunning { false };
        int suspendCount { 0 };
        std::map<const void*, Specific> specifics;
    };
    Guarded<State> m_state;
};

#pragma once
// What threads hand to the main queue goes through one relay, in the order handed over: the
// blocks handed over before the main thread gets to them cost it one wake-up.
//
// On a thread whose run loop the relay runs (runCurrentRunLoop), the wake-up waits for the end
// of the run-loop pass, or for a flush after the last block of a reply, so a reply's response,
// data, completion and finish cost one wake-up together. A block that may wait (a start notice)
// waits a little longer (startNoticeGrace): a quick reply then brings it along, and a slow one
// lets it go when the grace is over. Blocks handed over from any other thread, or a drain
// already on its way, take everything held along in order.

#include "platform/foundation/Mutex.h"
#include "platform/foundation/NSRunLoop.h"

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

class MainQueueRelay : public std::enable_shared_from_this<MainQueueRelay> {
public:
    using Clock = std::chrono::steady_clock;
    // Far below what a person notices, and below the 0.17 s the activity indicator waits anyway.
    static constexpr Clock::duration startNoticeGrace = std::chrono::milliseconds(5);

    static const std::shared_ptr<MainQueueRelay>& shared();

    // Runs the calling thread's run loop in `mode` for ever, letting what the thread hands over
    // go to the main queue once per pass.
    [[noreturn]] void runCurrentRunLoop(const NSRunLoopMode& mode);

    void post(std::function<void()> block, bool mayWait = false) EXCLUDES(m_mutex);
    // Lets what the calling thread holds go now rather than at the end of its pass: after the
    // last block of a reply, so that the main thread's part overlaps the rest of the pass.
    void flush() EXCLUDES(m_mutex);

private:
    enum class Held { nothing, startNotices, urgent };

    // Lets the held blocks go when they may not wait longer.
    void endOfPass() EXCLUDES(m_mutex);
    // How long the next pass may wait for input before held start notices must go, in seconds.
    double longestWait() const EXCLUDES(m_mutex);
    bool startDrainLocked() REQUIRES(m_mutex);
    void scheduleDrain();
    // Runs what was handed over until now; what comes meanwhile waits for a drain of its own, so
    // nothing overtakes the blocks others queued in between.
    void drain() EXCLUDES(m_mutex);

    static thread_local bool t_holdsWakeUps;

    mutable Mutex m_mutex;
    std::vector<std::function<void()>> m_blocks GUARDED_BY(m_mutex);
    bool m_scheduled GUARDED_BY(m_mutex) { false };
    Held m_held GUARDED_BY(m_mutex) { Held::nothing };
    Clock::time_point m_heldSince GUARDED_BY(m_mutex);
};

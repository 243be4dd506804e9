#pragma once
// Holds a loopback handler's reply until the test lets it go. Every wait gives up after twenty
// seconds, and end() makes every held handler give up at once, so that a failing test cannot
// keep the server from stopping.

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace loopback {

class ReplyHold {
public:
    // True when the test let the reply go on; false when the hold ended or the time ran out.
    bool wait()
    {
        std::unique_lock lock(m_mutex);
        m_condition.wait_for(lock, std::chrono::seconds(20), [this] { return m_letGo || m_ended; });
        return m_letGo && !m_ended;
    }

    // Held replies go on, and later ones are not held.
    void letGo() { set(m_letGo); }
    // For tear-down: held replies give up.
    void end() { set(m_ended); }

private:
    void set(bool& flag)
    {
        {
            std::lock_guard lock(m_mutex);
            flag = true;
        }
        m_condition.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_condition;
    bool m_letGo { false };
    bool m_ended { false };
};

} // namespace loopback

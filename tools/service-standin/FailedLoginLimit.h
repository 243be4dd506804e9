#pragma once
// Wrong passwords by account name, refused past a limit alike for the names the data has and the
// names it has not, so that the refusal tells nobody which accounts exist, in memory that stays
// the same whatever names are sent.
//
// Each name counts in one counter of each of a few fixed tables, chosen by a hash under a key
// drawn at start, so a sender cannot pick names that share a name's counters. A counter holds the
// failures of every name in it since it last went a window without one, and a name is refused
// while each of its counters is at the limit with a failure within the window. Other names only
// ever add to a counter and never restart it early, so they may refuse a name sooner, never let a
// refused one in: a counter restarts only after a whole window with no failure of any of its
// names, by when each of them would have been let in again on its own. The refusal lasts a window
// from the latest failure for that reason; no flood of names can lift it.
//
// Not guarded: its owner holds a lock around each call.

#include <array>
#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace standin {

class FailedLoginLimit {
public:
    using Clock = std::chrono::steady_clock;

    FailedLoginLimit(int limit, Clock::duration window);

    bool refuses(const std::string& name, Clock::time_point now) const;
    void noteFailure(const std::string& name, Clock::time_point now);

private:
    static constexpr std::size_t kTables = 4;
    static constexpr std::size_t kCountersPerTable = 32768;

    struct Counter {
        int failures { 0 };
        Clock::time_point latest {};
    };

    // The index of the name's counter in each table, m_counters being the tables one after another.
    std::array<std::size_t, kTables> countersOf(const std::string& name) const;
    bool live(const Counter& counter, Clock::time_point now) const;

    int m_limit { 0 };
    Clock::duration m_window {};
    std::array<unsigned char, 32> m_key {};
    std::vector<Counter> m_counters;
};

} // namespace standin

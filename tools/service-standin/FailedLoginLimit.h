#pragma once
// Wrong passwords by account name, refused past a limit alike for the names the data has and the
// names it has not, so that the refusal tells nobody which accounts exist, in memory that stays
// the same whatever names are sent.
//
// Each name counts on its own, in one entry of a fixed table found by a hash under a key drawn at
// start, so a sender cannot pick names that share a name's entry, and no name is refused for
// another's failures. An entry is free again a window after its name's latest failure; the table
// holds more names than the stand-in can take failures of in a window, so a flood of names has
// no entry to push out. Were it full all the same, the attempt is turned away as busy rather than
// counted elsewhere or let past the limit.
//
// An attempt counts as a failure when it begins, before its password is looked at, and is given
// back when the password was right: guesses sent at once take the places left under the limit one
// by one, so no more than the limit are ever looked at.
//
// Not guarded: its owner holds a lock around each call.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace standin {

class FailedLoginLimit {
public:
    using Clock = std::chrono::steady_clock;

    enum class Attempt { Evaluate, Refused, Busy };

    // The stand-in took at most 10,100 failed logins a second from 16 clients at once (their
    // logins go one at a time through the database): 606,000 names in a window of 60 s. Half the
    // table holds three times that, and at half full the search for a name stays short: 64 MiB.
    static constexpr std::size_t kDefaultCapacity = std::size_t { 1 } << 22;

    FailedLoginLimit(int limit, Clock::duration window, std::size_t capacity = kDefaultCapacity);

    Attempt begin(const std::string& name, Clock::time_point now);
    void succeeded(const std::string& name, Clock::time_point now);

    // What the table takes, whatever names are sent.
    std::size_t bytes() const { return m_capacity * sizeof(Entry); }

private:
    // Times are kept in tenths of a second from the limit's start, which keeps an entry at 16 bytes.
    using Tenths = std::chrono::duration<std::int64_t, std::deci>;

    struct Entry {
        // 0 for an entry no name has had yet.
        std::uint64_t tag { 0 };
        std::uint32_t latest { 0 };
        std::uint32_t failures { 0 };
    };
    static_assert(sizeof(Entry) == 16);

    std::uint64_t tagOf(const std::string& name) const;
    Entry* entryOf(std::uint64_t tag, std::uint32_t now, bool making);
    bool live(const Entry& entry, std::uint32_t now) const;
    std::uint32_t tenthsOf(Clock::time_point time) const;

    std::uint32_t m_limit { 0 };
    std::uint32_t m_window { 0 };
    Clock::time_point m_start {};
    std::array<unsigned char, 32> m_key {};
    struct Release {
        void operator()(Entry* entries) const { std::free(entries); }
    };

    // Pages the system hands out zeroed as they are first touched: a stand-in starts without
    // writing the whole table, and holds only what its names have reached.
    std::size_t m_capacity { 0 };
    std::unique_ptr<Entry[], Release> m_entries;
};

} // namespace standin

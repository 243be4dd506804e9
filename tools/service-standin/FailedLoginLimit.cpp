#include "tools/service-standin/FailedLoginLimit.h"

#include <mbedtls/md.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <random>

namespace standin {

namespace {

// How far from its place a name's entry may lie. A miss reads this many entries at worst, 8 KiB;
// at under half full a run of taken entries that long is too unlikely to be met.
constexpr std::size_t kFarthest = 512;

} // namespace

FailedLoginLimit::FailedLoginLimit(int limit, Clock::duration window, std::size_t capacity)
    : m_limit(static_cast<std::uint32_t>(std::max(limit, 0)))
    , m_window(static_cast<std::uint32_t>(std::chrono::floor<Tenths>(window).count()))
    , m_start(Clock::now())
    , m_capacity(std::bit_ceil(std::max(capacity, kFarthest)))
    , m_entries(static_cast<Entry*>(std::calloc(m_capacity, sizeof(Entry))))
{
    if (!m_entries)
        throw std::bad_alloc();
    std::random_device random;
    std::generate(m_key.begin(), m_key.end(), [&random] { return static_cast<unsigned char>(random()); });
}

FailedLoginLimit::Attempt FailedLoginLimit::begin(const std::string& name, Clock::time_point now)
{
    const std::uint32_t tenths = tenthsOf(now);
    Entry* entry = entryOf(tagOf(name), tenths, true);
    if (!entry)
        return Attempt::Busy;
    if (entry->failures >= m_limit)
        return Attempt::Refused;
    ++entry->failures;
    entry->latest = std::max(entry->latest, tenths);
    return Attempt::Evaluate;
}

void FailedLoginLimit::succeeded(const std::string& name, Clock::time_point now)
{
    if (Entry* entry = entryOf(tagOf(name), tenthsOf(now), false); entry && entry->failures > 0)
        --entry->failures;
}

std::uint64_t FailedLoginLimit::tagOf(const std::string& name) const
{
    std::array<unsigned char, 32> digest {};
    mbedtls_md_hmac(mbedtls_md_info_from_type(MBEDTLS_MD_SHA256), m_key.data(), m_key.size(),
        reinterpret_cast<const unsigned char*>(name.data()), name.size(), digest.data());
    std::uint64_t tag = 0;
    std::memcpy(&tag, digest.data(), sizeof tag);
    return tag == 0 ? 1 : tag;
}

// Each name's entry is the first one from its place on that was free when the name first needed
// one; no entry of it lies past one no name ever had, so the search for a name ends there.
FailedLoginLimit::Entry* FailedLoginLimit::entryOf(std::uint64_t tag, std::uint32_t now, bool making)
{
    const std::size_t mask = m_capacity - 1;
    Entry* free = nullptr;
    for (std::size_t step = 0; step < kFarthest; ++step) {
        Entry& entry = m_entries[(tag + step) & mask];
        if (entry.tag == tag) {
            if (!live(entry, now))
                entry.failures = 0;
            return &entry;
        }
        if (!free && !live(entry, now))
            free = &entry;
        if (entry.tag == 0)
            break;
    }
    if (!making || !free)
        return nullptr;
    *free = Entry { .tag = tag, .latest = now, .failures = 0 };
    return free;
}

bool FailedLoginLimit::live(const Entry& entry, std::uint32_t now) const
{
    return entry.failures > 0 && now - std::min(entry.latest, now) <= m_window;
}

std::uint32_t FailedLoginLimit::tenthsOf(Clock::time_point time) const
{
    // Some thirteen years fit; a time before the start counts as the start.
    return static_cast<std::uint32_t>(std::max<std::int64_t>(std::chrono::floor<Tenths>(time - m_start).count(), 0));
}

} // namespace standin

#include "tools/service-standin/FailedLoginLimit.h"

#include <mbedtls/md.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>

namespace standin {

FailedLoginLimit::FailedLoginLimit(int limit, Clock::duration window)
    : m_limit(limit)
    , m_window(window)
    , m_counters(kTables * kCountersPerTable)
{
    std::random_device random;
    std::generate(m_key.begin(), m_key.end(), [&random] { return static_cast<unsigned char>(random()); });
}

bool FailedLoginLimit::refuses(const std::string& name, Clock::time_point now) const
{
    const auto counters = countersOf(name);
    return std::all_of(counters.begin(), counters.end(), [&](std::size_t index) {
        const Counter& counter = m_counters[index];
        return live(counter, now) && counter.failures >= m_limit;
    });
}

void FailedLoginLimit::noteFailure(const std::string& name, Clock::time_point now)
{
    for (const std::size_t index : countersOf(name)) {
        Counter& counter = m_counters[index];
        if (!live(counter, now))
            counter.failures = 0;
        // Past the limit the number no longer matters; kept there, it cannot wrap.
        counter.failures = std::min(counter.failures + 1, m_limit);
        counter.latest = std::max(counter.latest, now);
    }
}

std::array<std::size_t, FailedLoginLimit::kTables> FailedLoginLimit::countersOf(const std::string& name) const
{
    std::array<unsigned char, 32> digest {};
    mbedtls_md_hmac(mbedtls_md_info_from_type(MBEDTLS_MD_SHA256), m_key.data(), m_key.size(),
        reinterpret_cast<const unsigned char*>(name.data()), name.size(), digest.data());
    std::array<std::size_t, kTables> counters {};
    for (std::size_t table = 0; table < kTables; ++table) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, digest.data() + table * sizeof bits, sizeof bits);
        counters[table] = table * kCountersPerTable + bits % kCountersPerTable;
    }
    return counters;
}

bool FailedLoginLimit::live(const Counter& counter, Clock::time_point now) const
{
    return counter.failures > 0 && now - counter.latest <= m_window;
}

} // namespace standin

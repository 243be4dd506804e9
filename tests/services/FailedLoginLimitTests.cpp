#include "tools/service-standin/FailedLoginLimit.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(FailedLoginLimit, aNameIsRefusedAtTheLimitUntilAWindowPassesWithoutAFailure)
{
    standin::FailedLoginLimit limit { 10, 60s };
    const auto start = standin::FailedLoginLimit::Clock::now();
    for (int failure = 0; failure < 10; ++failure)
        limit.noteFailure("510104199203154321", start + failure * 5s);
    EXPECT_TRUE(limit.refuses("510104199203154321", start + 45s));
    EXPECT_TRUE(limit.refuses("510104199203154321", start + 105s)) << "a window from the latest failure";
    EXPECT_FALSE(limit.refuses("510104199203154321", start + 106s));
    EXPECT_FALSE(limit.refuses("yunguan01", start + 45s));
}

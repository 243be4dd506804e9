#include "tools/service-standin/FailedLoginLimit.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using standin::FailedLoginLimit;
using namespace std::chrono_literals;

class FailedLoginLimitTest : public testing::Test {
protected:
    void fail(const std::string& name, int times, FailedLoginLimit::Clock::duration at)
    {
        for (int i = 0; i < times; ++i)
            limit.noteFailure(name, start + at);
    }

    const FailedLoginLimit::Clock::time_point start = FailedLoginLimit::Clock::now();
    FailedLoginLimit limit { 10, 60s };
};

} // namespace

TEST_F(FailedLoginLimitTest, aNameIsRefusedAtTheLimitUntilAWindowPassesWithoutAFailure)
{
    fail("510104199203154321", 9, 0s);
    EXPECT_FALSE(limit.refuses("510104199203154321", start + 1s));
    fail("510104199203154321", 1, 50s);
    EXPECT_TRUE(limit.refuses("510104199203154321", start + 50s));
    EXPECT_TRUE(limit.refuses("510104199203154321", start + 110s)) << "a window from the latest failure";
    EXPECT_FALSE(limit.refuses("510104199203154321", start + 111s));
    fail("510104199203154321", 1, 111s);
    EXPECT_FALSE(limit.refuses("510104199203154321", start + 112s)) << "counted afresh";
    EXPECT_FALSE(limit.refuses("yunguan01", start + 50s));
}

TEST_F(FailedLoginLimitTest, noFloodOfOtherNamesLiftsARefusalNorOutlastsItsWindowByItself)
{
    fail("made-up", 10, 0s);
    // Names failed once each through the window; their failures may share counters with it.
    for (int name = 0; name < 100'000; ++name) {
        const auto at = std::chrono::duration_cast<FailedLoginLimit::Clock::duration>(60s * name / 100'000);
        limit.noteFailure("flood-" + std::to_string(name), start + at);
        if (name % 5'000 == 0) {
            ASSERT_TRUE(limit.refuses("made-up", start + at)) << name;
        }
    }
    EXPECT_TRUE(limit.refuses("made-up", start + 60s));
    EXPECT_FALSE(limit.refuses("flood-7", start + 60s)) << "one failure each refuses none of them";
}

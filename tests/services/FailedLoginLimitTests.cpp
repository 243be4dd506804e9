#include "tools/service-standin/FailedLoginLimit.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::chrono_literals;
using Attempt = standin::FailedLoginLimit::Attempt;

namespace {

// A wrong password's attempt: whether it was looked at.
bool wrongPassword(standin::FailedLoginLimit& limit, const std::string& name, standin::FailedLoginLimit::Clock::time_point when)
{
    return limit.begin(name, when) == Attempt::Evaluate;
}

} // namespace

TEST(FailedLoginLimit, aNameIsRefusedAtTheLimitUntilAWindowPassesWithoutAFailure)
{
    standin::FailedLoginLimit limit { 10, 60s };
    const auto start = standin::FailedLoginLimit::Clock::now();
    for (int failure = 0; failure < 10; ++failure)
        ASSERT_TRUE(wrongPassword(limit, "510104199203154321", start + failure * 5s));
    EXPECT_EQ(limit.begin("510104199203154321", start + 45s), Attempt::Refused);
    EXPECT_EQ(limit.begin("510104199203154321", start + 105s), Attempt::Refused) << "a window from the latest failure";
    EXPECT_EQ(limit.begin("510104199203154321", start + 106s), Attempt::Evaluate);
    EXPECT_EQ(limit.begin("yunguan01", start + 45s), Attempt::Evaluate);
}

TEST(FailedLoginLimit, aRightPasswordGivesItsPlaceBackAndGuessesUnderWayHoldTheirs)
{
    standin::FailedLoginLimit limit { 10, 60s };
    const auto now = standin::FailedLoginLimit::Clock::now();
    for (int login = 0; login < 20; ++login) {
        ASSERT_EQ(limit.begin("510104199203154321", now), Attempt::Evaluate) << login;
        limit.succeeded("510104199203154321", now);
    }
    // Ten guesses not answered yet: an eleventh is not looked at, whatever they turn out to be.
    for (int guess = 0; guess < 10; ++guess)
        ASSERT_EQ(limit.begin("510104199605207788", now), Attempt::Evaluate) << guess;
    EXPECT_EQ(limit.begin("510104199605207788", now), Attempt::Refused);
}

// Three minutes of made-up names at 3,400 failures a second, over 600,000 names: more than would
// hold every counter of four tables of 32,768 at the limit, counted by names in common.
TEST(FailedLoginLimit, aFloodOfMadeUpNamesRefusesNoNameForFailuresNotItsOwn)
{
    standin::FailedLoginLimit limit { 10, 60s };
    const auto start = standin::FailedLoginLimit::Clock::now();
    constexpr int kFlood = 600'000;
    for (int name = 0; name < kFlood; ++name)
        ASSERT_TRUE(wrongPassword(limit, "made-up-" + std::to_string(name), start + name * 1'000'000us / 3'400)) << name;
    const auto after = start + kFlood * 1'000'000us / 3'400;

    int refused = 0;
    for (int account = 0; account < 300; ++account) {
        const std::string name = "5101041990" + std::to_string(10'000'000 + account);
        for (int failure = 0; failure < 9; ++failure)
            refused += !wrongPassword(limit, name, after);
        refused += !wrongPassword(limit, name, after) || limit.begin(name, after) != Attempt::Refused;
    }
    EXPECT_EQ(refused, 0) << "of 300 names, each let through ten times of its own and held at the eleventh";
}

TEST(FailedLoginLimit, aFullTableTurnsNewNamesAwayAsBusyHoldsItsNamesAndFreesThemAWindowOn)
{
    standin::FailedLoginLimit limit { 10, 60s, 1024 };
    const auto start = standin::FailedLoginLimit::Clock::now();
    for (int failure = 0; failure < 10; ++failure)
        ASSERT_TRUE(wrongPassword(limit, "510104199203154321", start));
    const std::size_t bytes = limit.bytes();

    int busy = 0;
    for (int name = 0; name < 5'000; ++name)
        busy += limit.begin("made-up-" + std::to_string(name), start + 1s) == Attempt::Busy;
    EXPECT_GE(busy, 5'000 - 1024);
    EXPECT_EQ(limit.bytes(), bytes);
    EXPECT_EQ(limit.begin("510104199203154321", start + 2s), Attempt::Refused) << "not pushed out by the flood";

    for (int name = 0; name < 500; ++name)
        EXPECT_EQ(limit.begin("later-" + std::to_string(name), start + 62s), Attempt::Evaluate) << name;
}

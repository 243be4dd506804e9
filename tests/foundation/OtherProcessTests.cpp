#include "tests/support/OtherProcess.h"

#include <gtest/gtest.h>

#include <string>

// A test run in another process passes only when it ran: a name that matches nothing, as after a
// rename, is a failure, not a pass.
TEST(OtherProcess, answersWhetherTheNamedTestRanAndPassed)
{
    EXPECT_TRUE(passesInAnotherProcess("OtherProcessChild.DISABLED_passes"));
    EXPECT_FALSE(passesInAnotherProcess("OtherProcessChild.DISABLED_fails"));
    std::string errors;
    EXPECT_FALSE(passesInAnotherProcess("OtherProcessChild.DISABLED_noSuchTest", errors));
    EXPECT_NE(errors.find("no test matches"), std::string::npos) << errors;
}

TEST(OtherProcessChild, DISABLED_passes) { }

TEST(OtherProcessChild, DISABLED_fails) { ADD_FAILURE() << "failed on purpose"; }

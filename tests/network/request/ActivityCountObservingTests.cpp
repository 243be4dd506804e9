#include "library/network/request/RQNetworkActivityIndicatorManager.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

TEST(NetworkActivityCount, observersHearEachChangeWithTheNewCount)
{
    auto manager = RQNetworkActivityIndicatorManager::create();
    std::vector<std::pair<std::string, NSInteger>> heard;
    const NSUInteger count = manager->addObserverForKeyPath("activityCount", [&](const NSString& keyPath) {
        heard.emplace_back(keyPath.UTF8String(), manager->activityCount());
    });
    const NSUInteger visible = manager->addObserverForKeyPath("isNetworkActivityIndicatorVisible", [&](const NSString& keyPath) {
        heard.emplace_back(keyPath.UTF8String(), manager->isNetworkActivityIndicatorVisible());
    });
    manager->incrementActivityCount();
    manager->decrementActivityCount();
    manager->setActivityCount(3);
    using Heard = std::vector<std::pair<std::string, NSInteger>>;
    EXPECT_EQ(heard, (Heard { { "activityCount", 1 }, { "isNetworkActivityIndicatorVisible", 1 }, { "activityCount", 0 },
                         { "isNetworkActivityIndicatorVisible", 0 }, { "activityCount", 3 }, { "isNetworkActivityIndicatorVisible", 1 } }));

    manager->removeObserverForKeyPath(count);
    manager->removeObserverForKeyPath(visible);
    heard.clear();
    manager->decrementActivityCount();
    EXPECT_TRUE(heard.empty());
    testing_support::runLoopUntil([] { return false; }, 0.2);
}

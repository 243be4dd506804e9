#include "library/network/request/RQURLConnectionOperation.h"

#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/SystemClock.h"
#include "platform/net/NSURLRequest.h"
#include "platform/uikit/UIApplication.h"

#include <gtest/gtest.h>

namespace {

class OperationBackgroundTask : public testing::Test {
protected:
    void SetUp() override
    {
        SystemClock::useManualClock();
        application = UIApplication::sharedApplication();
        application->resetForTesting();
        application->launch();
    }
    void TearDown() override
    {
        application->resetForTesting();
        SystemClock::useRealClock();
    }
    static std::shared_ptr<RQURLConnectionOperation> makeOperation()
    {
        return RQURLConnectionOperation::create(NSURLRequest::requestWithURL(NSURL::URLWithString("http://127.0.0.1:9/")));
    }
    std::shared_ptr<UIApplication> application;
};

} // namespace

TEST_F(OperationBackgroundTask, whenTheTimeRunsOutTheHandlerRunsAndTheOperationIsCancelled)
{
    auto operation = makeOperation();
    int expired = 0;
    operation->setShouldExecuteAsBackgroundTaskWithExpirationHandler([&] { ++expired; });
    operation->setShouldExecuteAsBackgroundTaskWithExpirationHandler([&] { expired += 100; });
    EXPECT_EQ(application->backgroundTaskCount(), 1u);
    application->enterBackground();
    NSRunLoop::mainRunLoop()->advanceClock(UIApplication::backgroundTimeAllowed + 1);
    EXPECT_EQ(expired, 1);
    EXPECT_TRUE(operation->isCancelled());
    EXPECT_EQ(application->backgroundTaskCount(), 0u);
    // A new task may be asked for once the last one ended.
    application->enterForeground();
    operation->setShouldExecuteAsBackgroundTaskWithExpirationHandler(nullptr);
    EXPECT_EQ(application->backgroundTaskCount(), 1u);
}

TEST_F(OperationBackgroundTask, anOperationThatGoesAwayEndsItsTask)
{
    auto operation = makeOperation();
    operation->setShouldExecuteAsBackgroundTaskWithExpirationHandler(nullptr);
    EXPECT_EQ(application->backgroundTaskCount(), 1u);
    operation.reset();
    EXPECT_EQ(application->backgroundTaskCount(), 0u);
}

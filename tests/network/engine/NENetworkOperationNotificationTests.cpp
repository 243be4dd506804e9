#include "library/network/engine/NENetworkOperation.h"

#include "platform/foundation/NSKeyedArchiver.h"
#include "platform/foundation/NSKeyedUnarchiver.h"
#include "platform/foundation/NSOperationQueue.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UILocalNotification.h"
#include "tests/net/LoopbackServer.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

namespace {

class NENetworkOperationNotification : public testing::Test {
protected:
    void SetUp() override
    {
        server.routes().Get("/broken", [](const httplib::Request&, httplib::Response& response) {
            response.status = 500;
            response.set_content("down", "text/plain");
        });
        server.start();
        application->resetForTesting();
        application->launch();
        application->setLocalNotificationPresenter([this](const std::shared_ptr<UILocalNotification>& notification) {
            presented.push_back(notification);
        });
    }
    void TearDown() override
    {
        queue->waitUntilAllOperationsAreFinished();
        application->resetForTesting();
    }

    std::shared_ptr<NENetworkOperation> makeOperation()
    {
        return NENetworkOperation::create(NSString(server.URL("/broken")), nullptr, "GET");
    }

    // Runs the operation to its failure; answers the error its callback was given.
    std::shared_ptr<NSError> fail(const std::shared_ptr<NENetworkOperation>& operation)
    {
        std::shared_ptr<NSError> error;
        const std::size_t before = presented.size();
        std::size_t presentedAtCallback = 0;
        operation->onCompletion([](const auto&) { }, [&](const std::shared_ptr<NSError>& failure) {
            error = failure;
            presentedAtCallback = presented.size();
        });
        queue->addOperation(operation);
        EXPECT_TRUE(testing_support::runLoopUntil([&] { return error != nullptr && operation->isFinished(); }));
        // The callbacks hear of the failure before the user does.
        EXPECT_EQ(presentedAtCallback, before);
        return error;
    }

    loopback::Server server;
    std::shared_ptr<NSOperationQueue> queue = NSOperationQueue::create();
    std::shared_ptr<UIApplication> application = UIApplication::sharedApplication();
    std::vector<std::shared_ptr<UILocalNotification>> presented;
};

} // namespace

TEST_F(NENetworkOperationNotification, aFailureInTheBackgroundTellsTheErrorWithADismissAction)
{
    application->enterBackground();
    auto operation = makeOperation();
    operation->setShouldShowLocalNotificationOnError(true);
    auto error = fail(operation);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), 500);
    ASSERT_EQ(presented.size(), 1u);
    EXPECT_EQ(presented[0]->alertBody(), error->localizedDescription());
    EXPECT_FALSE(presented[0]->alertBody().length() == 0);
    // No translation in the test bundle: the key itself.
    EXPECT_EQ(presented[0]->alertAction(), "Dismiss");
}

TEST_F(NENetworkOperationNotification, aPreparedNotificationIsPresentedInsteadOfTheErrorsText)
{
    application->enterBackground();
    auto prepared = UILocalNotification::create();
    prepared->setAlertBody("上传失败");
    prepared->setAlertAction("查看");
    auto operation = makeOperation();
    operation->setLocalNotification(prepared);
    operation->setShouldShowLocalNotificationOnError(true);
    fail(operation);
    ASSERT_EQ(presented.size(), 1u);
    EXPECT_EQ(presented[0]->alertBody(), "上传失败");
    EXPECT_EQ(presented[0]->alertAction(), "查看");

    // Without the flag, the prepared one is still shown.
    auto second = makeOperation();
    second->setLocalNotification(prepared);
    fail(second);
    EXPECT_EQ(presented.size(), 2u);
}

TEST_F(NENetworkOperationNotification, nothingIsPresentedInTheForegroundOrWhenNothingWasAsked)
{
    auto foreground = makeOperation();
    foreground->setShouldShowLocalNotificationOnError(true);
    foreground->setLocalNotification(UILocalNotification::create());
    fail(foreground);
    EXPECT_TRUE(presented.empty());

    application->enterBackground();
    fail(makeOperation());
    EXPECT_TRUE(presented.empty());
}

TEST_F(NENetworkOperationNotification, thePreparedNotificationIsArchivedButNeverCopied)
{
    auto prepared = UILocalNotification::create();
    prepared->setAlertBody("body");
    prepared->setAlertAction("action");
    auto operation = NENetworkOperation::create(NSString(server.URL("/broken")), nullptr, "POST");
    operation->setLocalNotification(prepared);

    auto restored = ns::cast<NENetworkOperation>(
        NSKeyedUnarchiver::unarchiveObjectWithData(NSKeyedArchiver::archivedDataWithRootObject(operation)));
    ASSERT_TRUE(restored);
    ASSERT_TRUE(restored->localNotification());
    EXPECT_EQ(restored->localNotification()->alertBody(), "body");
    EXPECT_EQ(restored->localNotification()->alertAction(), "action");

    EXPECT_FALSE(ns::cast<NENetworkOperation>(operation->copy())->localNotification());
    EXPECT_FALSE(operation->copyForRetry()->localNotification());

    // None archived, none restored.
    auto plain = NENetworkOperation::create(NSString(server.URL("/broken")), nullptr, "POST");
    auto restoredPlain = ns::cast<NENetworkOperation>(
        NSKeyedUnarchiver::unarchiveObjectWithData(NSKeyedArchiver::archivedDataWithRootObject(plain)));
    ASSERT_TRUE(restoredPlain);
    EXPECT_FALSE(restoredPlain->localNotification());
}

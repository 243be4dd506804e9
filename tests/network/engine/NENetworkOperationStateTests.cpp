#include "library/network/engine/NENetworkOperation.h"

#include "platform/foundation/NSOperationQueue.h"
#include "tests/net/LoopbackServer.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

class NENetworkOperationSharing : public ::testing::Test {
protected:
    void SetUp() override
    {
        server.routes().Get("/text", [](const httplib::Request&, httplib::Response& response) {
            response.set_header("ETag", "\"v1\"");
            response.set_content("shared text", "text/plain");
        });
        server.start();
    }

    loopback::Server server;
    std::shared_ptr<NSOperationQueue> queue = NSOperationQueue::create();
};

TEST_F(NENetworkOperationSharing, anObserverCancellingItAsItStartsFinishesItOnceTheStartIsAnnounced)
{
    auto operation = NENetworkOperation::create(NSString(server.URL("/text")), nullptr, "GET");
    std::vector<int> states;
    operation->setOperationStateChangedHandler([&](NENetworkOperationState state) { states.push_back(state); });
    int outcomes = 0;
    operation->onCompletion([&](const auto&) { ++outcomes; }, [&](const auto&) { ++outcomes; });
    std::weak_ptr<NENetworkOperation> weakOperation = operation;
    operation->addObserverForKeyPath("isExecuting", [weakOperation](const NSString&) {
        if (auto observed = weakOperation.lock(); observed && observed->isExecuting())
            observed->cancel();
    });

    operation->start();

    EXPECT_TRUE(operation->isFinished());
    EXPECT_TRUE(operation->isCancelled());
    EXPECT_EQ(states, (std::vector<int> { NENetworkOperationStateExecuting, NENetworkOperationStateFinished }));
    testing_support::runLoopUntil([] { return false; }, 0.05);
    EXPECT_EQ(outcomes, 0);
}

TEST_F(NENetworkOperationSharing, otherThreadsReadWriteAndCopyItWhileItRunsAndFinishes)
{
    auto operation = NENetworkOperation::create(NSString(server.URL("/text")), nullptr, "GET");
    std::atomic<int> completions { 0 };
    std::string body;
    operation->onCompletion(
        [&](const std::shared_ptr<NENetworkOperation>& finished) {
            ++completions;
            body = finished->responseString().UTF8String();
        },
        nullptr);

    std::atomic<bool> done { false };
    std::atomic<int> oddMethods { 0 };
    std::atomic<int> oddStatuses { 0 };
    std::atomic<int> badCopies { 0 };
    std::vector<std::thread> threads;
    for (int reader = 0; reader < 3; ++reader) {
        threads.emplace_back([&, reader] {
            int round = 0;
            while (!done) {
                oddMethods += operation->HTTPMethod() != "GET";
                const NSInteger status = operation->HTTPStatusCode();
                oddStatuses += status != 0 && status != 200;
                (void)operation->uniqueIdentifier();
                (void)operation->cacheHeaders();
                (void)operation->isCacheable();
                (void)operation->curlCommandLineString();
                (void)operation->responseData();
                operation->addParams(NSDictionary::dictionaryWithObjectsAndKeys(
                    { { NSString::stringWithFormat("%d", round), NSString::stringWithFormat("r%d", reader) } }));
                operation->onDownloadProgressChanged([](double) { });
                // A copy takes both operations' locks; it must see the original whole.
                auto copy = operation->copyForRetry();
                badCopies += !copy || copy->url() != operation->url() || !copy->isReady();
                ++round;
            }
        });
    }
    queue->addOperation(operation);
    EXPECT_TRUE(testing_support::runLoopUntil([&] { return completions > 0 && operation->isFinished(); }));
    done = true;
    for (auto& thread : threads)
        thread.join();
    queue->waitUntilAllOperationsAreFinished();
    testing_support::runLoopUntil([] { return false; }, 0.05);

    EXPECT_EQ(completions, 1);
    EXPECT_EQ(body, "shared text");
    EXPECT_EQ(oddMethods, 0);
    EXPECT_EQ(oddStatuses, 0);
    EXPECT_EQ(badCopies, 0);
    EXPECT_EQ(operation->HTTPStatusCode(), 200);
    ASSERT_TRUE(operation->cacheHeaders());
    EXPECT_TRUE(operation->cacheHeaders()->objectForKey("ETag"));
}

} // namespace

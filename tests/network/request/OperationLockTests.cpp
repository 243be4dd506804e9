// Readers on other threads while an operation finishes, parses and calls back: each takes its
// locks in one order, so none of them waits for ever, and all see the one parsed reply.
#include "library/network/request/RQJSONRequestOperation.h"

#include "platform/foundation/NSOperationQueue.h"
#include "tests/net/LoopbackServer.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

class OperationLockTest : public testing::Test {
protected:
    void SetUp() override
    {
        server.routes().Get("/reply.json", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("{\"retCode\":0,\"rows\":[1,2,3]}", "application/json");
        });
        server.routes().Get("/refused.json", [](const httplib::Request&, httplib::Response& response) {
            response.status = 500;
            response.set_content("{\"retCode\":9}", "application/json");
        });
        server.start();
    }
    void TearDown() override { server.stop(); }

    loopback::Server server;
};

} // namespace

TEST_F(OperationLockTest, readersOnOtherThreadsWhileTheReplyFinishesAllSeeTheOneParse)
{
    for (const char* path : { "/reply.json", "/refused.json" }) {
        std::atomic<bool> done { false };
        id delivered;
        auto operation = RQJSONRequestOperation::JSONRequestOperationWithRequest(
            NSURLRequest::requestWithURL(NSURL::URLWithString(server.URL(path))),
            [&](const std::shared_ptr<NSURLRequest>&, const std::shared_ptr<NSHTTPURLResponse>&, const id& JSON) {
                delivered = JSON;
                done = true;
            },
            [&](const std::shared_ptr<NSURLRequest>&, const std::shared_ptr<NSHTTPURLResponse>&, const std::shared_ptr<NSError>&, const id& JSON) {
                delivered = JSON;
                done = true;
            });
        // Readers that ask for the parse, the error, the body and the callbacks the whole time.
        std::atomic<bool> stop { false };
        std::vector<std::thread> readers;
        std::vector<id> seen(3);
        for (std::size_t i = 0; i < seen.size(); ++i) {
            readers.emplace_back([&, i] {
                while (!stop) {
                    if (auto JSON = operation->responseJSON())
                        seen[i] = JSON;
                    operation->error();
                    operation->responseString();
                    operation->setDownloadProgressBlock([](NSUInteger, long long, long long) { });
                }
            });
        }
        auto queue = NSOperationQueue::create();
        queue->addOperation(operation);
        EXPECT_TRUE(testing_support::runLoopUntil([&] { return done.load(); })) << path;
        stop = true;
        for (auto& reader : readers)
            reader.join();

        // A refused reply goes to the failure block before any parse, so only the readers'
        // parse may have run by then.
        const id parsed = operation->responseJSON();
        ASSERT_TRUE(parsed) << path;
        if (delivered || std::string(path) == "/reply.json") {
            EXPECT_EQ(delivered, parsed) << path;
        }
        for (const auto& JSON : seen) {
            if (JSON) {
                EXPECT_EQ(JSON, parsed) << path << ": parsed once";
            }
        }
        EXPECT_EQ(operation->error() != nullptr, std::string(path) == "/refused.json");
    }
}

TEST_F(OperationLockTest, operationsCopiedIntoEachOtherAtOnceKeepTheirCallbacks)
{
    auto request = NSURLRequest::requestWithURL(NSURL::URLWithString(server.URL("/reply.json")));
    auto first = RQJSONRequestOperation::create(request);
    auto second = RQJSONRequestOperation::create(request);
    std::atomic<int> heard { 0 };
    first->setDownloadProgressBlock([&](NSUInteger, long long, long long) { ++heard; });
    second->setDownloadProgressBlock([&](NSUInteger, long long, long long) { ++heard; });
    // Each copy reads one operation's callbacks while the other thread sets them.
    EXPECT_TRUE(testing_support::returnsWithin([first, second] {
        std::thread other([first, second] {
            for (int i = 0; i < 2000; ++i)
                second->copy();
        });
        for (int i = 0; i < 2000; ++i) {
            first->copy();
            second->setRedirectResponseBlock(nullptr);
        }
        other.join();
    }));

    auto copied = std::static_pointer_cast<RQJSONRequestOperation>(first->copy());
    std::atomic<bool> done { false };
    copied->setCompletionBlock([&] { done = true; });
    auto queue = NSOperationQueue::create();
    queue->addOperation(copied);
    EXPECT_TRUE(testing_support::runLoopUntil([&] { return done.load() && heard.load() > 0; }));
}

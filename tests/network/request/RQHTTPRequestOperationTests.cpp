#include "library/network/request/RQHTTPRequestOperation.h"
#include "library/network/request/RQQueryStringPair.h"

#include "platform/foundation/NSKeyedArchiver.h"
#include "platform/foundation/NSKeyedUnarchiver.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSOperationQueue.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/net/NSHTTPCookieStorage.h"
#include "tests/net/LoopbackServer.h"
#include "tests/net/ReplyHold.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

// A typed operation as the JSON subclass declares itself: only JSON is acceptable.
class JSONRequestOperation final : public RQHTTPRequestOperation {
    NS_OBJECT(JSONRequestOperation, RQHTTPRequestOperation)
protected:
    std::vector<std::string> acceptedSetsChain() const override { return { staticClassName(), RQHTTPRequestOperation::staticClassName() }; }
};

struct Outcome {
    bool succeeded { false };
    bool failed { false };
    bool onMainThread { false };
    std::shared_ptr<NSError> error;
    std::string body;
    bool done() const { return succeeded || failed; }
};

const std::string fullFile(3000, 'x');

class RQHTTPRequestOperationTest : public testing::Test {
protected:
    void SetUp() override
    {
        NSHTTPCookieStorage::resetSharedHTTPCookieStorage();
        NSHTTPCookieStorage::sharedHTTPCookieStorage()->setCookieAcceptPolicy(NSHTTPCookieAcceptPolicyAlways);
        server.routes().Post("/form", [](const httplib::Request& request, httplib::Response& response) {
            response.set_content(request.body, "application/json");
        });
        server.routes().Get("/missing", [](const httplib::Request&, httplib::Response& response) {
            response.status = 404;
            response.set_content("gone", "text/plain");
        });
        server.routes().Get("/html", [](const httplib::Request&, httplib::Response& response) { response.set_content("<p>", "text/html"); });
        server.routes().Get("/login", [](const httplib::Request&, httplib::Response& response) {
            response.set_header("Set-Cookie", "JSESSIONID=s1; Path=/");
            response.set_content("{}", "application/json");
        });
        server.routes().Get("/whoami", [](const httplib::Request&, httplib::Response& response) { response.set_content("{}", "application/json"); });
        server.routes().Get("/hang", [this](const httplib::Request&, httplib::Response& response) {
            hold.wait();
            response.set_content("late", "text/plain");
        });
        // The first third of the file, then nothing until let go; a ranged request gets the
        // rest as a partial reply unless the server is told to ignore ranges.
        server.routes().Get("/file", [this](const httplib::Request& request, httplib::Response& response) {
            response.set_header("ETag", "\"v1\"");
            if (request.has_header("Range")) {
                // The server slices the content by the Range field itself, or ignores it.
                response.set_content(fullFile, "application/octet-stream");
                return;
            }
            response.set_chunked_content_provider("application/octet-stream", [this](size_t, httplib::DataSink& sink) {
                sink.write(fullFile.data(), 1000);
                if (hold.wait()) {
                    sink.write(fullFile.data() + 1000, fullFile.size() - 1000);
                    sink.done();
                    return true;
                }
                return false;
            });
        });
        server.start();
    }

    void TearDown() override
    {
        hold.end();
        server.stop();
    }

    template <class Operation = RQHTTPRequestOperation>
    std::shared_ptr<Operation> operation(const std::shared_ptr<NSURLRequest>& request, Outcome& outcome)
    {
        auto made = Operation::create(request);
        made->setCompletionBlockWithSuccess(
            [&outcome](const std::shared_ptr<RQHTTPRequestOperation>& finished, const id&) {
                outcome.succeeded = true;
                outcome.onMainThread = NSThread::isMainThread();
                if (auto data = finished->responseData())
                    outcome.body = std::string(data->stringView());
            },
            [&outcome](const std::shared_ptr<RQHTTPRequestOperation>&, const std::shared_ptr<NSError>& error) {
                outcome.failed = true;
                outcome.onMainThread = NSThread::isMainThread();
                outcome.error = error;
            });
        return made;
    }

    std::shared_ptr<NSMutableURLRequest> request(const std::string& path)
    {
        return NSMutableURLRequest::requestWithURL(NSURL::URLWithString(server.URL(path)));
    }

    // Puts the operation on the queue and pauses it once the first third of the held file is in.
    static void pauseAfterFirstThird(const std::shared_ptr<NSOperationQueue>& queue, const std::shared_ptr<RQURLConnectionOperation>& made)
    {
        queue->addOperation(made);
        ASSERT_TRUE(testing_support::runLoopUntil([&] { return made->totalBytesRead() >= 1000; }));
        made->pause();
    }

    Outcome run(const std::shared_ptr<NSURLRequest>& request)
    {
        Outcome outcome;
        auto queue = NSOperationQueue::create();
        queue->addOperation(operation(request, outcome));
        EXPECT_TRUE(testing_support::runLoopUntil([&] { return outcome.done(); }));
        return outcome;
    }

    loopback::Server server;
    loopback::ReplyHold hold;
};

} // namespace

TEST_F(RQHTTPRequestOperationTest, sendsTheExactFormBodyAndCallsBackOnTheMainQueue)
{
    auto fields = NSMutableDictionary::dictionary();
    fields->setObject(NSString("科目一 & 2+2=4?"), "METHOD");
    fields->setObject(NSDictionary::dictionaryWithObjectsAndKeys({ { NSString("a/b"), NSString("Zeta") }, { NSString("中"), NSString("alpha") } }), "param");
    fields->setObject(NSArray::arrayWithObjects({ NSString("1"), NSString("#") }), "_list");
    auto post = request("/form");
    post->setHTTPMethod("Post");
    post->setTimeoutInterval(30);
    post->setValue("application/x-www-form-urlencoded; charset=utf-8", "Content-Type");
    post->setHTTPBody(RQQueryStringFromParameters(fields, NSUTF8StringEncoding).dataUsingEncoding(NSUTF8StringEncoding));

    std::string redirectThread;
    Outcome outcome;
    auto queue = NSOperationQueue::create();
    auto made = operation(post, outcome);
    made->setRedirectResponseBlock([&redirectThread](NSURLConnection*, const std::shared_ptr<NSURLRequest>& next, const std::shared_ptr<NSURLResponse>&) {
        redirectThread = NSThread::currentThread()->name().UTF8String();
        return next;
    });
    queue->addOperation(made);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return outcome.done(); }));

    const std::string expected = "_list[]=1&_list[]=%23&METHOD=%E7%A7%91%E7%9B%AE%E4%B8%80%20%26%202%2B2%3D4%3F"
                                 "&param[alpha]=%E4%B8%AD&param[Zeta]=a%2Fb";
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].body, expected);
    EXPECT_EQ(server.requests()[0].method, "POST");
    EXPECT_TRUE(outcome.succeeded);
    EXPECT_TRUE(outcome.onMainThread);
    EXPECT_EQ(outcome.body, expected);
    // The connection itself ran on the shared network thread.
    EXPECT_EQ(redirectThread, "RQNetworking");
}

TEST_F(RQHTTPRequestOperationTest, unacceptableStatusAndContentTypeBecomeErrorsOfTheirOwnDomain)
{
    auto missing = run(request("/missing"));
    ASSERT_TRUE(missing.failed);
    EXPECT_TRUE(missing.onMainThread);
    EXPECT_EQ(missing.error->domain(), RQNetworkingErrorDomain);
    EXPECT_EQ(missing.error->code(), -1011);
    EXPECT_EQ(missing.error->localizedDescription(), "Expected status code in (200-299), got 404");

    RQHTTPRequestOperation::addAcceptableContentTypesFor(JSONRequestOperation::staticClassName(),
        NSSet::setWithObjects({ NSString("application/json") }), { RQHTTPRequestOperation::staticClassName() });
    Outcome wrongType;
    auto queue = NSOperationQueue::create();
    queue->addOperation(operation<JSONRequestOperation>(request("/html"), wrongType));
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return wrongType.done(); }));
    ASSERT_TRUE(wrongType.failed);
    EXPECT_EQ(wrongType.error->code(), -1016);
    // The base class still accepts every type.
    EXPECT_TRUE(run(request("/html")).succeeded);
}

TEST_F(RQHTTPRequestOperationTest, cookiesOfOneReplyGoOutWithTheNextRequestAndSurviveARestart)
{
    ASSERT_TRUE(run(request("/login")).succeeded);
    ASSERT_TRUE(run(request("/whoami")).succeeded);
    EXPECT_EQ(server.requests().back().header("Cookie"), "JSESSIONID=s1");

    auto defaults = NSUserDefaults::standardUserDefaults();
    defaults->setObject(NSKeyedArchiver::archivedDataWithRootObject(NSHTTPCookieStorage::sharedHTTPCookieStorage()->cookies()), "sessionCookies");
    defaults->synchronize();
    NSUserDefaults::resetStandardUserDefaults();
    NSHTTPCookieStorage::resetSharedHTTPCookieStorage();
    ASSERT_EQ(NSHTTPCookieStorage::sharedHTTPCookieStorage()->cookies()->count(), 0u);

    auto restored = ns::cast<NSArray>(NSKeyedUnarchiver::unarchiveObjectWithData(NSUserDefaults::standardUserDefaults()->dataForKey("sessionCookies")));
    ASSERT_TRUE(restored);
    for (const auto& cookie : *restored)
        NSHTTPCookieStorage::sharedHTTPCookieStorage()->setCookie(ns::cast<NSHTTPCookie>(cookie));
    ASSERT_TRUE(run(request("/whoami")).succeeded);
    EXPECT_EQ(server.requests().back().header("Cookie"), "JSESSIONID=s1");
}

TEST_F(RQHTTPRequestOperationTest, aShortTimeOutFailsWithTimedOut)
{
    auto hanging = request("/hang");
    hanging->setTimeoutInterval(0.2);
    auto outcome = run(hanging);
    ASSERT_TRUE(outcome.failed);
    EXPECT_EQ(outcome.error->domain(), NSURLErrorDomain);
    EXPECT_EQ(outcome.error->code(), NSURLErrorTimedOut);
}

TEST_F(RQHTTPRequestOperationTest, cancellingFailsWithCancelledAndPostsBothNotifications)
{
    std::atomic<int> started { 0 }, finished { 0 };
    auto center = NSNotificationCenter::defaultCenter();
    auto startToken = center->addObserverForName(RQNetworkingOperationDidStartNotification, nullptr, nullptr, [&](const auto&) { ++started; });
    auto finishToken = center->addObserverForName(RQNetworkingOperationDidFinishNotification, nullptr, nullptr, [&](const auto&) { ++finished; });
    Outcome outcome;
    auto queue = NSOperationQueue::create();
    auto made = operation(request("/hang"), outcome);
    queue->addOperation(made);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return server.requestCount() == 1; }));
    made->cancel();
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return outcome.done() && finished == 1; }));
    EXPECT_EQ(outcome.error->code(), NSURLErrorCancelled);
    EXPECT_EQ(started, 1);
    EXPECT_TRUE(made->isFinished());
    center->removeObserver(startToken);
    center->removeObserver(finishToken);
}

TEST_F(RQHTTPRequestOperationTest, resumesAPausedDownloadWithARangedRequest)
{
    Outcome outcome;
    auto queue = NSOperationQueue::create();
    auto made = operation(request("/file"), outcome);
    ASSERT_NO_FATAL_FAILURE(pauseAfterFirstThird(queue, made));
    EXPECT_TRUE(made->isPaused());
    EXPECT_EQ(made->request()->valueForHTTPHeaderField("Range"), "bytes=1000-");
    EXPECT_EQ(made->request()->valueForHTTPHeaderField("If-Range"), "\"v1\"");
    made->resume();
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return outcome.done(); }));
    ASSERT_TRUE(outcome.succeeded);
    EXPECT_EQ(outcome.body.size(), fullFile.size());
    EXPECT_EQ(outcome.body, fullFile);
}

TEST_F(RQHTTPRequestOperationTest, aRestartedReplyReplacesThePartialOneInsteadOfFollowingIt)
{
    // The plain connection operation resumes without a range, so the whole reply comes again.
    auto made = RQURLConnectionOperation::create(request("/file"));
    std::atomic<bool> finished { false };
    made->setCompletionBlock([&finished] { finished = true; });
    auto queue = NSOperationQueue::create();
    ASSERT_NO_FATAL_FAILURE(pauseAfterFirstThird(queue, made));
    hold.letGo();
    made->resume();
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return finished.load(); }));
    ASSERT_TRUE(made->responseData());
    EXPECT_EQ(made->responseData()->length(), fullFile.size());
}

TEST_F(RQHTTPRequestOperationTest, cancellingAPausedOperationFinishesIt)
{
    Outcome outcome;
    auto queue = NSOperationQueue::create();
    auto made = operation(request("/file"), outcome);
    ASSERT_NO_FATAL_FAILURE(pauseAfterFirstThird(queue, made));
    made->cancel();
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return outcome.done(); }));
    EXPECT_EQ(outcome.error->code(), NSURLErrorCancelled);
    EXPECT_TRUE(made->isFinished());
    EXPECT_TRUE(testing_support::runLoopUntil([&] { return queue->operationCount() == 0; }));
}

TEST_F(RQHTTPRequestOperationTest, aFailedWriteToTheOutputStreamFailsTheOperation)
{
    Outcome outcome;
    auto queue = NSOperationQueue::create();
    auto made = operation(request("/login"), outcome);
    made->setOutputStream(NSOutputStream::outputStreamToFileAtPath("/dev/full", false));
    queue->addOperation(made);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return outcome.done(); }));
    ASSERT_TRUE(outcome.failed);
    EXPECT_EQ(outcome.error->domain(), NSPOSIXErrorDomain);
}

TEST_F(RQHTTPRequestOperationTest, twoHundredRequestsInParallelAllComplete)
{
    constexpr int count = 200;
    std::vector<Outcome> outcomes(count);
    auto queue = NSOperationQueue::create();
    queue->setMaxConcurrentOperationCount(count);
    for (int i = 0; i < count; ++i) {
        auto post = request("/form");
        post->setHTTPMethod("POST");
        post->setHTTPBody(NSString(std::to_string(i)).dataUsingEncoding(NSUTF8StringEncoding));
        queue->addOperation(operation(post, outcomes[static_cast<std::size_t>(i)]));
    }
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return std::all_of(outcomes.begin(), outcomes.end(), [](const Outcome& o) { return o.done(); }); }, 60));
    for (int i = 0; i < count; ++i) {
        EXPECT_TRUE(outcomes[static_cast<std::size_t>(i)].succeeded);
        EXPECT_EQ(outcomes[static_cast<std::size_t>(i)].body, std::to_string(i));
    }
}

TEST_F(RQHTTPRequestOperationTest, aReplyFinishedWhileTheMainThreadIsBusyIsToldThereInOrderOnceItIsFree)
{
    std::vector<std::string> heard;
    auto center = NSNotificationCenter::defaultCenter();
    auto startToken = center->addObserverForName(RQNetworkingOperationDidStartNotification, nullptr, nullptr, [&](const auto&) { heard.push_back("start"); });
    auto finishToken = center->addObserverForName(RQNetworkingOperationDidFinishNotification, nullptr, nullptr, [&](const auto&) { heard.push_back("finish"); });
    auto post = request("/form");
    post->setHTTPMethod("POST");
    post->setHTTPBody(NSString("{}").dataUsingEncoding(NSUTF8StringEncoding));
    auto made = RQHTTPRequestOperation::create(post);
    made->setCompletionBlockWithSuccess([&](const auto&, const id&) { heard.push_back("success"); },
        [&](const auto&, const std::shared_ptr<NSError>&) { heard.push_back("failure"); });
    auto queue = NSOperationQueue::create();
    queue->addOperation(made);
    // The main thread is busy until the network thread is done with the whole load.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!made->isFinished() && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::yield();
    ASSERT_TRUE(made->isFinished());
    EXPECT_TRUE(heard.empty());
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return heard.size() == 3; }));
    EXPECT_EQ(heard, (std::vector<std::string> { "start", "success", "finish" }));
    // Nothing more comes after the finish.
    testing_support::runLoopUntil([] { return false; }, 0.05);
    EXPECT_EQ(heard.size(), 3u);
    center->removeObserver(startToken);
    center->removeObserver(finishToken);
}

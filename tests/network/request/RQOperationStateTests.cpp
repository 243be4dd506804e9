#include "library/network/request/RQHTTPRequestOperation.h"

#include "platform/foundation/NSBlockOperation.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSOperationQueue.h"
#include "platform/net/NSURLError.h"
#include "tests/net/LoopbackServer.h"
#include "tests/net/ReplyHold.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace {

// The start and finish notifications one operation posts, in order, and whether each came on
// the main thread.
class NotificationLog {
public:
    explicit NotificationLog(const std::shared_ptr<RQURLConnectionOperation>& operation)
        : m_observer(NSObject::create())
    {
        auto center = NSNotificationCenter::defaultCenter();
        for (const char* name : { RQNetworkingOperationDidStartNotification, RQNetworkingOperationDidFinishNotification }) {
            const std::string event = name == std::string(RQNetworkingOperationDidStartNotification) ? "start" : "finish";
            center->addObserver(m_observer, [this, event](const std::shared_ptr<NSNotification>&) {
                events.push_back(event);
                allOnMain = allOnMain && NSThread::isMainThread();
            }, name, operation);
        }
    }
    ~NotificationLog() { NSNotificationCenter::defaultCenter()->removeObserver(m_observer.get()); }

    std::vector<std::string> events;
    bool allOnMain { true };

private:
    id m_observer;
};

// Holds the shared network thread inside one block until let go, so that what the main thread
// does meanwhile happens before the network thread's next step. The block shares the gate's
// state, which outlives the gate until the block is done with it.
class NetworkThreadGate {
public:
    NetworkThreadGate()
        : m_state(std::make_shared<State>())
    {
        RQURLConnectionOperation::networkRequestThread()->performBlock([state = m_state] {
            std::unique_lock lock(state->mutex);
            state->held = true;
            state->condition.notify_all();
            state->condition.wait_for(lock, std::chrono::seconds(20), [&] { return state->open; });
        }, false);
        std::unique_lock lock(m_state->mutex);
        m_state->condition.wait_for(lock, std::chrono::seconds(20), [this] { return m_state->held; });
    }
    ~NetworkThreadGate()
    {
        std::lock_guard lock(m_state->mutex);
        m_state->open = true;
        m_state->condition.notify_all();
    }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable condition;
        bool held { false };
        bool open { false };
    };
    std::shared_ptr<State> m_state;
};

// An operation class that accepts JSON only, so that the base class's sets stay untouched.
class JSONOnlyOperation final : public RQHTTPRequestOperation {
    NS_OBJECT(JSONOnlyOperation, RQHTTPRequestOperation)
public:
    static void acceptJSONOnly()
    {
        addAcceptableContentTypesFor(staticClassName(), NSSet::setWithObject(NSString("application/json")),
            { RQHTTPRequestOperation::staticClassName() });
    }

protected:
    std::vector<std::string> acceptedSetsChain() const override { return { staticClassName(), RQHTTPRequestOperation::staticClassName() }; }
};

class RQOperationStateTest : public testing::Test {
protected:
    void SetUp() override
    {
        // "café" in Latin-1, under several content types.
        const std::pair<const char*, const char*> types[] = { { "/text/plain", "text/plain" },
            { "/text/unknown", "text/plain; charset=x-no-such" }, { "/text/latin1", "text/plain; charset=iso-8859-1" },
            { "/text/binary", "application/octet-stream" }, { "/text/html", "text/html" } };
        for (const auto& entry : types) {
            const char* type = entry.second;
            server.routes().Get(entry.first, [type](const httplib::Request&, httplib::Response& response) { response.set_content("caf\xE9", type); });
        }
        server.routes().Get("/empty", [](const httplib::Request&, httplib::Response& response) { response.status = 204; });
        server.routes().Get("/blank", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("", "application/x-unknown");
        });
        server.routes().Get("/hang", [this](const httplib::Request&, httplib::Response& response) {
            hold.wait();
            response.set_content("late", "text/plain");
        });
        server.start();
    }

    void TearDown() override
    {
        hold.end();
        server.stop();
    }

    std::shared_ptr<NSMutableURLRequest> request(const std::string& path)
    {
        return NSMutableURLRequest::requestWithURL(NSURL::URLWithString(server.URL(path)));
    }

    // Runs an operation to its end on a queue of its own; false when it did not end in time.
    static bool runToEnd(const std::shared_ptr<RQURLConnectionOperation>& operation)
    {
        auto queue = NSOperationQueue::create();
        queue->addOperation(operation);
        return testing_support::runLoopUntil([&] { return operation->isFinished(); });
    }

    loopback::Server server;
    loopback::ReplyHold hold;
};

} // namespace

TEST_F(RQOperationStateTest, startDoesNothingUnlessTheOperationIsReady)
{
    auto operation = RQHTTPRequestOperation::create(request("/text/plain"));
    NotificationLog log(operation);
    auto blocker = NSBlockOperation::blockOperationWithBlock([] { });
    operation->addDependency(blocker);
    EXPECT_FALSE(operation->isReady());
    operation->start();
    EXPECT_EQ(operation->state(), RQOperationReadyState);
    EXPECT_FALSE(operation->isExecuting());

    operation->removeDependency(blocker);
    ASSERT_TRUE(runToEnd(operation));
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return log.events.size() == 2; }));
    // A finished operation does not start again.
    operation->start();
    EXPECT_TRUE(operation->isFinished());
    testing_support::runLoopUntil([] { return false; }, 0.1);
    EXPECT_EQ(log.events, (std::vector<std::string> { "start", "finish" }));
    EXPECT_TRUE(log.allOnMain);
}

TEST_F(RQOperationStateTest, aPauseAnnouncesAFinishAndAResumeStartsAgain)
{
    auto operation = RQHTTPRequestOperation::create(request("/hang"));
    NotificationLog log(operation);
    operation->start();
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return log.events.size() == 1; }));
    operation->pause();
    EXPECT_TRUE(operation->isPaused());
    EXPECT_FALSE(operation->isExecuting());
    EXPECT_FALSE(operation->isReady());
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return log.events.size() == 2; }));
    EXPECT_EQ(log.events, (std::vector<std::string> { "start", "finish" }));
    // Pausing twice says nothing more.
    operation->pause();

    hold.letGo();
    operation->resume();
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return operation->isFinished() && log.events.size() == 4; }));
    EXPECT_EQ(log.events, (std::vector<std::string> { "start", "finish", "start", "finish" }));
    EXPECT_TRUE(log.allOnMain);
    EXPECT_EQ(operation->responseString(), "late");
}

// Every finish told matches a start told, or the activity count falls below the requests running.
TEST_F(RQOperationStateTest, aPauseThatOvertakesTheStartTellsNeitherAndTheResumeTellsBoth)
{
    auto operation = RQHTTPRequestOperation::create(request("/text/plain"));
    NotificationLog log(operation);
    {
        NetworkThreadGate gate;
        operation->start();
        EXPECT_TRUE(operation->isExecuting());
        operation->pause();
    }
    testing_support::runLoopUntil([] { return false; }, 0.2);
    EXPECT_TRUE(log.events.empty());
    EXPECT_TRUE(operation->isPaused());
    EXPECT_FALSE(operation->response());
    EXPECT_TRUE(server.requests().empty());

    operation->resume();
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return operation->isFinished() && log.events.size() == 2; }));
    EXPECT_EQ(log.events, (std::vector<std::string> { "start", "finish" }));
}

TEST_F(RQOperationStateTest, delegateCallsRunOnTheNetworkThreadAndProgressOnTheMainThread)
{
    auto operation = RQHTTPRequestOperation::create(request("/text/plain"));
    std::string cacheThread;
    std::atomic<int> progressCalls { 0 };
    std::atomic<bool> progressOnMain { true };
    operation->setCacheResponseBlock([&](NSURLConnection* connection, const std::shared_ptr<NSCachedURLResponse>& proposed) {
        EXPECT_TRUE(connection);
        cacheThread = NSThread::currentThread()->name().UTF8String();
        return proposed;
    });
    operation->setDownloadProgressBlock([&](NSUInteger, long long, long long) {
        ++progressCalls;
        progressOnMain = progressOnMain && NSThread::isMainThread();
    });
    ASSERT_TRUE(runToEnd(operation));
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return progressCalls > 0; }));
    EXPECT_EQ(cacheThread, "RQNetworking");
    EXPECT_TRUE(progressOnMain);
}

TEST_F(RQOperationStateTest, aCopyIsReadyWithTheSameRequestCallbacksAndCertificateSetting)
{
    auto original = RQHTTPRequestOperation::create(request("/text/plain"));
    std::atomic<int> redirects { 0 };
    original->setRedirectResponseBlock([&](NSURLConnection*, const std::shared_ptr<NSURLRequest>& next, const std::shared_ptr<NSURLResponse>&) {
        ++redirects;
        return next;
    });
    original->setAllowsInvalidSSLCertificate(true);
    ASSERT_TRUE(runToEnd(original));
    EXPECT_EQ(redirects, 1);

    auto copied = ns::cast<RQHTTPRequestOperation>(original->copy());
    ASSERT_TRUE(copied);
    EXPECT_NE(copied, original);
    EXPECT_EQ(copied->state(), RQOperationReadyState);
    EXPECT_EQ(copied->request(), original->request());
    EXPECT_TRUE(copied->allowsInvalidSSLCertificate());
    EXPECT_FALSE(copied->response());
    EXPECT_FALSE(copied->responseData());
    ASSERT_TRUE(runToEnd(copied));
    EXPECT_EQ(redirects, 2) << "the copy carries the callbacks";
}

TEST_F(RQOperationStateTest, theDescriptionNamesClassStateCancellationRequestAndResponse)
{
    auto operation = RQHTTPRequestOperation::create(request("/text/plain"));
    const std::string ready = operation->description().UTF8String();
    EXPECT_EQ(ready.rfind("<RQHTTPRequestOperation: 0x", 0), 0u) << ready;
    EXPECT_NE(ready.find(", state: isReady, cancelled: NO request: <NSMutableURLRequest"), std::string::npos) << ready;
    EXPECT_NE(ready.find(", response: (null)>"), std::string::npos) << ready;
    ASSERT_TRUE(runToEnd(operation));
    const std::string finished = operation->description().UTF8String();
    EXPECT_NE(finished.find("state: isFinished, cancelled: NO"), std::string::npos) << finished;
    EXPECT_NE(finished.find("response: <NSHTTPURLResponse"), std::string::npos) << finished;
}

TEST_F(RQOperationStateTest, textRepliesReadAsLatin1UnlessTheirCharsetSaysOtherwise)
{
    auto plain = RQHTTPRequestOperation::create(request("/text/plain"));
    ASSERT_TRUE(runToEnd(plain));
    EXPECT_EQ(plain->responseStringEncoding(), NSISOLatin1StringEncoding);
    EXPECT_EQ(plain->responseString(), "café");

    // An unknown charset falls back to UTF-8, which these bytes are not.
    auto unknown = RQHTTPRequestOperation::create(request("/text/unknown"));
    ASSERT_TRUE(runToEnd(unknown));
    EXPECT_EQ(unknown->responseStringEncoding(), NSUTF8StringEncoding);
    EXPECT_TRUE(unknown->responseString().isNil());

    // Without "text/" the default is UTF-8 as well.
    auto binary = RQHTTPRequestOperation::create(request("/text/binary"));
    ASSERT_TRUE(runToEnd(binary));
    EXPECT_EQ(binary->responseStringEncoding(), NSUTF8StringEncoding);

    auto named = RQHTTPRequestOperation::create(request("/text/latin1"));
    ASSERT_TRUE(runToEnd(named));
    EXPECT_EQ(named->responseString(), "café");
}

TEST_F(RQOperationStateTest, noContentSucceedsAndAnUnacceptableTypeFailsOnlyWithABody)
{
    // 204 is an acceptable status, and with no body its missing content type is no fault.
    JSONOnlyOperation::acceptJSONOnly();
    auto empty = JSONOnlyOperation::create(request("/empty"));
    ASSERT_TRUE(runToEnd(empty));
    EXPECT_EQ(empty->response()->statusCode(), 204);
    EXPECT_FALSE(empty->error());

    auto blank = JSONOnlyOperation::create(request("/blank"));
    ASSERT_TRUE(runToEnd(blank));
    EXPECT_FALSE(blank->error());

    auto typed = JSONOnlyOperation::create(request("/text/html"));
    ASSERT_TRUE(runToEnd(typed));
    ASSERT_TRUE(typed->error());
    EXPECT_EQ(typed->error()->code(), NSURLErrorCannotDecodeContentData);
    EXPECT_EQ(typed->error()->domain(), RQNetworkingErrorDomain);
}

TEST_F(RQOperationStateTest, callbackQueuesAreKeptByTheOperation)
{
    auto operation = RQHTTPRequestOperation::create(request("/text/plain"));
    std::atomic<bool> ran { false };
    std::atomic<bool> onMain { true };
    testing_support::Signal called;
    operation->setCompletionBlockWithSuccess(
        [&, called](const std::shared_ptr<RQHTTPRequestOperation>&, const id&) {
            onMain = NSThread::isMainThread();
            ran = true;
            called.notify();
        },
        nullptr);
    // Only the operation holds this queue.
    operation->setSuccessCallbackQueue(dispatch_queue_create("success-only-here", nullptr));
    operation->setFailureCallbackQueue(dispatch_queue_create("failure-only-here", nullptr));
    EXPECT_TRUE(operation->successCallbackQueue());
    EXPECT_TRUE(operation->failureCallbackQueue());
    ASSERT_TRUE(runToEnd(operation));
    ASSERT_TRUE(called.waitUntil([&] { return ran.load(); }));
    EXPECT_FALSE(onMain) << "the callback ran on the main queue instead of its own";
}

// What one reply hands to the main queue from the network thread costs the main thread one
// turn: a block the success callback queues behind itself runs after the finish notification.
TEST_F(RQOperationStateTest, oneReplyReachesTheMainQueueInOneTurn)
{
    for (int round = 0; round < 3; ++round) {
        auto operation = RQHTTPRequestOperation::create(request("/text/plain"));
        NotificationLog log(operation);
        operation->setDownloadProgressBlock([&](NSUInteger, long long, long long) { log.events.push_back("progress"); });
        operation->setCompletionBlockWithSuccess([&](const auto&, const id&) {
            log.events.push_back("success");
            dispatch_async(dispatch_get_main_queue(), [&] { log.events.push_back("next turn"); });
        }, [&](const auto&, const std::shared_ptr<NSError>&) { log.events.push_back("failure"); });
        auto queue = NSOperationQueue::create();
        queue->addOperation(operation);
        ASSERT_TRUE(testing_support::runLoopUntil([&] { return log.events.size() == 5; }));
        // The start notice may come alone, when the reply takes longer than it waits for one.
        EXPECT_EQ(log.events, (std::vector<std::string> { "start", "progress", "success", "finish", "next turn" }));
    }
}

// Progress, the success callback and the notifications reach the main thread in the order they
// had before they went through one relay: start, progress, success, finish; a queued operation
// starts on the thread that adds it.
TEST_F(RQOperationStateTest, mainQueueCallbacksKeepTheirOrder)
{
    for (int round = 0; round < 3; ++round) {
        auto operation = RQHTTPRequestOperation::create(request("/text/plain"));
        NotificationLog log(operation);
        bool progressOnMain = true;
        operation->setDownloadProgressBlock([&](NSUInteger, long long, long long) {
            log.events.push_back("progress");
            progressOnMain = progressOnMain && NSThread::isMainThread();
        });
        operation->setCompletionBlockWithSuccess([&](const auto&, const id&) { log.events.push_back("success"); },
            [&](const auto&, const std::shared_ptr<NSError>&) { log.events.push_back("failure"); });
        auto queue = NSOperationQueue::create();
        queue->addOperation(operation);
        EXPECT_TRUE(operation->isExecuting() || operation->isFinished()) << "started without a worker in between";
        ASSERT_TRUE(testing_support::runLoopUntil([&] { return log.events.size() == 4; }));
        EXPECT_EQ(log.events, (std::vector<std::string> { "start", "progress", "success", "finish" }));
        EXPECT_TRUE(log.allOnMain);
        EXPECT_TRUE(progressOnMain);
    }
}

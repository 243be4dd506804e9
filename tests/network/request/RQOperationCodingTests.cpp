#include "library/network/request/RQHTTPRequestOperation.h"

#include "platform/foundation/NSKeyedArchiver.h"
#include "platform/foundation/NSKeyedUnarchiver.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSOperationQueue.h"
#include "tests/net/LoopbackServer.h"
#include "tests/net/ReplyHold.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

const std::string wholeBody(3000, 'y');

// Writes whatever a test likes under the operation's class name, as a damaged file would.
class ForgedOperation final : public NSObject, public NSCoding {
    NS_OBJECT(ForgedOperation, NSObject)
public:
    const char* classNameForCoder() const override { return RQURLConnectionOperation::staticClassName(); }
    void encodeWithCoder(NSCoder& coder) const override { m_write(coder); }

protected:
    void init(std::function<void(NSCoder&)> write) { m_write = std::move(write); }

private:
    std::function<void(NSCoder&)> m_write;
};

class RQOperationCodingTest : public testing::Test {
protected:
    void SetUp() override
    {
        server.routes().Get("/small", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("{\"ok\":1}", "application/json; charset=utf-8");
        });
        // A third of the body, then nothing until let go; ranged requests get their slice.
        server.routes().Get("/slow", [this](const httplib::Request& request, httplib::Response& response) {
            if (request.has_header("Range")) {
                response.set_content(wholeBody, "application/octet-stream");
                return;
            }
            response.set_chunked_content_provider("application/octet-stream", [this](size_t, httplib::DataSink& sink) {
                sink.write(wholeBody.data(), 1000);
                if (!hold.wait())
                    return false;
                sink.write(wholeBody.data() + 1000, wholeBody.size() - 1000);
                sink.done();
                return true;
            });
        });
        server.start();
    }

    void TearDown() override
    {
        hold.end();
        server.stop();
    }

    std::shared_ptr<NSURL> URL(const std::string& path) { return NSURL::URLWithString(server.URL(path)); }

    static std::shared_ptr<RQURLConnectionOperation> roundTrip(const std::shared_ptr<RQURLConnectionOperation>& operation)
    {
        return ns::cast<RQURLConnectionOperation>(
            NSKeyedUnarchiver::unarchiveObjectWithData(NSKeyedArchiver::archivedDataWithRootObject(operation)));
    }

    // Runs the operation on a queue of its own until it finishes.
    static bool runToEnd(const std::shared_ptr<RQURLConnectionOperation>& operation)
    {
        std::atomic<bool> finished { false };
        operation->setCompletionBlock([&finished] { finished = true; });
        auto queue = NSOperationQueue::create();
        queue->addOperation(operation);
        return testing_support::runLoopUntil([&] { return finished.load(); });
    }

    loopback::Server server;
    loopback::ReplyHold hold;
};

} // namespace

TEST_F(RQOperationCodingTest, aFinishedOperationComesBackReadyWithItsResults)
{
    auto operation = RQHTTPRequestOperation::create(NSMutableURLRequest::requestWithURL(URL("/small")));
    operation->setAllowsInvalidSSLCertificate(true);
    ASSERT_TRUE(runToEnd(operation));
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return operation->totalBytesRead() == 8; }));

    auto restored = std::dynamic_pointer_cast<RQHTTPRequestOperation>(roundTrip(operation));
    ASSERT_TRUE(restored);
    EXPECT_EQ(restored->state(), RQOperationReadyState);
    EXPECT_FALSE(restored->isCancelled());
    EXPECT_EQ(restored->request()->URL()->absoluteString(), server.URL("/small"));
    ASSERT_TRUE(restored->response());
    EXPECT_EQ(restored->response()->statusCode(), 200);
    EXPECT_EQ(restored->response()->MIMEType(), "application/json");
    EXPECT_EQ(restored->responseString(), "{\"ok\":1}");
    EXPECT_FALSE(restored->error());
    EXPECT_EQ(restored->totalBytesRead(), 8);
    EXPECT_TRUE(restored->allowsInvalidSSLCertificate());
    EXPECT_TRUE(operation->isFinished());
}

TEST_F(RQOperationCodingTest, archivingARunningOperationPausesItAndTheCopyFetchesTheWholeBodyAgain)
{
    auto operation = RQHTTPRequestOperation::create(NSMutableURLRequest::requestWithURL(URL("/slow")));
    auto queue = NSOperationQueue::create();
    queue->addOperation(operation);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return operation->totalBytesRead() >= 1000; }));

    auto restored = roundTrip(operation);
    EXPECT_TRUE(operation->isPaused());
    ASSERT_TRUE(restored);
    EXPECT_EQ(restored->state(), RQOperationReadyState);
    EXPECT_EQ(restored->totalBytesRead(), 1000);
    EXPECT_FALSE(restored->responseData());
    // The copy has none of the bytes the original received, so it must not ask for the rest only.
    EXPECT_TRUE(restored->request()->valueForHTTPHeaderField("Range").isNil());

    hold.letGo();
    ASSERT_TRUE(runToEnd(restored));
    ASSERT_TRUE(restored->responseData());
    EXPECT_EQ(restored->responseData()->length(), wholeBody.size());
    EXPECT_TRUE(restored->responseData()->stringView() == wholeBody);
    operation->cancel();
    EXPECT_TRUE(testing_support::runLoopUntil([&] { return operation->isFinished(); }));
}

TEST_F(RQOperationCodingTest, aCancelledOperationStaysCancelledButReady)
{
    auto operation = RQURLConnectionOperation::create(NSURLRequest::requestWithURL(URL("/small")));
    operation->cancel();
    ASSERT_TRUE(runToEnd(operation));
    ASSERT_TRUE(operation->error());

    auto restored = roundTrip(operation);
    ASSERT_TRUE(restored);
    EXPECT_EQ(restored->state(), RQOperationReadyState);
    EXPECT_TRUE(restored->isCancelled());
    ASSERT_TRUE(restored->error());
    EXPECT_EQ(restored->error()->code(), NSURLErrorCancelled);
    EXPECT_TRUE(URL("/small")->isEqual(restored->error()->userInfo()->objectForKey(NSURLErrorFailingURLErrorKey)));

    // Run again, it finishes at once as cancelled, without a request.
    ASSERT_TRUE(runToEnd(restored));
    EXPECT_TRUE(restored->isFinished());
    EXPECT_EQ(server.requestCount(), 0u);
}

TEST_F(RQOperationCodingTest, damagedArchivesAreRefusedWithNil)
{
    auto operation = RQURLConnectionOperation::create(NSURLRequest::requestWithURL(URL("/small")));
    auto archive = NSKeyedArchiver::archivedDataWithRootObject(operation);
    for (NSUInteger length : { NSUInteger(0), NSUInteger(8), archive->length() / 2, archive->length() - 1 })
        EXPECT_FALSE(NSKeyedUnarchiver::unarchiveObjectWithData(NSData::dataWithBytes(archive->bytes(), length)));

    auto decodeForged = [](std::function<void(NSCoder&)> write) {
        return NSKeyedUnarchiver::unarchiveObjectWithData(NSKeyedArchiver::archivedDataWithRootObject(ForgedOperation::create(std::move(write))));
    };
    auto request = NSURLRequest::requestWithURL(URL("/small"));
    EXPECT_FALSE(decodeForged([](NSCoder& coder) { coder.encodeInteger(RQOperationReadyState, "state"); }));
    EXPECT_FALSE(decodeForged([](NSCoder& coder) { coder.encodeObject(NSString("http://example.com/"), "request"); }));
    EXPECT_FALSE(decodeForged([&](NSCoder& coder) {
        coder.encodeObject(request, "request");
        coder.encodeObject(NSString("a response"), "response");
    }));
    EXPECT_FALSE(decodeForged([&](NSCoder& coder) {
        coder.encodeObject(request, "request");
        coder.encodeObject(NSString("lots"), "totalBytesRead");
    }));

    // A stored running state cannot be resumed without its connection: it comes back ready.
    auto running = ns::cast<RQURLConnectionOperation>(decodeForged([&](NSCoder& coder) {
        coder.encodeObject(request, "request");
        coder.encodeInteger(RQOperationExecutingState, "state");
    }));
    ASSERT_TRUE(running);
    EXPECT_EQ(running->state(), RQOperationReadyState);
}

#include "library/network/request/RQImageRequestOperation.h"
#include "library/network/request/RQJSONRequestOperation.h"
#include "library/network/request/RQPropertyListRequestOperation.h"
#include "library/network/request/RQXMLRequestOperation.h"

#include "library/json/JCTokenizer.h"
#include "platform/dispatch/dispatch.h"
#include "platform/foundation/NSOperationQueue.h"
#include "platform/foundation/NSThread.h"
#include "platform/foundation/TypedValues.h"
#include "tests/net/LoopbackServer.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

#include <type_traits>

namespace {

std::shared_ptr<NSURLRequest> requestFor(const std::string& url, const char* accept = nullptr)
{
    auto request = NSMutableURLRequest::requestWithURL(NSURL::URLWithString(url));
    if (accept)
        request->setValue(accept, "Accept");
    return request;
}

struct Reply {
    bool done { false };
    bool succeeded { false };
    bool onMain { false };
    id object;
    std::shared_ptr<NSError> error;
    std::shared_ptr<NSHTTPURLResponse> response;
};

class TypedReplyTest : public testing::Test {
protected:
    void SetUp() override
    {
        // Each path serves the body it names with the content type its query gives.
        server.routes().Get(R"(/body/(\w+)\.(\w+))", [this](const httplib::Request& request, httplib::Response& response) {
            response.set_content(bodies.at(request.matches[1].str()), request.get_param_value("type"));
        });
        server.start();
        queue = NSOperationQueue::create();
    }

    std::string path(const std::string& name, const std::string& extension, const std::string& type)
    {
        std::string query;
        for (char c : type)
            query += c == '+' ? std::string("%2B") : std::string(1, c);
        return server.URL("/body/" + name + "." + extension + "?type=" + query);
    }

    std::shared_ptr<RQJSONRequestOperation> loadJSON(const std::string& url, Reply& reply, NSUInteger options = 0,
        const dispatch_queue_t& callbackQueue = nullptr)
    {
        auto operation = RQJSONRequestOperation::JSONRequestOperationWithRequest(requestFor(url),
            [&reply](const std::shared_ptr<NSURLRequest>&, const std::shared_ptr<NSHTTPURLResponse>& response, const id& JSON) {
                reply.object = JSON;
                reply.response = response;
                reply.succeeded = true;
                reply.onMain = NSThread::isMainThread();
                reply.done = true;
            },
            [&reply](const std::shared_ptr<NSURLRequest>&, const std::shared_ptr<NSHTTPURLResponse>& response,
                const std::shared_ptr<NSError>& error, const id& JSON) {
                reply.object = JSON;
                reply.response = response;
                reply.error = error;
                reply.onMain = NSThread::isMainThread();
                reply.done = true;
            });
        operation->setJSONReadingOptions(options);
        if (callbackQueue) {
            operation->setSuccessCallbackQueue(callbackQueue);
            operation->setFailureCallbackQueue(callbackQueue);
        }
        queue->addOperation(operation);
        EXPECT_TRUE(testing_support::runLoopUntil([&] { return reply.done; })) << url;
        return operation;
    }

    std::shared_ptr<RQXMLRequestOperation> loadXML(const std::string& url, Reply& reply)
    {
        auto operation = RQXMLRequestOperation::XMLParserRequestOperationWithRequest(requestFor(url),
            [&reply](const std::shared_ptr<NSURLRequest>&, const std::shared_ptr<NSHTTPURLResponse>&, const std::shared_ptr<NSXMLParser>& parser) {
                reply.object = parser;
                reply.succeeded = true;
                reply.onMain = NSThread::isMainThread();
                reply.done = true;
            },
            [&reply](const std::shared_ptr<NSURLRequest>&, const std::shared_ptr<NSHTTPURLResponse>&, const std::shared_ptr<NSError>& error,
                const std::shared_ptr<NSXMLParser>& parser) {
                reply.object = parser;
                reply.error = error;
                reply.onMain = NSThread::isMainThread();
                reply.done = true;
            });
        queue->addOperation(operation);
        EXPECT_TRUE(testing_support::runLoopUntil([&] { return reply.done; })) << url;
        return operation;
    }

    const std::map<std::string, std::string> bodies {
        { "object", "{\"name\":\"林\",\"marks\":[90,85]}" },
        { "blank", " " },
        { "empty", "" },
        { "open", "{" },
        { "trailing", "[1,]" },
        { "bom", "\xEF\xBB\xBF{\"a\":1}" },
        { "binary", std::string("\xFF\xFE\x00\x01", 4) },
        { "scalar", "42" },
        { "deep", std::string(100'000, '[') },
        { "page", "<html><body>maintenance</body></html>" },
        { "feed", "<?xml version=\"1.0\"?><feed><item id=\"1\">one</item></feed>" },
        { "torn", "<feed><item>" },
    };
    loopback::Server server;
    std::shared_ptr<NSOperationQueue> queue;
};

class ElementCounter : public NSXMLParserDelegate {
public:
    int elements { 0 };
    std::shared_ptr<NSError> error;
    void didStartElement(NSXMLParser&, const NSString&, const NSString&, const NSString&, const std::shared_ptr<NSDictionary>&) override
    {
        ++elements;
    }
    void parseErrorOccurred(NSXMLParser&, const std::shared_ptr<NSError>& failure) override { error = failure; }
};

} // namespace

TEST_F(TypedReplyTest, aJSONReplyIsParsedOnceAndDeliveredOnTheCallbackQueue)
{
    Reply reply;
    auto operation = loadJSON(path("object", "json", "application/json"), reply);
    ASSERT_TRUE(reply.succeeded);
    EXPECT_TRUE(reply.onMain);
    EXPECT_EQ(reply.response->statusCode(), 200);
    auto dictionary = ns::dictionaryValue(reply.object);
    ASSERT_TRUE(dictionary);
    EXPECT_EQ(ns::stringForKey(dictionary, "name"), "林");
    EXPECT_EQ(ns::arrayValue(dictionary->objectForKey("marks"))->count(), 2u);
    EXPECT_EQ(operation->responseJSON(), reply.object) << "computed once";
    EXPECT_FALSE(operation->error());

    // Other types of the class and other callback queues.
    Reply script;
    loadJSON(path("object", "js", "text/javascript"), script, 0, dispatch_queue_create("test.callbacks", nullptr));
    EXPECT_TRUE(script.succeeded);
    EXPECT_FALSE(script.onMain);
    Reply refused;
    loadJSON(path("object", "js", "text/plain"), refused, 0, dispatch_queue_create("test.callbacks", nullptr));
    ASSERT_TRUE(refused.error);
    EXPECT_FALSE(refused.onMain);
}

TEST_F(TypedReplyTest, aWrongContentTypeIsRefusedBeforeAnyParse)
{
    Reply reply;
    auto operation = loadJSON(path("page", "html", "text/html"), reply);
    EXPECT_FALSE(reply.succeeded);
    ASSERT_TRUE(reply.error);
    EXPECT_EQ(reply.error->domain(), RQNetworkingErrorDomain);
    EXPECT_EQ(reply.error->code(), -1016);
    EXPECT_FALSE(reply.object);
    EXPECT_FALSE(operation->JSONError()) << "never parsed";

    Reply XML;
    loadXML(path("object", "xml", "application/json"), XML);
    ASSERT_TRUE(XML.error);
    EXPECT_EQ(XML.error->code(), -1016);
}

TEST_F(TypedReplyTest, JSONBodiesThatAreNotJSONFailAndBlankOnesGiveNothing)
{
    struct Case {
        const char* body;
        NSUInteger options;
        bool succeeds;
        bool hasObject;
    };
    const std::vector<Case> cases {
        { "blank", 0, true, false },
        { "empty", 0, true, false },
        { "bom", 0, true, true },
        { "object", NSJSONReadingMutableContainers, true, true },
        { "open", 0, false, false },
        { "trailing", 0, false, false },
        { "binary", 0, false, false },
        { "scalar", 0, false, false },
        { "scalar", NSJSONReadingAllowFragments, true, true },
        { "deep", 0, false, false },
    };
    for (const auto& test : cases) {
        Reply reply;
        auto operation = loadJSON(path(test.body, "json", "application/json"), reply, test.options);
        EXPECT_EQ(reply.succeeded, test.succeeds) << test.body;
        EXPECT_EQ(reply.object != nullptr, test.hasObject) << test.body;
        EXPECT_TRUE(reply.onMain);
        if (!test.succeeds) {
            ASSERT_TRUE(reply.error) << test.body;
            EXPECT_EQ(operation->error(), reply.error);
            EXPECT_EQ(operation->JSONError(), reply.error);
        }
    }
    Reply binary;
    loadJSON(path("binary", "json", "application/json"), binary);
    ASSERT_TRUE(binary.error);
    EXPECT_EQ(binary.error->domain(), RQNetworkingErrorDomain);
    EXPECT_EQ(binary.error->code(), -1016);
    Reply open;
    loadJSON(path("open", "json", "application/json"), open);
    ASSERT_TRUE(open.error);
    EXPECT_EQ(open.error->domain(), NSString(JCErrorDomain));
    Reply scalar;
    loadJSON(path("scalar", "json", "application/json"), scalar, NSJSONReadingAllowFragments);
    EXPECT_EQ(ns::integerValue(scalar.object), 42);
}

TEST_F(TypedReplyTest, anXMLReplyHandsOverAParserThatReportsTheBodysErrors)
{
    Reply feed;
    auto operation = loadXML(path("feed", "xml", "text/xml"), feed);
    ASSERT_TRUE(feed.succeeded);
    EXPECT_TRUE(feed.onMain);
    auto parser = std::static_pointer_cast<NSXMLParser>(feed.object);
    ASSERT_TRUE(parser);
    EXPECT_EQ(operation->responseXMLParser(), parser);
    auto counter = std::make_shared<ElementCounter>();
    parser->setDelegate(counter);
    EXPECT_TRUE(parser->parse());
    EXPECT_EQ(counter->elements, 2);
    operation->cancel();
    EXPECT_FALSE(parser->delegate()) << "a cancelled operation's parser has no delegate";

    Reply torn;
    loadXML(path("torn", "xml", "application/xml"), torn);
    ASSERT_TRUE(torn.succeeded);
    auto tornParser = std::static_pointer_cast<NSXMLParser>(torn.object);
    auto tornCounter = std::make_shared<ElementCounter>();
    tornParser->setDelegate(tornCounter);
    EXPECT_FALSE(tornParser->parse());
    EXPECT_TRUE(tornCounter->error);

    Reply empty;
    loadXML(path("empty", "xml", "application/xml"), empty);
    EXPECT_TRUE(empty.succeeded);
    EXPECT_FALSE(empty.object);
}

TEST_F(TypedReplyTest, eachClassTakesItsOwnTypesAndExtensions)
{
    EXPECT_TRUE(RQJSONRequestOperation::canProcessRequest(requestFor("http://h/a.json", "text/html")));
    EXPECT_FALSE(RQJSONRequestOperation::canProcessRequest(requestFor("http://h/a.JSON", "text/html")));
    EXPECT_TRUE(RQJSONRequestOperation::canProcessRequest(requestFor("http://h/a.JSON", "text/json")));
    EXPECT_TRUE(RQXMLRequestOperation::canProcessRequest(requestFor("http://h/a.xml", "text/html")));
    EXPECT_FALSE(RQXMLRequestOperation::canProcessRequest(requestFor("http://h/a.json", "application/json")));

    const auto imageTypes = RQImageRequestOperation::acceptableContentTypes()->count();
    const auto XMLTypes = RQXMLRequestOperation::acceptableContentTypes()->count();
    const auto baseTypes = RQHTTPRequestOperation::acceptableContentTypes();
    EXPECT_EQ(RQJSONRequestOperation::acceptableContentTypes()->count(), 3u);
    RQJSONRequestOperation::addAcceptableContentTypes(NSSet::setWithObjects({ NSString("application/problem+json") }));
    EXPECT_TRUE(RQJSONRequestOperation::acceptableContentTypes()->containsObject(NSString("application/problem+json")));
    EXPECT_EQ(RQImageRequestOperation::acceptableContentTypes()->count(), imageTypes);
    EXPECT_EQ(RQXMLRequestOperation::acceptableContentTypes()->count(), XMLTypes);
    EXPECT_EQ(RQHTTPRequestOperation::acceptableContentTypes(), baseTypes);

    RQImageRequestOperation::addAcceptableContentTypes(NSSet::setWithObjects({ NSString("image/webp") }));
    EXPECT_FALSE(RQJSONRequestOperation::acceptableContentTypes()->containsObject(NSString("image/webp")));
    EXPECT_EQ(RQHTTPRequestOperation::acceptableContentTypes(), baseTypes);

    Reply problem;
    loadJSON(path("object", "json", "application/problem+json"), problem);
    EXPECT_TRUE(problem.succeeded);
}

// Each class looks for an error the reply already has at its own moment: the property list and
// JSON ones on the thread that finished the request, before their processing queue; the image
// and XML ones only on that queue.
TEST_F(TypedReplyTest, eachClassLooksForAReplysErrorAtItsOwnMoment)
{
    auto check = [&](auto type, bool beforeTheQueue) {
        using Operation = typename decltype(type)::type;
        SCOPED_TRACE(Operation::staticClassName());
        bool failed = false;
        // Every class refuses this content type.
        auto operation = Operation::create(requestFor(path("page", "html", "text/html")));
        operation->setCompletionBlockWithSuccess(nullptr, [&failed](const auto&, const auto&) { failed = true; });
        // Observers of the finish run after the completion block.
        testing_support::Signal finished;
        operation->addObserverForKeyPath("isFinished", [finished, weak = std::weak_ptr(operation)](const NSString&) {
            if (auto finishing = weak.lock(); finishing && finishing->isFinished())
                finished.notify();
        });
        struct Held {
            dispatch_queue_t queue;
            ~Held() { dispatch_resume(queue); }
        } held { Operation::processingQueue() };
        dispatch_suspend(held.queue);
        queue->addOperation(operation);
        ASSERT_TRUE(finished.waitForNotices());
        // Blocks the finishing thread sent to the main queue are all there to run.
        NSRunLoop::mainRunLoop()->runInMode(NSDefaultRunLoopMode, 0, false);
        EXPECT_EQ(failed, beforeTheQueue);
        dispatch_resume(held.queue);
        held.queue = nullptr;
        EXPECT_TRUE(testing_support::runLoopUntil([&] { return failed; }));
    };
    check(std::type_identity<RQPropertyListRequestOperation>(), true);
    check(std::type_identity<RQJSONRequestOperation>(), true);
    check(std::type_identity<RQImageRequestOperation>(), false);
    check(std::type_identity<RQXMLRequestOperation>(), false);
}

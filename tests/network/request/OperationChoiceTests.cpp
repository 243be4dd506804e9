#include "library/network/request/RQHTTPClient.h"
#include "library/network/request/RQNetworkActivityIndicatorManager.h"
#include "library/network/request/RQMultipartBodyStream.h"
#include "library/network/request/RQStreamingMultipartFormData.h"
#include "library/network/request/RQImageRequestOperation.h"
#include "library/network/request/RQJSONRequestOperation.h"
#include "library/network/request/RQPropertyListRequestOperation.h"
#include "library/network/request/RQXMLRequestOperation.h"
#include "platform/foundation/NSRunLoop.h"
#include "tests/net/LoopbackServer.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

class JSONClient final : public RQHTTPClient {
    NS_OBJECT(JSONClient, RQHTTPClient)
protected:
    std::shared_ptr<RQHTTPClient> makeClient(const std::shared_ptr<NSURL>& URL) const override { return create(URL); }
};

// A client with the JSON and property-list operations registered, against a server of good and
// broken bodies.
class OperationChoiceTest : public testing::Test {
protected:
    void SetUp() override
    {
        server.routes().Get("/good.json", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("{\"name\":\"李\"}", "application/json");
        });
        server.routes().Get("/broken.json", [](const httplib::Request&, httplib::Response& response) { response.set_content("{\"name\":", "application/json"); });
        server.routes().Get("/broken.plist", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("<plist><dict><key>", "application/x-plist");
        });
        server.start();
        client = RQHTTPClient::clientWithBaseURL(NSURL::URLWithString(server.URL("/")));
        client->registerHTTPOperationClass<RQJSONRequestOperation>();
        client->registerHTTPOperationClass<RQPropertyListRequestOperation>();
    }

    struct Outcome {
        std::shared_ptr<RQHTTPRequestOperation> operation;
        id object;
        std::shared_ptr<NSError> error;
        bool succeeded { false };
    };

    Outcome get(const std::string& path)
    {
        Outcome outcome;
        bool done = false;
        client->getPath(NSString(path), nullptr,
            [&](const std::shared_ptr<RQHTTPRequestOperation>& operation, const id& object) {
                outcome = { operation, object, nullptr, true };
                done = true;
            },
            [&](const std::shared_ptr<RQHTTPRequestOperation>& operation, const std::shared_ptr<NSError>& error) {
                outcome = { operation, nullptr, error, false };
                done = true;
            });
        EXPECT_TRUE(testing_support::runLoopUntil([&] { return done; })) << path;
        return outcome;
    }

    loopback::Server server;
    std::shared_ptr<RQHTTPClient> client;
};

} // namespace

TEST_F(OperationChoiceTest, anOperationTheClientChoosesHandsItsParsedObjectOrTheParsersError)
{
    auto good = get("good.json");
    ASSERT_TRUE(good.succeeded);
    EXPECT_TRUE(std::dynamic_pointer_cast<RQJSONRequestOperation>(good.operation));
    auto object = ns::cast<NSDictionary>(good.object);
    ASSERT_TRUE(object) << "the success block was handed the raw body";
    EXPECT_EQ(NSString::fromId(object->objectForKey(NSString("name"))), "李");

    auto brokenJSON = get("broken.json");
    EXPECT_FALSE(brokenJSON.succeeded);
    ASSERT_TRUE(brokenJSON.error);

    auto brokenList = get("broken.plist");
    EXPECT_TRUE(std::dynamic_pointer_cast<RQPropertyListRequestOperation>(brokenList.operation));
    EXPECT_FALSE(brokenList.succeeded);
    EXPECT_TRUE(brokenList.error);
}

TEST_F(OperationChoiceTest, aTypedClassTakesARequestByItsAcceptFieldOnlyWhenThereIsOne)
{
    auto plain = NSMutableURLRequest::requestWithURL(NSURL::URLWithString("http://h/list"));
    EXPECT_FALSE(RQJSONRequestOperation::canProcessRequest(plain));
    EXPECT_FALSE(RQXMLRequestOperation::canProcessRequest(plain));
    EXPECT_FALSE(RQPropertyListRequestOperation::canProcessRequest(plain));
    EXPECT_FALSE(RQImageRequestOperation::canProcessRequest(plain));
    EXPECT_TRUE(RQHTTPRequestOperation::canProcessRequest(plain));
    plain->setValue("text/json; q=0.8, text/html", "Accept");
    EXPECT_TRUE(RQJSONRequestOperation::canProcessRequest(plain));

    // Without an Accept field the client falls back to the plain operation.
    auto operation = client->HTTPRequestOperationWithRequest(client->requestWithMethod("GET", "list", nullptr), nullptr, nullptr);
    EXPECT_STREQ(operation->className(), "RQHTTPRequestOperation");
}

TEST_F(OperationChoiceTest, aCopiedClientKeepsItsClassAndSettings)
{
    auto own = JSONClient::create(NSURL::URLWithString(server.URL("/api")));
    own->setDefaultHeader("X-Region", "510100");
    own->registerHTTPOperationClass<RQJSONRequestOperation>();
    auto copied = std::dynamic_pointer_cast<JSONClient>(own->copy());
    ASSERT_TRUE(copied);
    EXPECT_NE(copied, own);
    EXPECT_EQ(copied->defaultValueForHeader("X-Region"), "510100");
    EXPECT_EQ(copied->registeredHTTPOperationClassNames(), own->registeredHTTPOperationClassNames());
    EXPECT_NE(copied->operationQueue(), own->operationQueue());
    EXPECT_STREQ(std::static_pointer_cast<RQHTTPClient>(client->copy())->className(), "RQHTTPClient");
}

TEST(NetworkActivityCount, keepsEveryChangeMadeFromSeveralThreads)
{
    auto manager = RQNetworkActivityIndicatorManager::create();
    constexpr int threads = 8;
    constexpr int steps = 4000;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&] {
            for (int i = 0; i < steps; ++i)
                manager->incrementActivityCount();
        });
    }
    for (auto& worker : workers)
        worker.join();
    EXPECT_EQ(manager->activityCount(), threads * steps);

    workers.clear();
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&] {
            for (int i = 0; i < steps + 10; ++i)
                manager->decrementActivityCount();
        });
    }
    for (auto& worker : workers)
        worker.join();
    EXPECT_EQ(manager->activityCount(), 0);
    // The visibility updates queued on the main queue run and end.
    testing_support::runLoopUntil([] { return false; }, 0.2);
}

TEST(MultipartBodyStream, aStreamReadBeforeItIsOpenedGivesNothing)
{
    auto request = NSMutableURLRequest::requestWithURL(NSURL::URLWithString("http://h/upload"));
    auto form = RQStreamingMultipartFormData::create(request, NSUTF8StringEncoding);
    form->appendPartWithFormData(NSData::dataWithBytes("1", 1), "a");
    auto stream = std::dynamic_pointer_cast<RQMultipartBodyStream>(form->requestByFinalizingMultipartFormData()->HTTPBodyStream());
    ASSERT_TRUE(stream);
    std::uint8_t buffer[256];
    EXPECT_EQ(stream->read(buffer, sizeof buffer), 0);
    stream->open();
    EXPECT_GT(stream->read(buffer, sizeof buffer), 0);
    stream->close();
    EXPECT_EQ(stream->read(buffer, sizeof buffer), 0);
}

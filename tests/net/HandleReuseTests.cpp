// Loads on one run loop take turns with the same curl handle: whatever one request set on it
// (method, body, fields, credentials, compression) must not reach the next.
#include "platform/net/NSInputStream.h"
#include "platform/net/NSURLConnection.h"
#include "platform/net/NSURLCredential.h"
#include "tests/net/ConnectionRecorder.h"
#include "tests/net/LoopbackAuthentication.h"
#include "tests/net/LoopbackServer.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

namespace {

class Answerer : public ConnectionRecorder {
public:
    bool willSendRequestForAuthenticationChallenge(NSURLConnection&, const std::shared_ptr<NSURLAuthenticationChallenge>& challenge) override
    {
        challenge->sender()->useCredential(NSURLCredential::credentialWithUser("learner", "secret", NSURLCredentialPersistenceNone), challenge);
        return true;
    }
};

class HandleReuseTest : public testing::Test {
protected:
    void SetUp() override
    {
        auto echo = [](const httplib::Request& request, httplib::Response& response) {
            response.set_content(request.method + ":" + request.body, "text/plain");
        };
        server.routes().Get("/any", echo);
        server.routes().Post("/any", echo);
        server.routes().Put("/any", echo);
        server.routes().Get("/locked", [this](const httplib::Request& request, httplib::Response& response) {
            if (guard.admits(request, response))
                response.set_content("inside", "text/plain");
        });
        server.start();
    }
    void TearDown() override { server.stop(); }

    std::shared_ptr<NSMutableURLRequest> request(const std::string& path, const char* method = "GET")
    {
        auto made = NSMutableURLRequest::requestWithURL(NSURL::URLWithString(server.URL(path)));
        made->setHTTPMethod(method);
        made->setHTTPShouldHandleCookies(false);
        return made;
    }

    std::shared_ptr<ConnectionRecorder> load(const std::shared_ptr<NSURLRequest>& request,
        std::shared_ptr<ConnectionRecorder> recorder = std::make_shared<ConnectionRecorder>())
    {
        auto connection = NSURLConnection::connectionWithRequest(request, recorder);
        EXPECT_TRUE(testing_support::runLoopUntil([&] { return recorder->ended(); }));
        return recorder;
    }

    // The next GET must arrive as if it were the first request on a new handle.
    void expectPlainGet(const std::string& after)
    {
        auto plain = load(request("/any"));
        EXPECT_EQ(plain->body, "GET:") << "after " << after;
        auto received = server.requests().back();
        EXPECT_EQ(received.method, "GET") << "after " << after;
        EXPECT_EQ(received.body, "") << "after " << after;
        for (const char* field : { "Content-Length", "Content-Type", "Authorization", "X-Trace", "Transfer-Encoding", "Cookie" })
            EXPECT_EQ(received.headerCount(field), 0u) << field << " after " << after;
        EXPECT_EQ(received.header("Accept-Encoding"), "gzip, deflate") << "after " << after;
    }

    loopback::Server server;
    loopback::AuthenticationGuard guard { loopback::AuthenticationGuard::Scheme::basic, "learner", "secret" };
};

} // namespace

TEST_F(HandleReuseTest, aRequestCarriesNothingOfTheOneBeforeIt)
{
    expectPlainGet("nothing");

    auto post = request("/any", "POST");
    post->setHTTPBody(NSString("a=1").dataUsingEncoding(NSUTF8StringEncoding));
    post->setValue("one", "X-Trace");
    post->setValue("identity", "Accept-Encoding");
    EXPECT_EQ(load(post)->body, "POST:a=1");
    EXPECT_EQ(server.requests().back().header("Accept-Encoding"), "identity");
    expectPlainGet("a POST with its own fields");

    auto put = request("/any", "PUT");
    put->setHTTPBody(NSString("b=2").dataUsingEncoding(NSUTF8StringEncoding));
    EXPECT_EQ(load(put)->body, "PUT:b=2");
    expectPlainGet("a PUT");

    auto head = load(request("/any", "HEAD"));
    EXPECT_TRUE(head->finished);
    EXPECT_EQ(head->body, "");
    expectPlainGet("a HEAD");

    auto streamed = request("/any", "POST");
    streamed->setHTTPBodyStream(NSInputStream::inputStreamWithData(NSString("c=3").dataUsingEncoding(NSUTF8StringEncoding)));
    EXPECT_EQ(load(streamed)->body, "POST:c=3");
    expectPlainGet("a streamed body");

    auto emptyPost = request("/any", "POST");
    EXPECT_EQ(load(emptyPost)->body, "POST:");
    EXPECT_EQ(server.requests().back().header("Content-Length"), "0");
    expectPlainGet("an empty POST");
}

TEST_F(HandleReuseTest, credentialsOfOneLoadStayWithIt)
{
    auto inside = load(request("/locked"), std::make_shared<Answerer>());
    EXPECT_EQ(inside->body, "inside");
    EXPECT_FALSE(server.requests().back().header("Authorization").empty());
    expectPlainGet("a load that answered a challenge");

    // Without an answer of its own, the next load of the guarded path is refused again.
    auto refused = load(request("/locked"));
    ASSERT_TRUE(refused->response);
    EXPECT_EQ(refused->response->statusCode(), 401);
    EXPECT_EQ(server.requests().back().headerCount("Authorization"), 0u);
}

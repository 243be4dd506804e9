#include "platform/net/NSURLConnection.h"

#include "platform/foundation/NSNumber.h"
#include "platform/foundation/SystemClock.h"
#include "platform/net/NSHTTPCookieStorage.h"
#include "platform/net/NSURLAuthenticationChallenge.h"
#include "platform/net/NSURLCredential.h"
#include "platform/net/NSURLError.h"
#include "platform/net/NSURLProtectionSpace.h"
#include "tests/net/ConnectionRecorder.h"
#include "tests/net/LoopbackServer.h"
#include "tests/net/ReplyHold.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

class NSURLConnectionTest : public testing::Test {
protected:
    void SetUp() override
    {
        NSHTTPCookieStorage::resetSharedHTTPCookieStorage();
        NSHTTPCookieStorage::sharedHTTPCookieStorage()->setCookieAcceptPolicy(NSHTTPCookieAcceptPolicyAlways);
        server.routes().Post("/echo", [](const httplib::Request& request, httplib::Response& response) {
            response.set_content(request.body, "text/plain; charset=utf-8");
        });
        server.routes().Get("/login", [](const httplib::Request&, httplib::Response& response) {
            response.set_header("Set-Cookie", "JSESSIONID=abc123; Path=/");
            response.set_header("Set-Cookie", "theme=dark; Expires=Wed, 09 Jun 2100 10:18:14 GMT; Path=/");
            response.set_content("ok", "text/plain");
        });
        server.routes().Get("/next", [](const httplib::Request&, httplib::Response& response) { response.set_content("next", "text/plain"); });
        server.routes().Get("/moved", [](const httplib::Request&, httplib::Response& response) { response.set_redirect("/next"); });
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
        SystemClock::useRealClock();
    }

    std::shared_ptr<NSMutableURLRequest> request(const std::string& path)
    {
        return NSMutableURLRequest::requestWithURL(NSURL::URLWithString(server.URL(path)));
    }

    std::shared_ptr<ConnectionRecorder> load(const std::shared_ptr<NSURLRequest>& request)
    {
        auto recorder = std::make_shared<ConnectionRecorder>();
        auto connection = NSURLConnection::connectionWithRequest(request, recorder);
        EXPECT_TRUE(testing_support::runLoopUntil([&] { return recorder->ended(); }));
        return recorder;
    }

    loopback::Server server;
    loopback::ReplyHold hold;
};

} // namespace

TEST_F(NSURLConnectionTest, tellsTheDelegateInThePlatformOrderAndSendsTheBodyAsGiven)
{
    auto post = request("/echo");
    post->setHTTPMethod("Post");
    post->setHTTPBody(NSString("a=1&b=%E4%B8%AD").dataUsingEncoding(NSUTF8StringEncoding));
    auto recorder = load(post);
    EXPECT_EQ(recorder->events, (std::vector<std::string> { "willSendRequest", "response", "data", "finish" }));
    EXPECT_EQ(recorder->response->statusCode(), 200);
    EXPECT_EQ(recorder->response->MIMEType(), "text/plain");
    EXPECT_EQ(recorder->response->textEncodingName(), "utf-8");
    EXPECT_EQ(recorder->body, "a=1&b=%E4%B8%AD");
    EXPECT_EQ(recorder->bytesSent, 15);
    auto received = server.requests().back();
    // The method text names a standard method, so it goes on the wire upper-cased.
    EXPECT_EQ(received.method, "POST");
    EXPECT_EQ(received.header("Content-Type"), "application/x-www-form-urlencoded");
}

TEST_F(NSURLConnectionTest, storesCookiesBeforeCompletionAndSendsThemOnTheNextRequestOnce)
{
    load(request("/login"));
    auto stored = NSHTTPCookieStorage::sharedHTTPCookieStorage()->cookiesForURL(NSURL::URLWithString(server.URL("/next")));
    ASSERT_EQ(stored->count(), 2u);

    load(request("/next"));
    EXPECT_EQ(server.requests().back().header("Cookie"), "JSESSIONID=abc123; theme=dark");

    // An explicit Cookie field replaces the automatic one; never both.
    auto explicitCookies = request("/next");
    explicitCookies->setValue("JSESSIONID=explicit", "Cookie");
    load(explicitCookies);
    auto received = server.requests().back();
    EXPECT_EQ(received.headerCount("Cookie"), 1u);
    EXPECT_EQ(received.header("Cookie"), "JSESSIONID=explicit");

    auto withoutCookies = request("/next");
    withoutCookies->setHTTPShouldHandleCookies(false);
    load(withoutCookies);
    EXPECT_EQ(server.requests().back().headerCount("Cookie"), 0u);
}

TEST_F(NSURLConnectionTest, followsRedirectsAfterAskingTheDelegate)
{
    auto recorder = load(request("/moved"));
    EXPECT_EQ(recorder->events, (std::vector<std::string> { "willSendRequest", "redirect", "response", "data", "finish" }));
    EXPECT_EQ(recorder->body, "next");
    EXPECT_EQ(recorder->response->URL()->path(), "/next");
}

TEST_F(NSURLConnectionTest, failsWhenNothingListens)
{
    const int port = server.port();
    server.stop();
    auto recorder = load(NSURLRequest::requestWithURL(NSURL::URLWithString("http://127.0.0.1:" + std::to_string(port) + "/")));
    ASSERT_TRUE(recorder->error);
    EXPECT_EQ(recorder->error->domain(), NSURLErrorDomain);
    EXPECT_EQ(recorder->error->code(), NSURLErrorCannotConnectToHost);
}

TEST_F(NSURLConnectionTest, timesOutAfterTheRequestsIntervalOnTheRunLoopsClock)
{
    SystemClock::useManualClock();
    auto hanging = request("/hang");
    hanging->setTimeoutInterval(30);
    auto recorder = std::make_shared<ConnectionRecorder>();
    auto connection = NSURLConnection::connectionWithRequest(hanging, recorder);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return server.requestCount() == 1; }));
    NSRunLoop::currentRunLoop()->advanceClock(29);
    EXPECT_FALSE(recorder->ended());
    NSRunLoop::currentRunLoop()->advanceClock(2);
    ASSERT_TRUE(recorder->error);
    EXPECT_EQ(recorder->error->code(), NSURLErrorTimedOut);
    EXPECT_EQ(recorder->events, (std::vector<std::string> { "willSendRequest", "fail" }));
}

TEST_F(NSURLConnectionTest, saysNothingMoreOnceCancelled)
{
    auto recorder = std::make_shared<ConnectionRecorder>();
    auto connection = NSURLConnection::connectionWithRequest(request("/hang"), recorder);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return server.requestCount() == 1; }));
    connection->cancel();
    testing_support::runLoopUntil([] { return false; }, 0.1);
    EXPECT_EQ(recorder->events, (std::vector<std::string> { "willSendRequest" }));
}

TEST_F(NSURLConnectionTest, letsGoOfItsDelegateOnceTheLoadEnds)
{
    // Whoever still holds the connection must not keep its delegate alive: a delegate that holds
    // its connection would keep both for good. Once after a finish, once after a failure.
    for (const std::string& URL : { server.URL("/next"), std::string("ftp://127.0.0.1/") }) {
        auto recorder = std::make_shared<ConnectionRecorder>();
        const std::weak_ptr<ConnectionRecorder> delegate = recorder;
        auto connection = NSURLConnection::connectionWithRequest(NSURLRequest::requestWithURL(NSURL::URLWithString(URL)), recorder);
        ASSERT_TRUE(testing_support::runLoopUntil([&] { return recorder->ended(); }));
        recorder = nullptr;
        EXPECT_TRUE(delegate.expired()) << URL;
    }
}

TEST_F(NSURLConnectionTest, refusesAnUntrustedServerByDefault)
{
    auto certificate = loopback::makeCertificate("untrusted");
    loopback::Server secure(&certificate);
    secure.routes().Get("/", [](const httplib::Request&, httplib::Response& response) { response.set_content("secret", "text/plain"); });
    secure.start();
    auto recorder = load(NSURLRequest::requestWithURL(NSURL::URLWithString(secure.URL("/"))));
    ASSERT_TRUE(recorder->error);
    EXPECT_EQ(recorder->error->code(), NSURLErrorServerCertificateUntrusted);
    EXPECT_EQ(secure.requestCount(), 0u);
}

namespace {

// Answers challenges through the newer operation: the older pair must then stay silent.
class ChallengeAnswerer final : public ConnectionRecorder {
public:
    bool willSendRequestForAuthenticationChallenge(NSURLConnection& connection,
        const std::shared_ptr<NSURLAuthenticationChallenge>& challenge) override
    {
        events.push_back("challenge");
        challengeConnection = &connection;
        challenge->sender()->useCredential(NSURLCredential::credentialWithUser("learner", "secret", NSURLCredentialPersistenceNone), challenge);
        return true;
    }
    std::optional<bool> canAuthenticateAgainstProtectionSpace(NSURLConnection&, const std::shared_ptr<NSURLProtectionSpace>&) override
    {
        events.push_back("canAuthenticate");
        return true;
    }
    NSURLConnection* challengeConnection { nullptr };
};

// Implements only the older pair.
class OlderChallengeAnswerer final : public ConnectionRecorder {
public:
    std::optional<bool> canAuthenticateAgainstProtectionSpace(NSURLConnection&, const std::shared_ptr<NSURLProtectionSpace>& space) override
    {
        events.push_back("canAuthenticate");
        realm = space->realm().UTF8String();
        return true;
    }
    void didReceiveAuthenticationChallenge(NSURLConnection&, const std::shared_ptr<NSURLAuthenticationChallenge>& challenge) override
    {
        events.push_back("challenge");
        challenge->sender()->useCredential(NSURLCredential::credentialWithUser("learner", "secret", NSURLCredentialPersistenceNone), challenge);
    }
    std::string realm;
};

} // namespace

TEST_F(NSURLConnectionTest, aDelegateAnswersChallengesByTheNewerOperationOrElseByTheOlderPair)
{
    server.routes().Get("/private", [](const httplib::Request& request, httplib::Response& response) {
        // "learner:secret"
        if (request.get_header_value("Authorization") == "Basic bGVhcm5lcjpzZWNyZXQ=") {
            response.set_content("inside", "text/plain");
            return;
        }
        response.status = 401;
        response.set_header("WWW-Authenticate", "Basic realm=\"exams\"");
        response.set_content("no", "text/plain");
    });

    auto newer = std::make_shared<ChallengeAnswerer>();
    auto connection = NSURLConnection::connectionWithRequest(request("/private"), newer);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return newer->ended(); }));
    EXPECT_EQ(newer->events, (std::vector<std::string> { "willSendRequest", "challenge", "response", "data", "finish" }));
    EXPECT_EQ(newer->challengeConnection, connection.get());
    EXPECT_EQ(newer->body, "inside");

    auto older = std::make_shared<OlderChallengeAnswerer>();
    auto second = NSURLConnection::connectionWithRequest(request("/private"), older);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return older->ended(); }));
    EXPECT_EQ(older->events, (std::vector<std::string> { "willSendRequest", "canAuthenticate", "challenge", "response", "data", "finish" }));
    EXPECT_EQ(older->realm, "exams");
    EXPECT_EQ(older->body, "inside");

    // A delegate that implements neither goes on without a credential and gets the refusal.
    auto plain = load(request("/private"));
    EXPECT_EQ(plain->response->statusCode(), 401);
    EXPECT_EQ(plain->body, "no");
}

namespace {

// Answers each redirect as told: follow it, refuse it (the redirect reply is the result), send
// the load elsewhere, or cancel the connection from inside the call.
class RedirectAnswerer : public ConnectionRecorder {
public:
    enum class Answer { refuse, rewrite, cancel };
    Answer answer { Answer::refuse };
    std::shared_ptr<NSURLRequest> elsewhere;

    std::optional<std::shared_ptr<NSURLRequest>> willSendRequest(NSURLConnection& connection,
        const std::shared_ptr<NSURLRequest>& request, const std::shared_ptr<NSURLResponse>& redirectResponse) override
    {
        ConnectionRecorder::willSendRequest(connection, request, redirectResponse);
        if (!redirectResponse)
            return request;
        switch (answer) {
        case Answer::refuse: return std::shared_ptr<NSURLRequest>();
        case Answer::rewrite: return elsewhere;
        case Answer::cancel: connection.cancel(); return request;
        }
        return request;
    }
};

// Holds its own connection and lets go of it as soon as the reply comes: the load goes on.
class LettingGo : public ConnectionRecorder {
public:
    std::shared_ptr<NSURLConnection> connection;
    void didReceiveResponse(NSURLConnection& sender, const std::shared_ptr<NSURLResponse>& received) override
    {
        connection = nullptr;
        ConnectionRecorder::didReceiveResponse(sender, received);
    }
};

} // namespace

TEST_F(NSURLConnectionTest, aDelegateRefusesRewritesOrCancelsARedirect)
{
    auto refusing = std::make_shared<RedirectAnswerer>();
    auto connection = NSURLConnection::connectionWithRequest(request("/moved"), refusing);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return refusing->ended(); }));
    EXPECT_EQ(refusing->events, (std::vector<std::string> { "willSendRequest", "redirect", "response", "finish" }));
    ASSERT_TRUE(refusing->response);
    EXPECT_EQ(refusing->response->statusCode(), 302) << "the redirect reply itself is the result";
    EXPECT_EQ(server.requestCount(), 1u) << "the new location is not asked";

    auto rewriting = std::make_shared<RedirectAnswerer>();
    rewriting->answer = RedirectAnswerer::Answer::rewrite;
    rewriting->elsewhere = request("/login");
    connection = NSURLConnection::connectionWithRequest(request("/moved"), rewriting);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return rewriting->ended(); }));
    EXPECT_EQ(rewriting->body, "ok");
    EXPECT_EQ(server.requests().back().path, "/login");
    EXPECT_EQ(connection->currentRequest()->URL()->path(), "/login");
    EXPECT_EQ(connection->originalRequest()->URL()->path(), "/moved");

    auto cancelling = std::make_shared<RedirectAnswerer>();
    cancelling->answer = RedirectAnswerer::Answer::cancel;
    const auto asked = server.requestCount();
    connection = NSURLConnection::connectionWithRequest(request("/moved"), cancelling);
    testing_support::runLoopUntil([&] { return cancelling->events.size() >= 2; });
    testing_support::runLoopUntil([] { return false; }, 0.1);
    EXPECT_EQ(cancelling->events, (std::vector<std::string> { "willSendRequest", "redirect" }));
    EXPECT_EQ(server.requestCount(), asked + 1);
}

TEST_F(NSURLConnectionTest, aConnectionCancelledBeforeItStartsNeverLoads)
{
    auto recorder = std::make_shared<ConnectionRecorder>();
    auto connection = NSURLConnection::create(request("/next"), recorder, false);
    testing_support::runLoopUntil([] { return false; }, 0.05);
    EXPECT_TRUE(recorder->events.empty()) << "not started";
    connection->cancel();
    connection->cancel();
    connection->start();
    testing_support::runLoopUntil([] { return false; }, 0.1);
    EXPECT_TRUE(recorder->events.empty());
    EXPECT_EQ(server.requestCount(), 0u);

    auto nothing = std::make_shared<ConnectionRecorder>();
    connection = NSURLConnection::connectionWithRequest(nullptr, nothing);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return nothing->ended(); }));
    ASSERT_TRUE(nothing->error) << "no request fails rather than crashes";
}

TEST_F(NSURLConnectionTest, runsOnlyInTheModesItIsScheduledIn)
{
    const NSRunLoopMode privateMode("CorvaneTestMode");
    auto loop = NSRunLoop::currentRunLoop();
    auto recorder = std::make_shared<ConnectionRecorder>();
    auto connection = NSURLConnection::create(request("/next"), recorder, false);
    connection->scheduleInRunLoop(loop, privateMode);
    connection->scheduleInRunLoop(loop, NSDefaultRunLoopMode);
    connection->scheduleInRunLoop(loop, privateMode);
    connection->unscheduleFromRunLoop(nullptr, privateMode); // not the loop it is in: ignored
    connection->unscheduleFromRunLoop(loop, NSDefaultRunLoopMode);
    connection->start();
    connection->scheduleInRunLoop(loop, NSDefaultRunLoopMode); // too late: ignored
    testing_support::runLoopUntil([] { return false; }, 0.2);
    EXPECT_FALSE(recorder->ended()) << "the default mode does not serve it";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!recorder->ended() && std::chrono::steady_clock::now() < deadline)
        loop->runMode(privateMode, NSDate::dateWithTimeIntervalSinceNow(0.02));
    EXPECT_TRUE(recorder->finished);
    EXPECT_EQ(recorder->body, "next");
}

TEST_F(NSURLConnectionTest, startAndCancelFromAnotherThreadRunOnTheConnectionsLoop)
{
    auto recorder = std::make_shared<ConnectionRecorder>();
    auto connection = NSURLConnection::create(request("/next"), recorder, false);
    connection->scheduleInRunLoop(NSRunLoop::currentRunLoop(), NSDefaultRunLoopMode);
    std::thread([&] { connection->start(); }).join();
    EXPECT_TRUE(recorder->events.empty()) << "delegate calls wait for the loop's thread";
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return recorder->ended(); }));
    EXPECT_EQ(recorder->body, "next");

    auto hanging = std::make_shared<ConnectionRecorder>();
    connection = NSURLConnection::connectionWithRequest(request("/hang"), hanging);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return server.requestCount() == 2; }));
    std::thread([&] { connection->cancel(); }).join();
    hold.end();
    testing_support::runLoopUntil([] { return false; }, 0.2);
    EXPECT_EQ(hanging->events, (std::vector<std::string> { "willSendRequest" }));
}

TEST_F(NSURLConnectionTest, aDelegateThatLetsGoOfItsConnectionMidwayStillHearsTheEnd)
{
    auto delegate = std::make_shared<LettingGo>();
    delegate->connection = NSURLConnection::connectionWithRequest(request("/next"), delegate);
    const std::weak_ptr<NSURLConnection> connection = delegate->connection;
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return delegate->ended(); }));
    EXPECT_EQ(delegate->events, (std::vector<std::string> { "willSendRequest", "response", "data", "finish" }));
    testing_support::runLoopUntil([&] { return connection.expired(); }, 1);
    EXPECT_TRUE(connection.expired()) << "nothing keeps a finished connection";
}

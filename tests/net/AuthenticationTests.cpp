#include "platform/net/HTTPAuthentication.h"
#include "platform/net/NSInputStream.h"
#include "platform/net/NSURLAuthenticationChallenge.h"
#include "platform/net/NSURLConnection.h"
#include "platform/net/NSURLCredential.h"
#include "platform/net/NSURLError.h"
#include "platform/net/NSURLProtectionSpace.h"
#include "tests/net/ConnectionRecorder.h"
#include "tests/net/LoopbackAuthentication.h"
#include "tests/net/LoopbackServer.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

using loopback::AuthenticationGuard;

TEST(HTTPAuthenticationHeader, readsEveryChallengeOfAFieldAndPicksTheStrongest)
{
    auto challenges = HTTPAuthentication::parse(
        "Basic realm=\"exams, \\\"2026\\\"\", Digest realm=\"exams\", nonce=\"abc\", qop=\"auth,auth-int\", NTLM, Negotiate TlRMTVNTUAAB==");
    ASSERT_EQ(challenges.size(), 4u);
    EXPECT_EQ(challenges[0].scheme, "basic");
    EXPECT_EQ(challenges[0].parameter("realm"), "exams, \"2026\"");
    EXPECT_EQ(challenges[1].scheme, "digest");
    EXPECT_EQ(challenges[1].parameter("qop"), "auth,auth-int");
    EXPECT_EQ(challenges[1].parameter("nonce"), "abc");
    EXPECT_EQ(challenges[2].scheme, "ntlm");
    EXPECT_TRUE(challenges[2].parameters.empty());
    EXPECT_EQ(challenges[3].parameter(""), "TlRMTVNTUAAB==");

    HTTPAuthentication::Challenge chosen;
    const std::string expected = HTTPAuthentication::libcurlSupportsNTLM() ? NSURLAuthenticationMethodNTLM : NSURLAuthenticationMethodHTTPDigest;
    EXPECT_EQ(HTTPAuthentication::chooseMethod(challenges, &chosen), expected);
    challenges.erase(challenges.begin() + 2);
    EXPECT_EQ(HTTPAuthentication::chooseMethod(challenges, &chosen), NSURLAuthenticationMethodHTTPDigest);
    EXPECT_EQ(chosen.parameter("realm"), "exams");
    // Digest without a nonce cannot be answered.
    EXPECT_EQ(HTTPAuthentication::chooseMethod(HTTPAuthentication::parse("Digest realm=\"x\", basic realm=y"), &chosen),
        NSURLAuthenticationMethodHTTPBasic);
    EXPECT_EQ(chosen.parameter("realm"), "y");
    EXPECT_EQ(HTTPAuthentication::chooseMethod(HTTPAuthentication::parse("Bearer realm=\"api\""), nullptr), "");

    // Damaged fields parse to something or nothing, never past their end.
    for (const char* text : { "", ",,,", "=", "realm=\"x\"", "Basic realm=\"unterminated", "Basic realm=", "\"\"\"", "Digest ===, a=b=c" })
        HTTPAuthentication::parse(text);
    EXPECT_TRUE(HTTPAuthentication::parse("realm=\"x\"").empty());
}

namespace {

// Answers with its credential while the failures stay below `retries`, then as told.
class ChallengeAnswerer final : public ConnectionRecorder {
public:
    enum class AfterFailure { continueWithout, cancel };

    ChallengeAnswerer(NSString user, NSString password, AfterFailure afterFailure = AfterFailure::continueWithout, NSInteger retries = 1)
        : m_user(std::move(user))
        , m_password(std::move(password))
        , m_afterFailure(afterFailure)
        , m_retries(retries)
    {
    }

    std::vector<std::shared_ptr<NSURLAuthenticationChallenge>> challenges;

    bool willSendRequestForAuthenticationChallenge(NSURLConnection&, const std::shared_ptr<NSURLAuthenticationChallenge>& challenge) override
    {
        events.push_back("challenge");
        challenges.push_back(challenge);
        auto sender = challenge->sender();
        if (challenge->previousFailureCount() < m_retries)
            sender->useCredential(NSURLCredential::credentialWithUser(m_user, m_password, NSURLCredentialPersistenceForSession), challenge);
        else if (m_afterFailure == AfterFailure::cancel)
            sender->cancelAuthenticationChallenge(challenge);
        else
            sender->continueWithoutCredentialForAuthenticationChallenge(challenge);
        return true;
    }
    std::optional<std::shared_ptr<NSInputStream>> needNewBodyStream(NSURLConnection&, const std::shared_ptr<NSURLRequest>&) override
    {
        events.push_back("newBodyStream");
        return newBodyStream ? std::optional(newBodyStream()) : std::nullopt;
    }
    std::function<std::shared_ptr<NSInputStream>()> newBodyStream;

private:
    NSString m_user;
    NSString m_password;
    AfterFailure m_afterFailure;
    NSInteger m_retries;
};

class AuthenticationTest : public testing::Test {
protected:
    void TearDown() override { server.stop(); }

    void guard(const std::string& path, AuthenticationGuard& guard)
    {
        auto handler = [&guard](const httplib::Request& request, httplib::Response& response) {
            if (guard.admits(request, response))
                response.set_content("inside:" + request.body, "text/plain");
        };
        server.routes().Get(path, handler);
        server.routes().Post(path, handler);
    }

    std::shared_ptr<NSMutableURLRequest> request(const std::string& path)
    {
        return NSMutableURLRequest::requestWithURL(NSURL::URLWithString(server.URL(path)));
    }

    void load(const std::shared_ptr<NSURLRequest>& request, const std::shared_ptr<ConnectionRecorder>& delegate)
    {
        auto connection = NSURLConnection::connectionWithRequest(request, delegate);
        ASSERT_TRUE(testing_support::runLoopUntil([&] { return delegate->ended(); }));
    }

    loopback::Server server;
};

} // namespace

TEST_F(AuthenticationTest, basicAndDigestChallengesReachTheDelegateAndItsCredentialOpensTheDoor)
{
    AuthenticationGuard basic(AuthenticationGuard::Scheme::basic, "learner", "secret");
    AuthenticationGuard digest(AuthenticationGuard::Scheme::digest, "learner", "secret", "officers");
    guard("/basic", basic);
    guard("/digest", digest);
    server.start();

    auto basicAnswerer = std::make_shared<ChallengeAnswerer>("learner", "secret");
    load(request("/basic"), basicAnswerer);
    EXPECT_EQ(basicAnswerer->events, (std::vector<std::string> { "willSendRequest", "challenge", "response", "data", "finish" }));
    EXPECT_EQ(basicAnswerer->body, "inside:");
    ASSERT_EQ(basicAnswerer->challenges.size(), 1u);
    auto challenge = basicAnswerer->challenges.front();
    EXPECT_EQ(challenge->previousFailureCount(), 0);
    EXPECT_FALSE(challenge->proposedCredential());
    auto space = challenge->protectionSpace();
    EXPECT_EQ(space->authenticationMethod(), NSURLAuthenticationMethodHTTPBasic);
    EXPECT_EQ(space->realm(), "exams");
    EXPECT_EQ(space->host(), "127.0.0.1");
    EXPECT_EQ(space->port(), server.port());
    EXPECT_EQ(space->protocol(), NSURLProtectionSpaceHTTP);
    auto failure = std::dynamic_pointer_cast<NSHTTPURLResponse>(challenge->failureResponse());
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->statusCode(), 401);
    // Basic goes with the retried request itself: one refusal, one admission.
    EXPECT_EQ(basic.refused(), 1);
    EXPECT_EQ(basic.admitted(), 1);

    // Digest takes the server's nonce; a body goes through whole.
    auto digestAnswerer = std::make_shared<ChallengeAnswerer>("learner", "secret");
    auto post = request("/digest");
    post->setHTTPMethod("POST");
    post->setHTTPBody(NSString("question=12&answer=B").dataUsingEncoding(NSUTF8StringEncoding));
    load(post, digestAnswerer);
    EXPECT_EQ(digestAnswerer->events, (std::vector<std::string> { "willSendRequest", "challenge", "response", "data", "finish" }));
    EXPECT_EQ(digestAnswerer->response->statusCode(), 200);
    EXPECT_EQ(digestAnswerer->body, "inside:question=12&answer=B");
    ASSERT_EQ(digestAnswerer->challenges.size(), 1u);
    EXPECT_EQ(digestAnswerer->challenges.front()->protectionSpace()->authenticationMethod(), NSURLAuthenticationMethodHTTPDigest);
    EXPECT_EQ(digestAnswerer->challenges.front()->protectionSpace()->realm(), "officers");
    EXPECT_EQ(digest.admitted(), 1);
    EXPECT_EQ(server.requests().back().method, "POST");
}

TEST_F(AuthenticationTest, aWrongPasswordCountsFailuresAndEndsInTheRefusalOrTheCancellation)
{
    AuthenticationGuard basic(AuthenticationGuard::Scheme::basic, "learner", "secret");
    AuthenticationGuard digest(AuthenticationGuard::Scheme::digest, "learner", "secret");
    guard("/basic", basic);
    guard("/digest", digest);
    server.start();

    for (const char* path : { "/basic", "/digest" }) {
        SCOPED_TRACE(path);
        // Giving up after the first refusal delivers the 401 reply as the result.
        auto givesUp = std::make_shared<ChallengeAnswerer>("learner", "wrong");
        load(request(path), givesUp);
        EXPECT_EQ(givesUp->events, (std::vector<std::string> { "willSendRequest", "challenge", "challenge", "response", "data", "finish" }));
        ASSERT_EQ(givesUp->challenges.size(), 2u);
        EXPECT_EQ(givesUp->challenges[0]->previousFailureCount(), 0);
        EXPECT_EQ(givesUp->challenges[1]->previousFailureCount(), 1);
        ASSERT_TRUE(givesUp->challenges[1]->proposedCredential());
        EXPECT_EQ(givesUp->challenges[1]->proposedCredential()->user(), "learner");
        EXPECT_EQ(givesUp->response->statusCode(), 401);
        EXPECT_EQ(givesUp->body, "no");

        // Trying three times counts three failures, then cancelling fails the load.
        auto cancels = std::make_shared<ChallengeAnswerer>("learner", "wrong", ChallengeAnswerer::AfterFailure::cancel, 3);
        load(request(path), cancels);
        ASSERT_EQ(cancels->challenges.size(), 4u);
        EXPECT_EQ(cancels->challenges[3]->previousFailureCount(), 3);
        ASSERT_TRUE(cancels->error);
        EXPECT_EQ(cancels->error->domain(), NSURLErrorDomain);
        EXPECT_EQ(cancels->error->code(), NSURLErrorUserCancelledAuthentication);
        EXPECT_FALSE(cancels->response);
    }
    EXPECT_EQ(basic.admitted() + digest.admitted(), 0);
}

TEST_F(AuthenticationTest, aStreamedBodyIsAskedForAgainBeforeTheRetry)
{
    AuthenticationGuard basic(AuthenticationGuard::Scheme::basic, "learner", "secret");
    guard("/basic", basic);
    server.start();
    auto body = [] { return NSInputStream::inputStreamWithData(NSString("a=1").dataUsingEncoding(NSUTF8StringEncoding)); };
    auto post = request("/basic");
    post->setHTTPMethod("POST");
    post->setHTTPBodyStream(body());
    post->setValue("3", "Content-Length");

    auto answerer = std::make_shared<ChallengeAnswerer>("learner", "secret");
    answerer->newBodyStream = body;
    load(post, answerer);
    EXPECT_EQ(answerer->events, (std::vector<std::string> { "willSendRequest", "challenge", "newBodyStream", "response", "data", "finish" }));
    EXPECT_EQ(answerer->body, "inside:a=1");

    // Without a new stream the load cannot go on.
    auto post2 = request("/basic");
    post2->setHTTPMethod("POST");
    post2->setHTTPBodyStream(body());
    post2->setValue("3", "Content-Length");
    auto without = std::make_shared<ChallengeAnswerer>("learner", "secret");
    load(post2, without);
    ASSERT_TRUE(without->error);
    EXPECT_EQ(without->error->code(), NSURLErrorCannotLoadFromNetwork);
}

TEST_F(AuthenticationTest, aSchemeThatCannotBeAnsweredDeliversTheRefusal)
{
    server.routes().Get("/bearer", [](const httplib::Request&, httplib::Response& response) {
        response.status = 401;
        response.set_header("WWW-Authenticate", "Bearer realm=\"api\", error=\"invalid_token\"");
        response.set_content("token", "text/plain");
    });
    server.start();
    auto answerer = std::make_shared<ChallengeAnswerer>("learner", "secret");
    load(request("/bearer"), answerer);
    EXPECT_EQ(answerer->events, (std::vector<std::string> { "willSendRequest", "response", "data", "finish" }));
    EXPECT_EQ(answerer->response->statusCode(), 401);
    EXPECT_EQ(answerer->body, "token");
}

TEST(NTLMAuthentication, theChallengeReachesTheDelegateAndLibcurlCarriesTheHandshake)
{
    if (!HTTPAuthentication::libcurlSupportsNTLM())
        GTEST_SKIP() << "libcurl here has no NTLM";
    // NTLM authenticates a connection, so this server keeps connections open.
    loopback::Server server(nullptr, true);
    std::atomic<int> negotiations { 0 };
    server.routes().Get("/ntlm", [&](const httplib::Request& request, httplib::Response& response) {
        const std::string authorization = request.get_header_value("Authorization");
        if (authorization.rfind("NTLM TlRMTVNTUAADAAAA", 0) == 0) {
            // Closed once authenticated, so stopping the server waits for no idle client.
            response.set_header("Connection", "close");
            response.set_content("inside", "text/plain");
            return;
        }
        response.status = 401;
        if (authorization.rfind("NTLM TlRMTVNTUAABAAAA", 0) == 0) {
            ++negotiations;
            response.set_header("WWW-Authenticate", "NTLM TlRMTVNTUAACAAAAAAAAADAAAAABAgAAASNFZ4mrze8AAAAAAAAAAAAAAAAwAAAA");
        } else {
            response.set_header("Connection", "close");
            response.set_header("WWW-Authenticate", "NTLM");
            response.set_header("WWW-Authenticate", "Basic realm=\"exams\"");
        }
        response.set_content("no", "text/plain");
    });
    server.start();
    auto answerer = std::make_shared<ChallengeAnswerer>("EXAMS\\learner", "secret");
    auto connection = NSURLConnection::connectionWithRequest(NSURLRequest::requestWithURL(NSURL::URLWithString(server.URL("/ntlm"))), answerer);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return answerer->ended(); }));
    ASSERT_EQ(answerer->challenges.size(), 1u);
    EXPECT_EQ(answerer->challenges.front()->protectionSpace()->authenticationMethod(), NSURLAuthenticationMethodNTLM);
    EXPECT_EQ(negotiations, 1);
    EXPECT_EQ(answerer->body, "inside");
    server.stop();
}

#include "library/network/request/RQHTTPRequestOperation.h"

#include "platform/foundation/NSOperationQueue.h"
#include "platform/net/NSURLError.h"
#include "tests/net/LoopbackServer.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

// The pinned certificate lives among the bundle's "cer" resources, which are read once per
// process: the resources folder is set up before any test runs.
struct PinnedResources : testing::Environment {
    static inline loopback::Certificate pinned;
    static inline loopback::Certificate other;

    void SetUp() override
    {
        pinned = loopback::makeCertificate("pinned");
        other = loopback::makeCertificate("other");
        const auto folder = loopback::processFolder("corvane-pins");
        std::ofstream(folder / "server.cer", std::ios::binary).write(reinterpret_cast<const char*>(pinned.DER.data()),
            static_cast<std::streamsize>(pinned.DER.size()));
        const auto& authority = loopback::authority().authorityDER;
        std::ofstream(folder / "authority.cer", std::ios::binary).write(reinterpret_cast<const char*>(authority.data()),
            static_cast<std::streamsize>(authority.size()));
        setenv("CORVANE_RESOURCES", folder.c_str(), 1);
    }
};

const auto* const environment = testing::AddGlobalTestEnvironment(new PinnedResources);

std::shared_ptr<NSError> load(const loopback::Certificate& certificate, RQURLConnectionOperationSSLPinningMode mode, bool& succeeded)
{
    loopback::Server server(&certificate);
    server.routes().Get("/", [](const httplib::Request&, httplib::Response& response) { response.set_content("{}", "application/json"); });
    server.start();
    auto operation = RQHTTPRequestOperation::create(NSURLRequest::requestWithURL(NSURL::URLWithString(server.URL("/"))));
    operation->setSSLPinningMode(mode);
    std::shared_ptr<NSError> failure;
    bool done = false;
    operation->setCompletionBlockWithSuccess(
        [&](const auto&, const id&) { succeeded = done = true; },
        [&](const auto&, const std::shared_ptr<NSError>& error) {
            failure = error;
            done = true;
        });
    auto queue = NSOperationQueue::create();
    queue->addOperation(operation);
    EXPECT_TRUE(testing_support::runLoopUntil([&] { return done; }));
    return failure;
}

} // namespace

TEST(RQPinning, acceptsThePinnedCertificateAndItsKey)
{
    ASSERT_FALSE(PinnedResources::pinned.DER.empty());
    ASSERT_EQ(RQURLConnectionOperation::pinnedCertificates().size(), 2u);
    ASSERT_EQ(RQURLConnectionOperation::pinnedPublicKeys().size(), 2u);
    bool succeeded = false;
    EXPECT_FALSE(load(PinnedResources::pinned, RQSSLPinningModeCertificate, succeeded));
    EXPECT_TRUE(succeeded);
    succeeded = false;
    EXPECT_FALSE(load(PinnedResources::pinned, RQSSLPinningModePublicKey, succeeded));
    EXPECT_TRUE(succeeded);
}

TEST(RQPinning, refusesAnotherCertificateAsACancelledChallenge)
{
    bool succeeded = false;
    auto error = load(PinnedResources::other, RQSSLPinningModeCertificate, succeeded);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), NSURLErrorUserCancelledAuthentication);
    error = load(PinnedResources::other, RQSSLPinningModePublicKey, succeeded);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), NSURLErrorUserCancelledAuthentication);
    EXPECT_FALSE(succeeded);
}

TEST(RQPinning, withoutPinningASelfSignedServerIsRefused)
{
    bool succeeded = false;
    auto error = load(PinnedResources::pinned, RQSSLPinningModeNone, succeeded);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), NSURLErrorUserCancelledAuthentication);
}

TEST(RQPinning, aChainToAPinnedAuthorityIsAcceptedOnlyForItsHost)
{
    const auto& pki = loopback::authority();
    ASSERT_FALSE(pki.server.DER.empty());
    bool succeeded = false;
    EXPECT_FALSE(load(pki.server, RQSSLPinningModeCertificate, succeeded));
    EXPECT_TRUE(succeeded);
    succeeded = false;
    EXPECT_FALSE(load(pki.server, RQSSLPinningModePublicKey, succeeded));
    EXPECT_TRUE(succeeded);
    succeeded = false;
    auto error = load(pki.wrongHost, RQSSLPinningModeCertificate, succeeded);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), NSURLErrorUserCancelledAuthentication);
    EXPECT_FALSE(succeeded);
}

TEST(RQPinning, aTrustedChainThatIsNotPinnedIsRefused)
{
    loopback::SystemAnchors anchors(PinnedResources::other.certificatePath);
    bool succeeded = false;
    EXPECT_FALSE(load(PinnedResources::other, RQSSLPinningModeNone, succeeded));
    ASSERT_TRUE(succeeded);
    for (auto mode : { RQSSLPinningModeCertificate, RQSSLPinningModePublicKey }) {
        succeeded = false;
        auto error = load(PinnedResources::other, mode, succeeded);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->code(), NSURLErrorUserCancelledAuthentication);
        EXPECT_FALSE(succeeded);
    }
}

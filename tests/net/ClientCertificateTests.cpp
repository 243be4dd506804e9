#include "platform/foundation/NSData.h"
#include "platform/net/NSURLAuthenticationChallenge.h"
#include "platform/net/NSURLConnection.h"
#include "platform/net/NSURLCredential.h"
#include "platform/net/NSURLError.h"
#include "platform/net/NSURLProtectionSpace.h"
#include "platform/security/SecImportExport.h"
#include "tests/net/ConnectionRecorder.h"
#include "tests/net/LoopbackServer.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

namespace {

std::shared_ptr<NSData> bundleBytes()
{
    const auto& pki = loopback::authority();
    return NSData::dataWithContentsOfFile(NSString(pki.clientPKCS12Path));
}

SecIdentityRef importedIdentity(std::shared_ptr<NSArray>* items = nullptr)
{
    std::shared_ptr<NSArray> imported;
    const OSStatus status = SecPKCS12Import(bundleBytes(),
        ns::dictionary({ { kSecImportExportPassphrase, NSString(loopback::authority().clientPKCS12Password) } }), &imported);
    if (status != errSecSuccess || !imported || imported->count() == 0)
        return nullptr;
    if (items)
        *items = imported;
    return ns::cast<SecIdentity>(ns::cast<NSDictionary>(imported->objectAtIndex(0))->objectForKey(kSecImportItemIdentity));
}

} // namespace

TEST(PKCS12Import, givesTheIdentityWithItsChainAndRefusesAWrongPassphrase)
{
    ASSERT_FALSE(loopback::authority().clientPKCS12Path.empty());
    std::shared_ptr<NSArray> items;
    auto identity = importedIdentity(&items);
    ASSERT_TRUE(identity);
    ASSERT_EQ(items->count(), 1u);
    auto item = ns::cast<NSDictionary>(items->objectAtIndex(0));
    SecCertificateRef certificate;
    ASSERT_EQ(SecIdentityCopyCertificate(identity, &certificate), errSecSuccess);
    EXPECT_EQ(SecCertificateCopySubjectSummary(certificate), "corvane-learner");
    EXPECT_TRUE(identity->privateKey());
    auto chain = ns::cast<NSArray>(item->objectForKey(kSecImportItemCertChain));
    ASSERT_TRUE(chain);
    ASSERT_EQ(chain->count(), 2u);
    EXPECT_TRUE(chain->objectAtIndex(0)->isEqual(certificate));
    EXPECT_TRUE(ns::cast<SecTrust>(item->objectForKey(kSecImportItemTrust)));
    EXPECT_EQ(NSString::fromId(item->objectForKey(kSecImportItemLabel)), "corvane-learner");

    const auto bytes = bundleBytes();
    std::shared_ptr<NSArray> none;
    EXPECT_EQ(SecPKCS12Import(bytes, ns::dictionary({ { kSecImportExportPassphrase, NSString("wrong") } }), &none), errSecAuthFailed);
    EXPECT_FALSE(none);
    EXPECT_EQ(SecPKCS12Import(bytes, nullptr, &none), errSecAuthFailed);
    EXPECT_EQ(SecPKCS12Import(bytes, NSDictionary::dictionary(), &none), errSecAuthFailed);
    EXPECT_EQ(SecPKCS12Import(nullptr, nullptr, &none), errSecParam);
    EXPECT_EQ(SecPKCS12Import(bytes, nullptr, nullptr), errSecParam);
    EXPECT_EQ(SecPKCS12Import(NSData::data(), nullptr, &none), errSecDecode);
}

TEST(PKCS12Import, aDamagedBundleEndsInAnError)
{
    const auto bytes = bundleBytes();
    ASSERT_TRUE(bytes);
    auto options = ns::dictionary({ { kSecImportExportPassphrase, NSString(loopback::authority().clientPKCS12Password) } });
    const auto* original = static_cast<const std::uint8_t*>(bytes->bytes());
    // Cut short at every length step, and one byte changed at every position step.
    for (NSUInteger length = 0; length < bytes->length(); length += 7) {
        std::shared_ptr<NSArray> items;
        EXPECT_NE(SecPKCS12Import(NSData::dataWithBytes(original, length), options, &items), errSecSuccess) << length;
    }
    int refused = 0;
    for (NSUInteger at = 0; at < bytes->length(); at += 5) {
        auto changed = NSMutableData::dataWithData(bytes);
        static_cast<std::uint8_t*>(changed->mutableBytes())[at] ^= 0x5a;
        std::shared_ptr<NSArray> items;
        refused += SecPKCS12Import(changed, options, &items) != errSecSuccess;
    }
    EXPECT_GT(refused, 0);
}

namespace {

// Accepts the test authority's server and answers the client-certificate challenge as told.
class CertificateAnswerer final : public ConnectionRecorder {
public:
    // `later` keeps the client-certificate challenge for the test to answer after the call.
    enum class Answer { identity, without, cancel, later };
    explicit CertificateAnswerer(Answer answer)
        : m_answer(answer)
    {
    }

    std::vector<std::string> methods;
    std::shared_ptr<NSURLAuthenticationChallenge> pending;

    bool willSendRequestForAuthenticationChallenge(NSURLConnection&, const std::shared_ptr<NSURLAuthenticationChallenge>& challenge) override
    {
        const NSString method = challenge->protectionSpace()->authenticationMethod();
        methods.push_back(method.UTF8String());
        auto sender = challenge->sender();
        if (method == NSURLAuthenticationMethodServerTrust) {
            sender->useCredential(NSURLCredential::credentialForTrust(challenge->protectionSpace()->serverTrust()), challenge);
        } else if (m_answer == Answer::identity) {
            auto identity = importedIdentity();
            sender->useCredential(NSURLCredential::credentialWithIdentity(identity, { identity->certificate() }, NSURLCredentialPersistencePermanent),
                challenge);
        } else if (m_answer == Answer::later) {
            pending = challenge;
        } else if (m_answer == Answer::cancel) {
            sender->cancelAuthenticationChallenge(challenge);
        } else {
            sender->continueWithoutCredentialForAuthenticationChallenge(challenge);
        }
        return true;
    }

private:
    Answer m_answer;
};

std::unique_ptr<loopback::Server> serve(bool requireClientCertificate)
{
    const auto& pki = loopback::authority();
    auto server = std::make_unique<loopback::Server>(loopback::TLS { &pki.server, pki.authorityPath, requireClientCertificate });
    server->routes().Get("/", [](const httplib::Request&, httplib::Response& response) { response.set_content("inside", "text/plain"); });
    server->start();
    return server;
}

std::shared_ptr<CertificateAnswerer> load(const loopback::Server& server, CertificateAnswerer::Answer answer)
{
    auto answerer = std::make_shared<CertificateAnswerer>(answer);
    auto connection = NSURLConnection::connectionWithRequest(NSURLRequest::requestWithURL(NSURL::URLWithString(server.URL("/"))), answerer);
    if (answer == CertificateAnswerer::Answer::later) {
        EXPECT_TRUE(testing_support::runLoopUntil([&] { return answerer->pending != nullptr; }));
        if (auto challenge = answerer->pending) {
            auto identity = importedIdentity();
            challenge->sender()->useCredential(NSURLCredential::credentialWithIdentity(identity, {}, NSURLCredentialPersistenceNone), challenge);
        }
    }
    EXPECT_TRUE(testing_support::runLoopUntil([&] { return answerer->ended(); }));
    return answerer;
}

} // namespace

TEST(ClientCertificate, aRequiredCertificateComesFromTheImportedIdentity)
{
    auto server = serve(true);
    auto without = load(*server, CertificateAnswerer::Answer::without);
    EXPECT_EQ(without->methods, (std::vector<std::string> { NSURLAuthenticationMethodServerTrust, NSURLAuthenticationMethodClientCertificate }));
    ASSERT_TRUE(without->error);
    EXPECT_EQ(without->error->code(), NSURLErrorClientCertificateRequired);
    EXPECT_FALSE(without->response);

    auto cancelled = load(*server, CertificateAnswerer::Answer::cancel);
    ASSERT_TRUE(cancelled->error);
    EXPECT_EQ(cancelled->error->code(), NSURLErrorUserCancelledAuthentication);

    auto with = load(*server, CertificateAnswerer::Answer::identity);
    // The server's trust is asked about first, and once only.
    EXPECT_EQ(with->methods, (std::vector<std::string> { NSURLAuthenticationMethodServerTrust, NSURLAuthenticationMethodClientCertificate }));
    ASSERT_FALSE(with->error) << with->error->description();
    EXPECT_EQ(with->response->statusCode(), 200);
    EXPECT_EQ(with->body, "inside");
    // An answer given after the delegate's call returned holds as well.
    auto later = load(*server, CertificateAnswerer::Answer::later);
    ASSERT_FALSE(later->error);
    EXPECT_EQ(later->body, "inside");
    auto requests = server->requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].clientCertificate, "corvane-learner");
    EXPECT_EQ(requests[1].clientCertificate, "corvane-learner");
}

TEST(ClientCertificate, aServerThatOnlyAsksLetsTheClientInWithoutOne)
{
    auto server = serve(false);
    auto without = load(*server, CertificateAnswerer::Answer::without);
    ASSERT_FALSE(without->error);
    EXPECT_EQ(without->response->statusCode(), 200);
    auto with = load(*server, CertificateAnswerer::Answer::identity);
    ASSERT_FALSE(with->error);
    auto requests = server->requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].clientCertificate, "");
    EXPECT_EQ(requests[1].clientCertificate, "corvane-learner");
}

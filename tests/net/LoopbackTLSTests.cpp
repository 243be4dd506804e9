#include "platform/net/NSURLConnection.h"

#include "platform/net/NSURLError.h"
#include "tests/net/ConnectionRecorder.h"
#include "tests/net/LoopbackServer.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

#include <openssl/pkcs12.h>

#include <cstdio>

namespace {

std::unique_ptr<loopback::Server> serve(const loopback::TLS& tls)
{
    auto server = std::make_unique<loopback::Server>(tls);
    server->routes().Get("/", [](const httplib::Request&, httplib::Response& response) { response.set_content("inside", "text/plain"); });
    server->start();
    return server;
}

// What a client presenting `certificate` (or none) gets from the server: the status, or -1.
int statusWith(const loopback::Server& server, const loopback::Certificate* certificate)
{
    const auto& pki = loopback::authority();
    auto client = certificate ? httplib::SSLClient("127.0.0.1", server.port(), certificate->certificatePath, certificate->keyPath)
                              : httplib::SSLClient("127.0.0.1", server.port());
    client.set_ca_cert_path(pki.authorityPath.c_str());
    client.set_connection_timeout(10);
    auto result = client.Get("/");
    return result ? result->status : -1;
}

std::shared_ptr<ConnectionRecorder> load(const std::string& URL)
{
    auto recorder = std::make_shared<ConnectionRecorder>();
    auto connection = NSURLConnection::connectionWithRequest(NSURLRequest::requestWithURL(NSURL::URLWithString(URL)), recorder);
    EXPECT_TRUE(testing_support::runLoopUntil([&] { return recorder->ended(); }));
    return recorder;
}

} // namespace

TEST(LoopbackTLS, theAuthoritysFilesAreMadeAndTheBundleOpensOnlyWithItsPassword)
{
    const auto& pki = loopback::authority();
    ASSERT_FALSE(pki.authorityDER.empty());
    ASSERT_FALSE(pki.server.DER.empty());
    ASSERT_FALSE(pki.wrongHost.DER.empty());
    ASSERT_FALSE(pki.client.DER.empty());
    ASSERT_FALSE(pki.stranger.DER.empty());
    ASSERT_FALSE(pki.clientPKCS12Path.empty());
    auto open = [&](const char* password) {
        std::unique_ptr<FILE, decltype(&fclose)> file(fopen(pki.clientPKCS12Path.c_str(), "rb"), fclose);
        std::unique_ptr<PKCS12, decltype(&PKCS12_free)> bundle(d2i_PKCS12_fp(file.get(), nullptr), PKCS12_free);
        EVP_PKEY* key = nullptr;
        X509* certificate = nullptr;
        STACK_OF(X509)* authorities = nullptr;
        const bool opened = bundle && PKCS12_parse(bundle.get(), password, &key, &certificate, &authorities) == 1;
        EVP_PKEY_free(key);
        X509_free(certificate);
        sk_X509_pop_free(authorities, X509_free);
        return opened;
    };
    EXPECT_TRUE(open(pki.clientPKCS12Password.c_str()));
    EXPECT_FALSE(open("wrong"));
}

TEST(LoopbackTLS, aRequiredClientCertificateMustComeFromTheAuthority)
{
    const auto& pki = loopback::authority();
    auto server = serve({ &pki.server, pki.authorityPath, true });
    EXPECT_EQ(statusWith(*server, nullptr), -1);
    EXPECT_EQ(statusWith(*server, &pki.stranger), -1);
    EXPECT_EQ(statusWith(*server, &pki.client), 200);
    auto requests = server->requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].clientCertificate, "corvane-learner");
}

TEST(LoopbackTLS, anOptionalClientCertificateLetsAClientWithoutOneIn)
{
    const auto& pki = loopback::authority();
    auto server = serve({ &pki.server, pki.authorityPath, false });
    EXPECT_EQ(statusWith(*server, nullptr), 200);
    EXPECT_EQ(statusWith(*server, &pki.stranger), -1);
    EXPECT_EQ(statusWith(*server, &pki.client), 200);
    auto requests = server->requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].clientCertificate, "");
    EXPECT_EQ(requests[1].clientCertificate, "corvane-learner");
}

TEST(LoopbackTLS, theConnectionTrustsTheAuthorityOnlyWhenToldAndChecksTheHostName)
{
    const auto& pki = loopback::authority();
    auto server = serve({ &pki.server, {}, false });
    auto wrongHost = serve({ &pki.wrongHost, {}, false });
    auto refused = load(server->URL("/"));
    ASSERT_TRUE(refused->error);
    EXPECT_EQ(refused->error->code(), NSURLErrorServerCertificateUntrusted);

    loopback::SystemAnchors trusted(pki.authorityPath);
    auto accepted = load(server->URL("/"));
    EXPECT_FALSE(accepted->error);
    EXPECT_EQ(server->requestCount(), 1u);
    auto misnamed = load(wrongHost->URL("/"));
    ASSERT_TRUE(misnamed->error);
    EXPECT_EQ(misnamed->error->code(), NSURLErrorServerCertificateUntrusted);
    EXPECT_EQ(wrongHost->requestCount(), 0u);
}

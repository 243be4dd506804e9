#include "platform/foundation/NSData.h"
#include "platform/security/SecImportExport.h"
#include "tests/net/LoopbackServer.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>

namespace {

// The client's identity as `openssl pkcs12 -export -legacy` writes it: certificates under
// 40-bit RC2, the key under triple DES. Empty when this machine's tool cannot write one.
const std::string& legacyBundlePath()
{
    static const std::string path = [] {
        const auto& pki = loopback::authority();
        const auto file = std::filesystem::path(pki.authorityPath).parent_path() / "corvane-learner-legacy.p12";
        const std::string command = "openssl pkcs12 -export -legacy -in " + pki.client.certificatePath + " -inkey "
            + pki.client.keyPath + " -certfile " + pki.authorityPath + " -name corvane-learner -passout pass:"
            + pki.clientPKCS12Password + " -out " + file.string() + " >/dev/null 2>&1";
        return std::system(command.c_str()) == 0 ? file.string() : std::string();
    }();
    return path;
}

OSStatus import(const std::string& path, const NSString& passphrase, std::shared_ptr<NSArray>* items)
{
    return SecPKCS12Import(NSData::dataWithContentsOfFile(NSString(path)),
        ns::dictionary({ { kSecImportExportPassphrase, passphrase } }), items);
}

bool signsAndVerifies(const SecIdentityRef& identity)
{
    SecCertificateRef certificate;
    if (SecIdentityCopyCertificate(identity, &certificate) != errSecSuccess)
        return false;
    const unsigned char message[] = "corvane";
    std::vector<unsigned char> signature(512);
    std::size_t length = signature.size();
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> signing(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    if (EVP_DigestSignInit(signing.get(), nullptr, EVP_sha256(), nullptr, identity->privateKey()) != 1
        || EVP_DigestSign(signing.get(), signature.data(), &length, message, sizeof message) != 1)
        return false;
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> publicKey(X509_get_pubkey(certificate->x509()), EVP_PKEY_free);
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> verifying(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    return publicKey && EVP_DigestVerifyInit(verifying.get(), nullptr, EVP_sha256(), nullptr, publicKey.get()) == 1
        && EVP_DigestVerify(verifying.get(), signature.data(), length, message, sizeof message) == 1;
}

// Points OpenSSL's module search at an empty folder while it lives.
class NoProviderModules {
public:
    NoProviderModules()
    {
        if (const char* old = std::getenv("OPENSSL_MODULES"))
            m_old = old;
        m_folder = std::filesystem::temp_directory_path() / ("corvane-no-modules-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_folder);
        setenv("OPENSSL_MODULES", m_folder.c_str(), 1);
    }
    ~NoProviderModules()
    {
        if (m_old)
            setenv("OPENSSL_MODULES", m_old->c_str(), 1);
        else
            unsetenv("OPENSSL_MODULES");
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    NoProviderModules(const NoProviderModules&) = delete;
    NoProviderModules& operator=(const NoProviderModules&) = delete;

private:
    std::filesystem::path m_folder;
    std::optional<std::string> m_old;
};

} // namespace

TEST(LegacyPKCS12Import, aBundleWithOldCiphersImportsWithItsPassphraseAndRefusesAWrongOne)
{
    if (legacyBundlePath().empty())
        GTEST_SKIP() << "Skipped: the openssl tool cannot write a legacy bundle here";
    // The bundle really is of the old kind: the object identifier of SHA-1 with 40-bit RC2.
    const auto bytes = NSData::dataWithContentsOfFile(NSString(legacyBundlePath()));
    ASSERT_TRUE(bytes);
    const unsigned char rc2Identifier[] = { 0x2a, 0x86, 0x48, 0x86, 0xf7, 0x0d, 0x01, 0x0c, 0x01, 0x06 };
    const auto* begin = static_cast<const unsigned char*>(bytes->bytes());
    ASSERT_NE(std::search(begin, begin + bytes->length(), std::begin(rc2Identifier), std::end(rc2Identifier)), begin + bytes->length());

    std::shared_ptr<NSArray> items;
    ASSERT_EQ(import(legacyBundlePath(), NSString(loopback::authority().clientPKCS12Password), &items), errSecSuccess);
    ASSERT_TRUE(items);
    ASSERT_EQ(items->count(), 1u);
    auto item = ns::cast<NSDictionary>(items->objectAtIndex(0));
    auto identity = ns::cast<SecIdentity>(item->objectForKey(kSecImportItemIdentity));
    ASSERT_TRUE(identity);
    SecCertificateRef certificate;
    ASSERT_EQ(SecIdentityCopyCertificate(identity, &certificate), errSecSuccess);
    EXPECT_EQ(SecCertificateCopySubjectSummary(certificate), "corvane-learner");
    auto chain = ns::cast<NSArray>(item->objectForKey(kSecImportItemCertChain));
    ASSERT_TRUE(chain);
    EXPECT_EQ(chain->count(), 2u);
    EXPECT_EQ(NSString::fromId(item->objectForKey(kSecImportItemLabel)), "corvane-learner");
    // The key works once the import's own context is gone.
    EXPECT_TRUE(signsAndVerifies(identity));

    std::shared_ptr<NSArray> none;
    EXPECT_EQ(import(legacyBundlePath(), "wrong", &none), errSecAuthFailed);
    EXPECT_FALSE(none);

    // The process's own context never gained the old ciphers.
    EVP_CIPHER* rc2 = EVP_CIPHER_fetch(nullptr, "RC2-40-CBC", nullptr);
    EXPECT_FALSE(rc2);
    EVP_CIPHER_free(rc2);
}

TEST(LegacyPKCS12Import, withoutTheLegacyProviderAnOldBundleFailsAsBeforeWithALogLine)
{
    if (legacyBundlePath().empty())
        GTEST_SKIP() << "Skipped: the openssl tool cannot write a legacy bundle here";
    const NSString passphrase(loopback::authority().clientPKCS12Password);
    std::shared_ptr<NSArray> items;
    {
        NoProviderModules noModules;
        testing::internal::CaptureStderr();
        EXPECT_EQ(import(legacyBundlePath(), passphrase, &items), errSecDecode);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find("legacy provider"), std::string::npos) << log;
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
        EXPECT_FALSE(items);
        // A bundle of today's ciphers needs no module and says nothing.
        testing::internal::CaptureStderr();
        EXPECT_EQ(import(loopback::authority().clientPKCS12Path, passphrase, &items), errSecSuccess);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    }
    EXPECT_EQ(import(legacyBundlePath(), passphrase, &items), errSecSuccess);
}

#include "platform/security/SecImportExport.h"

#include "platform/foundation/NSLog.h"
#include "platform/security/OpenSSLHandles.h"
#include "platform/security/SecPolicy.h"

#include <openssl/err.h>
#include <openssl/pkcs12.h>
#include <openssl/provider.h>
#include <openssl/x509.h>

#include <climits>
#include <memory>
#include <optional>

namespace {

// Bundles written by older tools encrypt with RC2 and DES, which only OpenSSL's legacy provider
// offers. It is loaded into a library context of the import's own, so the rest of the process
// (its TLS above all) keeps to the default algorithms; what the import hands out is moved back
// into the default context before this one goes.
class ParsingContext {
public:
    ParsingContext()
        : m_context(OSSL_LIB_CTX_new())
    {
        if (m_context) {
            m_default = OSSL_PROVIDER_load(m_context.get(), "default");
            m_legacy = OSSL_PROVIDER_load(m_context.get(), "legacy");
        }
        ERR_clear_error();
    }
    ~ParsingContext()
    {
        if (m_legacy)
            OSSL_PROVIDER_unload(m_legacy);
        if (m_default)
            OSSL_PROVIDER_unload(m_default);
    }
    ParsingContext(const ParsingContext&) = delete;
    ParsingContext& operator=(const ParsingContext&) = delete;

    // The process's default context when this one could not be made.
    OSSL_LIB_CTX* get() const { return m_default ? m_context.get() : nullptr; }
    bool hasLegacyAlgorithms() const { return m_legacy != nullptr; }

private:
    openssl::LibraryContext m_context;
    OSSL_PROVIDER* m_default { nullptr };
    OSSL_PROVIDER* m_legacy { nullptr };
};

// The same certificate, made again from its bytes in the default context.
SecCertificateRef rehomedCertificate(X509* certificate)
{
    unsigned char* bytes = nullptr;
    const int length = i2d_X509(certificate, &bytes);
    if (length <= 0)
        return nullptr;
    auto data = NSData::dataWithBytes(bytes, static_cast<NSUInteger>(length));
    OPENSSL_free(bytes);
    return SecCertificate::create(data);
}

openssl::Key rehomedKey(EVP_PKEY* key)
{
    openssl::KeyInfo info(EVP_PKEY2PKCS8(key));
    return openssl::Key(info ? EVP_PKCS82PKEY(info.get()) : nullptr);
}

// The pass phrase the bundle's integrity check accepts; a missing one may stand for either
// no pass phrase or the empty one.
std::optional<std::string> verifiedPassphrase(PKCS12* bundle, const NSString& passphrase)
{
    if (!PKCS12_mac_present(bundle))
        return passphrase.isNil() ? std::string() : passphrase.UTF8String();
    if (!passphrase.isNil()) {
        std::string text = passphrase.UTF8String();
        if (PKCS12_verify_mac(bundle, text.c_str(), static_cast<int>(text.size())) == 1)
            return text;
        return std::nullopt;
    }
    if (PKCS12_verify_mac(bundle, nullptr, 0) == 1 || PKCS12_verify_mac(bundle, "", 0) == 1)
        return std::string();
    return std::nullopt;
}

} // namespace

OSStatus SecPKCS12Import(const std::shared_ptr<NSData>& pkcs12Data, const std::shared_ptr<NSDictionary>& options,
    std::shared_ptr<NSArray>* items)
{
    if (!items || !pkcs12Data)
        return errSecParam;
    *items = nullptr;
    if (pkcs12Data->length() == 0 || pkcs12Data->length() > static_cast<NSUInteger>(LONG_MAX))
        return errSecDecode;
    const ParsingContext context;
    // Decoded into a bundle made in that context, so everything read from it uses its algorithms.
    PKCS12* target = PKCS12_init_ex(NID_pkcs7_data, context.get(), nullptr);
    const auto* bytes = static_cast<const unsigned char*>(pkcs12Data->bytes());
    PKCS12* decoded = target ? d2i_PKCS12(&target, &bytes, static_cast<long>(pkcs12Data->length())) : nullptr;
    // A failed decode has freed the target already.
    openssl::Bundle bundle(decoded ? decoded : target);
    if (!decoded) {
        ERR_clear_error();
        return errSecDecode;
    }
    const NSString passphrase = options ? NSString::fromId(options->objectForKey(kSecImportExportPassphrase)) : NSString();
    const auto verified = verifiedPassphrase(bundle.get(), passphrase);
    if (!verified) {
        ERR_clear_error();
        return errSecAuthFailed;
    }

    EVP_PKEY* rawKey = nullptr;
    X509* rawCertificate = nullptr;
    STACK_OF(X509)* rawAuthorities = nullptr;
    const int parsed = PKCS12_parse(bundle.get(), verified->c_str(), &rawKey, &rawCertificate, &rawAuthorities);
    openssl::Key key(rawKey);
    openssl::Certificate certificate(rawCertificate);
    openssl::Certificates authorities(rawAuthorities);
    ERR_clear_error();
    if (parsed != 1 || !key || !certificate) {
        if (!context.hasLegacyAlgorithms())
            NSLog("PKCS#12 import: the bundle could not be read, and OpenSSL's legacy provider, which older "
                  "bundles need, could not be loaded");
        return errSecDecode;
    }

    auto leaf = rehomedCertificate(certificate.get());
    const auto ownKey = rehomedKey(key.get());
    ERR_clear_error();
    auto identity = leaf && ownKey ? SecIdentity::create(leaf, ownKey.get()) : nullptr;
    if (!identity)
        return errSecDecode;
    std::vector<SecCertificateRef> chain { leaf };
    auto chainArray = NSMutableArray::array();
    chainArray->addObject(leaf);
    for (int index = 0; authorities && index < sk_X509_num(authorities.get()); ++index) {
        if (auto authority = rehomedCertificate(sk_X509_value(authorities.get(), index))) {
            chain.push_back(authority);
            chainArray->addObject(authority);
        }
    }
    SecTrustRef trust;
    SecTrustCreateWithCertificates(chain, SecPolicyCreateBasicX509(), &trust);

    auto item = NSMutableDictionary::dictionary();
    item->setObject(identity, kSecImportItemIdentity);
    item->setObject(chainArray, kSecImportItemCertChain);
    if (trust)
        item->setObject(trust, kSecImportItemTrust);
    int aliasLength = 0;
    if (const unsigned char* alias = X509_alias_get0(certificate.get(), &aliasLength); alias && aliasLength > 0)
        item->setObject(NSString(std::string(reinterpret_cast<const char*>(alias), static_cast<std::size_t>(aliasLength))), kSecImportItemLabel);
    auto result = NSMutableArray::array();
    result->addObject(item);
    *items = result;
    return errSecSuccess;
}

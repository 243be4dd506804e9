#include "platform/security/SecImportExport.h"

#include "platform/security/SecPolicy.h"

#include <openssl/err.h>
#include <openssl/pkcs12.h>
#include <openssl/x509.h>

#include <climits>
#include <memory>
#include <optional>

namespace {

struct PKCS12Free {
    void operator()(PKCS12* bundle) const { PKCS12_free(bundle); }
};
struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct X509Free {
    void operator()(X509* certificate) const { X509_free(certificate); }
};
struct StackFree {
    void operator()(STACK_OF(X509) * certificates) const { sk_X509_pop_free(certificates, X509_free); }
};

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
    const auto* bytes = static_cast<const unsigned char*>(pkcs12Data->bytes());
    std::unique_ptr<PKCS12, PKCS12Free> bundle(d2i_PKCS12(nullptr, &bytes, static_cast<long>(pkcs12Data->length())));
    if (!bundle) {
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
    std::unique_ptr<EVP_PKEY, KeyFree> key(rawKey);
    std::unique_ptr<X509, X509Free> certificate(rawCertificate);
    std::unique_ptr<STACK_OF(X509), StackFree> authorities(rawAuthorities);
    ERR_clear_error();
    if (parsed != 1 || !key || !certificate)
        return errSecDecode;

    auto leaf = SecCertificate::create(certificate.get());
    auto identity = leaf ? SecIdentity::create(leaf, key.get()) : nullptr;
    if (!identity)
        return errSecDecode;
    std::vector<SecCertificateRef> chain { leaf };
    auto chainArray = NSMutableArray::array();
    chainArray->addObject(leaf);
    for (int index = 0; authorities && index < sk_X509_num(authorities.get()); ++index) {
        if (auto authority = SecCertificate::create(sk_X509_value(authorities.get(), index))) {
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

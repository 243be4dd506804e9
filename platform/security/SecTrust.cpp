#include "platform/security/SecTrust.h"

#include "platform/security/OpenSSLHandles.h"

#include <openssl/x509.h>
#include <openssl/x509_vfy.h>
#include <openssl/x509v3.h>

#include <memory>

namespace {

bool isIPAddress(const std::string& host)
{
    return host.find(':') != std::string::npos
        || (!host.empty() && host.find_first_not_of("0123456789.") == std::string::npos);
}

} // namespace

void SecTrust::init(std::vector<SecCertificateRef> certificates, std::vector<SecPolicyRef> policies)
{
    m_presented = std::move(certificates);
    m_policies = std::move(policies);
    MutexLocker lock(m_mutex);
    m_chain = m_presented;
}

void SecTrust::setAnchorCertificates(std::vector<SecCertificateRef> anchors)
{
    MutexLocker lock(m_mutex);
    m_anchors = std::move(anchors);
    // As on the platform: explicit anchors replace the system's until told otherwise.
    m_anchorsOnly = true;
    m_result = kSecTrustResultInvalid;
}

void SecTrust::setAnchorCertificatesOnly(bool only)
{
    MutexLocker lock(m_mutex);
    m_anchorsOnly = only;
    m_result = kSecTrustResultInvalid;
}

OSStatus SecTrust::evaluate(SecTrustResultType& result)
{
    MutexLocker lock(m_mutex);
    openssl::Store store(X509_STORE_new());
    openssl::StoreContext context(X509_STORE_CTX_new());
    openssl::CertificateList untrusted(sk_X509_new_null());
    if (!store || !context || !untrusted)
        return errSecAllocate;
    if (!m_anchorsOnly || m_anchors.empty())
        X509_STORE_set_default_paths(store.get());
    for (const auto& anchor : m_anchors)
        X509_STORE_add_cert(store.get(), anchor->x509());
    for (std::size_t i = 1; i < m_presented.size(); ++i)
        sk_X509_push(untrusted.get(), m_presented[i]->x509());
    if (!X509_STORE_CTX_init(context.get(), store.get(), m_presented.front()->x509(), untrusted.get()))
        return errSecAllocate;
    X509_VERIFY_PARAM* parameters = X509_STORE_CTX_get0_param(context.get());
    for (const auto& policy : m_policies) {
        if (!policy->isSSLServer())
            continue;
        X509_VERIFY_PARAM_set_purpose(parameters, X509_PURPOSE_SSL_SERVER);
        std::string host = policy->hostName().isNil() ? std::string() : policy->hostName().UTF8String();
        if (host.empty())
            continue;
        if (isIPAddress(host))
            X509_VERIFY_PARAM_set1_ip_asc(parameters, host.c_str());
        else
            X509_VERIFY_PARAM_set1_host(parameters, host.c_str(), 0);
    }
    int verified = X509_verify_cert(context.get());
    if (verified == 1) {
        openssl::Certificates built(X509_STORE_CTX_get1_chain(context.get()));
        std::vector<SecCertificateRef> chain;
        for (int i = 0; built && i < sk_X509_num(built.get()); ++i) {
            if (auto certificate = SecCertificate::create(sk_X509_value(built.get(), i)))
                chain.push_back(certificate);
        }
        m_chain = std::move(chain);
        m_result = kSecTrustResultUnspecified;
        m_failureReason = nullptr;
    } else {
        m_chain = m_presented;
        m_result = kSecTrustResultRecoverableTrustFailure;
        m_failureReason = X509_verify_cert_error_string(X509_STORE_CTX_get_error(context.get()));
    }
    result = m_result;
    return errSecSuccess;
}

NSUInteger SecTrust::certificateCount() const
{
    MutexLocker lock(m_mutex);
    return m_chain.size();
}

SecCertificateRef SecTrust::certificateAtIndex(NSUInteger index) const
{
    MutexLocker lock(m_mutex);
    return index < m_chain.size() ? m_chain[index] : nullptr;
}

SecKeyRef SecTrust::copyPublicKey() const
{
    MutexLocker lock(m_mutex);
    return m_presented.empty() ? nullptr : SecCertificateCopyPublicKey(m_presented.front());
}

NSString SecTrust::failureReason() const
{
    MutexLocker lock(m_mutex);
    return m_failureReason;
}

OSStatus SecTrustCreateWithCertificates(const std::vector<SecCertificateRef>& certificates, const SecPolicyRef& policy,
    SecTrustRef* trust)
{
    if (!trust || certificates.empty())
        return errSecParam;
    for (const auto& certificate : certificates) {
        if (!certificate)
            return errSecParam;
    }
    std::vector<SecPolicyRef> policies;
    if (policy)
        policies.push_back(policy);
    *trust = SecTrust::create(certificates, policies);
    return errSecSuccess;
}

OSStatus SecTrustSetAnchorCertificates(const SecTrustRef& trust, const std::vector<SecCertificateRef>& anchors)
{
    if (!trust)
        return errSecParam;
    trust->setAnchorCertificates(anchors);
    return errSecSuccess;
}

OSStatus SecTrustSetAnchorCertificatesOnly(const SecTrustRef& trust, bool anchorCertificatesOnly)
{
    if (!trust)
        return errSecParam;
    trust->setAnchorCertificatesOnly(anchorCertificatesOnly);
    return errSecSuccess;
}

OSStatus SecTrustEvaluate(const SecTrustRef& trust, SecTrustResultType* result)
{
    if (!trust || !result)
        return errSecParam;
    return trust->evaluate(*result);
}

NSInteger SecTrustGetCertificateCount(const SecTrustRef& trust)
{
    return trust ? static_cast<NSInteger>(trust->certificateCount()) : 0;
}

SecCertificateRef SecTrustGetCertificateAtIndex(const SecTrustRef& trust, NSInteger index)
{
    return trust && index >= 0 ? trust->certificateAtIndex(static_cast<NSUInteger>(index)) : nullptr;
}

SecKeyRef SecTrustCopyPublicKey(const SecTrustRef& trust)
{
    return trust ? trust->copyPublicKey() : nullptr;
}

SecKeyRef SecCertificateCopyPublicKey(const SecCertificateRef& certificate)
{
    if (!certificate)
        return nullptr;
    X509_PUBKEY* key = X509_get_X509_PUBKEY(certificate->x509());
    unsigned char* bytes = nullptr;
    int length = i2d_X509_PUBKEY(key, &bytes);
    if (length <= 0)
        return nullptr;
    auto data = NSData::dataWithBytes(bytes, static_cast<NSUInteger>(length));
    OPENSSL_free(bytes);
    return SecKey::create(data);
}

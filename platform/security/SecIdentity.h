#pragma once
// A certificate with its private key: what a client presents when a server asks who it is.

#include "platform/security/SecCertificate.h"

typedef struct evp_pkey_st EVP_PKEY;

class SecIdentity final : public NSObject {
    NS_OBJECT(SecIdentity, NSObject)
public:
    ~SecIdentity() override;

    const SecCertificateRef& certificate() const { return m_certificate; }
    // Owned by the identity; a user that keeps it takes its own reference.
    EVP_PKEY* privateKey() const { return m_key; }

protected:
    // Refuses a key that does not belong to the certificate.
    bool init(const SecCertificateRef& certificate, EVP_PKEY* privateKey);

private:
    SecCertificateRef m_certificate;
    EVP_PKEY* m_key { nullptr };
};

using SecIdentityRef = std::shared_ptr<SecIdentity>;

OSStatus SecIdentityCopyCertificate(const SecIdentityRef& identity, SecCertificateRef* certificate);

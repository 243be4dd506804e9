#pragma once
// An answer to a challenge: a user and password, the acceptance of a server's trust, or a client
// identity with the certificates to send along.

#include "platform/security/SecIdentity.h"
#include "platform/security/SecTrust.h"

#include <vector>

enum NSURLCredentialPersistence : NSUInteger {
    NSURLCredentialPersistenceNone = 0,
    NSURLCredentialPersistenceForSession = 1,
    NSURLCredentialPersistencePermanent = 2,
};

class NSURLCredential final : public NSObject {
    NS_OBJECT(NSURLCredential, NSObject)
public:
    static std::shared_ptr<NSURLCredential> credentialWithUser(const NSString& user, const NSString& password,
        NSURLCredentialPersistence persistence)
    {
        auto credential = create();
        credential->m_user = user;
        credential->m_password = password;
        credential->m_persistence = persistence;
        return credential;
    }
    static std::shared_ptr<NSURLCredential> credentialForTrust(const SecTrustRef& trust)
    {
        auto credential = create();
        credential->m_trust = trust;
        return credential;
    }

    // The identity's certificate goes first on the wire; `certificates` are the ones that follow it
    // (the platform passes the identity's own certificate among them, which is not sent twice).
    static std::shared_ptr<NSURLCredential> credentialWithIdentity(const SecIdentityRef& identity,
        std::vector<SecCertificateRef> certificates, NSURLCredentialPersistence persistence)
    {
        auto credential = create();
        credential->m_identity = identity;
        credential->m_certificates = std::move(certificates);
        credential->m_persistence = persistence;
        return credential;
    }

    const NSString& user() const { return m_user; }
    const NSString& password() const { return m_password; }
    bool hasPassword() const { return !m_password.isNil(); }
    NSURLCredentialPersistence persistence() const { return m_persistence; }
    const SecTrustRef& serverTrust() const { return m_trust; }
    const SecIdentityRef& identity() const { return m_identity; }
    const std::vector<SecCertificateRef>& certificates() const { return m_certificates; }

private:
    NSString m_user;
    NSString m_password;
    SecTrustRef m_trust;
    SecIdentityRef m_identity;
    std::vector<SecCertificateRef> m_certificates;
    NSURLCredentialPersistence m_persistence { NSURLCredentialPersistenceNone };
};

#pragma once
// An answer to a challenge: a user and password, or the acceptance of a server's trust.

#include "platform/security/SecTrust.h"

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

    const NSString& user() const { return m_user; }
    const NSString& password() const { return m_password; }
    bool hasPassword() const { return !m_password.isNil(); }
    NSURLCredentialPersistence persistence() const { return m_persistence; }
    const SecTrustRef& serverTrust() const { return m_trust; }

private:
    NSString m_user;
    NSString m_password;
    SecTrustRef m_trust;
    NSURLCredentialPersistence m_persistence { NSURLCredentialPersistenceNone };
};

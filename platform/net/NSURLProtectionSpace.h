#pragma once
// Where a challenge comes from: host, port, protocol, realm and the authentication method; for
// the server-trust method, the server's trust object.

#include "platform/security/SecTrust.h"

inline constexpr const char* NSURLAuthenticationMethodDefault = "NSURLAuthenticationMethodDefault";
inline constexpr const char* NSURLAuthenticationMethodHTTPBasic = "NSURLAuthenticationMethodHTTPBasic";
inline constexpr const char* NSURLAuthenticationMethodHTTPDigest = "NSURLAuthenticationMethodHTTPDigest";
inline constexpr const char* NSURLAuthenticationMethodServerTrust = "NSURLAuthenticationMethodServerTrust";
inline constexpr const char* NSURLAuthenticationMethodNTLM = "NSURLAuthenticationMethodNTLM";
inline constexpr const char* NSURLAuthenticationMethodNegotiate = "NSURLAuthenticationMethodNegotiate";
inline constexpr const char* NSURLAuthenticationMethodClientCertificate = "NSURLAuthenticationMethodClientCertificate";
inline constexpr const char* NSURLProtectionSpaceHTTP = "http";
inline constexpr const char* NSURLProtectionSpaceHTTPS = "https";

class NSURLProtectionSpace final : public NSObject {
    NS_OBJECT(NSURLProtectionSpace, NSObject)
public:
    const NSString& host() const { return m_host; }
    NSInteger port() const { return m_port; }
    const NSString& protocol() const { return m_protocol; }
    const NSString& realm() const { return m_realm; }
    const NSString& authenticationMethod() const { return m_authenticationMethod; }
    bool receivesCredentialSecurely() const { return m_protocol == NSURLProtectionSpaceHTTPS; }
    // Only for the server-trust method.
    const SecTrustRef& serverTrust() const { return m_serverTrust; }

protected:
    void init(const NSString& host, NSInteger port, const NSString& protocol, const NSString& realm,
        const NSString& authenticationMethod)
    {
        m_host = host;
        m_port = port;
        m_protocol = protocol;
        m_realm = realm;
        m_authenticationMethod = authenticationMethod;
    }
    void init(const NSString& host, NSInteger port, const NSString& protocol, const SecTrustRef& serverTrust)
    {
        init(host, port, protocol, NSString(), NSURLAuthenticationMethodServerTrust);
        m_serverTrust = serverTrust;
    }

private:
    NSString m_host;
    NSInteger m_port { 0 };
    NSString m_protocol;
    NSString m_realm;
    NSString m_authenticationMethod;
    SecTrustRef m_serverTrust;
};

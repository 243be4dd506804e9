#pragma once
// What a trust evaluation checks: the chain alone (basic X.509), or also that the leaf serves
// the host name (SSL server).

#include "platform/foundation/NSString.h"

class SecPolicy final : public NSObject {
    NS_OBJECT(SecPolicy, NSObject)
public:
    bool isSSLServer() const { return m_SSLServer; }
    const NSString& hostName() const { return m_hostName; }

protected:
    void init(bool SSLServer, const NSString& hostName)
    {
        m_SSLServer = SSLServer;
        m_hostName = hostName;
    }

private:
    bool m_SSLServer { false };
    NSString m_hostName;
};

using SecPolicyRef = std::shared_ptr<SecPolicy>;

SecPolicyRef SecPolicyCreateBasicX509();
SecPolicyRef SecPolicyCreateSSL(bool server, const NSString& hostName);

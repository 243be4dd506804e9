#include "platform/security/SecPolicy.h"

SecPolicyRef SecPolicyCreateBasicX509()
{
    return SecPolicy::create(false, NSString());
}

SecPolicyRef SecPolicyCreateSSL(bool server, const NSString& hostName)
{
    return SecPolicy::create(server, hostName);
}

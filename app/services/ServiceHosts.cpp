#include "app/services/ServiceHosts.h"

#include <cstdlib>

#ifndef CORVANE_SERVICE_HOST
#define CORVANE_SERVICE_HOST "127.0.0.1"
#endif
#ifndef CORVANE_PAYMENT_HOST
#define CORVANE_PAYMENT_HOST "127.0.0.1:3680"
#endif

namespace ServiceHosts {

NSString mainServiceHost()
{
    return CORVANE_SERVICE_HOST;
}

// A run may point the client at services elsewhere (a stand-in on another port) through the
// environment, without a build of its own.
NSString fromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value ? NSString::stringWithUTF8String(value) : NSString();
}

NSString builtInMainBaseURL()
{
    if (auto base = fromEnvironment("CORVANE_MAIN_BASE_URL"); base.length())
        return base;
    return NSString::stringWithFormat("http://%@:3600/Tessalane/resource/", mainServiceHost());
}

NSString builtInPaymentBaseURL()
{
    if (auto base = fromEnvironment("CORVANE_PAYMENT_BASE_URL"); base.length())
        return base;
    return NSString::stringWithFormat("http://%s/PayMent/resource/SYSBL/BRENLOW/DTTM/PUBL/ZXZF/", CORVANE_PAYMENT_HOST);
}

} // namespace ServiceHosts

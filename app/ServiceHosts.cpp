#include "app/ServiceHosts.h"

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

NSString builtInMainBaseURL()
{
    return NSString::stringWithFormat("http://%@:3600/Tessalane/resource/", mainServiceHost());
}

NSString builtInPaymentBaseURL()
{
    return NSString::stringWithFormat("http://%s/PayMent/resource/SYSBL/BRENLOW/DTTM/PUBL/ZXZF/", CORVANE_PAYMENT_HOST);
}

} // namespace ServiceHosts

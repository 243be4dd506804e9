#include "platform/sysconfig/CaptiveNetwork.h"

std::shared_ptr<NSArray> CNCopySupportedInterfaces()
{
    return nullptr;
}

std::shared_ptr<NSDictionary> CNCopyCurrentNetworkInfo(const NSString&)
{
    return nullptr;
}

#include "platform/uikit/UIDevice.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSNotificationCenter.h"

#include <mutex>
#include <unistd.h>

namespace {

std::mutex versionMutex;
NSString& storedVersion()
{
    static NSString version = "8.1";
    return version;
}

} // namespace

std::shared_ptr<UIDevice> UIDevice::currentDevice()
{
    static const auto device = create();
    return device;
}

NSString UIDevice::systemVersion() const
{
    std::lock_guard lock(versionMutex);
    return storedVersion();
}

void UIDevice::setSystemVersion(const NSString& version)
{
    std::lock_guard lock(versionMutex);
    storedVersion() = version;
}

NSString UIDevice::name() const
{
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0)
        return "Corvane";
    return NSString(host);
}

void UIDevice::endGeneratingDeviceOrientationNotifications()
{
    if (m_generatingOrientation > 0)
        --m_generatingOrientation;
}

void UIDevice::setOrientation(UIDeviceOrientation orientation)
{
    NSAssertMainThread();
    if (m_orientation == orientation)
        return;
    m_orientation = orientation;
    if (isGeneratingDeviceOrientationNotifications())
        NSNotificationCenter::defaultCenter()->postNotificationName(UIDeviceOrientationDidChangeNotification, self(), nullptr);
}

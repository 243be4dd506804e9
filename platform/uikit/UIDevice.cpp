#include "platform/uikit/UIDevice.h"

#include "platform/foundation/Guarded.h"
#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSNotificationCenter.h"

#include <atomic>

#include <unistd.h>

namespace {

Guarded<NSString>& storedVersion()
{
    static Guarded<NSString> version { "8.1" };
    return version;
}

std::atomic<UIUserInterfaceIdiom> g_idiom { UIUserInterfaceIdiom::Phone };

} // namespace

std::shared_ptr<UIDevice> UIDevice::currentDevice()
{
    static const auto device = create();
    return device;
}

NSString UIDevice::systemVersion() const
{
    return *storedVersion().lock();
}

void UIDevice::setSystemVersion(const NSString& version)
{
    *storedVersion().lock() = version;
}

UIUserInterfaceIdiom UIDevice::userInterfaceIdiom() const
{
    return g_idiom.load();
}

void UIDevice::setUserInterfaceIdiom(UIUserInterfaceIdiom idiom)
{
    g_idiom.store(idiom);
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

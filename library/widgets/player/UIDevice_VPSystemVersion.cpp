#include "library/widgets/player/UIDevice_VPSystemVersion.h"

#include "platform/uikit/UIDevice.h"

#include <mutex>

namespace VPSystemVersion {

float iOSVersion()
{
    static std::once_flag once;
    static float version = 0;
    std::call_once(once, [] { version = UIDevice::currentDevice()->systemVersion().floatValue(); });
    return version;
}

} // namespace VPSystemVersion

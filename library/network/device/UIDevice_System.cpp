#include "library/network/device/UIDevice_System.h"

namespace {

bool systemVersionIsAtLeast(const char* version)
{
    return UIDevice::currentDevice()->systemVersion().compare(version, NSNumericSearch) != NSOrderedAscending;
}

} // namespace

namespace UIDevice_System {

bool isSystemGreaterEqualOS5(const std::shared_ptr<UIDevice>&) { return systemVersionIsAtLeast("5.0"); }
bool isSystemGreaterEqualOS6(const std::shared_ptr<UIDevice>&) { return systemVersionIsAtLeast("6.0"); }
bool isSystemGreaterEqualOS7(const std::shared_ptr<UIDevice>&) { return systemVersionIsAtLeast("7.0"); }
bool isSystemGreaterEqualOS8(const std::shared_ptr<UIDevice>&) { return systemVersionIsAtLeast("8.0"); }

} // namespace UIDevice_System

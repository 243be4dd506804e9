#pragma once
// Tests of the running system's version; the receiving device plays no part.

#include "platform/uikit/UIDevice.h"

namespace UIDevice_System {

bool isSystemGreaterEqualOS5(const std::shared_ptr<UIDevice>& device);
bool isSystemGreaterEqualOS6(const std::shared_ptr<UIDevice>& device);
bool isSystemGreaterEqualOS7(const std::shared_ptr<UIDevice>& device);
bool isSystemGreaterEqualOS8(const std::shared_ptr<UIDevice>& device);

} // namespace UIDevice_System

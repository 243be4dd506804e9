#pragma once

#include "platform/foundation/NSObjCRuntime.h"

// The JSON reading options, as the platform numbers them. Leaves are always immutable text.
enum NSJSONReadingOptions : NSUInteger {
    NSJSONReadingMutableContainers = 1 << 0,
    NSJSONReadingMutableLeaves = 1 << 1,
    NSJSONReadingAllowFragments = 1 << 2,
};

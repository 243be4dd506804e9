#include "platform/foundation/NSObjCRuntime.h"

#include <algorithm>

NSRange NSIntersectionRange(NSRange a, NSRange b)
{
    const NSUInteger start = std::max(a.location, b.location);
    const NSUInteger end = std::min(a.end(), b.end());
    return end > start ? NSMakeRange(start, end - start) : NSMakeRange(0, 0);
}

NSRange NSUnionRange(NSRange a, NSRange b)
{
    const NSUInteger start = std::min(a.location, b.location);
    return NSMakeRange(start, std::max(a.end(), b.end()) - start);
}

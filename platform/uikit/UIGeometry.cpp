#include "platform/uikit/UIGeometry.h"

#include <cstdio>

namespace {

// Shortest text that reads back as the same number, without a trailing ".0".
std::string number(CGFloat value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.15g", value == 0 ? 0.0 : value);
    return buffer;
}

} // namespace

NSString NSStringFromCGPoint(CGPoint point)
{
    return NSString("{" + number(point.x) + ", " + number(point.y) + "}");
}

NSString NSStringFromCGSize(CGSize size)
{
    return NSString("{" + number(size.width) + ", " + number(size.height) + "}");
}

NSString NSStringFromCGRect(CGRect rect)
{
    return NSString("{" + std::string(NSStringFromCGPoint(rect.origin).UTF8String()) + ", "
        + std::string(NSStringFromCGSize(rect.size).UTF8String()) + "}");
}

NSString NSStringFromUIEdgeInsets(UIEdgeInsets insets)
{
    return NSString("{" + number(insets.top) + ", " + number(insets.left) + ", " + number(insets.bottom) + ", "
        + number(insets.right) + "}");
}

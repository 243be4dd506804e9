#include "framework/Source/PEUtilities.h"

#include "framework/Source/PELineStyle.h"
#include "platform/graphics/UIGraphics.h"

#include <charconv>
#include <cmath>
#include <string>

NSDecimal PEDecimalWithChar(signed char value) { return ns::decimalWithLongLong(value); }
NSDecimal PEDecimalWithShort(short value) { return ns::decimalWithLongLong(value); }
NSDecimal PEDecimalWithInt(int value) { return ns::decimalWithLongLong(value); }
NSDecimal PEDecimalWithLong(long value) { return ns::decimalWithLongLong(value); }
NSDecimal PEDecimalWithLongLong(long long value) { return ns::decimalWithLongLong(value); }
NSDecimal PEDecimalWithUnsignedChar(unsigned char value) { return ns::decimalWithUnsignedLongLong(value); }
NSDecimal PEDecimalWithUnsignedShort(unsigned short value) { return ns::decimalWithUnsignedLongLong(value); }
NSDecimal PEDecimalWithUnsignedInt(unsigned int value) { return ns::decimalWithUnsignedLongLong(value); }
NSDecimal PEDecimalWithUnsignedLong(unsigned long value) { return ns::decimalWithUnsignedLongLong(value); }
NSDecimal PEDecimalWithUnsignedLongLong(unsigned long long value) { return ns::decimalWithUnsignedLongLong(value); }
NSDecimal PEDecimalWithInteger(NSInteger value) { return ns::decimalWithLongLong(value); }

NSDecimal PEDecimalWithDouble(double value)
{
    if (!std::isfinite(value))
        return PEDecimalNotANumber();
    // Six places as "%f" gives them, written without the C locale so a comma-decimal LC_NUMERIC
    // cannot turn the text into something the scanner stops at.
    char buffer[400];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    if (result.ec != std::errc())
        return PEDecimalNotANumber();
    std::u16string text(buffer, result.ptr);
    std::size_t position = 0;
    NSDecimal decimal;
    if (!ns::scanDecimal(text, position, decimal))
        return PEDecimalNotANumber();
    NSDecimalCompact(&decimal);
    return decimal;
}

NSDecimal PEDecimalWithFloat(float value) { return PEDecimalWithDouble(value); }
NSDecimal PEDecimalWithCGFloat(CGFloat value) { return PEDecimalWithDouble(value); }

signed char PEDecimalAsChar(const NSDecimal& decimal) { return static_cast<signed char>(ns::decimalLongLongValue(decimal)); }
short PEDecimalAsShort(const NSDecimal& decimal) { return static_cast<short>(ns::decimalLongLongValue(decimal)); }
long PEDecimalAsLong(const NSDecimal& decimal) { return static_cast<long>(ns::decimalLongLongValue(decimal)); }
long long PEDecimalAsLongLong(const NSDecimal& decimal) { return ns::decimalLongLongValue(decimal); }
unsigned char PEDecimalAsUnsignedChar(const NSDecimal& decimal) { return static_cast<unsigned char>(ns::decimalUnsignedLongLongValue(decimal)); }
unsigned short PEDecimalAsUnsignedShort(const NSDecimal& decimal) { return static_cast<unsigned short>(ns::decimalUnsignedLongLongValue(decimal)); }
unsigned long PEDecimalAsUnsignedLong(const NSDecimal& decimal) { return static_cast<unsigned long>(ns::decimalUnsignedLongLongValue(decimal)); }
unsigned long long PEDecimalAsUnsignedLongLong(const NSDecimal& decimal) { return ns::decimalUnsignedLongLongValue(decimal); }
float PEDecimalAsFloat(const NSDecimal& decimal) { return static_cast<float>(ns::decimalDoubleValue(decimal)); }
double PEDecimalAsDouble(const NSDecimal& decimal) { return ns::decimalDoubleValue(decimal); }
CGFloat PEDecimalAsCGFloat(const NSDecimal& decimal) { return ns::decimalDoubleValue(decimal); }

NSDecimal PEDecimalSum(const NSDecimal& a, const NSDecimal& b)
{
    NSDecimal result;
    NSDecimalAdd(&result, &a, &b, NSRoundBankers);
    return result;
}

NSDecimal PEDecimalDifference(const NSDecimal& a, const NSDecimal& b)
{
    NSDecimal result;
    NSDecimalSubtract(&result, &a, &b, NSRoundBankers);
    return result;
}

NSDecimal PEDecimalProduct(const NSDecimal& a, const NSDecimal& b)
{
    NSDecimal result;
    NSDecimalMultiply(&result, &a, &b, NSRoundBankers);
    return result;
}

NSDecimal PEDecimalQuotient(const NSDecimal& a, const NSDecimal& b)
{
    NSDecimal result;
    NSDecimalDivide(&result, &a, &b, NSRoundBankers);
    return result;
}

bool PEDecimalIsLess(const NSDecimal& a, const NSDecimal& b) { return NSDecimalCompare(&a, &b) == NSOrderedAscending; }
bool PEDecimalIsLessOrEqual(const NSDecimal& a, const NSDecimal& b) { return NSDecimalCompare(&a, &b) != NSOrderedDescending; }
bool PEDecimalIsGreater(const NSDecimal& a, const NSDecimal& b) { return NSDecimalCompare(&a, &b) == NSOrderedDescending; }
bool PEDecimalIsGreaterOrEqual(const NSDecimal& a, const NSDecimal& b) { return NSDecimalCompare(&a, &b) != NSOrderedAscending; }
bool PEDecimalIsEqual(const NSDecimal& a, const NSDecimal& b) { return NSDecimalCompare(&a, &b) == NSOrderedSame; }

NSDecimal PEDecimalNotANumber() { return ns::decimalNotANumber(); }

NSDecimal PEDecimalFromString(const NSString& text)
{
    std::u16string_view characters = text.view();
    std::size_t position = 0;
    NSDecimal decimal;
    if (!ns::scanDecimal(characters, position, decimal) || position != characters.size())
        return PEDecimalNotANumber();
    return decimal;
}

PECoordinate PEOtherCoordinate(PECoordinate coordinate)
{
    return coordinate == PECoordinateX ? PECoordinateY : PECoordinateX;
}

namespace {

CGFloat alignedToPixelCentre(CGFloat value) { return std::round(value - 0.5) + 0.5; }

} // namespace

CGPoint PEPixelAlignPoint(const CGContextRef& context, CGPoint point)
{
    CGPoint device = CGContextConvertPointToDeviceSpace(context, point);
    device.x = alignedToPixelCentre(device.x);
    device.y = alignedToPixelCentre(device.y);
    return CGContextConvertPointToUserSpace(context, device);
}

CGPoint PEPixelSnapPoint(const CGContextRef& context, CGPoint point)
{
    CGPoint device = CGContextConvertPointToDeviceSpace(context, point);
    device.x = std::round(device.x);
    device.y = std::round(device.y);
    return CGContextConvertPointToUserSpace(context, device);
}

CGRect PEPixelAlignRect(const CGContextRef& context, CGRect rect)
{
    CGRect device = CGContextConvertRectToDeviceSpace(context, rect);
    CGFloat x = std::round(device.origin.x - 0.5);
    CGFloat y = std::round(device.origin.y - 0.5);
    CGRect aligned {
        { x + 0.5, y + 0.5 },
        { std::round(device.origin.x + device.size.width - 0.5) - x, std::round(device.origin.y + device.size.height - 0.5) - y },
    };
    return CGContextConvertRectToUserSpace(context, aligned);
}

CGRect PEPixelSnapRect(const CGContextRef& context, CGRect rect)
{
    CGRect device = CGContextConvertRectToDeviceSpace(context, rect);
    CGFloat x = std::round(device.origin.x);
    CGFloat y = std::round(device.origin.y);
    CGRect snapped {
        { x, y },
        { std::round(device.origin.x + device.size.width) - x, std::round(device.origin.y + device.size.height) - y },
    };
    return CGContextConvertRectToUserSpace(context, snapped);
}

CGRect PEPixelAlignBorderedRect(const CGContextRef& context, CGRect rect, const std::shared_ptr<PELineStyle>& lineStyle)
{
    CGFloat width = lineStyle ? lineStyle->lineWidth() : 0;
    CGSize unit = CGContextConvertSizeToDeviceSpace(context, CGSize { 1, 1 });
    bool scaled = std::abs(unit.width) != 1.0;
    if (rect.size.height != 0 && scaled && width > 0 && width == std::round(width))
        return PEPixelSnapRect(context, rect);
    return PEPixelAlignRect(context, rect);
}

CGPathRef PENewRoundedRectPath(CGRect rect, CGFloat radius)
{
    CGMutablePathRef path = CGPathCreateMutable();
    if (radius > 0) {
        radius = std::min(radius, std::min(0.5 * std::abs(rect.size.width), 0.5 * std::abs(rect.size.height)));
        CGFloat minX = CGRectGetMinX(rect), midX = CGRectGetMidX(rect), maxX = CGRectGetMaxX(rect);
        CGFloat minY = CGRectGetMinY(rect), midY = CGRectGetMidY(rect), maxY = CGRectGetMaxY(rect);
        CGPathMoveToPoint(path, nullptr, minX, midY);
        CGPathAddArcToPoint(path, nullptr, minX, minY, midX, minY, radius);
        CGPathAddArcToPoint(path, nullptr, maxX, minY, maxX, midY, radius);
        CGPathAddArcToPoint(path, nullptr, maxX, maxY, midX, maxY, radius);
        CGPathAddArcToPoint(path, nullptr, minX, maxY, minX, midY, radius);
        CGPathCloseSubpath(path);
    } else {
        CGPathAddRect(path, nullptr, rect);
    }
    return path;
}

void PEAddRoundedRectPathToContext(const CGContextRef& context, CGRect rect, CGFloat radius)
{
    CGContextAddPath(context, PENewRoundedRectPath(rect, radius));
}

CGFloat PEPointDistanceSquared(CGPoint a, CGPoint b)
{
    CGFloat dx = a.x - b.x;
    CGFloat dy = a.y - b.y;
    return dx * dx + dy * dy;
}

NSString PEPointDescription(CGPoint point)
{
    return NSString::stringWithFormat("{%g, %g}", point.x, point.y);
}

void PEPushPlatformContext(const CGContextRef& context) { UIGraphicsPushContext(context); }
void PEPopPlatformContext() { UIGraphicsPopContext(); }

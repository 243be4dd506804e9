#include "framework/Source/NSCoder_PEExtensions.h"

#include "framework/Source/PEUtilities.h"
#include "platform/foundation/NSDecimalNumber.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSNumber.h"
#include "platform/graphics/CGDataProvider.h"
#include "platform/text/NSAttributedString.h"

#include <vector>

namespace NSCoder_PEExtensions {

namespace {

NSString derivedKey(const NSString& key, const char* suffix) { return NSString::stringWithFormat("%@%s", key, suffix); }

NSString elementKey(const NSString& key, unsigned long index, const char* part)
{
    return NSString::stringWithFormat("%@[%lu].%s", key, index, part);
}

// Paths are walked element by element from the archive; beyond this the archive is refused
// rather than read for ever.
constexpr NSInteger maximumPathElements = 1 << 20;
// Two bounds per component; no colour model has more components than this.
constexpr std::int64_t maximumComponents = 32;

} // namespace

void encodeCGFloat(NSCoder& coder, CGFloat number, const NSString& key) { coder.encodeDouble(number, key); }

void encodePEPoint(NSCoder& coder, CGPoint point, const NSString& key)
{
    encodeCGFloat(coder, point.x, derivedKey(key, ".x"));
    encodeCGFloat(coder, point.y, derivedKey(key, ".y"));
}

void encodePESize(NSCoder& coder, CGSize size, const NSString& key)
{
    encodeCGFloat(coder, size.width, derivedKey(key, ".width"));
    encodeCGFloat(coder, size.height, derivedKey(key, ".height"));
}

void encodePERect(NSCoder& coder, CGRect rect, const NSString& key)
{
    encodePEPoint(coder, rect.origin, derivedKey(key, ".origin"));
    encodePESize(coder, rect.size, derivedKey(key, ".size"));
}

void encodeCGColorSpace(NSCoder&, const CGColorSpaceRef&, const NSString&)
{
    NSLog("Color space encoding is not supported on iOS. Decoding will return a generic RGB color space.");
}

void encodeCGPath(NSCoder& coder, const CGPathRef& path, const NSString& key)
{
    struct Record {
        CGPathElementType type;
        CGPoint points[3];
    };
    std::vector<Record> records;
    if (path) {
        CGPathApply(path, [&records](const CGPathElement& element) {
            Record record { element.type, {} };
            const int pointCount = element.type == kCGPathElementAddCurveToPoint ? 3
                : element.type == kCGPathElementAddQuadCurveToPoint             ? 2
                : element.type <= kCGPathElementAddLineToPoint                  ? 1
                                                                                : 0;
            for (int i = 0; i < pointCount; ++i)
                record.points[i] = element.points[i];
            records.push_back(record);
        });
    }
    coder.encodeInteger(static_cast<NSInteger>(records.size()), derivedKey(key, ".count"));
    for (unsigned long i = 0; i < records.size(); ++i) {
        const Record& record = records[i];
        coder.encodeInt(record.type, elementKey(key, i, "type"));
        switch (record.type) {
        case kCGPathElementAddCurveToPoint:
            encodePEPoint(coder, record.points[2], elementKey(key, i, "point3"));
            [[fallthrough]];
        case kCGPathElementAddQuadCurveToPoint:
            encodePEPoint(coder, record.points[1], elementKey(key, i, "point2"));
            [[fallthrough]];
        case kCGPathElementMoveToPoint:
        case kCGPathElementAddLineToPoint:
            encodePEPoint(coder, record.points[0], elementKey(key, i, "point1"));
            break;
        default:
            break;
        }
    }
}

void encodeCGImage(NSCoder& coder, const CGImageRef& image, const NSString& key)
{
    if (!image)
        return;
    coder.encodeInt64(static_cast<std::int64_t>(CGImageGetWidth(image)), derivedKey(key, ".width"));
    coder.encodeInt64(static_cast<std::int64_t>(CGImageGetHeight(image)), derivedKey(key, ".height"));
    coder.encodeInt64(static_cast<std::int64_t>(CGImageGetBitsPerComponent(image)), derivedKey(key, ".bitsPerComponent"));
    coder.encodeInt64(static_cast<std::int64_t>(CGImageGetBitsPerPixel(image)), derivedKey(key, ".bitsPerPixel"));
    coder.encodeInt64(static_cast<std::int64_t>(CGImageGetBytesPerRow(image)), derivedKey(key, ".bytesPerRow"));
    encodeCGColorSpace(coder, CGImageGetColorSpace(image), derivedKey(key, ".colorSpace"));
    coder.encodeInt32(static_cast<std::int32_t>(CGImageGetBitmapInfo(image)), derivedKey(key, ".bitmapInfo"));
    std::vector<std::uint8_t> pixels = CGDataProviderCopyData(CGImageGetDataProvider(image));
    coder.encodeObject(NSData::dataWithBytes(std::move(pixels)), derivedKey(key, ".provider"));
    const std::vector<CGFloat>& decode = image->decode();
    if (!decode.empty()) {
        const std::size_t components = CGImageGetColorSpace(image) ? CGImageGetColorSpace(image)->numberOfComponents() : decode.size() / 2;
        coder.encodeInt64(static_cast<std::int64_t>(components), derivedKey(key, ".numberOfComponents"));
        for (std::size_t i = 0; i < components && 2 * i + 1 < decode.size(); ++i) {
            encodeCGFloat(coder, decode[2 * i], NSString::stringWithFormat("%@.decode[%zu].lower", key, i));
            encodeCGFloat(coder, decode[2 * i + 1], NSString::stringWithFormat("%@.decode[%zu].upper", key, i));
        }
    }
    coder.encodeBool(CGImageGetShouldInterpolate(image), derivedKey(key, ".shouldInterpolate"));
    coder.encodeInt(CGImageGetRenderingIntent(image), derivedKey(key, ".renderingIntent"));
}

void encodeDecimal(NSCoder& coder, const NSDecimal& number, const NSString& key)
{
    coder.encodeObject(NSDecimalNumber::decimalNumberWithDecimal(number), key);
}

void encodeObjectIfDecodable(NSCoder& coder, const id& object, const NSString& key)
{
    const auto* coding = dynamic_cast<const NSCoding*>(object.get());
    if (!coding)
        return;
    const char* name = coding->classNameForCoder() ? coding->classNameForCoder() : object->className();
    if (NSCoder::registeredClass(name))
        coder.encodeObject(object, key);
}

CGFloat decodeCGFloatForKey(NSCoder& coder, const NSString& key) { return coder.decodeDoubleForKey(key); }

id decodeIdentifierForKey(NSCoder& coder, const NSString& key)
{
    // Read as a link the layer does not keep: what is not a value is dropped, and an archive whose
    // identifier names an object still being decoded reads on without it.
    id identifier = coder.decodeWeakObjectForKey(key);
    if (ns::cast<NSStringObject>(identifier) || ns::cast<NSAttributedString>(identifier) || ns::cast<NSNumber>(identifier))
        return identifier->copy();
    return nullptr;
}

CGPoint decodePEPointForKey(NSCoder& coder, const NSString& key)
{
    return CGPointMake(decodeCGFloatForKey(coder, derivedKey(key, ".x")), decodeCGFloatForKey(coder, derivedKey(key, ".y")));
}

CGSize decodePESizeForKey(NSCoder& coder, const NSString& key)
{
    return CGSizeMake(decodeCGFloatForKey(coder, derivedKey(key, ".width")),
        decodeCGFloatForKey(coder, derivedKey(key, ".height")));
}

CGRect decodePERectForKey(NSCoder& coder, const NSString& key)
{
    CGRect rect;
    rect.origin = decodePEPointForKey(coder, derivedKey(key, ".origin"));
    rect.size = decodePESizeForKey(coder, derivedKey(key, ".size"));
    return rect;
}

CGColorSpaceRef newCGColorSpaceDecodeForKey(NSCoder&, const NSString&)
{
    NSLog("Color space decoding is not supported on iOS. Using generic RGB color space.");
    return CGColorSpaceCreateDeviceRGB();
}

CGMutablePathRef newCGPathDecodeForKey(NSCoder& coder, const NSString& key)
{
    auto path = CGPathCreateMutable();
    const NSInteger count = coder.decodeIntegerForKey(derivedKey(key, ".count"));
    if (count < 0 || count > maximumPathElements)
        return nullptr;
    for (NSInteger i = 0; i < count; ++i) {
        const unsigned long index = static_cast<unsigned long>(i);
        // Each element the count promises must be there: a count larger than the archive is a
        // damaged archive, not a run of moves to the origin.
        if (!coder.containsValueForKey(elementKey(key, index, "type")))
            return nullptr;
        const int type = coder.decodeIntForKey(elementKey(key, index, "type"));
        CGPoint point1 = CGPointZero;
        CGPoint point2 = CGPointZero;
        CGPoint point3 = CGPointZero;
        if (type == kCGPathElementAddCurveToPoint)
            point3 = decodePEPointForKey(coder, elementKey(key, index, "point3"));
        if (type == kCGPathElementAddCurveToPoint || type == kCGPathElementAddQuadCurveToPoint)
            point2 = decodePEPointForKey(coder, elementKey(key, index, "point2"));
        if (type >= kCGPathElementMoveToPoint && type <= kCGPathElementAddCurveToPoint)
            point1 = decodePEPointForKey(coder, elementKey(key, index, "point1"));
        switch (type) {
        case kCGPathElementMoveToPoint:
            CGPathMoveToPoint(path, nullptr, point1.x, point1.y);
            break;
        case kCGPathElementAddLineToPoint:
            CGPathAddLineToPoint(path, nullptr, point1.x, point1.y);
            break;
        case kCGPathElementAddQuadCurveToPoint:
            CGPathAddQuadCurveToPoint(path, nullptr, point1.x, point1.y, point2.x, point2.y);
            break;
        case kCGPathElementAddCurveToPoint:
            CGPathAddCurveToPoint(path, nullptr, point1.x, point1.y, point2.x, point2.y, point3.x, point3.y);
            break;
        case kCGPathElementCloseSubpath:
            CGPathCloseSubpath(path);
            break;
        default:
            break;
        }
    }
    return path;
}

CGImageRef newCGImageDecodeForKey(NSCoder& coder, const NSString& key)
{
    const std::int64_t width = coder.decodeInt64ForKey(derivedKey(key, ".width"));
    const std::int64_t height = coder.decodeInt64ForKey(derivedKey(key, ".height"));
    const std::int64_t bitsPerComponent = coder.decodeInt64ForKey(derivedKey(key, ".bitsPerComponent"));
    const std::int64_t bitsPerPixel = coder.decodeInt64ForKey(derivedKey(key, ".bitsPerPixel"));
    const std::int64_t bytesPerRow = coder.decodeInt64ForKey(derivedKey(key, ".bytesPerRow"));
    CGColorSpaceRef colorSpace = newCGColorSpaceDecodeForKey(coder, derivedKey(key, ".colorSpace"));
    const auto bitmapInfo = static_cast<CGBitmapInfo>(coder.decodeInt32ForKey(derivedKey(key, ".bitmapInfo")));
    auto pixels = coder.decodeObjectOfClass<NSData>(derivedKey(key, ".provider"));
    if (width <= 0 || height <= 0 || bitsPerComponent <= 0 || bitsPerPixel <= 0 || bytesPerRow <= 0 || !pixels)
        return nullptr;
    CGDataProviderRef provider = CGDataProviderCreateWithCFData(std::span<const std::uint8_t>(pixels->bytes(), pixels->length()));

    std::vector<CGFloat> decode;
    const std::int64_t components = coder.decodeInt64ForKey(derivedKey(key, ".numberOfComponents"));
    if (components != 0) {
        // The decode array is read by the colour space's component count, so it must match it.
        if (components < 0 || components > maximumComponents
            || static_cast<std::size_t>(components) != colorSpace->numberOfComponents())
            return nullptr;
        for (std::int64_t i = 0; i < components; ++i) {
            decode.push_back(decodeCGFloatForKey(coder, NSString::stringWithFormat("%@.decode[%zu].lower", key, static_cast<std::size_t>(i))));
            decode.push_back(decodeCGFloatForKey(coder, NSString::stringWithFormat("%@.decode[%zu].upper", key, static_cast<std::size_t>(i))));
        }
    }
    const bool shouldInterpolate = coder.decodeBoolForKey(derivedKey(key, ".shouldInterpolate"));
    const auto intent = static_cast<CGColorRenderingIntent>(coder.decodeIntForKey(derivedKey(key, ".renderingIntent")));
    return CGImageCreate(static_cast<std::size_t>(width), static_cast<std::size_t>(height),
        static_cast<std::size_t>(bitsPerComponent), static_cast<std::size_t>(bitsPerPixel),
        static_cast<std::size_t>(bytesPerRow), colorSpace, bitmapInfo, provider, decode.empty() ? nullptr : decode.data(),
        shouldInterpolate, intent);
}

NSDecimal decodeDecimalForKey(NSCoder& coder, const NSString& key)
{
    if (auto number = ns::cast<NSNumber>(coder.decodeObjectForKey(key)))
        return ns::decimalValue(*number);
    return PEDecimalNotANumber();
}

} // namespace NSCoder_PEExtensions

#include "library/network/shared/RIImageDecoding.h"

#include "platform/foundation/NSBundle.h"
#include "platform/foundation/TypedValues.h"
#include "platform/graphics/CGBitmapContext.h"
#include "platform/graphics/CGContext.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/imageio/CGImageSource.h"
#include "platform/uikit/UIScreen.h"

#include <webp/decode.h>

#include <cstring>

namespace {

bool isAnimated(const UIImageRef& image) { return image && !image->images().empty(); }

UIImageRef rebuilt(const UIImageRef& image, CGFloat scale, UIImageOrientation orientation)
{
    if (!image || !image->CGImage())
        return image;
    return UIImage::imageWithCGImage(image->CGImage(), scale, orientation);
}

} // namespace

NSString NSData_ImageContentType::ri_contentTypeForImageData(const std::shared_ptr<NSData>& data)
{
    if (!data || data->length() == 0)
        return NSString();
    switch (data->bytes()[0]) {
    case 0xFF:
        return "image/jpeg";
    case 0x89:
        return "image/png";
    case 0x47:
        return "image/gif";
    case 0x49:
    case 0x4D:
        return "image/tiff";
    case 0x52:
        if (data->length() >= 12) {
            const std::string head(reinterpret_cast<const char*>(data->bytes()), 12);
            if (head.starts_with("RIFF") && head.ends_with("WEBP"))
                return "image/webp";
        }
        return NSString();
    default:
        return NSString();
    }
}

UIImageOrientation UIImage_MultiFormat::ri_exifOrientationToiOSOrientation(std::int32_t exifOrientation)
{
    switch (exifOrientation) {
    case 2:
        return UIImageOrientationUpMirrored;
    case 3:
        return UIImageOrientationDown;
    case 4:
        return UIImageOrientationDownMirrored;
    case 5:
        return UIImageOrientationLeftMirrored;
    case 6:
        return UIImageOrientationRight;
    case 7:
        return UIImageOrientationRightMirrored;
    case 8:
        return UIImageOrientationLeft;
    default:
        return UIImageOrientationUp;
    }
}

UIImageOrientation UIImage_MultiFormat::ri_imageOrientationFromImageData(const std::shared_ptr<NSData>& data)
{
    auto source = data ? CGImageSourceCreateWithData(data) : nullptr;
    if (!source)
        return UIImageOrientationUp;
    auto properties = CGImageSourceCopyPropertiesAtIndex(source, 0);
    if (!properties || !properties->objectForKey(kCGImagePropertyOrientation))
        return UIImageOrientationUp;
    return ri_exifOrientationToiOSOrientation(ns::intForKey(properties, kCGImagePropertyOrientation));
}

UIImageRef UIImage_MultiFormat::ri_imageWithData(const std::shared_ptr<NSData>& data)
{
    const NSString type = NSData_ImageContentType::ri_contentTypeForImageData(data);
    if (type == "image/gif")
        return UIImage_GIF::ri_animatedGIFWithData(data);
    if (type == "image/webp") {
        auto bitmap = RICreateImageFromWebPData(data);
        return bitmap ? UIImage::imageWithCGImage(bitmap) : nullptr;
    }
    auto image = UIImage::imageWithData(data);
    if (!image)
        return nullptr;
    const auto orientation = ri_imageOrientationFromImageData(data);
    if (orientation != UIImageOrientationUp)
        image = rebuilt(image, image->scale(), orientation);
    return image;
}

float UIImage_GIF::ri_frameDurationAtIndex(NSUInteger index, const CGImageSourceRef& source)
{
    float duration = 0.1f;
    auto gif = ns::dictionaryForKey(CGImageSourceCopyPropertiesAtIndex(source, index), kCGImagePropertyGIFDictionary);
    if (gif && gif->objectForKey(kCGImagePropertyGIFUnclampedDelayTime))
        duration = ns::floatValue(gif->objectForKey(kCGImagePropertyGIFUnclampedDelayTime));
    else if (gif && gif->objectForKey(kCGImagePropertyGIFDelayTime))
        duration = ns::floatValue(gif->objectForKey(kCGImagePropertyGIFDelayTime));
    if (duration < 0.011f)
        duration = 0.1f;
    return duration;
}

UIImageRef UIImage_GIF::ri_animatedGIFWithData(const std::shared_ptr<NSData>& data)
{
    if (!data)
        return nullptr;
    auto source = CGImageSourceCreateWithData(data);
    if (!source)
        return UIImage::imageWithData(data);
    const std::size_t count = CGImageSourceGetCount(source);
    if (count <= 1)
        return UIImage::imageWithData(data);
    std::vector<UIImageRef> frames;
    double total = 0;
    const CGFloat scale = UIScreen::mainScreen()->scale();
    for (std::size_t index = 0; index < count; ++index) {
        auto bitmap = CGImageSourceCreateImageAtIndex(source, index);
        // A frame that cannot be read ends the animation with the frames read before it.
        if (!bitmap)
            break;
        total += ri_frameDurationAtIndex(index, source);
        frames.push_back(UIImage::imageWithCGImage(bitmap, scale, UIImageOrientationUp));
    }
    if (frames.empty())
        return nullptr;
    if (total == 0)
        total = static_cast<float>(frames.size()) * 0.1f;
    return UIImage::animatedImageWithImages(frames, total);
}

UIImageRef UIImage_GIF::ri_animatedGIFNamed(const NSString& name)
{
    auto bundle = NSBundle::mainBundle();
    if (UIScreen::mainScreen()->scale() > 1.0) {
        NSString path = bundle->pathForResource(name.stringByAppendingString("@2x"), "gif");
        if (auto data = path.isNil() ? nullptr : NSData::dataWithContentsOfFile(path))
            return ri_animatedGIFWithData(data);
    }
    NSString path = bundle->pathForResource(name, "gif");
    if (auto data = path.isNil() ? nullptr : NSData::dataWithContentsOfFile(path))
        return ri_animatedGIFWithData(data);
    return UIImage::imageNamed(name);
}

UIImageRef UIImage_GIF::ri_animatedImageByScalingAndCroppingToSize(const UIImageRef& image, CGSize size)
{
    if (!image)
        return nullptr;
    const CGSize own = image->size();
    if ((size.width == own.width && size.height == own.height) || (size.width == 0 && size.height == 0))
        return image;
    if (own.width <= 0 || own.height <= 0)
        return image;
    const CGFloat widthFactor = size.width / own.width;
    const CGFloat heightFactor = size.height / own.height;
    const CGFloat scaleFactor = widthFactor > heightFactor ? widthFactor : heightFactor;
    const CGSize scaled { own.width * scaleFactor, own.height * scaleFactor };
    CGPoint origin { 0, 0 };
    if (widthFactor > heightFactor)
        origin.y = (size.height - scaled.height) * 0.5;
    else if (widthFactor < heightFactor)
        origin.x = (size.width - scaled.width) * 0.5;
    std::vector<UIImageRef> frames;
    UIGraphicsBeginImageContextWithOptions(size, false, 0);
    const auto& source = image->images().empty() ? std::vector<UIImageRef> { image } : image->images();
    for (const auto& frame : source) {
        CGContextClearRect(UIGraphicsGetCurrentContext(), CGRect { { 0, 0 }, size });
        frame->drawInRect(CGRect { origin, scaled });
        if (auto drawn = UIGraphicsGetImageFromCurrentImageContext())
            frames.push_back(drawn);
    }
    UIGraphicsEndImageContext();
    return UIImage::animatedImageWithImages(frames, image->duration());
}

UIImageRef UIImage_ForceDecode::decodedImageWithImage(const UIImageRef& image)
{
    if (!image || isAnimated(image) || !image->CGImage())
        return image;
    const auto bitmap = image->CGImage();
    const std::size_t width = CGImageGetWidth(bitmap);
    const std::size_t height = CGImageGetHeight(bitmap);
    auto space = CGColorSpaceCreateDeviceRGB();
    const std::size_t components = CGColorSpaceGetNumberOfComponents(space);
    CGBitmapInfo info = CGImageGetBitmapInfo(bitmap);
    const std::uint32_t alpha = info & kCGBitmapAlphaInfoMask;
    if (alpha == kCGImageAlphaNone && components > 1) {
        info = (info & ~kCGBitmapAlphaInfoMask) | kCGImageAlphaNoneSkipFirst;
    } else if (alpha != kCGImageAlphaNone && alpha != kCGImageAlphaNoneSkipLast && alpha != kCGImageAlphaNoneSkipFirst
        && components == 3) {
        info = (info & ~kCGBitmapAlphaInfoMask) | kCGImageAlphaPremultipliedFirst;
    }
    auto context = CGBitmapContextCreate(nullptr, width, height, CGImageGetBitsPerComponent(bitmap), 0, space, info);
    if (!context)
        return image;
    CGContextDrawImage(context, CGRect { { 0, 0 }, { CGFloat(width), CGFloat(height) } }, bitmap);
    auto decoded = CGBitmapContextCreateImage(context);
    if (!decoded)
        return image;
    return UIImage::imageWithCGImage(decoded, image->scale(), image->imageOrientation());
}

UIImageRef RIScaledImageForKey(const NSString& key, const UIImageRef& image)
{
    if (!image)
        return nullptr;
    if (isAnimated(image)) {
        std::vector<UIImageRef> frames;
        for (const auto& frame : image->images())
            frames.push_back(RIScaledImageForKey(key, frame));
        return UIImage::animatedImageWithImages(frames, image->duration());
    }
    CGFloat scale = 1.0;
    // The window is counted in characters: a key with Chinese in it is longer in bytes.
    const NSUInteger length = key.isNil() ? 0 : key.length();
    if (length >= 8 && key.substringWithRange(NSMakeRange(length - 8, 5)).containsString("@2x."))
        scale = 2.0;
    return rebuilt(image, scale, image->imageOrientation());
}

CGImageRef RICreateImageFromWebPData(const std::shared_ptr<NSData>& data)
{
    if (!data || data->length() == 0)
        return nullptr;
    int width = 0;
    int height = 0;
    if (!WebPGetInfo(data->bytes(), data->length(), &width, &height) || width <= 0 || height <= 0
        || std::size_t(width) > kImageDecoderMaximumSide || std::size_t(height) > kImageDecoderMaximumSide
        || std::size_t(width) * std::size_t(height) > kImageDecoderMaximumPixels)
        return nullptr;
    const std::size_t stride = std::size_t(width) * 4;
    std::vector<std::uint8_t> pixels(stride * std::size_t(height));
    // Little-endian premultiplied ARGB is B, G, R, A in memory.
    if (!WebPDecodeBGRAInto(data->bytes(), data->length(), pixels.data(), pixels.size(), int(stride)))
        return nullptr;
    for (std::size_t offset = 0; offset < pixels.size(); offset += 4) {
        const unsigned alpha = pixels[offset + 3];
        if (alpha != 255) {
            for (std::size_t c = 0; c < 3; ++c)
                pixels[offset + c] = static_cast<std::uint8_t>((pixels[offset + c] * alpha + 127) / 255);
        }
    }
    return CGImageCreate(std::size_t(width), std::size_t(height), 8, 32, stride, CGColorSpaceCreateDeviceRGB(),
        CGBitmapInfo(kCGImageAlphaPremultipliedFirst) | kCGBitmapByteOrder32Little, CGDataProviderCreateWithCFData(std::move(pixels)), nullptr, true,
        kCGRenderingIntentDefault);
}

#include "platform/uikit/UIImage.h"

#include "platform/graphics/UIGraphics.h"
#include "platform/foundation/Guarded.h"
#include "platform/foundation/TypedValues.h"
#include "platform/imageio/CGImageSource.h"
#include "platform/imageio/ImageEncoder.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

namespace {

bool isQuarterTurn(UIImageOrientation orientation)
{
    return orientation == UIImageOrientationLeft || orientation == UIImageOrientationRight
        || orientation == UIImageOrientationLeftMirrored || orientation == UIImageOrientationRightMirrored;
}

// EXIF numbers the eight orientations differently.
UIImageOrientation orientationOfExif(int exif)
{
    switch (exif) {
    case 2: return UIImageOrientationUpMirrored;
    case 3: return UIImageOrientationDown;
    case 4: return UIImageOrientationDownMirrored;
    case 5: return UIImageOrientationLeftMirrored;
    case 6: return UIImageOrientationRight;
    case 7: return UIImageOrientationRightMirrored;
    case 8: return UIImageOrientationLeft;
    default: return UIImageOrientationUp;
    }
}

// Takes a point of the stored bitmap (laid out upright in a box of the stored sides) to where it
// is shown in a box of width by height.
CGAffineTransform orientationTransform(UIImageOrientation orientation, CGFloat width, CGFloat height)
{
    switch (orientation) {
    case UIImageOrientationDown: return { -1, 0, 0, -1, width, height };
    case UIImageOrientationLeft: return { 0, -1, 1, 0, 0, height };
    case UIImageOrientationRight: return { 0, 1, -1, 0, width, 0 };
    case UIImageOrientationUpMirrored: return { -1, 0, 0, 1, width, 0 };
    case UIImageOrientationDownMirrored: return { 1, 0, 0, -1, 0, height };
    case UIImageOrientationLeftMirrored: return { 0, 1, 1, 0, 0, 0 };
    case UIImageOrientationRightMirrored: return { 0, -1, -1, 0, width, height };
    default: return CGAffineTransformIdentity;
    }
}

// Draws a bitmap with its top row at the top of rect in a y-down context.
void drawUpright(const CGContextRef& context, const CGImageRef& image, CGRect rect)
{
    CGContextSaveGState(context);
    CGContextTranslateCTM(context, rect.origin.x, rect.origin.y + rect.size.height);
    CGContextScaleCTM(context, 1, -1);
    CGContextDrawImage(context, CGRectMake(0, 0, rect.size.width, rect.size.height), image);
    CGContextRestoreGState(context);
}

// Copies of a tile of the given size over rect, the first at its top left.
void drawTiled(const CGContextRef& context, const CGImageRef& image, CGRect rect, CGSize tile)
{
    if (tile.width <= 0 || tile.height <= 0)
        return;
    CGContextSaveGState(context);
    CGContextClipToRect(context, rect);
    CGContextTranslateCTM(context, rect.origin.x, rect.origin.y + tile.height);
    CGContextScaleCTM(context, 1, -1);
    CGContextDrawTiledImage(context, CGRectMake(0, 0, tile.width, tile.height), image);
    CGContextRestoreGState(context);
}

void drawOriented(const CGContextRef& context, const CGImageRef& image, UIImageOrientation orientation, CGRect rect)
{
    if (orientation == UIImageOrientationUp) {
        drawUpright(context, image, rect);
        return;
    }
    const CGFloat width = rect.size.width, height = rect.size.height;
    CGContextSaveGState(context);
    CGContextTranslateCTM(context, rect.origin.x, rect.origin.y);
    CGContextConcatCTM(context, orientationTransform(orientation, width, height));
    drawUpright(context, image, isQuarterTurn(orientation) ? CGRectMake(0, 0, height, width) : CGRectMake(0, 0, width, height));
    CGContextRestoreGState(context);
}

CGFloat sanitisedScale(CGFloat scale) { return std::isfinite(scale) && scale > 0 ? scale : 1; }

// Scale 2 for "name@2x.png", 3 for "name@3x.png", else 1.
CGFloat scaleOfFileName(const NSString& path)
{
    const NSString stem = path.lastPathComponent().stringByDeletingPathExtension();
    if (stem.hasSuffix("@2x"))
        return 2;
    if (stem.hasSuffix("@3x"))
        return 3;
    return 1;
}

// Images by bundle and name, while someone holds them.
using NamedImages = Guarded<std::map<std::string, std::weak_ptr<UIImage>>>;

NamedImages& namedImages()
{
    static NamedImages shared;
    return shared;
}

} // namespace

bool UIImage::init(const CGImageRef& image, CGFloat scale, UIImageOrientation orientation)
{
    if (!image || image->width() == 0 || image->height() == 0)
        return false;
    m_image = image;
    m_scale = sanitisedScale(scale);
    m_orientation = orientation >= UIImageOrientationUp && orientation <= UIImageOrientationRightMirrored ? orientation : UIImageOrientationUp;
    return true;
}

bool UIImage::init(const std::shared_ptr<NSData>& data) { return init(data, 1); }

bool UIImage::init(const std::shared_ptr<NSData>& data, CGFloat scale)
{
    if (!data || data->length() == 0)
        return false;
    auto source = CGImageSourceCreateWithData(data);
    if (!source || CGImageSourceGetCount(source) == 0)
        return false;
    const int exif = ns::intForKey(CGImageSourceCopyPropertiesAtIndex(source, 0), kCGImagePropertyOrientation);
    return init(CGImageSourceCreateImageAtIndex(source, 0), scale, orientationOfExif(exif));
}

std::shared_ptr<UIImage> UIImage::imageWithCGImage(const CGImageRef& image, CGFloat scale, UIImageOrientation orientation)
{
    return create(image, scale, orientation);
}

std::shared_ptr<UIImage> UIImage::imageWithData(const std::shared_ptr<NSData>& data, CGFloat scale)
{
    return create(data, scale);
}

std::shared_ptr<UIImage> UIImage::imageWithContentsOfFile(const NSString& path)
{
    if (path.isNil() || path.length() == 0)
        return nullptr;
    return imageWithData(NSData::dataWithContentsOfFile(path), scaleOfFileName(path));
}

std::shared_ptr<UIImage> UIImage::imageNamed(const NSString& name) { return imageNamed(name, NSBundle::mainBundle()); }

std::shared_ptr<UIImage> UIImage::imageNamed(const NSString& name, const std::shared_ptr<NSBundle>& bundle)
{
    const auto& from = bundle ? bundle : NSBundle::mainBundle();
    if (name.isNil() || name.length() == 0 || !from)
        return nullptr;
    const std::string key = std::string(from->bundlePath().UTF8String()) + '\0' + name.UTF8String();
    if (auto found = namedImages().withLock([&](auto& images) { return images[key].lock(); }))
        return found;

    NSString type = name.pathExtension();
    NSString base = type.length() ? name.stringByDeletingPathExtension() : name;
    if (type.length() == 0)
        type = "png";
    std::vector<NSString> candidates;
    if (!base.hasSuffix("@2x"))
        candidates.push_back(base + "@2x");
    candidates.push_back(base);
    std::shared_ptr<UIImage> image;
    for (const NSString& candidate : candidates) {
        const NSString path = from->pathForResource(candidate, type);
        if (!path.isNil() && (image = imageWithContentsOfFile(path)))
            break;
    }

    auto images = namedImages().lock();
    for (auto entry = images->begin(); entry != images->end();)
        entry = entry->second.expired() ? images->erase(entry) : std::next(entry);
    if (image)
        (*images)[key] = image;
    return image;
}

std::shared_ptr<UIImage> UIImage::animatedImageWithImages(const std::vector<std::shared_ptr<UIImage>>& images, NSTimeInterval duration)
{
    std::vector<std::shared_ptr<UIImage>> frames;
    std::copy_if(images.begin(), images.end(), std::back_inserter(frames), [](const auto& frame) { return frame != nullptr; });
    if (frames.empty())
        return nullptr;
    auto animated = create(frames.front()->m_image, frames.front()->m_scale, frames.front()->m_orientation);
    animated->m_images = std::move(frames);
    animated->m_duration = std::isfinite(duration) && duration > 0 ? duration : 0;
    return animated;
}

CGSize UIImage::size() const
{
    const CGSize pixels = CGSizeMake(CGFloat(m_image->width()) / m_scale, CGFloat(m_image->height()) / m_scale);
    return isQuarterTurn(m_orientation) ? CGSizeMake(pixels.height, pixels.width) : pixels;
}

std::shared_ptr<UIImage> UIImage::copyWithCaps(UIEdgeInsets capInsets, UIImageResizingMode mode) const
{
    auto copy = create(m_image, m_scale, m_orientation);
    copy->m_images = m_images;
    copy->m_duration = m_duration;
    copy->m_resizable = true;
    const auto clean = [](CGFloat value) { return std::isfinite(value) ? std::max<CGFloat>(0, value) : 0; };
    copy->m_capInsets = { clean(capInsets.top), clean(capInsets.left), clean(capInsets.bottom), clean(capInsets.right) };
    copy->m_resizingMode = mode == UIImageResizingModeStretch ? UIImageResizingModeStretch : UIImageResizingModeTile;
    copy->m_leftCapWidth = NSInteger(copy->m_capInsets.left);
    copy->m_topCapHeight = NSInteger(copy->m_capInsets.top);
    return copy;
}

std::shared_ptr<UIImage> UIImage::resizableImageWithCapInsets(UIEdgeInsets capInsets) const
{
    return copyWithCaps(capInsets, UIImageResizingModeTile);
}

std::shared_ptr<UIImage> UIImage::resizableImageWithCapInsets(UIEdgeInsets capInsets, UIImageResizingMode resizingMode) const
{
    return copyWithCaps(capInsets, resizingMode);
}

std::shared_ptr<UIImage> UIImage::stretchableImageWithLeftCapWidth(NSInteger leftCapWidth, NSInteger topCapHeight) const
{
    const CGSize points = size();
    const CGFloat left = std::max<CGFloat>(0, CGFloat(leftCapWidth));
    const CGFloat top = std::max<CGFloat>(0, CGFloat(topCapHeight));
    // The right cap is what is left after the stretched point, and likewise below.
    const CGFloat right = left > 0 ? std::max<CGFloat>(0, points.width - left - 1) : 0;
    const CGFloat bottom = top > 0 ? std::max<CGFloat>(0, points.height - top - 1) : 0;
    auto image = copyWithCaps({ top, left, bottom, right }, UIImageResizingModeStretch);
    image->m_leftCapWidth = std::max<NSInteger>(0, leftCapWidth);
    image->m_topCapHeight = std::max<NSInteger>(0, topCapHeight);
    return image;
}

CGImageRef UIImage::uprightCGImage() const
{
    if (m_orientation == UIImageOrientationUp)
        return m_image;
    const CGSize points = size();
    auto context = CGBitmapContext::createImageContext(points, false, m_scale);
    if (!context)
        return nullptr;
    drawOriented(context, m_image, m_orientation, CGRectMake(0, 0, points.width, points.height));
    return CGBitmapContextCreateImage(context);
}

void UIImage::drawAtPoint(CGPoint point) const { drawAtPoint(point, kCGBlendModeNormal, 1); }

void UIImage::drawAtPoint(CGPoint point, CGBlendMode blendMode, CGFloat alpha) const
{
    const CGSize points = size();
    drawInRect(CGRectMake(point.x, point.y, points.width, points.height), blendMode, alpha);
}

void UIImage::drawInRect(CGRect rect) const { drawInRect(rect, kCGBlendModeNormal, 1); }

void UIImage::drawInRect(CGRect rect, CGBlendMode blendMode, CGFloat alpha) const
{
    const CGContextRef context = UIGraphicsGetCurrentContext();
    rect = CGRectStandardize(rect);
    if (!context || CGRectIsEmpty(rect) || CGRectIsNull(rect))
        return;
    CGContextSaveGState(context);
    CGContextSetBlendMode(context, blendMode);
    CGContextSetAlpha(context, alpha);
    if (m_resizable)
        drawResizable(context, rect);
    else
        drawOriented(context, m_image, m_orientation, rect);
    CGContextRestoreGState(context);
}

void UIImage::drawAsPatternInRect(CGRect rect) const
{
    const CGContextRef context = UIGraphicsGetCurrentContext();
    rect = CGRectStandardize(rect);
    if (!context || CGRectIsEmpty(rect) || CGRectIsNull(rect))
        return;
    drawTiled(context, uprightCGImage(), rect, size());
}

void UIImage::drawResizable(const CGContextRef& context, CGRect rect) const
{
    const CGImageRef upright = uprightCGImage();
    if (!upright)
        return;
    const CGSize points = size();
    UIEdgeInsets caps = m_capInsets;
    if (caps.left + caps.right >= points.width)
        caps.left = caps.right = 0;
    if (caps.top + caps.bottom >= points.height)
        caps.top = caps.bottom = 0;
    const bool tiles = m_resizingMode == UIImageResizingModeTile;
    if (caps == UIEdgeInsetsZero) {
        if (tiles)
            drawTiled(context, upright, rect, points);
        else
            drawUpright(context, upright, rect);
        return;
    }
    // Caps squeeze together, keeping their proportions, when the rectangle is narrower than both.
    UIEdgeInsets destination = caps;
    if (caps.left + caps.right > rect.size.width) {
        const CGFloat factor = rect.size.width / (caps.left + caps.right);
        destination.left *= factor;
        destination.right *= factor;
    }
    if (caps.top + caps.bottom > rect.size.height) {
        const CGFloat factor = rect.size.height / (caps.top + caps.bottom);
        destination.top *= factor;
        destination.bottom *= factor;
    }
    const CGFloat sourceX[4] = { 0, caps.left, points.width - caps.right, points.width };
    const CGFloat sourceY[4] = { 0, caps.top, points.height - caps.bottom, points.height };
    CGFloat destinationX[4] = { rect.origin.x, rect.origin.x + destination.left,
        CGRectGetMaxX(rect) - destination.right, CGRectGetMaxX(rect) };
    CGFloat destinationY[4] = { rect.origin.y, rect.origin.y + destination.top,
        CGRectGetMaxY(rect) - destination.bottom, CGRectGetMaxY(rect) };
    // Two pieces meeting inside a pixel each cover part of it, and together let the background
    // show through as a seam: where the context is not turned, the pieces meet on whole pixels.
    const CGAffineTransform toDevice = CGContextGetUserSpaceToDeviceSpaceTransform(context);
    if (toDevice.b == 0 && toDevice.c == 0 && toDevice.a != 0 && toDevice.d != 0) {
        for (int inner = 1; inner <= 2; ++inner) {
            CGPoint device = CGContextConvertPointToDeviceSpace(context, CGPointMake(destinationX[inner], destinationY[inner]));
            device = CGPointMake(std::round(device.x), std::round(device.y));
            const CGPoint snapped = CGContextConvertPointToUserSpace(context, device);
            destinationX[inner] = std::clamp(snapped.x, destinationX[0], destinationX[3]);
            destinationY[inner] = std::clamp(snapped.y, destinationY[0], destinationY[3]);
        }
    }
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            const CGRect source = CGRectMake(sourceX[column], sourceY[row], sourceX[column + 1] - sourceX[column],
                sourceY[row + 1] - sourceY[row]);
            const CGRect target = CGRectMake(destinationX[column], destinationY[row],
                destinationX[column + 1] - destinationX[column], destinationY[row + 1] - destinationY[row]);
            if (source.size.width <= 0 || source.size.height <= 0 || target.size.width <= 0 || target.size.height <= 0)
                continue;
            const CGRect pixels = CGRectMake(std::round(source.origin.x * m_scale), std::round(source.origin.y * m_scale),
                std::round(CGRectGetMaxX(source) * m_scale) - std::round(source.origin.x * m_scale),
                std::round(CGRectGetMaxY(source) * m_scale) - std::round(source.origin.y * m_scale));
            const CGImageRef piece = CGImageCreateWithImageInRect(upright, pixels);
            if (!piece)
                continue;
            if (tiles && (row == 1 || column == 1))
                drawTiled(context, piece, target, source.size);
            else
                drawUpright(context, piece, target);
        }
    }
}

std::shared_ptr<NSData> UIImagePNGRepresentation(const UIImageRef& image)
{
    if (!image)
        return nullptr;
    auto bytes = ImageEncoder::png(image->uprightCGImage());
    return bytes ? NSData::dataWithBytes(std::move(*bytes)) : nullptr;
}

std::shared_ptr<NSData> UIImageJPEGRepresentation(const UIImageRef& image, CGFloat compressionQuality)
{
    if (!image)
        return nullptr;
    auto bytes = ImageEncoder::jpeg(image->uprightCGImage(), compressionQuality);
    return bytes ? NSData::dataWithBytes(std::move(*bytes)) : nullptr;
}

UIImageRef UIGraphicsGetImageFromCurrentImageContext()
{
    CGFloat scale = 1;
    const CGImageRef image = UIGraphicsGetCGImageFromCurrentImageContext(&scale);
    return image ? UIImage::imageWithCGImage(image, scale) : nullptr;
}

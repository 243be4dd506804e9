#pragma once
// Images with a scale and an orientation over a bitmap: size is in points (pixels divided by
// the scale, sides swapped for the quarter-turn orientations). Resizable images keep their caps
// fixed and stretch or tile what lies between when drawn larger. An animated image holds its
// frames and the time one pass through them takes. Made from nothing readable, an image is nil.

#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSData.h"
#include "platform/graphics/CGContext.h"
#include "platform/uikit/UIGeometry.h"

#include <vector>

enum UIImageOrientation : NSInteger {
    UIImageOrientationUp = 0,
    UIImageOrientationDown = 1, // half a turn
    UIImageOrientationLeft = 2, // a quarter turn anticlockwise
    UIImageOrientationRight = 3, // a quarter turn clockwise
    UIImageOrientationUpMirrored = 4,
    UIImageOrientationDownMirrored = 5,
    UIImageOrientationLeftMirrored = 6,
    UIImageOrientationRightMirrored = 7,
};

enum UIImageResizingMode : NSInteger {
    UIImageResizingModeTile = 0,
    UIImageResizingModeStretch = 1,
};

class UIImage : public NSObject {
    NS_OBJECT(UIImage, NSObject)
public:
    // From the main bundle, or the one given: "name@2x" (at the screen's scale of 2) first, then
    // "name"; the type is PNG unless the name carries one. Images already made are shared.
    static std::shared_ptr<UIImage> imageNamed(const NSString& name);
    static std::shared_ptr<UIImage> imageNamed(const NSString& name, const std::shared_ptr<NSBundle>& bundle);
    // Scale 2 when the file's name ends in "@2x".
    static std::shared_ptr<UIImage> imageWithContentsOfFile(const NSString& path);
    static std::shared_ptr<UIImage> imageWithData(const std::shared_ptr<NSData>& data, CGFloat scale = 1);
    static std::shared_ptr<UIImage> imageWithCGImage(const CGImageRef& image, CGFloat scale = 1,
        UIImageOrientation orientation = UIImageOrientationUp);
    // Nil without frames. Frames of other sizes are drawn in the first one's size.
    static std::shared_ptr<UIImage> animatedImageWithImages(const std::vector<std::shared_ptr<UIImage>>& images,
        NSTimeInterval duration);

    CGImageRef CGImage() const { return m_image; }
    CGFloat scale() const { return m_scale; }
    UIImageOrientation imageOrientation() const { return m_orientation; }
    CGSize size() const;

    // Empty unless animated.
    const std::vector<std::shared_ptr<UIImage>>& images() const { return m_images; }
    NSTimeInterval duration() const { return m_duration; }

    // Made by one of the three calls below: drawn larger, its caps keep their size.
    bool isResizable() const { return m_resizable; }
    UIEdgeInsets capInsets() const { return m_capInsets; }
    UIImageResizingMode resizingMode() const { return m_resizingMode; }
    // Tiles what lies between the caps.
    std::shared_ptr<UIImage> resizableImageWithCapInsets(UIEdgeInsets capInsets) const;
    std::shared_ptr<UIImage> resizableImageWithCapInsets(UIEdgeInsets capInsets, UIImageResizingMode resizingMode) const;
    // Stretches the one point after each cap; a cap of 0 stretches the whole side.
    std::shared_ptr<UIImage> stretchableImageWithLeftCapWidth(NSInteger leftCapWidth, NSInteger topCapHeight) const;
    NSInteger leftCapWidth() const { return m_leftCapWidth; }
    NSInteger topCapHeight() const { return m_topCapHeight; }

    // Into the current UIKit context, upright whatever the orientation; normal blending at full
    // opacity unless given.
    void drawAtPoint(CGPoint point) const;
    void drawAtPoint(CGPoint point, CGBlendMode blendMode, CGFloat alpha) const;
    void drawInRect(CGRect rect) const;
    void drawInRect(CGRect rect, CGBlendMode blendMode, CGFloat alpha) const;
    // Copies side by side over the rectangle, starting at its top left.
    void drawAsPatternInRect(CGRect rect) const;

    // The pixels as they are shown (orientation applied), at the image's scale.
    CGImageRef uprightCGImage() const;


protected:
    bool init(const CGImageRef& image, CGFloat scale, UIImageOrientation orientation);
    bool init(const std::shared_ptr<NSData>& data);
    bool init(const std::shared_ptr<NSData>& data, CGFloat scale);

private:
    std::shared_ptr<UIImage> copyWithCaps(UIEdgeInsets capInsets, UIImageResizingMode mode) const;
    void drawResizable(const CGContextRef& context, CGRect rect) const;

    CGImageRef m_image;
    CGFloat m_scale { 1 };
    UIImageOrientation m_orientation { UIImageOrientationUp };
    std::vector<std::shared_ptr<UIImage>> m_images;
    NSTimeInterval m_duration { 0 };
    bool m_resizable { false };
    UIEdgeInsets m_capInsets;
    UIImageResizingMode m_resizingMode { UIImageResizingModeTile };
    NSInteger m_leftCapWidth { 0 };
    NSInteger m_topCapHeight { 0 };
};

using UIImageRef = std::shared_ptr<UIImage>;

// Nil for a nil image.
std::shared_ptr<NSData> UIImagePNGRepresentation(const UIImageRef& image);
// compressionQuality from 0 (smallest) to 1 (best).
std::shared_ptr<NSData> UIImageJPEGRepresentation(const UIImageRef& image, CGFloat compressionQuality);

// The current image context's pixels at its scale; nil outside an image context.
UIImageRef UIGraphicsGetImageFromCurrentImageContext();

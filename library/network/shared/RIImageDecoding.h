#pragma once
// Turning downloaded or cached bytes into images ready to draw: the type told by the first
// bytes, still and animated decoding, the file's orientation, decompression into a bitmap, and
// the scale that a cache key names. None of it keeps state.

#include "platform/foundation/NSData.h"
#include "platform/imageio/CGImageSource.h"
#include "platform/uikit/UIImage.h"

namespace NSData_ImageContentType {
// "image/jpeg", "image/png", "image/gif", "image/tiff", "image/webp", or nil.
NSString ri_contentTypeForImageData(const std::shared_ptr<NSData>& data);
}

namespace UIImage_MultiFormat {
// Animated for a GIF of several frames; nil for bytes that are no image.
UIImageRef ri_imageWithData(const std::shared_ptr<NSData>& data);
UIImageOrientation ri_imageOrientationFromImageData(const std::shared_ptr<NSData>& data);
UIImageOrientation ri_exifOrientationToiOSOrientation(std::int32_t exifOrientation);
}

namespace UIImage_GIF {
UIImageRef ri_animatedGIFWithData(const std::shared_ptr<NSData>& data);
float ri_frameDurationAtIndex(NSUInteger index, const CGImageSourceRef& source);
UIImageRef ri_animatedGIFNamed(const NSString& name);
// Each frame is drawn on a cleared canvas, so transparent parts never show the frame before.
UIImageRef ri_animatedImageByScalingAndCroppingToSize(const UIImageRef& image, CGSize size);
}

namespace UIImage_ForceDecode {
// The pixels drawn once into a bitmap of their own; animated images come back as they are.
UIImageRef decodedImageWithImage(const UIImageRef& image);
}

// Scale 2 when "@2x." ends a key just before a three- or four-letter extension, else 1.
UIImageRef RIScaledImageForKey(const NSString& key, const UIImageRef& image);

// WebP bytes decoded into a premultiplied bitmap; nil for damaged data.
CGImageRef RICreateImageFromWebPData(const std::shared_ptr<NSData>& data);

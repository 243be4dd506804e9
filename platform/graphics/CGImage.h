#pragma once
// Images: immutable pixels with the fields that describe their layout. An image made from
// bytes keeps them and converts to the drawing back end's format when first drawn; an image made
// by drawing or decoding keeps the back end's pixels and lays out bytes only when someone asks
// for them.

#include "platform/graphics/CGDataProvider.h"
#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/CGPixelFormat.h"

#include <memory>
#include <mutex>
#include <vector>

class CGImage : public NSObject {
    NS_OBJECT(CGImage, NSObject)
public:
    std::size_t width() const { return m_width; }
    std::size_t height() const { return m_height; }
    std::size_t bitsPerComponent() const { return m_bitsPerComponent; }
    std::size_t bitsPerPixel() const { return m_bitsPerPixel; }
    std::size_t bytesPerRow() const { return m_bytesPerRow; }
    const CGColorSpaceRef& colorSpace() const { return m_colorSpace; }
    CGBitmapInfo bitmapInfo() const { return m_bitmapInfo; }
    const std::vector<CGFloat>& decode() const { return m_decode; }
    bool shouldInterpolate() const { return m_shouldInterpolate; }
    CGColorRenderingIntent renderingIntent() const { return m_renderingIntent; }
    CGDataProviderRef dataProvider() const;

    // The drawing back end's pixels of the image, made on first use; complete only inside the
    // back end.
    class Backend;
    struct BackendDeleter {
        void operator()(Backend* backend) const;
    };
    Backend& backend() const { return *m_backend; }

    ~CGImage() override;

protected:
    bool init(std::size_t width, std::size_t height, std::size_t bitsPerComponent, std::size_t bitsPerPixel,
        std::size_t bytesPerRow, CGColorSpaceRef space, CGBitmapInfo info, CGDataProviderRef provider,
        std::vector<CGFloat> decode, bool shouldInterpolate, CGColorRenderingIntent intent);

private:
    std::size_t m_width { 0 };
    std::size_t m_height { 0 };
    std::size_t m_bitsPerComponent { 8 };
    std::size_t m_bitsPerPixel { 32 };
    std::size_t m_bytesPerRow { 0 };
    CGColorSpaceRef m_colorSpace;
    CGBitmapInfo m_bitmapInfo { 0 };
    std::vector<CGFloat> m_decode;
    bool m_shouldInterpolate { true };
    CGColorRenderingIntent m_renderingIntent { kCGRenderingIntentDefault };

    // Made on first use from whichever of the two the image was created with.
    mutable std::once_flag m_providerOnce;
    mutable CGDataProviderRef m_provider;
    std::unique_ptr<Backend, BackendDeleter> m_backend;
};

using CGImageRef = std::shared_ptr<CGImage>;

// Nil when the fields do not describe a layout this layer reads, or the provider holds fewer
// bytes than they require.
CGImageRef CGImageCreate(std::size_t width, std::size_t height, std::size_t bitsPerComponent,
    std::size_t bitsPerPixel, std::size_t bytesPerRow, const CGColorSpaceRef& space, CGBitmapInfo bitmapInfo,
    const CGDataProviderRef& provider, const CGFloat* decode, bool shouldInterpolate, CGColorRenderingIntent intent);
CGImageRef CGImageCreateCopy(const CGImageRef& image);
// The part of the image inside rect, in pixels from the top-left; nil when nothing is left.
CGImageRef CGImageCreateWithImageInRect(const CGImageRef& image, CGRect rect);
inline CGImageRef CGImageRetain(const CGImageRef& image) { return image; }
inline void CGImageRelease(const CGImageRef&) { }

std::size_t CGImageGetWidth(const CGImageRef& image);
std::size_t CGImageGetHeight(const CGImageRef& image);
std::size_t CGImageGetBitsPerComponent(const CGImageRef& image);
std::size_t CGImageGetBitsPerPixel(const CGImageRef& image);
std::size_t CGImageGetBytesPerRow(const CGImageRef& image);
CGColorSpaceRef CGImageGetColorSpace(const CGImageRef& image);
CGBitmapInfo CGImageGetBitmapInfo(const CGImageRef& image);
CGImageAlphaInfo CGImageGetAlphaInfo(const CGImageRef& image);
CGDataProviderRef CGImageGetDataProvider(const CGImageRef& image);
const CGFloat* CGImageGetDecode(const CGImageRef& image);
bool CGImageGetShouldInterpolate(const CGImageRef& image);
CGColorRenderingIntent CGImageGetRenderingIntent(const CGImageRef& image);

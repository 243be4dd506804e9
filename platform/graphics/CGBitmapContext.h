#pragma once
// Contexts over a bitmap in memory. Made through CGBitmapContextCreate their origin is at the
// bottom left and the CTM starts as the identity; image contexts (the UIKit kind) start flipped
// and scaled, origin at the top left in points.
//
// Layouts the drawing back end works in (premultiplied or skipped alpha first, 32-bit
// little-endian, and alpha-only) are drawn in place. Other layouts are drawn in that format and
// copied into the bitmap's own after each drawing operation.

#include "platform/graphics/CGContext.h"

#include <optional>

class CGBitmapContext : public CGContext {
    NS_OBJECT(CGBitmapContext, CGContext)
public:
    // A flipped context of size points at scale pixels per point; transparent unless opaque.
    static std::shared_ptr<CGBitmapContext> createImageContext(CGSize size, bool opaque, CGFloat scale);

    void* data();
    std::size_t width() const { return m_width; }
    std::size_t height() const { return m_height; }
    std::size_t bitsPerComponent() const { return 8; }
    std::size_t bitsPerPixel() const { return m_bitsPerPixel; }
    std::size_t bytesPerRow() const { return m_bytesPerRow; }
    const CGColorSpaceRef& colorSpace() const { return m_colorSpace; }
    CGBitmapInfo bitmapInfo() const { return m_bitmapInfo; }

    void didDraw() override;

protected:
    bool init(void* data, std::size_t width, std::size_t height, std::size_t bitsPerComponent, std::size_t bytesPerRow,
        CGColorSpaceRef space, CGBitmapInfo info, CGAffineTransform initialCTM, CGFloat scale);

private:
    void copyOut();

    std::size_t m_width { 0 };
    std::size_t m_height { 0 };
    std::size_t m_bitsPerPixel { 32 };
    std::size_t m_bytesPerRow { 0 };
    CGColorSpaceRef m_colorSpace;
    CGBitmapInfo m_bitmapInfo { 0 };
    std::optional<CGPixelFormat> m_format;
    std::uint8_t* m_bytes { nullptr };
    std::vector<std::uint8_t> m_ownedBytes;
    bool m_drawsInPlace { true };
    bool m_ownedBytesStale { false };
};

// Nil for layouts the platform does not draw into: RGB needs 32 bits with premultiplied or
// skipped alpha, gray 8 bits without alpha, alpha-only 8 bits. A null data pointer lets the
// context own its memory; bytesPerRow 0 lets it choose.
CGContextRef CGBitmapContextCreate(void* data, std::size_t width, std::size_t height, std::size_t bitsPerComponent,
    std::size_t bytesPerRow, const CGColorSpaceRef& space, CGBitmapInfo bitmapInfo);
// A copy of the context's pixels; nil for a context that is not a bitmap.
CGImageRef CGBitmapContextCreateImage(const CGContextRef& c);
void* CGBitmapContextGetData(const CGContextRef& c);
std::size_t CGBitmapContextGetWidth(const CGContextRef& c);
std::size_t CGBitmapContextGetHeight(const CGContextRef& c);
std::size_t CGBitmapContextGetBitsPerComponent(const CGContextRef& c);
std::size_t CGBitmapContextGetBitsPerPixel(const CGContextRef& c);
std::size_t CGBitmapContextGetBytesPerRow(const CGContextRef& c);
CGColorSpaceRef CGBitmapContextGetColorSpace(const CGContextRef& c);
CGBitmapInfo CGBitmapContextGetBitmapInfo(const CGContextRef& c);
CGImageAlphaInfo CGBitmapContextGetAlphaInfo(const CGContextRef& c);

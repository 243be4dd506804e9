#include "platform/graphics/CGBitmapContext.h"

void* CGBitmapContext::data()
{
    if (m_ownedBytesStale)
        copyOut();
    return m_bytes;
}

void CGBitmapContext::didDraw()
{
    if (m_drawsInPlace)
        return;
    // Memory the caller handed in must hold the picture at once; our own can wait until asked.
    if (m_ownedBytes.empty())
        copyOut();
    else
        m_ownedBytesStale = true;
}

namespace {

std::shared_ptr<CGBitmapContext> bitmap(const CGContextRef& c) { return std::dynamic_pointer_cast<CGBitmapContext>(c); }

} // namespace

CGContextRef CGBitmapContextCreate(void* data, std::size_t width, std::size_t height, std::size_t bitsPerComponent,
    std::size_t bytesPerRow, const CGColorSpaceRef& space, CGBitmapInfo bitmapInfo)
{
    return CGBitmapContext::create(data, width, height, bitsPerComponent, bytesPerRow, space, bitmapInfo,
        CGAffineTransformIdentity, CGFloat(1));
}

void* CGBitmapContextGetData(const CGContextRef& c)
{
    const auto context = bitmap(c);
    return context ? context->data() : nullptr;
}

std::size_t CGBitmapContextGetWidth(const CGContextRef& c) { return bitmap(c) ? bitmap(c)->width() : 0; }
std::size_t CGBitmapContextGetHeight(const CGContextRef& c) { return bitmap(c) ? bitmap(c)->height() : 0; }
std::size_t CGBitmapContextGetBitsPerComponent(const CGContextRef& c) { return bitmap(c) ? 8 : 0; }
std::size_t CGBitmapContextGetBitsPerPixel(const CGContextRef& c) { return bitmap(c) ? bitmap(c)->bitsPerPixel() : 0; }
std::size_t CGBitmapContextGetBytesPerRow(const CGContextRef& c) { return bitmap(c) ? bitmap(c)->bytesPerRow() : 0; }
CGColorSpaceRef CGBitmapContextGetColorSpace(const CGContextRef& c) { return bitmap(c) ? bitmap(c)->colorSpace() : nullptr; }
CGBitmapInfo CGBitmapContextGetBitmapInfo(const CGContextRef& c) { return bitmap(c) ? bitmap(c)->bitmapInfo() : 0; }
CGImageAlphaInfo CGBitmapContextGetAlphaInfo(const CGContextRef& c)
{
    return static_cast<CGImageAlphaInfo>(CGBitmapContextGetBitmapInfo(c) & kCGBitmapAlphaInfoMask);
}

#include "platform/graphics/cairo/CairoBackend.h"

#include <cmath>

namespace {

constexpr std::size_t kMaximumSide = 32767;

bool drawable(CGColorSpaceModel model, CGBitmapInfo info)
{
    const auto alpha = static_cast<CGImageAlphaInfo>(info & kCGBitmapAlphaInfoMask);
    if (alpha == kCGImageAlphaOnly)
        return true;
    if (model == kCGColorSpaceModelRGB)
        return alpha == kCGImageAlphaPremultipliedFirst || alpha == kCGImageAlphaPremultipliedLast
            || alpha == kCGImageAlphaNoneSkipFirst || alpha == kCGImageAlphaNoneSkipLast;
    return model == kCGColorSpaceModelMonochrome && alpha == kCGImageAlphaNone;
}

} // namespace

bool CGBitmapContext::init(void* data, std::size_t width, std::size_t height, std::size_t bitsPerComponent,
    std::size_t bytesPerRow, CGColorSpaceRef space, CGBitmapInfo info, CGAffineTransform initialCTM, CGFloat scale)
{
    const auto alpha = static_cast<CGImageAlphaInfo>(info & kCGBitmapAlphaInfoMask);
    const CGColorSpaceModel model = space ? space->model() : kCGColorSpaceModelUnknown;
    if (width == 0 || height == 0 || width > kMaximumSide || height > kMaximumSide || bitsPerComponent != 8
        || !drawable(model, info) || (!space && alpha != kCGImageAlphaOnly))
        return false;
    const std::size_t bitsPerPixel = alpha == kCGImageAlphaOnly || model == kCGColorSpaceModelMonochrome ? 8 : 32;
    m_format = CGPixelFormat::make(8, bitsPerPixel, model, info);
    if (!m_format)
        return false;
    const std::size_t rowBytes = width * m_format->bytesPerPixel();
    if (bytesPerRow == 0)
        bytesPerRow = (rowBytes + 3) & ~std::size_t(3);
    if (bytesPerRow < rowBytes)
        return false;
    const cairo_format_t cairoFormat = CGPixelFormatCairoFormat(*m_format);
    const int w = static_cast<int>(width), h = static_cast<int>(height);
    const bool strideFits = bytesPerRow % 4 == 0
        && bytesPerRow >= static_cast<std::size_t>(cairo_format_stride_for_width(cairoFormat, w));
    m_drawsInPlace = m_format->isNative() && strideFits && model != kCGColorSpaceModelMonochrome;
    CairoSurface surface;
    if (m_drawsInPlace && data) {
        m_bytes = static_cast<std::uint8_t*>(data);
        surface.reset(cairo_image_surface_create_for_data(m_bytes, cairoFormat, w, h, static_cast<int>(bytesPerRow)));
    } else if (m_drawsInPlace) {
        surface.reset(cairo_image_surface_create(cairoFormat, w, h));
        bytesPerRow = static_cast<std::size_t>(cairo_image_surface_get_stride(surface.get()));
        m_bytes = cairo_image_surface_get_data(surface.get());
    } else {
        const cairo_format_t drawingFormat = m_format->isAlphaOnly() ? CAIRO_FORMAT_A8 : CAIRO_FORMAT_ARGB32;
        surface.reset(cairo_image_surface_create(drawingFormat, w, h));
        if (data) {
            m_bytes = static_cast<std::uint8_t*>(data);
            // The caller's pixels are the starting picture.
            unsigned char* pixels = cairo_image_surface_get_data(surface.get());
            const int stride = cairo_image_surface_get_stride(surface.get());
            for (std::size_t y = 0; y < height && pixels; ++y)
                m_format->unpackRow(m_bytes + y * bytesPerRow, pixels + y * stride, width);
            cairo_surface_mark_dirty(surface.get());
        } else {
            m_ownedBytes.assign(bytesPerRow * height, 0);
            m_bytes = m_ownedBytes.data();
        }
    }
    if (!surface || cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS || !m_bytes)
        return false;
    m_width = width;
    m_height = height;
    m_bitsPerPixel = bitsPerPixel;
    m_bytesPerRow = bytesPerRow;
    m_colorSpace = std::move(space);
    m_bitmapInfo = info;
    CGContext::init(CGContextMakeCairoBackend(surface.get(), CGSizeMake(CGFloat(width), CGFloat(height)), initialCTM, scale));
    return true;
}

std::shared_ptr<CGBitmapContext> CGBitmapContext::createImageContext(CGSize size, bool opaque, CGFloat scale)
{
    if (!(scale > 0) || !std::isfinite(scale) || !(size.width > 0) || !(size.height > 0))
        return nullptr;
    const double width = std::ceil(size.width * scale);
    const double height = std::ceil(size.height * scale);
    if (width > kMaximumSide || height > kMaximumSide)
        return nullptr;
    const CGBitmapInfo info = CGBitmapInfo(opaque ? kCGImageAlphaNoneSkipFirst : kCGImageAlphaPremultipliedFirst) | kCGBitmapByteOrder32Little;
    return create(nullptr, static_cast<std::size_t>(width), static_cast<std::size_t>(height), 8, 0,
        CGColorSpaceCreateDeviceRGB(), info, CGAffineTransformMake(scale, 0, 0, -scale, 0, height), scale);
}

void CGBitmapContext::copyOut()
{
    cairo_surface_t* surface = backend().cairoSurface();
    cairo_surface_flush(surface);
    const unsigned char* pixels = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (std::size_t y = 0; y < m_height && pixels; ++y)
        m_format->packRow(pixels + y * stride, m_bytes + y * m_bytesPerRow, m_width);
    m_ownedBytesStale = false;
}

CGImageRef CGBitmapContextCreateImage(const CGContextRef& c)
{
    const auto context = std::dynamic_pointer_cast<CGBitmapContext>(c);
    if (!context)
        return nullptr;
    return CGImageCreateWithCairoSurface(context->backend().cairoSurface(), context->colorSpace(), context->bitmapInfo());
}

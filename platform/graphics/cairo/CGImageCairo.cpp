#include "platform/graphics/cairo/CairoBackend.h"

#include <cstring>
#include <utility>

namespace {

CGColorSpaceModel modelOf(const CGColorSpaceRef& space)
{
    return space ? space->model() : kCGColorSpaceModelUnknown;
}

} // namespace

void CGImage::BackendDeleter::operator()(Backend* backend) const
{
    std::default_delete<Backend>()(backend);
}

namespace {

// A copy of the surface's pixels in the format; skipped alpha reads as opaque.
CairoSurface copiedSurface(cairo_surface_t* surface, cairo_format_t copyFormat)
{
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    const bool alphaOnly = copyFormat == CAIRO_FORMAT_A8;
    CairoSurface copy(cairo_image_surface_create(copyFormat, width, height));
    if (cairo_surface_status(copy.get()) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    const int sourceStride = cairo_image_surface_get_stride(surface);
    const int copyStride = cairo_image_surface_get_stride(copy.get());
    const unsigned char* from = cairo_image_surface_get_data(surface);
    unsigned char* to = cairo_image_surface_get_data(copy.get());
    const std::size_t rowLength = static_cast<std::size_t>(width) * (alphaOnly ? 1 : 4);
    for (int y = 0; y < height; ++y)
        std::memcpy(to + y * copyStride, from + y * sourceStride, rowLength);
    if (copyFormat == CAIRO_FORMAT_RGB24) {
        // Skipped alpha reads as opaque: make the unused byte say so.
        for (int y = 0; y < height; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(to + y * copyStride);
            for (int x = 0; x < width; ++x)
                row[x] |= 0xFF000000u;
        }
    }
    cairo_surface_mark_dirty(copy.get());
    return copy;
}

cairo_format_t copyFormatFor(bool alphaOnly, const CGPixelFormat& format)
{
    return alphaOnly ? CAIRO_FORMAT_A8 : (CGPixelFormatCairoFormat(format) == CAIRO_FORMAT_RGB24 ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32);
}

} // namespace

CGImageRef CGImageCreateDeferred(std::size_t width, std::size_t height, CGColorSpaceRef space, CGBitmapInfo info,
    std::function<CairoSurface()> produce)
{
    const std::size_t bitsPerPixel = modelOf(space) == kCGColorSpaceModelMonochrome ? ((info & kCGBitmapAlphaInfoMask) == kCGImageAlphaNone ? 8 : 16) : 32;
    const auto format = CGPixelFormat::make(8, bitsPerPixel, modelOf(space), info);
    if (!format || !produce || width == 0 || height == 0 || width > 32767 || height > 32767)
        return nullptr;
    const std::size_t bytesPerRow = (width * format->bytesPerPixel() + 3) & ~std::size_t(3);
    auto image = CGImage::create(width, height, 8, bitsPerPixel, bytesPerRow, std::move(space), info, nullptr,
        std::vector<CGFloat> {}, true, kCGRenderingIntentDefault);
    if (image)
        image->backend().deferred = std::move(produce);
    return image;
}

CGImageRef CGImageCreateWithCairoSurface(cairo_surface_t* surface, CGColorSpaceRef space, CGBitmapInfo info,
    bool shouldInterpolate)
{
    if (!surface || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS
        || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE)
        return nullptr;
    cairo_surface_flush(surface);
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    const cairo_format_t sourceFormat = cairo_image_surface_get_format(surface);
    const bool alphaOnly = sourceFormat == CAIRO_FORMAT_A8;
    const std::size_t bitsPerPixel = alphaOnly ? 8
        : modelOf(space) == kCGColorSpaceModelMonochrome
        ? ((info & kCGBitmapAlphaInfoMask) == kCGImageAlphaNone ? 8 : 16)
        : 32;
    const auto format = CGPixelFormat::make(8, bitsPerPixel, modelOf(space), info);
    if (!format || width <= 0 || height <= 0)
        return nullptr;
    const std::size_t bytesPerRow = (static_cast<std::size_t>(width) * format->bytesPerPixel() + 3) & ~std::size_t(3);
    auto image = CGImage::create(static_cast<std::size_t>(width), static_cast<std::size_t>(height), 8, bitsPerPixel,
        bytesPerRow, std::move(space), info, nullptr, std::vector<CGFloat> {}, shouldInterpolate,
        kCGRenderingIntentDefault);
    if (!image)
        return nullptr;
    // The copy keeps the image independent of later drawing into the source.
    CairoSurface copy = copiedSurface(surface, copyFormatFor(alphaOnly, *format));
    if (!copy)
        return nullptr;
    std::call_once(image->backend().once, [&] { image->backend().surface = std::move(copy); });
    return image;
}

CGDataProviderRef CGImage::dataProvider() const
{
    std::call_once(m_providerOnce, [this] {
        cairo_surface_t* source = CGImageGetCairoSurface(*this);
        const auto format = CGPixelFormat::make(m_bitsPerComponent, m_bitsPerPixel, modelOf(m_colorSpace), m_bitmapInfo);
        std::vector<std::uint8_t> bytes(m_bytesPerRow * m_height);
        if (source && format) {
            const int stride = cairo_image_surface_get_stride(source);
            const unsigned char* data = cairo_image_surface_get_data(source);
            for (std::size_t y = 0; y < m_height; ++y)
                format->packRow(data + y * stride, bytes.data() + y * m_bytesPerRow, m_width);
        }
        m_provider = CGDataProviderCreateWithCFData(std::move(bytes));
    });
    return m_provider;
}

cairo_surface_t* CGImageGetCairoSurface(const CGImage& image)
{
    CGImage::Backend& backend = image.backend();
    std::call_once(backend.once, [&] {
        const std::size_t m_width = image.width(), m_height = image.height(), m_bytesPerRow = image.bytesPerRow();
        const auto format = CGPixelFormat::make(image.bitsPerComponent(), image.bitsPerPixel(), modelOf(image.colorSpace()),
            image.bitmapInfo());
        if (backend.deferred) {
            const auto produce = std::exchange(backend.deferred, nullptr);
            const CairoSurface made = produce();
            const cairo_format_t copyFormat = copyFormatFor(false, *format);
            if (made && cairo_surface_status(made.get()) == CAIRO_STATUS_SUCCESS
                && cairo_image_surface_get_format(made.get()) == CAIRO_FORMAT_ARGB32
                && std::size_t(cairo_image_surface_get_width(made.get())) == m_width
                && std::size_t(cairo_image_surface_get_height(made.get())) == m_height)
                backend.surface = copiedSurface(made.get(), copyFormat);
            if (!backend.surface)
                backend.surface.reset(cairo_image_surface_create(copyFormat, int(m_width), int(m_height)));
            return;
        }
        CairoSurface made(cairo_image_surface_create(format->isAlphaOnly() ? CAIRO_FORMAT_A8 : CAIRO_FORMAT_ARGB32,
            static_cast<int>(m_width), static_cast<int>(m_height)));
        const CGDataProviderRef& provider = backend.createdFrom;
        if (cairo_surface_status(made.get()) == CAIRO_STATUS_SUCCESS && provider) {
            const auto bytes = provider->bytes();
            const int stride = cairo_image_surface_get_stride(made.get());
            unsigned char* data = cairo_image_surface_get_data(made.get());
            for (std::size_t y = 0; y < m_height; ++y)
                format->unpackRow(bytes.data() + y * m_bytesPerRow, data + y * stride, m_width);
            cairo_surface_mark_dirty(made.get());
        }
        backend.surface = std::move(made);
    });
    return cairo_surface_status(backend.surface.get()) == CAIRO_STATUS_SUCCESS ? backend.surface.get() : nullptr;
}

CGImageRef CGImageCreateWithImageInRect(const CGImageRef& image, CGRect rect)
{
    if (!image)
        return nullptr;
    const CGRect bounds = CGRectMake(0, 0, CGFloat(image->width()), CGFloat(image->height()));
    const CGRect part = CGRectIntersection(CGRectIntegral(rect), bounds);
    if (CGRectIsEmpty(part))
        return nullptr;
    cairo_surface_t* source = CGImageGetCairoSurface(*image);
    if (!source)
        return nullptr;
    const int x = static_cast<int>(part.origin.x), y = static_cast<int>(part.origin.y);
    const int width = static_cast<int>(part.size.width), height = static_cast<int>(part.size.height);
    CairoSurface crop(cairo_image_surface_create_for_data(
        cairo_image_surface_get_data(source) + y * cairo_image_surface_get_stride(source)
            + x * (cairo_image_surface_get_format(source) == CAIRO_FORMAT_A8 ? 1 : 4),
        cairo_image_surface_get_format(source), width, height, cairo_image_surface_get_stride(source)));
    return CGImageCreateWithCairoSurface(crop.get(), image->colorSpace(), image->bitmapInfo(), image->shouldInterpolate());
}

cairo_format_t CGPixelFormatCairoFormat(const CGPixelFormat& format)
{
    if (format.isAlphaOnly())
        return CAIRO_FORMAT_A8;
    return format.isOpaque() ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32;
}

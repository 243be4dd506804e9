#include "platform/graphics/CGLayer.h"
#include "platform/graphics/cairo/CairoBackend.h"

#include <cmath>

bool CGLayer::init(const CGContextRef& reference, CGSize size)
{
    if (!reference || !(size.width > 0) || !(size.height > 0))
        return false;
    const CGFloat scale = reference->deviceScale();
    const double width = std::ceil(size.width * scale);
    const double height = std::ceil(size.height * scale);
    if (width > 32767 || height > 32767)
        return false;
    CairoSurface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(width), static_cast<int>(height)));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return false;
    m_context = CGContextCreateWithCairoSurface(surface.get(), CGSizeMake(width, height), CGAffineTransformMakeScale(scale, scale), scale);
    m_size = size;
    return true;
}

void CGContextDrawLayerInRect(const CGContextRef& context, CGRect rect, const CGLayerRef& layer)
{
    if (!context || !layer)
        return;
    cairo_surface_t* surface = layer->context()->backend().cairoSurface();
    cairo_surface_flush(surface);
    context->backend().drawSurface(rect, surface);
}

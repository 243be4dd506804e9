#include "platform/graphics/LayerCompositor.h"

#include "platform/graphics/LayerRenderer.h"

#include <cmath>

bool LayerCompositor::init(CGSize size, CGFloat scale)
{
    if (!(scale > 0) || !(size.width > 0) || !(size.height > 0) || size.width * scale > 16384 || size.height * scale > 16384)
        return false;
    m_size = size;
    m_scale = scale;
    const int width = static_cast<int>(std::ceil(size.width * scale));
    const int height = static_cast<int>(std::ceil(size.height * scale));
    m_surface.reset(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    if (cairo_surface_status(m_surface.get()) != CAIRO_STATUS_SUCCESS)
        return false;
    // Flipped and scaled as UIKit's contexts: user space is the screen in points, y down.
    m_context = CGContext::create(m_surface.get(), CGSizeMake(width, height), CGAffineTransformMake(scale, 0, 0, -scale, 0, height), scale);
    return m_context != nullptr;
}

void LayerCompositor::setRootLayer(const CALayerRef& layer)
{
    if (m_rootLayer == layer)
        return;
    if (m_rootLayer)
        m_rootLayer->setTreeHost(nullptr);
    m_rootLayer = layer;
    if (m_rootLayer)
        m_rootLayer->setTreeHost(std::static_pointer_cast<LayerCompositor>(self()));
    m_needsFrame = true;
}

void LayerCompositor::setBackgroundColor(const CGColorRef& color)
{
    m_backgroundColor = color;
    m_needsFrame = true;
}

bool LayerCompositor::needsFrame() const
{
    if (m_needsFrame)
        return true;
    if (!m_rootLayer)
        return false;
    const CFTimeInterval now = CACurrentMediaTime();
    std::vector<const CALayer*> pending { m_rootLayer.get() };
    while (!pending.empty()) {
        const CALayer* layer = pending.back();
        pending.pop_back();
        if (layer->hasRunningAnimations(now))
            return true;
        for (const auto& sublayer : layer->m_sublayers)
            pending.push_back(sublayer.get());
        if (layer->m_mask)
            pending.push_back(layer->m_mask.get());
    }
    return false;
}

void LayerCompositor::display(CALayer& layer)
{
    layer.displayIfNeeded();
    if (layer.m_mask)
        display(*layer.m_mask);
    for (const auto& sublayer : layer.sublayers())
        display(*sublayer);
}

void LayerCompositor::renderFrame()
{
    // A frame asked for from the drawing of a frame waits for the next one.
    if (m_rendering)
        return;
    m_rendering = true;
    const CALayerRef root = m_rootLayer;
    if (root)
        root->layoutIfNeeded();
    m_needsFrame = false;
    if (root)
        display(*root);

    cairo_t* cr = m_context->cairoContext();
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_reset_clip(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    const auto rgba = m_backgroundColor ? m_backgroundColor->rgba() : std::array<CGFloat, 4> { 0, 0, 0, 0 };
    cairo_set_source_rgba(cr, rgba[0], rgba[1], rgba[2], rgba[3]);
    cairo_paint(cr);
    cairo_restore(cr);

    if (root) {
        LayerRenderer renderer(m_context, { true, true, CACurrentMediaTime() });
        renderer.renderLayerPlaced(*root);
    }
    cairo_surface_flush(m_surface.get());
    ++m_frameCount;
    m_rendering = false;
}

CGImageRef LayerCompositor::image() const
{
    return CGImage::imageWithSurface(m_surface.get(), CGColorSpaceCreateDeviceRGB(),
        CGBitmapInfo(kCGImageAlphaPremultipliedFirst) | kCGBitmapByteOrder32Little);
}

bool LayerCompositor::writePNG(const NSString& path) const
{
    return cairo_surface_write_to_png(m_surface.get(), path.UTF8String().c_str()) == CAIRO_STATUS_SUCCESS;
}

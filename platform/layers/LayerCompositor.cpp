#include "platform/layers/LayerCompositor.h"

#include "platform/layers/LayerRenderer.h"
#include "platform/foundation/NSAssertMainThread.h"
#include "platform/graphics/cairo/CairoBackend.h"

#include <cmath>

bool LayerCompositor::init(CGSize size, CGFloat scale)
{
    if (!(scale > 0) || !(size.width > 0) || !(size.height > 0) || size.width * scale > 16384 || size.height * scale > 16384)
        return false;
    m_size = size;
    m_scale = scale;
    const int width = static_cast<int>(std::ceil(size.width * scale));
    const int height = static_cast<int>(std::ceil(size.height * scale));
    // Flipped and scaled as UIKit's contexts: user space is the screen in points, y down.
    m_context = CGBitmapContext::createImageContext(size, false, scale);
    return m_context && CGBitmapContextGetWidth(m_context) == std::size_t(width)
        && CGBitmapContextGetHeight(m_context) == std::size_t(height);
}

void LayerCompositor::setRootLayer(const CALayerRef& layer)
{
    NSAssertMainThread();
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
    NSAssertMainThread();
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
        for (const auto& sublayer : layer->sublayers())
            pending.push_back(sublayer.get());
        if (layer->mask())
            pending.push_back(layer->mask().get());
    }
    return false;
}

void LayerCompositor::display(CALayer& layer)
{
    layer.displayIfNeeded();
    if (layer.mask())
        display(*layer.mask());
    for (const auto& sublayer : layer.sublayers())
        display(*sublayer);
}

void LayerCompositor::layerNeedsDisplay(CALayer& layer)
{
    NSAssertMainThread();
    m_needsFrame = true;
    if (!m_fullFrame)
        m_dirtyLayers.push_back(std::static_pointer_cast<CALayer>(layer.shared_from_this()));
}

CGRect LayerCompositor::damageOf(const CALayer& layer) const
{
    CGRect area = layer.bounds();
    if (layer.shadowOpacity() > 0)
        area = CGRectInset(area, -(layer.shadowRadius() * 3 + std::abs(layer.shadowOffset().width) + std::abs(layer.shadowOffset().height)),
            -(layer.shadowRadius() * 3 + std::abs(layer.shadowOffset().width) + std::abs(layer.shadowOffset().height)));
    CATransform3D toScreen = layer.transformToRoot();
    // The layer must be in this compositor's tree.
    std::shared_ptr<const CALayer> top = layer.self();
    while (auto super = top->superlayer())
        top = super;
    if (top != m_rootLayer)
        return CGRectNull;
    toScreen = CATransform3DConcat(toScreen, m_rootLayer->placementIn(nullptr));
    if (toScreen.m14 != 0 || toScreen.m24 != 0 || toScreen.m44 != 1)
        return CGRectInfinite;
    CGRect damage = CGRectApplyAffineTransform(area, { toScreen.m11, toScreen.m12, toScreen.m21, toScreen.m22, toScreen.m41, toScreen.m42 });
    // An ancestor's shadow follows the shape of everything drawn inside it, unless the change
    // lies where the ancestor is opaque anyway.
    for (auto ancestor = layer.superlayer(); ancestor; ancestor = ancestor->superlayer())
        if (ancestor->shadowOpacity() > 0 && !ancestor->shadowPath()
            && !ancestor->coversOpaquely(layer.convertRectToLayer(area, ancestor))) {
            const CGFloat reach = ancestor->shadowRadius() * 3 + std::abs(ancestor->shadowOffset().width) + std::abs(ancestor->shadowOffset().height);
            damage = CGRectInset(damage, -reach, -reach);
        }
    return damage;
}

bool LayerCompositor::rootHides(const CALayer& root, CGRect pixels) const
{
    if (root.hasAnimations() || root.mask() || root.cornerRadius() > 0 || !root.coversOpaquely(root.bounds()))
        return false;
    const CATransform3D placement = root.placementIn(nullptr);
    if (placement.m12 != 0 || placement.m21 != 0 || !(placement.m11 > 0) || !(placement.m22 > 0) || placement.m14 != 0
        || placement.m24 != 0 || placement.m44 != 1)
        return false;
    const CGRect onScreen = CGRectApplyAffineTransform(root.bounds(), { placement.m11, 0, 0, placement.m22, placement.m41, placement.m42 });
    const CGRect screen = CGRectMake(0, 0, m_size.width, m_size.height);
    const CGRect area = CGRectIntersection(CGRectMake(pixels.origin.x / m_scale, pixels.origin.y / m_scale,
                                               pixels.size.width / m_scale, pixels.size.height / m_scale),
        screen);
    return CGRectContainsRect(onScreen, area);
}

void LayerCompositor::renderFrame()
{
    NSAssertMainThread();
    // A frame asked for from the drawing of a frame waits for the next one.
    if (m_rendering)
        return;
    m_rendering = true;
    const CALayerRef root = m_rootLayer;
    if (root)
        root->layoutIfNeeded();
    const CFTimeInterval now = CACurrentMediaTime();
    const bool animating = [&] {
        m_needsFrame = false;
        return needsFrame();
    }();
    CGRect damage = CGRectNull;
    if (m_fullFrame || animating || !root) {
        damage = CGRectMake(0, 0, m_size.width, m_size.height);
    } else {
        for (const auto& weak : m_dirtyLayers)
            if (auto layer = weak.lock())
                damage = CGRectUnion(damage, damageOf(*layer));
    }
    m_dirtyLayers.clear();
    m_fullFrame = false;
    m_needsFrame = false;
    if (root)
        display(*root);

    if (!CGRectIsNull(damage)) {
        // Whole device pixels, so that nothing outside is touched and nothing inside is half-done.
        const CGRect pixels = CGRectIntegral(CGRectMake(damage.origin.x * m_scale - 1, damage.origin.y * m_scale - 1,
            damage.size.width * m_scale + 2, damage.size.height * m_scale + 2));
        m_context->saveGState();
        CGContextClipToRect(m_context, CGRectIntersection(CGRectMake(pixels.origin.x / m_scale, pixels.origin.y / m_scale,
                                                              pixels.size.width / m_scale, pixels.size.height / m_scale),
                                           CGRectMake(0, 0, m_size.width, m_size.height)));
        if (!root || !rootHides(*root, pixels)) {
            cairo_t* cr = m_context->backend().cairoContext();
            cairo_save(cr);
            cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
            const auto rgba = m_backgroundColor ? m_backgroundColor->rgba() : std::array<CGFloat, 4> { 0, 0, 0, 0 };
            cairo_set_source_rgba(cr, rgba[0], rgba[1], rgba[2], rgba[3]);
            cairo_paint(cr);
            cairo_restore(cr);
        }
        if (root) {
            LayerRenderer renderer(m_context, { true, true, now });
            renderer.renderLayerPlaced(*root);
        }
        m_context->restoreGState();
        cairo_surface_flush(m_context->backend().cairoSurface());
    }
    ++m_frameCount;
    m_rendering = false;
}

CGImageRef LayerCompositor::image() const
{
    return CGImageCreateWithCairoSurface(m_context->backend().cairoSurface(), CGColorSpaceCreateDeviceRGB(),
        CGBitmapInfo(kCGImageAlphaPremultipliedFirst) | kCGBitmapByteOrder32Little);
}

bool LayerCompositor::writePNG(const NSString& path) const
{
    return cairo_surface_write_to_png(m_context->backend().cairoSurface(), path.UTF8String().c_str()) == CAIRO_STATUS_SUCCESS;
}

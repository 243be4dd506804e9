#include "platform/layers/LayerCompositor.h"

#include "platform/layers/LayerRenderer.h"
#include "platform/layers/cairo/LayerPictureCache.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSAssertMainThread.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

bool LayerCompositor::init(CGSize size, CGFloat scale)
{
    if (!(scale > 0) || !(size.width > 0) || !(size.height > 0) || size.width * scale > 16384 || size.height * scale > 16384)
        return false;
    m_size = size;
    m_scale = scale;
    const int width = static_cast<int>(std::ceil(size.width * scale));
    const int height = static_cast<int>(std::ceil(size.height * scale));
    m_pictureRows = std::size_t(height);
    // Half a screen to slide into, above and below together: a scroll that goes one way copies
    // the whole picture once in that many rows.
    m_spareRows = m_pictureRows / 2;
    const std::size_t rowBytes = std::size_t(width) * 4;
    m_pictureMemory = std::make_unique_for_overwrite<std::uint8_t[]>((m_pictureRows + m_spareRows) * rowBytes);
    placePicture(m_spareRows / 2);
    std::memset(m_pictureMemory.get() + m_pictureRow * rowBytes, 0, m_pictureRows * rowBytes);
    m_pictures = std::make_shared<LayerPictureCache>(std::size_t(width) * std::size_t(height) * 4 * 2);
    // The application posts this under its own name; the compositor hears it without knowing the application.
    NSNotificationCenter::defaultCenter()->addObserver(self(),
        &LayerCompositor::didReceiveMemoryWarning, NSString("UIApplicationDidReceiveMemoryWarningNotification"), nullptr);
    return m_context && CGBitmapContextGetWidth(m_context) == std::size_t(width)
        && CGBitmapContextGetHeight(m_context) == std::size_t(height);
}

void LayerCompositor::placePicture(std::size_t row)
{
    m_pictureRow = row;
    const std::size_t width = std::size_t(std::ceil(m_size.width * m_scale));
    const double height = double(m_pictureRows);
    // Flipped and scaled as UIKit's contexts: user space is the screen in points, y down.
    m_context = CGBitmapContext::create(m_pictureMemory.get() + row * width * 4, width, m_pictureRows, 8, width * 4,
        CGColorSpaceCreateDeviceRGB(), CGBitmapInfo(kCGImageAlphaPremultipliedFirst) | kCGBitmapByteOrder32Little,
        CGAffineTransformMake(m_scale, 0, 0, -m_scale, 0, height), m_scale);
}

void LayerCompositor::setRootLayer(const CALayerRef& layer)
{
    NSAssertMainThread();
    if (m_rootLayer == layer)
        return;
    if (m_rootLayer) {
        m_rootLayer->setTreeHost(nullptr);
        m_departed.push_back(m_rootLayer);
    }
    m_rootLayer = layer;
    if (m_rootLayer)
        m_rootLayer->setTreeHost(self());
    // Every pixel may change.
    layerTreeDidChange();
}

void LayerCompositor::setBackgroundColor(const CGColorRef& color)
{
    NSAssertMainThread();
    m_backgroundColor = color;
    layerTreeDidChange();
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
    noteChangedLayer(layer, false, false, false);
}

void LayerCompositor::layerDidJoinTree(CALayer& layer)
{
    NSAssertMainThread();
    m_needsFrame = true;
    m_fullFrame = true;
    noteChangedLayer(layer, true, false, false);
}

void LayerCompositor::layerWillLeaveTree(CALayer& layer)
{
    NSAssertMainThread();
    m_needsFrame = true;
    m_fullFrame = true;
    noteChangedLayer(layer, true, true, false);
}

void LayerCompositor::noteChangedLayer(CALayer& layer, bool withSublayers, bool measureBefore, bool scrollOnly)
{
    // Past a few, a shifted frame would repair more than it saves.
    constexpr std::size_t kMostChanged = 32;
    if (m_tooManyChanges)
        return;
    for (auto& changed : m_changed) {
        if (changed.layer.lock().get() != &layer)
            continue;
        if (measureBefore && CGRectIsNull(changed.before))
            changed.before = shownExtent(layer, true);
        changed.withSublayers = changed.withSublayers || withSublayers;
        changed.scrollOnly = changed.scrollOnly && scrollOnly;
        return;
    }
    if (m_changed.size() >= kMostChanged) {
        m_tooManyChanges = true;
        m_changed.clear();
        return;
    }
    m_changed.push_back({ std::static_pointer_cast<CALayer>(layer.shared_from_this()),
        measureBefore ? shownExtent(layer, true) : CGRectNull, withSublayers, scrollOnly, m_scrolled.empty() });
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

void LayerCompositor::layerWillChange(CALayer& layer, const char* key)
{
    ++m_propertyChanges;
    const std::string_view name(key);
    const bool scroll = name == "bounds" || name == "sublayerTransform";
    noteChangedLayer(layer, true, true, scroll);
    if (!scroll)
        return;
    for (const auto& scrolled : m_scrolled)
        if (scrolled.layer.lock().get() == &layer)
            return;
    m_scrolled.push_back({ std::static_pointer_cast<CALayer>(layer.shared_from_this()), layer.bounds(), layer.sublayerTransform() });
}

void LayerCompositor::layerDidLeaveTree(CALayer& layer)
{
    NSAssertMainThread();
    m_departed.push_back(std::static_pointer_cast<CALayer>(layer.shared_from_this()));
    // Bounded when no frame is drawn for a long while.
    if (m_departed.size() >= 1024)
        releaseDeparted();
}

void LayerCompositor::releaseDeparted()
{
    const auto departed = std::exchange(m_departed, {});
    for (const auto& weak : departed) {
        const CALayerRef layer = weak.lock();
        if (!layer)
            continue;
        CALayerRef top = layer;
        while (auto super = top->superlayer())
            top = super;
        // Put back (or moved) before this frame: it still shows.
        if (top == m_rootLayer)
            continue;
        std::vector<CALayer*> pending { layer.get() };
        while (!pending.empty()) {
            CALayer* next = pending.back();
            pending.pop_back();
            m_pictures->forget(*next);
            LayerRenderer::releasePlacedContents(*next);
            for (const auto& sublayer : next->sublayers())
                pending.push_back(sublayer.get());
            if (next->mask())
                pending.push_back(next->mask().get());
        }
    }
}

void LayerCompositor::forgetChanges()
{
    m_dirtyLayers.clear();
    m_scrolled.clear();
    m_changed.clear();
    m_tooManyChanges = false;
    m_treeChanges = 0;
    m_propertyChanges = 0;
    m_fullFrame = false;
    m_needsFrame = false;
}

namespace {

bool whole(CGFloat value) { return std::abs(value - std::round(value)) < 1e-6; }

// A rectangle on whole device pixels, rounded; null when its edges are not on whole pixels.
CGRect wholePixels(CGRect rect)
{
    if (!whole(rect.origin.x) || !whole(rect.origin.y) || !whole(rect.size.width) || !whole(rect.size.height))
        return CGRectNull;
    return CGRectMake(std::round(rect.origin.x), std::round(rect.origin.y), std::round(rect.size.width), std::round(rect.size.height));
}

// The map of a layer's coordinates onto the screen when it only scales (positively) and moves.
std::optional<CGAffineTransform> axisAlignedToScreen(const CALayer& layer, const CALayer& root)
{
    const CATransform3D m = CATransform3DConcat(layer.transformToRoot(), root.placementIn(nullptr));
    if (m.m12 != 0 || m.m21 != 0 || m.m14 != 0 || m.m24 != 0 || m.m44 != 1 || !(m.m11 > 0) || !(m.m22 > 0))
        return std::nullopt;
    return CGAffineTransform { m.m11, 0, 0, m.m22, m.m41, m.m42 };
}

bool sameButTranslation(const CATransform3D& a, const CATransform3D& b)
{
    return a.m11 == b.m11 && a.m12 == b.m12 && a.m13 == b.m13 && a.m14 == b.m14 && a.m21 == b.m21 && a.m22 == b.m22
        && a.m23 == b.m23 && a.m24 == b.m24 && a.m31 == b.m31 && a.m32 == b.m32 && a.m33 == b.m33 && a.m34 == b.m34
        && a.m43 == b.m43 && a.m44 == b.m44;
}

bool isBelow(const CALayer& layer, const CALayer& ancestor)
{
    for (auto above = layer.superlayer(); above; above = above->superlayer())
        if (above.get() == &ancestor)
            return true;
    return false;
}

CGFloat areaOf(CGRect rect) { return rect.size.width * rect.size.height; }

// Rectangles become one where that composites about as few pixels as both apart: each
// rectangle costs a walk of the tree, worth some thousands of pixels (a scroll indicator's old
// and new places, a little apart, are one walk).
void mergeNearby(std::vector<CGRect>& rects)
{
    constexpr CGFloat kPixelsOfAWalk = 64 * 64;
    const auto worthMerging = [](CGRect a, CGRect b) { return areaOf(CGRectUnion(a, b)) <= areaOf(a) + areaOf(b) + kPixelsOfAWalk; };
    for (bool merged = true; merged;) {
        merged = false;
        for (std::size_t i = 0; i < rects.size() && !merged; ++i)
            for (std::size_t j = i + 1; j < rects.size() && !merged; ++j)
                if (worthMerging(rects[i], rects[j])) {
                    rects[i] = CGRectUnion(rects[i], rects[j]);
                    rects.erase(rects.begin() + std::ptrdiff_t(j));
                    merged = true;
                }
    }
}

} // namespace

CGRect LayerCompositor::shownExtent(const CALayer& layer, bool withSublayers) const
{
    const CALayerRef super = layer.superlayer();
    if (!m_rootLayer || !super)
        return &layer == m_rootLayer.get() ? CGRectInfinite : CGRectNull;
    CALayerRef top = super;
    while (auto next = top->superlayer())
        top = next;
    if (top != m_rootLayer)
        return CGRectNull;
    const CALayer& root = *m_rootLayer;
    CGRect area;
    if (withSublayers) {
        area = LayerRenderer::paintedExtentInSuperlayer(layer);
    } else {
        const CGFloat reach = layer.shadowOpacity() > 0
            ? layer.shadowRadius() * 3 + std::abs(layer.shadowOffset().width) + std::abs(layer.shadowOffset().height) + 1
            : 0;
        area = CGRectInset(layer.bounds(), -reach, -reach);
    }
    if (CGRectIsInfinite(area))
        return area;
    const CATransform3D toScreen = CATransform3DConcat((withSublayers ? *super : layer).transformToRoot(), root.placementIn(nullptr));
    if (toScreen.m14 != 0 || toScreen.m24 != 0 || toScreen.m44 != 1)
        return CGRectInfinite;
    CGRect points = CGRectApplyAffineTransform(area, { toScreen.m11, toScreen.m12, toScreen.m21, toScreen.m22, toScreen.m41, toScreen.m42 });
    // An ancestor's shadow follows what is drawn inside it; its clip bounds what shows.
    for (CALayerRef ancestor = super; ancestor; ancestor = ancestor->superlayer()) {
        if (ancestor->shadowOpacity() > 0)
            return CGRectInfinite;
        if (!ancestor->masksToBounds())
            continue;
        if (const auto map = axisAlignedToScreen(*ancestor, root))
            points = CGRectIntersection(points, CGRectApplyAffineTransform(ancestor->bounds(), *map));
    }
    if (CGRectIsEmpty(points))
        return CGRectNull;
    const CGRect pixels = CGRectIntegral(CGRectMake(points.origin.x * m_scale - 1, points.origin.y * m_scale - 1,
        points.size.width * m_scale + 2, points.size.height * m_scale + 2));
    const CGRect shown = CGRectIntersection(pixels,
        CGRectMake(0, 0, CGFloat(CGBitmapContextGetWidth(m_context)), CGFloat(CGBitmapContextGetHeight(m_context))));
    return CGRectIsEmpty(shown) ? CGRectNull : shown;
}

std::vector<const CALayer*> LayerCompositor::coveringLayers(CGRect pixels) const
{
    std::vector<const CALayer*> chain, covering;
    const CGRect points = CGRectMake(pixels.origin.x / m_scale, pixels.origin.y / m_scale, pixels.size.width / m_scale, pixels.size.height / m_scale);
    const CALayer* layer = m_rootLayer.get();
    std::optional<CGAffineTransform> map = axisAlignedToScreen(*layer, *layer);
    while (layer && map) {
        // Drawn straight, in the plane, as one paint over the other (no group, mask or shadow),
        // and holding the whole area, so that no clip of it cuts what lies inside.
        if (layer->isHidden() || layer->opacity() < 1 || layer->mask() || layer->shadowOpacity() > 0 || layer->hasAnimations()
            || !CGRectContainsRect(CGRectApplyAffineTransform(layer->bounds(), *map), points))
            break;
        chain.push_back(layer);
        const CGRect inLayer = CGRectMake((points.origin.x - map->tx) / map->a, (points.origin.y - map->ty) / map->d,
            points.size.width / map->a, points.size.height / map->d);
        if (layer->cornerRadius() <= 0 && layer->coversOpaquely(inLayer))
            covering = chain;
        // On down the last drawn sublayer that holds the area; whatever is drawn after the
        // covering layer is drawn all the same, so a sublayer above that only reaches into the
        // area changes nothing.
        const CALayer* next = nullptr;
        std::optional<CGAffineTransform> nextMap;
        const auto sublayers = layer->sublayersInDrawingOrder();
        for (auto it = sublayers.rbegin(); it != sublayers.rend() && !next; ++it) {
            const CALayer& sublayer = **it;
            const CATransform3D t = sublayer.transformToSuperlayer();
            if (sublayer.isHidden() || t.m12 != 0 || t.m21 != 0 || t.m13 != 0 || t.m23 != 0 || t.m31 != 0 || t.m32 != 0 || t.m14 != 0
                || t.m24 != 0 || t.m44 != 1 || !(t.m11 > 0) || !(t.m22 > 0))
                continue;
            const CGAffineTransform to { t.m11 * map->a, 0, 0, t.m22 * map->d, t.m41 * map->a + map->tx, t.m42 * map->d + map->ty };
            const CGRect bounds = sublayer.bounds();
            const CGFloat left = bounds.origin.x * to.a + to.tx, top = bounds.origin.y * to.d + to.ty;
            if (left <= CGRectGetMinX(points) && top <= CGRectGetMinY(points) && left + bounds.size.width * to.a >= CGRectGetMaxX(points)
                && top + bounds.size.height * to.d >= CGRectGetMaxY(points)) {
                next = &sublayer;
                nextMap = to;
            }
        }
        layer = next;
        map = nextMap;
    }
    return covering;
}

std::optional<std::vector<CGRect>> LayerCompositor::scrollByShifting(bool animating)
{
    // One layer's scroll position changed since a frame that left the whole picture, and every
    // other change is known by where it shows.
    if (!m_pictureIsCurrent || animating || !m_rootLayer || m_treeChanges != m_propertyChanges || m_tooManyChanges)
        return std::nullopt;
    // Of the layers whose bounds changed, the one that moved its content without changing size;
    // the others (a label sized to a new row's text) are changes like any other.
    const Scrolled* scrolled = nullptr;
    for (const auto& candidate : m_scrolled) {
        const CALayerRef moved = candidate.layer.lock();
        if (!moved || candidate.bounds.size != moved->bounds().size || !sameButTranslation(candidate.sublayerTransform, moved->sublayerTransform())
            || (candidate.bounds.origin == moved->bounds().origin && candidate.sublayerTransform == moved->sublayerTransform()))
            continue;
        if (scrolled)
            return std::nullopt;
        scrolled = &candidate;
    }
    if (!scrolled)
        return std::nullopt;
    const CALayerRef layer = scrolled->layer.lock();
    const CALayer& root = *m_rootLayer;
    const CGRect oldBounds = scrolled->bounds;
    const CATransform3D& oldTransform = scrolled->sublayerTransform;

    // The layer paints one opaque colour over all of its bounds, and its sublayers stay inside.
    if (!LayerRenderer::paintsOnlyBackground(*layer) || !layer->coversOpaquely(layer->bounds()) || layer->mask()
        || layer->borderWidth() > 0 || layer->shadowOpacity() > 0 || layer->isHidden())
        return std::nullopt;
    const auto toScreen = axisAlignedToScreen(*layer, root);
    if (!toScreen)
        return std::nullopt;
    const CGRect surface = CGRectMake(0, 0, CGFloat(CGBitmapContextGetWidth(m_context)), CGFloat(CGBitmapContextGetHeight(m_context)));
    auto onDevice = [&](CGRect rect, CGAffineTransform map) {
        const CGRect points = CGRectApplyAffineTransform(rect, map);
        return CGRectMake(points.origin.x * m_scale, points.origin.y * m_scale, points.size.width * m_scale, points.size.height * m_scale);
    };
    const CGRect area = wholePixels(onDevice(layer->bounds(), *toScreen));
    if (CGRectIsNull(area) || !(layer->masksToBounds() || (layer.get() == &root && CGRectContainsRect(area, surface))))
        return std::nullopt;
    CGRect visible = CGRectIntersection(area, surface);

    // Nothing above it reaches over it, and nothing it lies in changes how it shows.
    for (CALayerRef child = layer, parent = layer->superlayer(); parent; child = parent, parent = parent->superlayer()) {
        if (parent->isHidden() || parent->opacity() < 1 || parent->mask() || parent->shadowOpacity() > 0 || parent->borderWidth() > 0)
            return std::nullopt;
        const auto parentToScreen = axisAlignedToScreen(*parent, root);
        if (!parentToScreen)
            return std::nullopt;
        if (parent->masksToBounds()) {
            const CGRect clip = onDevice(parent->bounds(), *parentToScreen);
            if (!CGRectContainsRect(clip, visible))
                return std::nullopt;
        }
        const auto siblings = parent->sublayersInDrawingOrder();
        auto later = std::find(siblings.begin(), siblings.end(), child);
        if (later == siblings.end())
            return std::nullopt;
        for (++later; later != siblings.end(); ++later) {
            if ((*later)->isHidden())
                continue;
            const CGRect extent = LayerRenderer::paintedExtentInSuperlayer(**later);
            if (CGRectIsInfinite(extent) || !CGRectIsEmpty(CGRectIntersection(onDevice(extent, *parentToScreen), visible)))
                return std::nullopt;
        }
    }

    // How far the content moved, in device pixels: the sublayer transform's translation less the
    // move of the bounds' origin, in the layer's own space.
    const CATransform3D& newTransform = layer->sublayerTransform();
    const CGFloat moveX = (newTransform.m41 - oldTransform.m41) - (layer->bounds().origin.x - oldBounds.origin.x);
    const CGFloat moveY = (newTransform.m42 - oldTransform.m42) - (layer->bounds().origin.y - oldBounds.origin.y);
    const CGFloat dxPixels = moveX * toScreen->a * m_scale;
    const CGFloat dyPixels = moveY * toScreen->d * m_scale;
    if (!whole(dxPixels) || !whole(dyPixels))
        return std::nullopt;
    const int dx = static_cast<int>(std::round(dxPixels)), dy = static_cast<int>(std::round(dyPixels));

    // The other changes: where each layer showed (moved with the shift when it was measured
    // before the scroll, as it is when inside the scrolled layer) and where it shows now.
    std::vector<CGRect> areas;
    for (const auto& changed : m_changed) {
        const CALayerRef other = changed.layer.lock();
        if (other == layer) {
            if (!changed.scrollOnly)
                return std::nullopt;
            continue;
        }
        if (CGRectIsInfinite(changed.before))
            return std::nullopt;
        if (!CGRectIsNull(changed.before)) {
            // A layer out of the tree now may have been inside or not.
            const bool inside = other && isBelow(*other, *layer);
            const bool outside = other && !inside && isBelow(*other, *m_rootLayer);
            if (!changed.beforeScroll || !inside)
                areas.push_back(changed.before);
            const CGRect moved = CGRectIntersection(CGRectOffset(changed.before, dx, dy), surface);
            if (changed.beforeScroll && !outside && !CGRectIsEmpty(moved))
                areas.push_back(moved);
        }
        if (!other)
            continue;
        const CGRect now = shownExtent(*other, changed.withSublayers);
        if (CGRectIsInfinite(now))
            return std::nullopt;
        if (!CGRectIsNull(now))
            areas.push_back(now);
    }
    if (CGRectIsEmpty(visible)) {
        mergeNearby(areas);
        return areas;
    }
    const int x0 = static_cast<int>(visible.origin.x), y0 = static_cast<int>(visible.origin.y);
    const int width = static_cast<int>(visible.size.width), height = static_cast<int>(visible.size.height);
    if (std::abs(dx) >= width || std::abs(dy) >= height) {
        areas.push_back(visible);
        mergeNearby(areas);
        return areas;
    }

    shiftPixels(x0, y0, width, height, dx, dy);

    if (dy != 0)
        areas.push_back(CGRectMake(x0, dy > 0 ? y0 : y0 + height + dy, width, std::abs(dy)));
    if (dx != 0)
        areas.push_back(CGRectMake(dx > 0 ? x0 : x0 + width + dx, y0 + (dy > 0 ? dy : 0), std::abs(dx), height - std::abs(dy)));
    mergeNearby(areas);
    return areas;
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
    // Device pixels to composite again.
    std::vector<CGRect> areas;
    if (auto shifted = scrollByShifting(animating)) {
        areas = std::move(*shifted);
        ++m_shiftedFrameCount;
    } else {
        CGRect damage = CGRectNull;
        if (m_fullFrame || animating || !root || !m_pictureIsCurrent) {
            damage = CGRectMake(0, 0, m_size.width, m_size.height);
        } else {
            for (const auto& weak : m_dirtyLayers)
                if (auto layer = weak.lock())
                    damage = CGRectUnion(damage, damageOf(*layer));
        }
        // Whole device pixels, so that nothing outside is touched and nothing inside is half-done.
        if (!CGRectIsNull(damage))
            areas.push_back(CGRectIntegral(CGRectMake(damage.origin.x * m_scale - 1, damage.origin.y * m_scale - 1,
                damage.size.width * m_scale + 2, damage.size.height * m_scale + 2)));
    }
    forgetChanges();
    releaseDeparted();
    m_pictures->beginFrame();
    // Requests made while layers draw are kept for the next frame.
    if (root)
        display(*root);

    for (const CGRect& pixels : areas) {
        m_context->saveGState();
        CGContextClipToRect(m_context, CGRectIntersection(CGRectMake(pixels.origin.x / m_scale, pixels.origin.y / m_scale,
                                                              pixels.size.width / m_scale, pixels.size.height / m_scale),
                                           CGRectMake(0, 0, m_size.width, m_size.height)));
        const std::vector<const CALayer*> covering = root ? coveringLayers(pixels) : std::vector<const CALayer*> {};
        if (!root || (covering.empty() && !rootHides(*root, pixels))) {
            paintBackground();
        }
        if (root) {
            LayerRenderer renderer(m_context, { true, true, now, m_pictures.get() });
            renderer.renderLayerPlacedOver(*root, covering);
        }
        m_context->restoreGState();
    }
    if (!areas.empty())
        CGContextFlush(m_context);
    const CGRect screen = CGRectMake(0, 0, CGFloat(CGBitmapContextGetWidth(m_context)), CGFloat(CGBitmapContextGetHeight(m_context)));
    m_pictures->endFrame(areas.size() == 1 && CGRectContainsRect(areas.front(), screen));
    m_pictureIsCurrent = true;
    ++m_frameCount;
    m_rendering = false;
}

std::size_t LayerCompositor::keptPictureCount() const { return m_pictures->pictureCount(); }

std::size_t LayerCompositor::keptPictureBytes() const { return m_pictures->bytes(); }

void LayerCompositor::dropKeptPictures()
{
    NSAssertMainThread();
    m_pictures->clear();
}

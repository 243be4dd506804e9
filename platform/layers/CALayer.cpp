#include "platform/layers/cairo/LayerBackingStore.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/NSNull.h"
#include "platform/foundation/NSNumber.h"
#include "platform/layers/CAAnimationScheduler.h"
#include "platform/layers/CABasicAnimation.h"
#include "platform/layers/CATransaction.h"
#include "platform/layers/CATransition.h"
#include "platform/layers/LayerRenderer.h"
#include "platform/layers/LayerTreeHost.h"
#include "platform/layers/NSValueGeometry.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Event times closer than this count as reached, so that rounding in the clock's sums cannot
// leave a timer firing a hair early over and over.
constexpr CFTimeInterval eventTolerance = 1e-6;

const char* const animatableKeys[] = { "anchorPoint", "backgroundColor", "borderColor", "borderWidth", "bounds",
    "contentsRect", "cornerRadius", "opacity", "position", "shadowColor", "shadowOffset", "shadowOpacity", "shadowPath",
    "shadowRadius", "sublayerTransform", "transform", "zPosition", "anchorPointZ" };

id number(double value) { return NSNumber::numberWithDouble(value); }
id boolean(bool value) { return NSNumber::numberWithBool(value); }

double doubleOf(const id& value)
{
    auto n = ns::cast<NSNumber>(value);
    return n ? n->doubleValue() : 0;
}

std::pair<std::string_view, std::string_view> splitKeyPath(std::string_view path)
{
    const auto dot = path.find('.');
    if (dot == std::string_view::npos)
        return { path, {} };
    return { path.substr(0, dot), path.substr(dot + 1) };
}

template <class T>
std::shared_ptr<NSValue> boxed(const id& value)
{
    auto box = ns::cast<NSValue>(value);
    return box && box->holds<T>() ? box : nullptr;
}

// Reads a field of a boxed structure: "x", "size.width", "scale.y", "rotation.z"...
id readField(const id& value, std::string_view path)
{
    const auto [head, rest] = splitKeyPath(path);
    if (auto box = boxed<CGPoint>(value)) {
        const CGPoint p = box->get<CGPoint>();
        return head == "x" ? number(p.x) : head == "y" ? number(p.y) : nullptr;
    }
    if (auto box = boxed<CGSize>(value)) {
        const CGSize s = box->get<CGSize>();
        return head == "width" ? number(s.width) : head == "height" ? number(s.height) : nullptr;
    }
    if (auto box = boxed<CGRect>(value)) {
        const CGRect r = box->get<CGRect>();
        id part = head == "origin" ? id(NSValueGeometry::valueWithCGPoint(r.origin))
            : head == "size"       ? id(NSValueGeometry::valueWithCGSize(r.size))
                                   : nullptr;
        return part && !rest.empty() ? readField(part, rest) : part;
    }
    if (auto box = boxed<CATransform3D>(value)) {
        const CATransform3D t = box->get<CATransform3D>();
        const CATransform3DParts parts = CATransform3DDecompose(t);
        const int axis = rest == "x" ? 0 : rest == "y" ? 1 : rest == "z" ? 2 : -1;
        if (head == "rotation") {
            const auto angles = CATransform3DGetEulerAngles(t);
            return number(angles[axis < 0 ? 2 : axis]);
        }
        if (head == "scale")
            return number(axis < 0 ? (parts.scale[0] + parts.scale[1] + parts.scale[2]) / 3 : parts.scale[axis]);
        if (head == "translation") {
            if (axis < 0)
                return NSValueGeometry::valueWithCGSize({ parts.translation[0], parts.translation[1] });
            return number(parts.translation[axis]);
        }
    }
    return nullptr;
}

// The structure with one field replaced; nil when the path names no field of it.
id writeField(const id& value, std::string_view path, const id& field)
{
    const auto [head, rest] = splitKeyPath(path);
    if (auto box = boxed<CGPoint>(value)) {
        CGPoint p = box->get<CGPoint>();
        (head == "x" ? p.x : p.y) = doubleOf(field);
        return head == "x" || head == "y" ? NSValueGeometry::valueWithCGPoint(p) : nullptr;
    }
    if (auto box = boxed<CGSize>(value)) {
        CGSize s = box->get<CGSize>();
        (head == "width" ? s.width : s.height) = doubleOf(field);
        return head == "width" || head == "height" ? NSValueGeometry::valueWithCGSize(s) : nullptr;
    }
    if (auto box = boxed<CGRect>(value)) {
        CGRect r = box->get<CGRect>();
        if (head == "origin") {
            const id origin = rest.empty() ? field : writeField(NSValueGeometry::valueWithCGPoint(r.origin), rest, field);
            r.origin = NSValueGeometry::CGPointValue(origin);
        } else if (head == "size") {
            const id size = rest.empty() ? field : writeField(NSValueGeometry::valueWithCGSize(r.size), rest, field);
            r.size = NSValueGeometry::CGSizeValue(size);
        } else {
            return nullptr;
        }
        return NSValueGeometry::valueWithCGRect(r);
    }
    if (auto box = boxed<CATransform3D>(value)) {
        const CATransform3D t = box->get<CATransform3D>();
        const int axis = rest == "x" ? 0 : rest == "y" ? 1 : rest == "z" ? 2 : -1;
        if (head == "rotation") {
            auto angles = CATransform3DGetEulerAngles(t);
            angles[axis < 0 ? 2 : axis] = doubleOf(field);
            return NSValueGeometry::valueWithCATransform3D(CATransform3DWithEulerAngles(t, angles));
        }
        CATransform3DParts parts = CATransform3DDecompose(t);
        if (head == "scale") {
            if (axis < 0)
                parts.scale = { doubleOf(field), doubleOf(field), doubleOf(field) };
            else
                parts.scale[axis] = doubleOf(field);
        } else if (head == "translation") {
            if (axis < 0) {
                const CGSize s = NSValueGeometry::CGSizeValue(field);
                parts.translation[0] = s.width, parts.translation[1] = s.height;
            } else {
                parts.translation[axis] = doubleOf(field);
            }
        } else {
            return nullptr;
        }
        return NSValueGeometry::valueWithCATransform3D(CATransform3DRecompose(parts));
    }
    return nullptr;
}

CATransform3D flattened(CATransform3D m)
{
    m.m13 = m.m23 = m.m43 = 0;
    m.m31 = m.m32 = m.m34 = 0;
    m.m33 = 1;
    return m;
}

CGRect boundingBox(const std::array<CGPoint, 4>& corners)
{
    CGFloat minX = corners[0].x, maxX = minX, minY = corners[0].y, maxY = minY;
    for (const CGPoint& p : corners) {
        minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
    }
    return CGRectMake(minX, minY, maxX - minX, maxY - minY);
}

CGRect mapRect(CGRect rect, const CATransform3D& m)
{
    rect = CGRectStandardize(rect);
    return boundingBox({ CATransform3DProjectPoint(m, rect.origin),
        CATransform3DProjectPoint(m, { CGRectGetMaxX(rect), rect.origin.y }),
        CATransform3DProjectPoint(m, { rect.origin.x, CGRectGetMaxY(rect) }),
        CATransform3DProjectPoint(m, { CGRectGetMaxX(rect), CGRectGetMaxY(rect) }) });
}

} // namespace

CALayer::~CALayer() = default;

void CALayer::init()
{
    CATransaction::ensureTransaction();
    m_createdInTransaction = CATransaction::commitCount();
}

void CALayer::init(const CALayer& layer)
{
    m_properties = layer.m_properties;
    if (layer.m_values)
        m_values = NSMutableDictionary::dictionaryWithDictionary(layer.m_values);
    m_isPresentation = true;
    m_modelLayer = layer.m_isPresentation ? layer.m_modelLayer : layer.self();
}

std::shared_ptr<CALayer> CALayer::copyForPresentation() const { return create(*this); }

void CALayer::drawVectorContent(const CGContextRef&) const { }

// MARK: Changes and actions

CALayer::PendingChange CALayer::prepareChange(const char* key)
{
    PendingChange change;
    if (m_isPresentation)
        return change;
    if (auto host = treeHost())
        host->layerWillChange(*this, key);
    CATransaction::ensureTransaction();
    if (CATransaction::disableActions())
        return change;
    const NSString name(key);
    id action;
    // A delegate may let go of this layer while it answers: the layer stays for the change.
    std::shared_ptr<CALayer> protectedSelf;
    if (CATransaction::commitCount() != m_createdInTransaction) {
        action = actionForKey(name);
    } else if (auto delegate = m_properties.delegate.lock()) {
        // A new layer has no implicit animations, but its view still animates inside a block.
        protectedSelf = self();
        action = delegate->actionForLayer(*this, name);
    }
    if (!std::dynamic_pointer_cast<CAAction>(action))
        return change;
    change.key = name;
    change.action = std::move(action);
    change.oldValue = presentationValueForKey(name);
    return change;
}

void CALayer::finishChange(PendingChange& change)
{
    if (change.action) {
        id action = change.action;
        if (auto basic = ns::cast<CABasicAnimation>(action); basic && !basic->fromValue() && !basic->toValue() && !basic->byValue()) {
            auto copy = std::static_pointer_cast<CABasicAnimation>(basic->copy());
            copy->setFromValue(change.oldValue);
            action = copy;
        }
        if (auto runnable = std::dynamic_pointer_cast<CAAction>(action))
            runnable->runActionForKey(change.key, self(), nullptr);
    }
    setNeedsComposite();
}

id CALayer::actionForKey(const NSString& key)
{
    auto isNull = [](const id& action) { return ns::cast<NSNull>(action) != nullptr; };
    // A delegate may let go of this layer while it answers: the layer stays for the look-up.
    std::shared_ptr<CALayer> protectedSelf;
    if (auto delegate = m_properties.delegate.lock()) {
        protectedSelf = self();
        if (id action = delegate->actionForLayer(*this, key))
            return isNull(action) ? nullptr : action;
    }
    if (m_properties.actions) {
        if (id action = m_properties.actions->objectForKey(key))
            return isNull(action) ? nullptr : action;
    }
    return defaultActionForKey(key);
}

id CALayer::defaultActionForKey(const NSString& key) const
{
    const std::string name = key.UTF8String();
    const bool animatable = std::any_of(std::begin(animatableKeys), std::end(animatableKeys), [&](const char* k) { return name == k; });
    return animatable ? implicitAnimationForKey(key) : nullptr;
}

id CALayer::implicitAnimationForKey(const NSString& key)
{
    auto animation = CABasicAnimation::animationWithKeyPath(key);
    animation->setDuration(CATransaction::animationDuration());
    animation->setTimingFunction(CATransaction::animationTimingFunction());
    return animation;
}

bool CALayer::needsDisplayForKey(const NSString&) const { return false; }

std::shared_ptr<LayerTreeHost> CALayer::treeHost() const
{
    if (m_isPresentation)
        return nullptr;
    const CALayer* layer = this;
    std::shared_ptr<CALayer> keep;
    while (auto super = layer->m_superlayer.lock()) {
        keep = super;
        layer = keep.get();
    }
    return layer->m_treeHost.lock();
}

bool CALayer::coversOpaquely(CGRect rect) const
{
    if (m_properties.hidden || m_properties.opacity < 1 || !m_properties.backgroundColor || m_properties.backgroundColor->alpha() < 1 || !CGRectContainsRect(m_properties.bounds, rect))
        return false;
    const CGFloat radius = std::min({ m_properties.cornerRadius, m_properties.bounds.size.width / 2, m_properties.bounds.size.height / 2 });
    if (radius <= 0)
        return true;
    // Inside the bounds, only the corners of the rectangle can fall outside the rounding.
    const CGRect inner = CGRectInset(m_properties.bounds, radius, radius);
    for (CGPoint corner : { rect.origin, CGPoint { CGRectGetMaxX(rect), rect.origin.y }, CGPoint { rect.origin.x, CGRectGetMaxY(rect) },
             CGPoint { CGRectGetMaxX(rect), CGRectGetMaxY(rect) } }) {
        const CGFloat dx = std::max({ CGRectGetMinX(inner) - corner.x, CGFloat(0), corner.x - CGRectGetMaxX(inner) });
        const CGFloat dy = std::max({ CGRectGetMinY(inner) - corner.y, CGFloat(0), corner.y - CGRectGetMaxY(inner) });
        if (dx * dx + dy * dy > radius * radius)
            return false;
    }
    return true;
}

void CALayer::noteChange()
{
    ++m_revision;
    std::shared_ptr<CALayer> keep;
    for (CALayer* layer = this; layer; layer = keep.get()) {
        ++layer->m_subtreeRevision;
        keep = layer->m_superlayer.lock();
    }
}

void CALayer::setNeedsComposite()
{
    noteChange();
    if (auto host = treeHost())
        host->layerTreeDidChange();
}

// MARK: Geometry

void CALayer::setBounds(CGRect bounds)
{
    NSAssertMainThread();
    const bool resized = bounds.size != m_properties.bounds.size;
    if (!changeAnimatable(m_properties.bounds, bounds, "bounds") || !resized)
        return;
    if (m_properties.needsDisplayOnBoundsChange)
        setNeedsDisplay();
    setNeedsLayout();
}

void CALayer::setPosition(CGPoint position) { changeAnimatable(m_properties.position, position, "position"); }
void CALayer::setZPosition(CGFloat zPosition) { changeAnimatable(m_properties.zPosition, zPosition, "zPosition"); }
void CALayer::setAnchorPoint(CGPoint anchorPoint) { changeAnimatable(m_properties.anchorPoint, anchorPoint, "anchorPoint"); }
void CALayer::setAnchorPointZ(CGFloat anchorPointZ) { changeAnimatable(m_properties.anchorPointZ, anchorPointZ, "anchorPointZ"); }
void CALayer::setTransform(const CATransform3D& transform) { changeAnimatable(m_properties.transform, transform, "transform"); }

void CALayer::setSublayerTransform(const CATransform3D& transform)
{
    NSAssertMainThread();
    changeAnimatable(m_properties.sublayerTransform, transform, "sublayerTransform");
}

CATransform3D CALayer::transformToSuperlayer() const
{
    auto super = m_superlayer.lock();
    return placementIn(super && super->m_properties.mask.get() != this ? super.get() : nullptr);
}

CATransform3D CALayer::placementIn(const CALayer* super) const
{
    const CGFloat ax = m_properties.bounds.origin.x + m_properties.anchorPoint.x * m_properties.bounds.size.width;
    const CGFloat ay = m_properties.bounds.origin.y + m_properties.anchorPoint.y * m_properties.bounds.size.height;
    if (CATransform3DIsIdentity(m_properties.transform) && m_properties.zPosition == 0 && m_properties.anchorPointZ == 0
        && (!super || CATransform3DIsIdentity(super->m_properties.sublayerTransform)))
        return CATransform3DMakeTranslation(m_properties.position.x - ax, m_properties.position.y - ay, 0);
    CATransform3D m = CATransform3DMakeTranslation(-ax, -ay, -m_properties.anchorPointZ);
    if (!CATransform3DIsIdentity(m_properties.transform))
        m = CATransform3DConcat(m, m_properties.transform);
    m = CATransform3DConcat(m, CATransform3DMakeTranslation(m_properties.position.x, m_properties.position.y, m_properties.zPosition));
    if (super && !CATransform3DIsIdentity(super->m_properties.sublayerTransform)) {
        const CGPoint centre { CGRectGetMidX(super->m_properties.bounds), CGRectGetMidY(super->m_properties.bounds) };
        m = CATransform3DConcat(m, CATransform3DMakeTranslation(-centre.x, -centre.y, 0));
        m = CATransform3DConcat(m, super->m_properties.sublayerTransform);
        m = CATransform3DConcat(m, CATransform3DMakeTranslation(centre.x, centre.y, 0));
    }
    return flattened(m);
}

CATransform3D CALayer::transformToRoot() const
{
    CATransform3D m = CATransform3DIdentity;
    std::shared_ptr<const CALayer> keep;
    const CALayer* layer = this;
    while (auto super = layer->m_superlayer.lock()) {
        m = CATransform3DConcat(m, layer->transformToSuperlayer());
        keep = super;
        layer = keep.get();
    }
    return m;
}

CGRect CALayer::frame() const
{
    const CGFloat ax = m_properties.bounds.origin.x + m_properties.anchorPoint.x * m_properties.bounds.size.width;
    const CGFloat ay = m_properties.bounds.origin.y + m_properties.anchorPoint.y * m_properties.bounds.size.height;
    CATransform3D m = CATransform3DMakeTranslation(-ax, -ay, -m_properties.anchorPointZ);
    m = CATransform3DConcat(m, m_properties.transform);
    m = CATransform3DConcat(m, CATransform3DMakeTranslation(m_properties.position.x, m_properties.position.y, m_properties.zPosition));
    return mapRect(m_properties.bounds, flattened(m));
}

void CALayer::setFrame(CGRect frame)
{
    NSAssertMainThread();
    frame = CGRectStandardize(frame);
    CGSize size = frame.size;
    CGAffineTransform a = CGAffineTransformIdentity;
    if (!CATransform3DIsIdentity(m_properties.transform) && CATransform3DIsAffine(m_properties.transform)) {
        a = CATransform3DGetAffineTransform(m_properties.transform);
        // The box of a transformed w × h rectangle is (|a|w + |c|h) × (|b|w + |d|h).
        const CGFloat pa = std::abs(a.a), pb = std::abs(a.b), pc = std::abs(a.c), pd = std::abs(a.d);
        const CGFloat determinant = pa * pd - pc * pb;
        size = m_properties.bounds.size;
        if (std::abs(determinant) > 1e-9) {
            const CGFloat w = (pd * frame.size.width - pc * frame.size.height) / determinant;
            const CGFloat h = (pa * frame.size.height - pb * frame.size.width) / determinant;
            if (w >= -1e-9 && h >= -1e-9)
                size = { std::max(0.0, w), std::max(0.0, h) };
        }
    }
    // The bounds' centre lands on the frame's centre.
    const CGPoint offset = CGPointApplyAffineTransform(
        { (0.5 - m_properties.anchorPoint.x) * size.width, (0.5 - m_properties.anchorPoint.y) * size.height }, { a.a, a.b, a.c, a.d, 0, 0 });
    setPosition({ CGRectGetMidX(frame) - offset.x, CGRectGetMidY(frame) - offset.y });
    setBounds({ m_properties.bounds.origin, size });
}

// MARK: Appearance

void CALayer::setHidden(bool hidden) { changeAnimatable(m_properties.hidden, hidden, "hidden"); }
void CALayer::setOpacity(float opacity) { changeAnimatable(m_properties.opacity, opacity, "opacity"); }

void CALayer::setMasksToBounds(bool masks)
{
    NSAssertMainThread();
    if (m_properties.masksToBounds == masks)
        return;
    m_properties.masksToBounds = masks;
    setNeedsComposite();
}

void CALayer::setMask(const std::shared_ptr<CALayer>& mask)
{
    NSAssertMainThread();
    if (m_properties.mask == mask)
        return;
    if (mask && (mask.get() == this || mask->isAncestorOf(this)))
        NSException::raise(NSInvalidArgumentException, "a layer cannot be masked by itself or an ancestor");
    const auto old = m_properties.mask;
    if (old)
        old->m_superlayer.reset();
    if (mask)
        mask->removeFromSuperlayer();
    m_properties.mask = mask;
    if (old)
        if (auto host = treeHost())
            host->layerDidLeaveTree(*old);
    if (mask)
        mask->m_superlayer = self();
    setNeedsComposite();
}

void CALayer::setCornerRadius(CGFloat radius) { changeAnimatable(m_properties.cornerRadius, radius, "cornerRadius"); }
void CALayer::setBorderWidth(CGFloat width) { changeAnimatable(m_properties.borderWidth, width, "borderWidth"); }
void CALayer::setBorderColor(const CGColorRef& color) { changeAnimatable(m_properties.borderColor, color, "borderColor"); }
void CALayer::setBackgroundColor(const CGColorRef& color) { changeAnimatable(m_properties.backgroundColor, color, "backgroundColor"); }
void CALayer::setShadowColor(const CGColorRef& color) { changeAnimatable(m_properties.shadowColor, color, "shadowColor"); }
void CALayer::setShadowOpacity(float opacity) { changeAnimatable(m_properties.shadowOpacity, opacity, "shadowOpacity"); }
void CALayer::setShadowOffset(CGSize offset) { changeAnimatable(m_properties.shadowOffset, offset, "shadowOffset"); }
void CALayer::setShadowRadius(CGFloat radius) { changeAnimatable(m_properties.shadowRadius, radius, "shadowRadius"); }
void CALayer::setShadowPath(const CGPathRef& path) { changeAnimatable(m_properties.shadowPath, path, "shadowPath"); }
void CALayer::setContents(const CGImageRef& contents) { changeAnimatable(m_properties.contents, contents, "contents"); }
void CALayer::setContentsRect(CGRect rect) { changeAnimatable(m_properties.contentsRect, rect, "contentsRect"); }

void CALayer::setOpaque(bool opaque)
{
    NSAssertMainThread();
    if (m_properties.opaque == opaque)
        return;
    m_properties.opaque = opaque;
    setNeedsDisplay();
}

void CALayer::setDoubleSided(bool doubleSided)
{
    NSAssertMainThread();
    if (m_properties.doubleSided == doubleSided)
        return;
    m_properties.doubleSided = doubleSided;
    setNeedsComposite();
}

void CALayer::setContentsGravity(const NSString& gravity)
{
    NSAssertMainThread();
    if (m_properties.contentsGravity == gravity)
        return;
    m_properties.contentsGravity = gravity;
    setNeedsComposite();
}

void CALayer::setContentsScale(CGFloat scale)
{
    NSAssertMainThread();
    if (m_properties.contentsScale == scale || !(scale > 0))
        return;
    m_properties.contentsScale = scale;
    setNeedsDisplay();
}

// MARK: Tree

bool CALayer::isAncestorOf(const CALayer* layer) const
{
    std::shared_ptr<const CALayer> keep;
    for (const CALayer* l = layer; l;) {
        if (l == this)
            return true;
        keep = l->m_superlayer.lock();
        l = keep.get();
    }
    return false;
}

void CALayer::removeSublayer(CALayer* layer)
{
    std::erase_if(m_sublayers, [layer](const auto& sublayer) { return sublayer.get() == layer; });
}

void CALayer::attachSublayer(const std::shared_ptr<CALayer>& layer, std::size_t index)
{
    NSAssertMainThread();
    if (!layer)
        return;
    if (layer->isAncestorOf(this))
        NSException::raise(NSInvalidArgumentException, "a layer cannot become a sublayer of itself or of its sublayers");
    const std::shared_ptr<CALayer> keep = layer;
    if (layer->superlayer().get() == this && m_properties.mask != layer) {
        const auto it = std::find(m_sublayers.begin(), m_sublayers.end(), layer);
        if (it != m_sublayers.end() && std::size_t(it - m_sublayers.begin()) < index)
            --index;
        m_sublayers.erase(it);
    } else {
        layer->removeFromSuperlayer();
    }
    index = std::min(index, m_sublayers.size());
    m_sublayers.insert(m_sublayers.begin() + std::ptrdiff_t(index), layer);
    layer->m_superlayer = self();
    setNeedsLayout();
    if (auto host = treeHost())
        host->layerDidJoinTree(*layer);
}

void CALayer::setSublayers(const std::vector<std::shared_ptr<CALayer>>& sublayers)
{
    NSAssertMainThread();
    const auto host = treeHost();
    if (host)
        for (const auto& layer : m_sublayers)
            host->layerWillLeaveTree(*layer);
    const auto old = std::move(m_sublayers);
    m_sublayers.clear();
    for (const auto& layer : old) {
        layer->m_superlayer.reset();
        if (host)
            host->layerDidLeaveTree(*layer);
    }
    for (const auto& layer : sublayers)
        attachSublayer(layer, m_sublayers.size());
    setNeedsLayout();
}

void CALayer::addSublayer(const std::shared_ptr<CALayer>& layer) { attachSublayer(layer, m_sublayers.size()); }

void CALayer::insertSublayer(const std::shared_ptr<CALayer>& layer, unsigned index) { attachSublayer(layer, index); }

void CALayer::insertSublayerBelow(const std::shared_ptr<CALayer>& layer, const std::shared_ptr<CALayer>& sibling)
{
    NSAssertMainThread();
    if (layer == sibling)
        return;
    const auto it = std::find(m_sublayers.begin(), m_sublayers.end(), sibling);
    attachSublayer(layer, it == m_sublayers.end() ? m_sublayers.size() : std::size_t(it - m_sublayers.begin()));
}

void CALayer::insertSublayerAbove(const std::shared_ptr<CALayer>& layer, const std::shared_ptr<CALayer>& sibling)
{
    NSAssertMainThread();
    if (layer == sibling)
        return;
    const auto it = std::find(m_sublayers.begin(), m_sublayers.end(), sibling);
    attachSublayer(layer, it == m_sublayers.end() ? m_sublayers.size() : std::size_t(it - m_sublayers.begin()) + 1);
}

void CALayer::replaceSublayer(const std::shared_ptr<CALayer>& oldLayer, const std::shared_ptr<CALayer>& newLayer)
{
    NSAssertMainThread();
    const auto it = std::find(m_sublayers.begin(), m_sublayers.end(), oldLayer);
    if (!oldLayer || it == m_sublayers.end() || oldLayer == newLayer)
        return;
    const std::size_t index = std::size_t(it - m_sublayers.begin());
    oldLayer->removeFromSuperlayer();
    attachSublayer(newLayer, index);
}

void CALayer::removeFromSuperlayer()
{
    NSAssertMainThread();
    auto super = m_superlayer.lock();
    if (!super)
        return;
    const auto keep = self();
    const auto host = super->treeHost();
    if (host)
        host->layerWillLeaveTree(*this);
    if (super->m_properties.mask.get() == this)
        super->m_properties.mask.reset();
    else
        super->removeSublayer(this);
    m_superlayer.reset();
    super->setNeedsLayout();
    if (host)
        host->layerDidLeaveTree(*this);
}

std::vector<std::shared_ptr<CALayer>> CALayer::sublayersInDrawingOrder() const
{
    std::vector<std::shared_ptr<CALayer>> layers = m_sublayers;
    const bool ordered = std::all_of(layers.begin(), layers.end(), [](const auto& l) { return l->m_properties.zPosition == 0; });
    if (!ordered)
        std::stable_sort(layers.begin(), layers.end(), [](const auto& a, const auto& b) { return a->m_properties.zPosition < b->m_properties.zPosition; });
    return layers;
}

// MARK: Display and layout

void CALayer::setNeedsDisplay()
{
    NSAssertMainThread();
    m_needsDisplay = true;
    noteChange();
    if (auto host = treeHost())
        host->layerNeedsDisplay(*this);
}

void CALayer::setNeedsDisplayInRect(CGRect) { setNeedsDisplay(); }

void CALayer::displayIfNeeded()
{
    NSAssertMainThread();
    if (!m_needsDisplay || m_isDisplaying)
        return;
    // Cleared first: a request made while drawing marks the layer for the next frame.
    m_needsDisplay = false;
    m_isDisplaying = true;
    display();
    m_isDisplaying = false;
}

void CALayer::BackingStoreDeleter::operator()(BackingStore* store) const
{
    std::default_delete<BackingStore>()(store);
}

CALayer::BackingStore& CALayer::ensureBackingStore()
{
    if (!m_backingStore)
        m_backingStore.reset(std::make_unique<BackingStore>().release());
    return *m_backingStore;
}

void CALayer::dropBacking()
{
    noteChange();
    if (m_backingStore)
        m_backingStore->backing.reset();
}

void CALayer::display()
{
    if (auto delegate = m_properties.delegate.lock()) {
        const auto protectedSelf = self();
        if (delegate->displayLayer(*this)) {
            dropBacking();
            return;
        }
    }
    const CGFloat scale = m_properties.contentsScale > 0 ? m_properties.contentsScale : 1;
    if (!(m_properties.bounds.size.width * scale >= 1) || !(m_properties.bounds.size.height * scale >= 1)) {
        dropBacking();
        return;
    }
    auto context = CGBitmapContext::createImageContext(m_properties.bounds.size, m_properties.opaque, scale);
    if (!context) {
        dropBacking();
        return;
    }
    CGContextTranslateCTM(context, -m_properties.bounds.origin.x, -m_properties.bounds.origin.y);
    m_drewNothing = false;
    drawInContext(context);
    if (m_drewNothing) {
        dropBacking();
        return;
    }
    BackingStore& store = ensureBackingStore();
    noteChange();
    store.keep(*context, scale);
}

void CALayer::drawInContext(const CGContextRef& context)
{
    if (auto delegate = m_properties.delegate.lock()) {
        const auto protectedSelf = self();
        delegate->drawLayer(*this, context);
        if (!delegate->didDrawLayer(*this))
            m_drewNothing = true;
    } else {
        m_drewNothing = true;
    }
}

void CALayer::renderInContext(const CGContextRef& context)
{
    if (context)
        LayerRenderer::renderInContext(*this, context);
}

void CALayer::setNeedsLayout()
{
    NSAssertMainThread();
    m_needsLayout = true;
    noteChange();
    if (auto host = treeHost())
        host->layerNeedsLayout(*this);
}

void CALayer::layoutIfNeeded()
{
    NSAssertMainThread();
    if (m_needsLayout) {
        m_needsLayout = false;
        layoutSublayers();
    }
    for (const auto& layer : sublayers())
        layer->layoutIfNeeded();
}

void CALayer::layoutSublayers()
{
    if (auto delegate = m_properties.delegate.lock()) {
        const auto protectedSelf = self();
        delegate->layoutSublayersOfLayer(*this);
    }
}

// MARK: Hit testing and conversion

std::shared_ptr<CALayer> CALayer::hitTest(CGPoint point)
{
    if (m_properties.hidden)
        return nullptr;
    const CGPoint local = CATransform3DProjectPoint(CATransform3DInvert(transformToSuperlayer()), point);
    if (!containsPoint(local))
        return nullptr;
    const auto layers = sublayersInDrawingOrder();
    for (auto it = layers.rbegin(); it != layers.rend(); ++it)
        if (auto hit = (*it)->hitTest(local))
            return hit;
    return self();
}

bool CALayer::containsPoint(CGPoint point) const { return CGRectContainsPoint(m_properties.bounds, point); }

CGPoint CALayer::convertPointToLayer(CGPoint point, const std::shared_ptr<const CALayer>& layer) const
{
    const CGPoint inRoot = CATransform3DProjectPoint(transformToRoot(), point);
    return layer ? CATransform3DProjectPoint(CATransform3DInvert(layer->transformToRoot()), inRoot) : inRoot;
}

CGPoint CALayer::convertPointFromLayer(CGPoint point, const std::shared_ptr<const CALayer>& layer) const
{
    const CGPoint inRoot = layer ? CATransform3DProjectPoint(layer->transformToRoot(), point) : point;
    return CATransform3DProjectPoint(CATransform3DInvert(transformToRoot()), inRoot);
}

CGRect CALayer::convertRectToLayer(CGRect rect, const std::shared_ptr<const CALayer>& layer) const
{
    CATransform3D m = transformToRoot();
    if (layer)
        m = CATransform3DConcat(m, CATransform3DInvert(layer->transformToRoot()));
    return mapRect(rect, m);
}

CGRect CALayer::convertRectFromLayer(CGRect rect, const std::shared_ptr<const CALayer>& layer) const
{
    CATransform3D m = layer ? layer->transformToRoot() : CATransform3DIdentity;
    m = CATransform3DConcat(m, CATransform3DInvert(transformToRoot()));
    return mapRect(rect, m);
}

// MARK: Animations

void CALayer::addAnimation(const CAAnimationRef& animation, const NSString& key)
{
    NSAssertMainThread();
    if (!animation || m_isPresentation)
        return;
    auto copy = std::static_pointer_cast<CAAnimation>(animation->copy());
    NSString name = key;
    if (auto transition = std::dynamic_pointer_cast<CATransition>(copy)) {
        name = kCATransition;
        transition->setSnapshot(LayerRenderer::snapshot(*this, m_properties.contentsScale > 1 ? m_properties.contentsScale : 2), m_properties.contentsScale > 1 ? m_properties.contentsScale : 2);
    } else if (!name || name.length() == 0) {
        name = NSString::stringWithFormat("\x01animation-%lu", static_cast<unsigned long>(++m_nextAnimationNumber));
    }
    if (copy->beginTime() == 0)
        copy->setBeginTime(CACurrentMediaTime());
    copy->runningState({}).transactions = CATransaction::currentCompletions();
    const auto existing = std::find_if(m_animations.begin(), m_animations.end(), [&](const auto& e) { return e.key == name; });
    if (existing != m_animations.end()) {
        AnimationEntry replaced = std::move(*existing);
        m_animations.erase(existing);
        stopAnimation(std::move(replaced), false);
    }
    m_animations.push_back({ name, copy });
    CAAnimationScheduler::current().layerDidAddAnimation(self());
    setNeedsComposite();
}

void CALayer::stopAnimation(AnimationEntry entry, bool finished)
{
    CAAnimation& animation = *entry.animation;
    auto& running = animation.runningState({});
    const auto transactions = std::move(running.transactions);
    running.transactions.clear();
    if (!running.didStop) {
        running.didStop = true;
        if (auto delegate = animation.delegate())
            delegate->animationDidStop(animation, finished);
    }
    for (const auto& completion : transactions)
        completion->release();
}

void CALayer::removeAnimationForKey(const NSString& key)
{
    NSAssertMainThread();
    const auto it = std::find_if(m_animations.begin(), m_animations.end(), [&](const auto& e) { return e.key == key; });
    if (it == m_animations.end())
        return;
    AnimationEntry entry = std::move(*it);
    m_animations.erase(it);
    setNeedsComposite();
    stopAnimation(std::move(entry), false);
}

void CALayer::removeAllAnimations()
{
    NSAssertMainThread();
    auto entries = std::move(m_animations);
    m_animations.clear();
    if (!entries.empty())
        setNeedsComposite();
    for (auto& entry : entries)
        stopAnimation(std::move(entry), false);
}

CAAnimationRef CALayer::animationForKey(const NSString& key) const
{
    for (const auto& entry : m_animations)
        if (entry.key == key)
            return entry.animation;
    return nullptr;
}

std::vector<NSString> CALayer::animationKeys() const
{
    std::vector<NSString> keys;
    for (const auto& entry : m_animations)
        if (entry.key.length() == 0 || entry.key.characterAtIndex(0) != 1)
            keys.push_back(entry.key);
    return keys;
}

CFTimeInterval CALayer::updateAnimations(CFTimeInterval now)
{
    CFTimeInterval next = std::numeric_limits<CFTimeInterval>::infinity();
    std::vector<CAAnimationRef> started;
    std::vector<AnimationEntry> finished;
    for (const auto& entry : m_animations) {
        CAAnimation& animation = *entry.animation;
        auto& running = animation.runningState({});
        if (running.didStop)
            continue;
        if (!running.didStart) {
            if (now + eventTolerance < animation.beginTime()) {
                next = std::min(next, animation.beginTime());
                continue;
            }
            running.didStart = true;
            started.push_back(entry.animation);
        }
        const CFTimeInterval end = animation.endTime();
        if (now + eventTolerance >= end)
            finished.push_back(entry);
        else
            next = std::min(next, end);
    }
    std::erase_if(m_animations, [&](const AnimationEntry& entry) {
        return entry.animation->isRemovedOnCompletion()
            && std::any_of(finished.begin(), finished.end(), [&](const auto& f) { return f.animation == entry.animation; });
    });
    if (!finished.empty())
        setNeedsComposite();
    for (const auto& animation : started)
        if (auto delegate = animation->delegate())
            delegate->animationDidStart(*animation);
    for (auto& entry : finished)
        stopAnimation(std::move(entry), true);
    return next;
}

bool CALayer::hasRunningAnimations(CFTimeInterval) const
{
    return std::any_of(m_animations.begin(), m_animations.end(), [](const auto& e) { return !e.animation->runningState({}).didStop; });
}

std::shared_ptr<CALayer> CALayer::presentationAt(CFTimeInterval time) const
{
    auto copy = copyForPresentation();
    for (const auto& entry : m_animations)
        entry.animation->applyAtTime(time, *copy);
    return copy;
}

std::shared_ptr<CALayer> CALayer::presentationLayer() const { return presentationAt(CACurrentMediaTime()); }

std::shared_ptr<CALayer> CALayer::modelLayer() const
{
    if (m_isPresentation)
        return std::const_pointer_cast<CALayer>(m_modelLayer.lock());
    return std::const_pointer_cast<CALayer>(self());
}

id CALayer::presentationValueForKey(const NSString& key) const
{
    if (m_animations.empty())
        return valueForKeyPath(key);
    return presentationLayer()->valueForKeyPath(key);
}

// MARK: Key-value access

id CALayer::valueForKey(const NSString& key) const
{
    using namespace NSValueGeometry;
    const std::string k = key.UTF8String();
    if (k == "bounds") return valueWithCGRect(m_properties.bounds);
    if (k == "position") return valueWithCGPoint(m_properties.position);
    if (k == "zPosition") return number(m_properties.zPosition);
    if (k == "anchorPoint") return valueWithCGPoint(m_properties.anchorPoint);
    if (k == "anchorPointZ") return number(m_properties.anchorPointZ);
    if (k == "transform") return valueWithCATransform3D(m_properties.transform);
    if (k == "sublayerTransform") return valueWithCATransform3D(m_properties.sublayerTransform);
    if (k == "frame") return valueWithCGRect(frame());
    if (k == "hidden") return boolean(m_properties.hidden);
    if (k == "opacity") return number(m_properties.opacity);
    if (k == "masksToBounds") return boolean(m_properties.masksToBounds);
    if (k == "cornerRadius") return number(m_properties.cornerRadius);
    if (k == "borderWidth") return number(m_properties.borderWidth);
    if (k == "borderColor") return m_properties.borderColor;
    if (k == "backgroundColor") return m_properties.backgroundColor;
    if (k == "shadowColor") return m_properties.shadowColor;
    if (k == "shadowOpacity") return number(m_properties.shadowOpacity);
    if (k == "shadowOffset") return valueWithCGSize(m_properties.shadowOffset);
    if (k == "shadowRadius") return number(m_properties.shadowRadius);
    if (k == "shadowPath") return std::const_pointer_cast<CGPath>(m_properties.shadowPath);
    if (k == "contents") return m_properties.contents;
    if (k == "contentsRect") return valueWithCGRect(m_properties.contentsRect);
    if (k == "contentsScale") return number(m_properties.contentsScale);
    if (k == "contentsGravity") return m_properties.contentsGravity;
    if (k == "name") return m_properties.name;
    return m_values ? m_values->objectForKey(key) : nullptr;
}

void CALayer::setValue(const id& value, const NSString& key)
{
    NSAssertMainThread();
    using namespace NSValueGeometry;
    const std::string k = key.UTF8String();
    if (k == "bounds") return setBounds(CGRectValue(value));
    if (k == "position") return setPosition(CGPointValue(value));
    if (k == "zPosition") return setZPosition(doubleOf(value));
    if (k == "anchorPoint") return setAnchorPoint(CGPointValue(value));
    if (k == "anchorPointZ") return setAnchorPointZ(doubleOf(value));
    if (k == "transform") return setTransform(boxed<CATransform3D>(value) ? CATransform3DValue(value) : CATransform3DIdentity);
    if (k == "sublayerTransform") return setSublayerTransform(boxed<CATransform3D>(value) ? CATransform3DValue(value) : CATransform3DIdentity);
    if (k == "frame") return setFrame(CGRectValue(value));
    if (k == "hidden") return setHidden(doubleOf(value) != 0);
    if (k == "opacity") return setOpacity(static_cast<float>(doubleOf(value)));
    if (k == "masksToBounds") return setMasksToBounds(doubleOf(value) != 0);
    if (k == "cornerRadius") return setCornerRadius(doubleOf(value));
    if (k == "borderWidth") return setBorderWidth(doubleOf(value));
    if (k == "borderColor") return setBorderColor(ns::cast<CGColor>(value));
    if (k == "backgroundColor") return setBackgroundColor(ns::cast<CGColor>(value));
    if (k == "shadowColor") return setShadowColor(ns::cast<CGColor>(value));
    if (k == "shadowOpacity") return setShadowOpacity(static_cast<float>(doubleOf(value)));
    if (k == "shadowOffset") return setShadowOffset(CGSizeValue(value));
    if (k == "shadowRadius") return setShadowRadius(doubleOf(value));
    if (k == "shadowPath") return setShadowPath(ns::cast<CGPath>(value));
    if (k == "contents") return setContents(ns::cast<CGImage>(value));
    if (k == "contentsRect") return setContentsRect(boxed<CGRect>(value) ? CGRectValue(value) : CGRectMake(0, 0, 1, 1));
    if (k == "contentsScale") return setContentsScale(doubleOf(value));
    if (k == "contentsGravity") return setContentsGravity(NSString::fromId(value));
    if (k == "name") return setName(NSString::fromId(value));
    applyChangeForKey(k, value);
}

void CALayer::applyChangeForKey(const std::string& key, const id& value)
{
    if (ns::isEqual(value, m_values ? m_values->objectForKey(NSString(key)) : nullptr))
        return;
    PendingChange change = prepareChange(key.c_str());
    if (!m_values)
        m_values = NSMutableDictionary::dictionary();
    if (value)
        m_values->setObject(value, NSString(key));
    else
        m_values->removeObjectForKey(NSString(key));
    finishChange(change);
    if (!m_isPresentation && needsDisplayForKey(NSString(key)))
        setNeedsDisplay();
}

id CALayer::valueForKeyPath(const NSString& keyPath) const
{
    const std::string path = keyPath.UTF8String();
    const auto [head, rest] = splitKeyPath(path);
    if (rest.empty())
        return valueForKey(keyPath);
    return readField(valueForKey(NSString(std::string(head))), rest);
}

void CALayer::setValueForKeyPath(const id& value, const NSString& keyPath)
{
    NSAssertMainThread();
    const std::string path = keyPath.UTF8String();
    const auto [head, rest] = splitKeyPath(path);
    if (rest.empty())
        return setValue(value, keyPath);
    const NSString key { std::string(head) };
    if (id updated = writeField(valueForKey(key), rest, value))
        setValue(updated, key);
}

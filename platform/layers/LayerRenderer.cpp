#include "platform/layers/LayerRenderer.h"
#include "platform/layers/cairo/LayerBackingStore.h"
#include "platform/layers/cairo/LayerPictureCache.h"

#include "platform/layers/CATransition.h"
#include "platform/layers/LayerRendererGeometry.h"
#include "platform/graphics/CGBitmapContext.h"
#include "platform/graphics/CGShadowBlur.h"
#include "platform/layers/CAShapeLayer.h"

#include <algorithm>
#include <array>
#include <cmath>

using namespace LayerRendererGeometry;

CGRect LayerRenderer::subtreeExtent(const CALayer& layer)
{
    // Asked for every sublayer of every frame, to leave out what the clip hides: worked out again
    // only once something below changed.
    CALayer::SubtreeMemo* memo = layer.isPresentationLayer() ? nullptr : &layer.subtreeMemo({});
    if (memo && memo->known && memo->revision == layer.subtreeRevision())
        return memo->extent;
    const CGRect extent = measureSubtree(layer);
    if (memo)
        *memo = { true, layer.subtreeRevision(), extent };
    return extent;
}

CGRect LayerRenderer::measureSubtree(const CALayer& layer)
{
    CGRect extent = layer.bounds();
    if (layer.masksToBounds())
        return extent;
    extent = CGRectUnion(extent, layer.vectorContentBounds());
    if (const CGImageRef& contents = layer.contents()) {
        const CGFloat scale = layer.contentsScale() > 0 ? layer.contentsScale() : 1;
        extent = CGRectUnion(extent, gravityRect(layer.contentsGravity().UTF8String(), layer.bounds(),
                                         { contents->width() / scale, contents->height() / scale }));
    }
    for (const auto& sublayer : layer.sublayers()) {
        CATransform3D m = sublayer->transformToSuperlayer();
        if (!isAffineInPlane(m))
            return CGRectInfinite;
        extent = CGRectUnion(extent, CGRectApplyAffineTransform(subtreeExtent(*sublayer), planeAffine(m)));
    }
    return extent;
}

namespace {

// How far beyond the background its shadow reaches, in device pixels.
int shadowMargin(const CALayer& source, CGFloat deviceScale)
{
    const CGShadowBlur blur(std::max(CGFloat(0), source.shadowRadius() * 2) * deviceScale);
    return blur.reach() + 2 + int(std::ceil((std::abs(source.shadowOffset().width) + std::abs(source.shadowOffset().height)) * deviceScale));
}

// Whether the layer strokes a line (a border, a shape's stroke), which is not kept in pictures.
bool strokes(const CALayer& layer)
{
    if (layer.borderWidth() > 0 && layer.borderColor() && layer.borderColor()->alpha() > 0)
        return true;
    const auto* shape = dynamic_cast<const CAShapeLayer*>(&layer);
    return shape && shape->strokeColor() && shape->strokeColor()->alpha() > 0 && shape->lineWidth() > 0;
}

} // namespace

LayerRenderer::LayerRenderer(CGContextRef context, Options options)
    : m_context(std::move(context))
    , m_options(options)
    , m_baseCTM(m_context->ctm())
    , m_clip(CGContextGetClipBoundingBox(m_context))
{
    // Contexts start clipped to a rectangle on whole pixels, or not at all.
    if (!CGRectIsInfinite(m_clip) && !CGRectIsNull(m_clip))
        m_clipState.inner = pixelsInside(CGRectApplyAffineTransform(m_clip, pixelTransform()));
}

bool LayerRenderer::paintsOnlyBackground(const CALayer& layer)
{
    const CALayer::BackingStore* store = layer.backingStore({});
    return typeid(layer) == typeid(CALayer) && !layer.contents() && !(store && store->backing);
}

CGRect LayerRenderer::paintedExtentInSuperlayer(const CALayer& layer)
{
    const CATransform3D m = layer.transformToSuperlayer();
    if (!isAffineInPlane(m))
        return CGRectInfinite;
    CGRect extent = subtreeExtent(layer);
    if (CGRectIsInfinite(extent))
        return extent;
    // A shadow anywhere in the subtree reaches at most this far beyond what casts it.
    std::vector<const CALayer*> pending { &layer };
    CGFloat reach = 0;
    while (!pending.empty()) {
        const CALayer* next = pending.back();
        pending.pop_back();
        if (next->shadowOpacity() > 0)
            reach = std::max(reach, next->shadowRadius() * 3 + std::abs(next->shadowOffset().width) + std::abs(next->shadowOffset().height) + 1);
        if (next->mask())
            pending.push_back(next->mask().get());
        if (!next->masksToBounds() || next == &layer)
            for (const auto& sublayer : next->sublayers())
                pending.push_back(sublayer.get());
    }
    return CGRectApplyAffineTransform(CGRectInset(extent, -reach, -reach), planeAffine(m));
}

void LayerRenderer::renderInContext(CALayer& layer, const CGContextRef& context)
{
    LayerRenderer renderer(context, {});
    renderer.renderLayerInOwnSpace(layer);
}

CGImageRef LayerRenderer::snapshot(CALayer& layer, CGFloat scale)
{
    const CGRect bounds = layer.bounds();
    auto context = CGBitmapContext::createImageContext(bounds.size, false, scale);
    if (!context)
        return nullptr;
    CGContextTranslateCTM(context, -bounds.origin.x, -bounds.origin.y);
    LayerRenderer renderer(context, { false, true, CACurrentMediaTime() });
    renderer.renderLayerInOwnSpace(layer);
    return CGBitmapContextCreateImage(context);
}

void LayerRenderer::renderLayerInOwnSpace(CALayer& layer) { renderLayer(layer, CATransform3DIdentity); }

void LayerRenderer::renderLayerPlaced(CALayer& layer)
{
    auto source = sourceFor(layer);
    renderLayer(layer, source->placementIn(nullptr));
}

void LayerRenderer::renderLayerPlacedOver(CALayer& layer, const std::vector<const CALayer*>& covering)
{
    m_covering = covering.empty() || covering.front() != &layer ? nullptr : &covering;
    m_coveringDepth = 0;
    renderLayerPlaced(layer);
    m_covering = nullptr;
}

bool LayerRenderer::coveredBy(const CALayer& model, bool inPicture) const
{
    // A picture, and its edges drawn again, hold everything the layer paints.
    return !inPicture && m_covering && m_coveringDepth + 1 < m_covering->size() && (*m_covering)[m_coveringDepth] == &model;
}

std::shared_ptr<CALayer> LayerRenderer::sourceFor(CALayer& model) const
{
    if (m_options.presentationValues && model.hasAnimations())
        return model.presentationAt(m_options.time);
    return model.self();
}

void LayerRenderer::renderLayer(CALayer& model, const CATransform3D& toBase)
{
    const auto source = sourceFor(model);
    if (source->isHidden() || !(source->opacity() > 0))
        return;
    if (isAffineInPlane(toBase))
        renderAffine(model, *source, toBase);
    else
        renderProjected(model, *source, toBase);
}

void LayerRenderer::renderAffine(CALayer& model, const CALayer& source, const CATransform3D& toBase)
{
    const CGAffineTransform placement = planeAffine(toBase);
    // A layer seen from behind is not drawn unless it is double-sided.
    if (!source.isDoubleSided() && placement.a * placement.d - placement.b * placement.c < 0)
        return;
    m_context->saveGState();
    m_context->setCTM(CGAffineTransformConcat(placement, m_baseCTM));
    drawBody(model, source, toBase);
    m_context->restoreGState();
}

void LayerRenderer::drawBody(CALayer& model, const CALayer& source, const CATransform3D& toBase, bool inPicture)
{
    const CGContextRef& c = m_context;
    const CGRect bounds = source.bounds();
    if (model.mask())
        applyMask(model, source);

    std::optional<CGFloat> transitionProgress;
    const CATransition* transition = nullptr;
    if (m_options.presentationValues) {
        if (auto t = std::dynamic_pointer_cast<CATransition>(model.animationForKey(kCATransition))) {
            transitionProgress = t->progressAtTime(m_options.time);
            transition = t.get();
        }
    }

    const auto shadowColor = source.shadowColor() ? source.shadowColor()->rgba() : std::array<CGFloat, 4> { 0, 0, 0, 1 };
    const bool shadow = !inPicture && source.shadowOpacity() > 0 && shadowColor[3] > 0;
    if (shadow && source.shadowPath()
        && !paintKept(model, source, int(LayerPictureCache::Part::Shadow), model.revision(), CGPathGetBoundingBox(source.shadowPath()),
            shadowMargin(source, c->deviceScale()), {}, [&](LayerRenderer& r) { r.drawShadowPath(source); }))
        drawShadowPath(source);
    // Where only the inside of an opaque layer is redrawn its shadow cannot show.
    const bool contentShadow = shadow && !source.shadowPath() && !source.coversOpaquely(CGContextGetClipBoundingBox(c));
    CGFloat alpha = source.opacity();
    CGSize newOffset, oldOffset;
    if (transitionProgress) {
        const CGFloat p = std::clamp(*transitionProgress, CGFloat(0), CGFloat(1));
        const std::string type = transition->type().UTF8String();
        const std::string subtype = transition->subtype() ? transition->subtype().UTF8String() : std::string(kCATransitionFromLeft);
        CGSize direction { -1, 0 };
        if (subtype == kCATransitionFromRight)
            direction = { 1, 0 };
        else if (subtype == kCATransitionFromTop)
            direction = { 0, -1 };
        else if (subtype == kCATransitionFromBottom)
            direction = { 0, 1 };
        const CGSize span { direction.width * bounds.size.width, direction.height * bounds.size.height };
        if (type == kCATransitionPush || type == kCATransitionMoveIn)
            newOffset = { span.width * (1 - p), span.height * (1 - p) };
        if (type == kCATransitionPush || type == kCATransitionReveal)
            oldOffset = { -span.width * p, -span.height * p };
        const bool fade = type != kCATransitionPush && type != kCATransitionMoveIn && type != kCATransitionReveal;
        if (transition->snapshot()) {
            c->saveGState();
            CGContextSetAlpha(c, source.opacity() * (fade ? 1 - p : 1));
            const CGImageRef& picture = transition->snapshot();
            const CGRect rect = CGRectOffset(bounds, oldOffset.width, oldOffset.height);
            drawPicture(*picture, rect);
            c->restoreGState();
        }
        if (fade)
            alpha *= p;
    }

    // When the background hides everything else the layer draws, the shadow of the whole is the
    // shadow of the background: cast it from the fill and save a group the size of the layer.
    const bool backgroundShadow = contentShadow && alpha >= 1 && !transitionProgress && shadowFollowsBackground(model, source);
    const bool group = alpha < 1 || (contentShadow && !backgroundShadow);
    const ClipState outerClip = m_clipState;
    c->saveGState();
    if (newOffset.width != 0 || newOffset.height != 0)
        CGContextTranslateCTM(c, newOffset.width, newOffset.height);
    if (group) {
        // Groups and shadows cost in proportion to their area: keep them to what can be painted.
        const CGRect extent = subtreeExtent(source);
        if (!CGRectIsInfinite(extent)) {
            const CGFloat reach = contentShadow ? source.shadowRadius() * 3 + std::max(std::abs(source.shadowOffset().width), std::abs(source.shadowOffset().height)) + 2 : 1;
            CGContextClipToRect(c, CGRectInset(extent, -reach, -reach));
            noteClip(CGRectInset(extent, -reach, -reach), 0);
        }
        CGContextSetAlpha(c, alpha);
        if (contentShadow)
            CGContextSetShadowWithColor(c, source.shadowOffset(), source.shadowRadius() * 2,
                CGColorCreateGenericRGB(shadowColor[0], shadowColor[1], shadowColor[2], shadowColor[3] * source.shadowOpacity()));
        CGContextBeginTransparencyLayer(c, nullptr);
    }

    if (!group && !transitionProgress && !inPicture && newOffset.width == 0 && newOffset.height == 0 && flattens(model, source)) {
        // Background and everything below in one picture, over the background's shadow.
        if (backgroundShadow && !paintKept(model, source, int(LayerPictureCache::Part::Shadow), model.revision(), bounds,
                shadowMargin(source, c->deviceScale()), opaqueBackground(source), [&](LayerRenderer& r) { r.castBackgroundShadow(source); }, true))
            castBackgroundShadow(source);
        const auto drawAll = [&](LayerRenderer& r) { r.drawBody(model, source, toBase, true); };
        if (!paintKept(model, source, int(LayerPictureCache::Part::Subtree), model.subtreeRevision(), bounds, 0,
                opaqueBackground(source), drawAll))
            drawAll(*this);
        c->restoreGState();
        m_clipState = outerClip;
        return;
    }

    // Above the layer whose background hides the rest, only what comes after it is painted.
    const bool covered = coveredBy(model, inPicture);
    if (!covered)
        drawBackground(model, source, backgroundShadow && !inPicture);

    c->saveGState();
    if (source.masksToBounds()) {
        CGContextAddPath(c, roundedBoundsPath(bounds, source.cornerRadius()));
        CGContextClip(c);
        noteClip(bounds, source.cornerRadius());
    }
    if (!covered) {
        drawContents(model, source);
        drawVectorContent(model, source);
    }
    // Edges drawn again from a picture show everything below, with nothing left out.
    const auto* covering = std::exchange(m_covering, inPicture ? nullptr : m_covering);
    drawSublayers(model, source, toBase, covered);
    m_covering = covering;
    c->restoreGState();
    drawBorder(source);

    if (group)
        CGContextEndTransparencyLayer(c);
    c->restoreGState();
    m_clipState = outerClip;
}

void LayerRenderer::fillBackground(const CALayer& source, bool castsShadow)
{
    const CGContextRef& c = m_context;
    const CGRect bounds = source.bounds();
    c->saveGState();
    if (castsShadow) {
        const auto rgba = source.shadowColor() ? source.shadowColor()->rgba() : std::array<CGFloat, 4> { 0, 0, 0, 1 };
        CGContextSetShadowWithColor(c, source.shadowOffset(), source.shadowRadius() * 2,
            CGColorCreateGenericRGB(rgba[0], rgba[1], rgba[2], rgba[3] * source.shadowOpacity()));
    }
    CGContextSetFillColorWithColor(c, source.backgroundColor());
    if (source.cornerRadius() > 0) {
        CGContextAddPath(c, roundedBoundsPath(bounds, source.cornerRadius()));
        CGContextFillPath(c);
    } else {
        CGContextFillRect(c, bounds);
    }
    c->restoreGState();
}

void LayerRenderer::drawBackground(CALayer& model, const CALayer& source, bool castsShadow)
{
    if (!source.backgroundColor() || !(source.backgroundColor()->alpha() > 0))
        return;
    if (castsShadow) {
        if (!paintKept(model, source, int(LayerPictureCache::Part::Shadow), model.revision(), source.bounds(),
                shadowMargin(source, m_context->deviceScale()), opaqueBackground(source),
                [&](LayerRenderer& r) { r.castBackgroundShadow(source); }, true)) {
            fillBackground(source, true);
            return;
        }
    }
    // A rounded fill is worth keeping; a rectangle fills faster than it copies.
    if (source.cornerRadius() > 0
        && paintKept(model, source, int(LayerPictureCache::Part::Background), model.revision(), source.bounds(), 0,
            opaqueBackground(source), [&](LayerRenderer& r) { r.fillBackground(source, false); }))
        return;
    if (source.cornerRadius() <= 0 && fillAroundOpaqueSublayers(model, source))
        return;
    fillBackground(source, false);
}

void LayerRenderer::drawVectorContent(CALayer& model, const CALayer& source)
{
    const int steps = source.vectorContentSteps({});
    if (steps <= 0 || !m_options.pictures) {
        source.renderVectorContent(m_context, {});
        return;
    }
    const CGRect area = source.vectorContentBounds();
    const CGRect reach = CGRectIsNull(area) ? source.bounds() : CGRectUnion(area, source.bounds());
    for (int step = 0; step < steps; ++step) {
        const auto draw = [&](LayerRenderer& r) { source.renderVectorContentStep(r.m_context, step, {}); };
        // Strokes are drawn each time: a stroke has no opaque inside worth copying.
        const std::vector<CGRect> opaque = gradientIsOpaque(source) ? std::vector<CGRect> { source.bounds() } : std::vector<CGRect> {};
        if (step != 0 || !paintKept(model, source, int(LayerPictureCache::Part::Content), model.revision(), reach, 1, opaque, draw))
            draw(*this);
    }
}

bool LayerRenderer::shadowFollowsBackground(const CALayer& model, const CALayer& source) const
{
    if (model.mask() || (model.backingStore({}) && model.backingStore({})->backing) || source.contents() || (source.borderWidth() > 0 && source.borderColor() && source.borderColor()->alpha() > 0))
        return false;
    // Whatever else is drawn stays a device pixel inside the opaque background, where it
    // cannot change the coverage the shadow is cast from.
    const CGAffineTransform ctm = m_context->ctm();
    const CGFloat det = std::abs(ctm.a * ctm.d - ctm.b * ctm.c);
    if (!(det > 0))
        return false;
    const CGFloat pixel = std::sqrt(ctm.a * ctm.a + ctm.b * ctm.b + ctm.c * ctm.c + ctm.d * ctm.d) / det;
    CGRect inside = source.vectorContentBounds();
    for (const auto& sublayer : model.sublayers()) {
        const auto child = sourceFor(*sublayer);
        if (child->isHidden() || !(child->opacity() > 0))
            continue;
        const CATransform3D m = child->placementIn(&source);
        if (!isAffineInPlane(m))
            return false;
        CGRect extent = subtreeExtent(*child);
        if (child->shadowOpacity() > 0) {
            const CGFloat reach = child->shadowRadius() * 3 + std::abs(child->shadowOffset().width) + std::abs(child->shadowOffset().height) + 1;
            extent = CGRectInset(extent, -reach, -reach);
        }
        if (CGRectIsInfinite(extent))
            return false;
        inside = CGRectUnion(inside, CGRectApplyAffineTransform(extent, planeAffine(m)));
    }
    return CGRectIsNull(inside) || source.coversOpaquely(CGRectInset(inside, -2 * pixel, -2 * pixel));
}

void LayerRenderer::drawSublayers(CALayer& model, const CALayer& source, const CATransform3D& toBase, bool covered)
{
    const auto sublayers = model.sublayersInDrawingOrder();
    auto first = sublayers.begin();
    const std::size_t depth = m_coveringDepth;
    if (covered) {
        // Sublayers drawn before the next covering layer lie below its background.
        const CALayer* next = (*m_covering)[depth + 1];
        first = std::find_if(sublayers.begin(), sublayers.end(), [&](const auto& sublayer) { return sublayer.get() == next; });
        if (first == sublayers.end())
            first = sublayers.begin();
        else
            m_coveringDepth = depth + 1;
    }
    for (auto it = first; it != sublayers.end(); ++it) {
        const auto& sublayer = *it;
        const auto childSource = sourceFor(*sublayer);
        const CATransform3D childToBase = CATransform3DConcat(childSource->placementIn(&source), toBase);
        if (childSource->isHidden() || !(childSource->opacity() > 0))
            continue;
        if (isAffineInPlane(childToBase) && !CGRectIsInfinite(m_clip)) {
            // Nothing of a sublayer outside the clip can show: leave it out.
            CGRect extent = subtreeExtent(*childSource);
            if (childSource->shadowOpacity() > 0) {
                const CGFloat reach = childSource->shadowRadius() * 3 + std::abs(childSource->shadowOffset().width) + std::abs(childSource->shadowOffset().height) + 1;
                extent = CGRectInset(extent, -reach, -reach);
            }
            if (!CGRectIsInfinite(extent) && !CGRectIntersectsRect(CGRectApplyAffineTransform(extent, planeAffine(childToBase)), m_clip))
                continue;
        }
        if (isAffineInPlane(childToBase))
            renderAffine(*sublayer, *childSource, childToBase);
        else
            renderProjected(*sublayer, *childSource, childToBase);
    }
    m_coveringDepth = depth;
}

void LayerRenderer::drawBorder(const CALayer& source)
{
    if (!(source.borderWidth() > 0) || !source.borderColor() || source.borderColor()->alpha() <= 0)
        return;
    const CGContextRef& c = m_context;
    const CGFloat width = std::min({ source.borderWidth(), source.bounds().size.width / 2, source.bounds().size.height / 2 });
    if (width <= 0)
        return;
    // The border lies inside the bounds, following the rounded corners.
    const CGRect inset = CGRectInset(source.bounds(), width / 2, width / 2);
    CGContextSetStrokeColorWithColor(c, source.borderColor());
    CGContextSetLineWidth(c, width);
    CGContextAddPath(c, roundedBoundsPath(inset, std::max(CGFloat(0), source.cornerRadius() - width / 2)));
    CGContextStrokePath(c);
}

void LayerRenderer::applyMask(CALayer& model, const CALayer& source)
{
    const CGContextRef& c = m_context;
    const CGRect bounds = source.bounds();
    auto maskContext = CGBitmapContext::createImageContext(bounds.size, false, std::max(CGFloat(1), c->deviceScale()));
    if (!maskContext) {
        CGContextClipToRect(c, CGRectZero);
        return;
    }
    CGContextTranslateCTM(maskContext, -bounds.origin.x, -bounds.origin.y);
    {
        LayerRenderer renderer(maskContext, m_options);
        CALayer& mask = *model.mask();
        const auto maskSource = renderer.sourceFor(mask);
        renderer.renderLayer(mask, maskSource->placementIn(nullptr));
    }
    const CGImageRef image = CGBitmapContextCreateImage(maskContext);
    // clipToMask puts the picture's top row at the rectangle's maximum y; the layer's y runs down.
    const CGFloat flip = bounds.origin.y * 2 + bounds.size.height;
    CGContextTranslateCTM(c, 0, flip);
    CGContextScaleCTM(c, 1, -1);
    CGContextClipToMask(c, bounds, image);
    CGContextScaleCTM(c, 1, -1);
    CGContextTranslateCTM(c, 0, -flip);
}

std::vector<CGRect> LayerRenderer::opaqueBackground(const CALayer& layer)
{
    const CGRect bounds = layer.bounds();
    if (!layer.coversOpaquely(CGRectMake(CGRectGetMidX(bounds), CGRectGetMidY(bounds), 0, 0)))
        return {};
    const CGFloat radius = std::min({ layer.cornerRadius(), bounds.size.width / 2, bounds.size.height / 2 });
    if (radius <= 0)
        return { bounds };
    return { CGRectInset(bounds, radius, 0), CGRectInset(bounds, 0, radius) };
}

void LayerRenderer::noteClip(CGRect rect, CGFloat radius)
{
    const CGAffineTransform t = pixelTransform();
    CGRect inner = CGRectNull;
    bool aligned = false;
    if (t.b == 0 && t.c == 0) {
        const CGRect device = CGRectStandardize(CGRectApplyAffineTransform(rect, t));
        aligned = radius <= 0 && wholePixel(CGRectGetMinX(device)) && wholePixel(CGRectGetMinY(device)) && wholePixel(CGRectGetMaxX(device))
            && wholePixel(CGRectGetMaxY(device));
        radius = std::min({ radius, rect.size.width / 2, rect.size.height / 2 });
        CGRect band = rect;
        if (radius > 0)
            band = rect.size.width >= rect.size.height ? CGRectInset(rect, 0, radius) : CGRectInset(rect, radius, 0);
        inner = pixelsInside(CGRectApplyAffineTransform(band, t));
    }
    if (!aligned)
        m_clipState.aligned = false;
    m_clipState.inner = CGRectIntersection(m_clipState.inner, inner);
}

bool LayerRenderer::flattens(CALayer& model, const CALayer& source)
{
    LayerPictureCache* cache = m_options.pictures;
    if (!cache || &source != &model || model.sublayers().empty() || model.mask() || source.opacity() < 1 || !source.backgroundColor()
        || source.backgroundColor()->alpha() < 1)
        return false;
    const CGAffineTransform toDevice = pixelTransform();
    const CGRect device = CGRectStandardize(CGRectApplyAffineTransform(source.bounds(), toDevice));
    if (!std::isfinite(device.size.width) || !std::isfinite(device.size.height)
        || (device.size.width + 4) * (device.size.height + 4) * 4 > double(cache->largestPicture()))
        return false;
    // A picture of the subtree as it is was made when nothing below animated (adding an
    // animation counts as a change) and everything lay inside the background.
    const std::uint64_t revision = model.subtreeRevision();
    const LayerPictureCache::Picture& kept = cache->picture(model, LayerPictureCache::Part::Subtree);
    if (kept.drawn && kept.revision == revision)
        return true;
    // Worth a picture once it was drawn unchanged before: not what changes every frame.
    if (cache->exchangeSeenRevision(model, revision) != revision)
        return false;
    std::vector<const CALayer*> pending;
    for (const auto& sublayer : model.sublayers())
        pending.push_back(sublayer.get());
    while (!pending.empty()) {
        const CALayer* layer = pending.back();
        pending.pop_back();
        if (layer->hasAnimations() || strokes(*layer))
            return false;
        if (layer->mask())
            pending.push_back(layer->mask().get());
        for (const auto& sublayer : layer->sublayers())
            pending.push_back(sublayer.get());
    }
    // Everything below stays where the background is opaque, so the picture's edge is the
    // background's alone.
    return shadowFollowsBackground(model, source);
}

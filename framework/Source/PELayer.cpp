#include "framework/Source/PELayer.h"

#include "framework/Source/NSCoder_PEExtensions.h"
#include "framework/Source/PEExceptions.h"
#include "framework/Source/PEGraph.h"
#include "framework/Source/PEShadow.h"
#include "framework/Source/PEUtilities.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSNotificationCenter.h"

#include <cmath>

namespace {

thread_local int renderingDepth = 0;

bool isQuarterTurnOrUnrotated(const CATransform3D& transform)
{
    if (!CATransform3DIsAffine(transform))
        return false;
    CGAffineTransform t = CATransform3DGetAffineTransform(transform);
    auto whole = [](CGFloat v) { return std::abs(v - std::round(v)) < 1e-9; };
    bool axisAligned = (std::abs(t.b) < 1e-9 && std::abs(t.c) < 1e-9) || (std::abs(t.a) < 1e-9 && std::abs(t.d) < 1e-9);
    return axisAligned && whole(t.a) && whole(t.b) && whole(t.c) && whole(t.d);
}

} // namespace

PERenderingScope::PERenderingScope() { ++renderingDepth; }
PERenderingScope::~PERenderingScope() { --renderingDepth; }
bool PERenderingScope::isRendering() { return renderingDepth > 0; }

void PELayer::init()
{
    init(CGRectZero);
}

void PELayer::init(CGRect frame)
{
    CALayer::init();
    CALayer::setFrame(frame);
    setNeedsDisplayOnBoundsChange(false);
}

void PELayer::init(const CALayer& layer)
{
    CALayer::init(layer);
    auto model = dynamic_cast<const PELayer*>(&layer);
    if (!model)
        return;
    m_paddingLeft = model->m_paddingLeft;
    m_paddingTop = model->m_paddingTop;
    m_paddingRight = model->m_paddingRight;
    m_paddingBottom = model->m_paddingBottom;
    m_graph = model->m_graph;
    m_identifier = model->m_identifier;
    m_shadow = model->m_shadow;
    m_masksToBorder = model->m_masksToBorder;
    m_useFastRendering = model->m_useFastRendering;
}

void PELayer::postRedrawForGraph()
{
    if (PERenderingScope::isRendering())
        return;
    if (auto owner = graph())
        NSNotificationCenter::defaultCenter()->postNotificationName(PEGraphNeedsRedrawNotification, owner);
}

void PELayer::setNeedsDisplay()
{
    CALayer::setNeedsDisplay();
    postRedrawForGraph();
}

void PELayer::setNeedsLayout()
{
    CALayer::setNeedsLayout();
    postRedrawForGraph();
}

void PELayer::renderAsVectorInContext(const CGContextRef& context)
{
    if (m_renderingRecursively && maskClipsOwnDrawing())
        applyMaskInContext(context);
    if (m_shadow)
        m_shadow->setShadowInContext(context);
}

void PELayer::applyMaskInContext(const CGContextRef& context)
{
    // The engine's mask layers paint exactly their owner's sublayer masking path, so clipping to
    // that path is what compositing the mask would do.
    if (!mask())
        return;
    CGPathRef path = sublayerMaskingPath();
    CGContextBeginPath(context);
    if (path)
        CGContextAddPath(context, path);
    else
        CGContextAddRect(context, CGRectZero);
    CGContextClip(context);
}

void PELayer::drawInContext(const CGContextRef& context)
{
    m_useFastRendering = true;
    renderAsVectorInContext(context);
    m_useFastRendering = false;
}

void PELayer::recursivelyRenderInContext(const CGContextRef& context)
{
    if (isHidden() || !context)
        return;
    PERenderingScope scope;
    CGContextSaveGState(context);
    // The mask covers the sublayers, and the layer's own drawing unless the layer says otherwise.
    if (maskClipsOwnDrawing())
        applyMaskInContext(context);
    bool drawn = true;
    m_renderingRecursively = true;
    try {
        CGContextSaveGState(context);
        renderAsVectorInContext(context);
        CGContextRestoreGState(context);
    } catch (const NSException& exception) {
        CGContextRestoreGState(context);
        NSLog("Layer %s left out of the frame: %@: %@", className(), exception.name(), exception.reason());
        drawn = false;
    } catch (const std::exception& exception) {
        CGContextRestoreGState(context);
        NSLog("Layer %s left out of the frame: %s", className(), exception.what());
        drawn = false;
    }
    m_renderingRecursively = false;
    if (drawn) {
        if (!maskClipsOwnDrawing())
            applyMaskInContext(context);
        if (masksToBounds()) {
            CGContextBeginPath(context);
            CGContextAddPath(context, maskingPath() ? maskingPath() : PENewRoundedRectPath(bounds(), 0));
            CGContextClip(context);
        }
        for (const auto& sublayer : sublayersInDrawingOrder()) {
            if (sublayer->isHidden() || sublayer.get() == mask().get())
                continue;
            CGContextSaveGState(context);
            CGContextConcatCTM(context, CATransform3DGetAffineTransform(sublayer->transformToSuperlayer()));
            if (auto engineLayer = std::dynamic_pointer_cast<PELayer>(sublayer))
                engineLayer->recursivelyRenderInContext(context);
            else
                sublayer->renderInContext(context);
            CGContextRestoreGState(context);
        }
    }
    CGContextRestoreGState(context);
}

void PELayer::sublayerMargin(CGFloat& left, CGFloat& top, CGFloat& right, CGFloat& bottom) const
{
    left = m_paddingLeft;
    top = m_paddingTop;
    right = m_paddingRight;
    bottom = m_paddingBottom;
}

void PELayer::layoutSublayers()
{
    auto layers = sublayers();
    if (layers.empty())
        return;
    CGFloat left, top, right, bottom;
    sublayerMargin(left, top, right, bottom);
    CGRect selfBounds = bounds();
    // In the engine's geometry y grows upwards, so the bottom margin comes off the minimum y.
    CGRect frame {
        { std::round(selfBounds.origin.x + left), std::round(selfBounds.origin.y + bottom) },
        { std::max(0.0, std::round(selfBounds.size.width - left - right)), std::max(0.0, std::round(selfBounds.size.height - top - bottom)) },
    };
    auto excluded = sublayersExcludedFromAutomaticLayout();
    for (const auto& layer : layers) {
        auto engineLayer = std::dynamic_pointer_cast<PELayer>(layer);
        if (!engineLayer || (excluded && excluded->count(layer)))
            continue;
        engineLayer->setFrame(frame);
    }
}

CGSize PELayer::shadowMargin() const
{
    if (!m_shadow)
        return CGSizeZero;
    CGSize offset = m_shadow->shadowOffset();
    CGFloat blur = m_shadow->shadowBlurRadius();
    return CGSize { std::ceil(std::abs(offset.width) + std::abs(blur)), std::ceil(std::abs(offset.height) + std::abs(blur)) };
}

CGRect PELayer::bounds() const
{
    CGRect platformBounds = CALayer::bounds();
    if (!m_shadow)
        return platformBounds;
    CGSize margin = shadowMargin();
    return CGRectInset(platformBounds, margin.width, margin.height);
}

void PELayer::setBounds(CGRect newBounds)
{
    if (CGRectEqualToRect(bounds(), newBounds))
        return;
    CGSize margin = shadowMargin();
    CALayer::setBounds(m_shadow ? CGRectInset(newBounds, -margin.width, -margin.height) : newBounds);
    m_outerBorderPath = nullptr;
    m_innerBorderPath = nullptr;
    NSNotificationCenter::defaultCenter()->postNotificationName(PELayerBoundsDidChangeNotification, self());
}

void PELayer::setFrame(CGRect frame)
{
    CGRect before = bounds();
    CALayer::setFrame(frame);
    if (!CGRectEqualToRect(before, bounds())) {
        m_outerBorderPath = nullptr;
        m_innerBorderPath = nullptr;
        NSNotificationCenter::defaultCenter()->postNotificationName(PELayerBoundsDidChangeNotification, self());
    }
}

void PELayer::setAnchorPoint(CGPoint anchorPoint)
{
    if (m_shadow) {
        CGSize margin = shadowMargin();
        CGSize size = bounds().size;
        CGFloat width = size.width + 2 * margin.width;
        CGFloat height = size.height + 2 * margin.height;
        if (width > 0)
            anchorPoint.x = (anchorPoint.x - 0.5) * size.width / width + 0.5;
        if (height > 0)
            anchorPoint.y = (anchorPoint.y - 0.5) * size.height / height + 0.5;
    }
    CALayer::setAnchorPoint(anchorPoint);
}

void PELayer::pixelAlign()
{
    CGFloat scale = contentsScale();
    if (!(scale > 0))
        scale = 1;
    CGPoint currentPosition = position();
    if (isQuarterTurnOrUnrotated(transform())) {
        CGRect currentFrame = frame();
        CGPoint aligned {
            std::ceil(scale * currentFrame.origin.x - 0.5) / scale,
            std::ceil(scale * currentFrame.origin.y - 0.5) / scale,
        };
        setPosition(CGPoint { currentPosition.x + aligned.x - currentFrame.origin.x, currentPosition.y + aligned.y - currentFrame.origin.y });
    } else {
        setPosition(CGPoint { std::round(currentPosition.x * scale) / scale, std::round(currentPosition.y * scale) / scale });
    }
}

void PELayer::setCornerRadius(CGFloat radius)
{
    if (radius == cornerRadius())
        return;
    CALayer::setCornerRadius(radius);
    m_outerBorderPath = nullptr;
    m_innerBorderPath = nullptr;
    setNeedsDisplay();
}

void PELayer::setPaddingLeft(CGFloat padding)
{
    if (padding == m_paddingLeft)
        return;
    m_paddingLeft = padding;
    setNeedsLayout();
}

void PELayer::setPaddingTop(CGFloat padding)
{
    if (padding == m_paddingTop)
        return;
    m_paddingTop = padding;
    setNeedsLayout();
}

void PELayer::setPaddingRight(CGFloat padding)
{
    if (padding == m_paddingRight)
        return;
    m_paddingRight = padding;
    setNeedsLayout();
}

void PELayer::setPaddingBottom(CGFloat padding)
{
    if (padding == m_paddingBottom)
        return;
    m_paddingBottom = padding;
    setNeedsLayout();
}

void PELayer::setGraph(const std::shared_ptr<PEGraph>& newGraph)
{
    m_graph = newGraph;
}

void PELayer::setIdentifier(const id& identifier)
{
    if (ns::isEqual(identifier, m_identifier))
        return;
    m_identifier = identifier ? identifier->copy() : nullptr;
}

void PELayer::setShadow(const std::shared_ptr<PEShadow>& newShadow)
{
    if (newShadow == m_shadow)
        return;
    CGRect inner = bounds();
    m_shadow = newShadow ? newShadow->copyShadow() : nullptr;
    // Keep the visible bounds; the platform bounds grow by the new margin.
    CGSize margin = shadowMargin();
    CALayer::setBounds(m_shadow ? CGRectInset(inner, -margin.width, -margin.height) : inner);
    setNeedsLayout();
    setNeedsDisplay();
}

void PELayer::setMasksToBorder(bool masks)
{
    if (masks == m_masksToBorder)
        return;
    m_masksToBorder = masks;
    setNeedsDisplay();
}

CGPathRef PELayer::maskingPath()
{
    if (!masksToBounds())
        return nullptr;
    if (!m_outerBorderPath)
        m_outerBorderPath = PENewRoundedRectPath(bounds(), cornerRadius());
    return m_outerBorderPath;
}

CGPathRef PELayer::sublayerMaskingPath() { return m_innerBorderPath; }

bool PELayer::pointingDeviceDownEvent(const UIEventRef&, CGPoint) { return false; }
bool PELayer::pointingDeviceUpEvent(const UIEventRef&, CGPoint) { return false; }
bool PELayer::pointingDeviceDraggedEvent(const UIEventRef&, CGPoint) { return false; }
bool PELayer::pointingDeviceCancelledEvent(const UIEventRef&) { return false; }

void PELayer::encodeWithCoder(NSCoder& coder) const
{
    NSCoder_PEExtensions::encodeCGFloat(coder, m_paddingLeft, "PELayer.paddingLeft");
    NSCoder_PEExtensions::encodeCGFloat(coder, m_paddingTop, "PELayer.paddingTop");
    NSCoder_PEExtensions::encodeCGFloat(coder, m_paddingRight, "PELayer.paddingRight");
    NSCoder_PEExtensions::encodeCGFloat(coder, m_paddingBottom, "PELayer.paddingBottom");
    coder.encodeBool(m_masksToBorder, "PELayer.masksToBorder");
    coder.encodeObject(m_shadow, "PELayer.shadow");
    coder.encodeObject(m_identifier, "PELayer.identifier");
    NSCoder_PEExtensions::encodePERect(coder, CALayer::bounds(), "PELayer.bounds");
    NSCoder_PEExtensions::encodePEPoint(coder, position(), "PELayer.position");
    NSCoder_PEExtensions::encodePEPoint(coder, anchorPoint(), "PELayer.anchorPoint");
    NSCoder_PEExtensions::encodeCGFloat(coder, cornerRadius(), "PELayer.cornerRadius");
    NSCoder_PEExtensions::encodeCGFloat(coder, contentsScale(), "PELayer.contentsScale");
    coder.encodeBool(isHidden(), "PELayer.hidden");
    coder.encodeBool(masksToBounds(), "PELayer.masksToBounds");
}

bool PELayer::init(NSCoder& coder)
{
    init();
    // Sublayers and annotations link back to their layer conditionally.
    coder.registerDecodingObject(self());
    m_paddingLeft = NSCoder_PEExtensions::decodeCGFloatForKey(coder, "PELayer.paddingLeft");
    m_paddingTop = NSCoder_PEExtensions::decodeCGFloatForKey(coder, "PELayer.paddingTop");
    m_paddingRight = NSCoder_PEExtensions::decodeCGFloatForKey(coder, "PELayer.paddingRight");
    m_paddingBottom = NSCoder_PEExtensions::decodeCGFloatForKey(coder, "PELayer.paddingBottom");
    m_masksToBorder = coder.decodeBoolForKey("PELayer.masksToBorder");
    m_shadow = coder.decodeObjectOfClass<PEShadow>("PELayer.shadow");
    m_identifier = NSCoder_PEExtensions::decodeIdentifierForKey(coder, "PELayer.identifier");
    CGRect platformBounds = NSCoder_PEExtensions::decodePERectForKey(coder, "PELayer.bounds");
    CGPoint platformPosition = NSCoder_PEExtensions::decodePEPointForKey(coder, "PELayer.position");
    CGPoint anchor = NSCoder_PEExtensions::decodePEPointForKey(coder, "PELayer.anchorPoint");
    CGFloat radius = NSCoder_PEExtensions::decodeCGFloatForKey(coder, "PELayer.cornerRadius");
    CGFloat scale = NSCoder_PEExtensions::decodeCGFloatForKey(coder, "PELayer.contentsScale");
    auto finite = [](CGFloat value) { return std::isfinite(value); };
    if (!finite(platformBounds.origin.x) || !finite(platformBounds.origin.y) || !finite(platformBounds.size.width)
        || !finite(platformBounds.size.height) || platformBounds.size.width < 0 || platformBounds.size.height < 0
        || !finite(platformPosition.x) || !finite(platformPosition.y) || !finite(anchor.x) || !finite(anchor.y) || !finite(radius)) {
        return false;
    }
    CALayer::setBounds(platformBounds);
    CALayer::setPosition(platformPosition);
    if (coder.containsValueForKey("PELayer.anchorPoint.x"))
        CALayer::setAnchorPoint(anchor);
    CALayer::setCornerRadius(radius);
    if (scale > 0 && finite(scale))
        setContentsScale(scale);
    setHidden(coder.decodeBoolForKey("PELayer.hidden"));
    setMasksToBounds(coder.decodeBoolForKey("PELayer.masksToBounds"));
    return true;
}

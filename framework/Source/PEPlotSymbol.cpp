#include "framework/Source/PEPlotSymbol.h"

#include "framework/Source/NSCoder_PEExtensions.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PELineStyle.h"
#include "framework/Source/PEShadow.h"

#include <cmath>

namespace {

constexpr CGFloat sin60 = 0.86602540378;

double roundHalfAway(double value) { return std::round(value); }

} // namespace

void PEPlotSymbol::init() { m_lineStyle = PELineStyle::lineStyle(); }

std::shared_ptr<PEPlotSymbol> PEPlotSymbol::symbolOfType(PEPlotSymbolType type)
{
    auto symbol = create();
    symbol->setSymbolType(type);
    return symbol;
}

std::shared_ptr<PEPlotSymbol> PEPlotSymbol::customPlotSymbolWithPath(const CGPathRef& path)
{
    auto symbol = symbolOfType(PEPlotSymbolTypeCustom);
    symbol->setCustomSymbolPath(path);
    return symbol;
}

void PEPlotSymbol::setSize(CGSize size)
{
    if (size.width == m_size.width && size.height == m_size.height)
        return;
    m_size = size;
    setCachedSymbolPath(nullptr);
}

void PEPlotSymbol::setSymbolType(PEPlotSymbolType type)
{
    if (type == m_symbolType)
        return;
    m_symbolType = type;
    setCachedSymbolPath(nullptr);
}

void PEPlotSymbol::setLineStyle(const std::shared_ptr<PELineStyle>& style)
{
    if (style == m_lineStyle)
        return;
    m_lineStyle = style;
    m_cachedLayer = nullptr;
}

void PEPlotSymbol::setFill(const std::shared_ptr<PEFill>& fill)
{
    if (fill == m_fill)
        return;
    m_fill = fill;
    m_cachedLayer = nullptr;
}

void PEPlotSymbol::setShadow(const std::shared_ptr<PEShadow>& shadow)
{
    if (shadow == m_shadow)
        return;
    m_shadow = shadow ? std::static_pointer_cast<PEShadow>(shadow->copy()) : nullptr;
    setCachedSymbolPath(nullptr);
}

void PEPlotSymbol::setCustomSymbolPath(const CGPathRef& path)
{
    if (path == m_customSymbolPath)
        return;
    m_customSymbolPath = path;
    setCachedSymbolPath(nullptr);
}

void PEPlotSymbol::setUsesEvenOddClipRule(bool evenOdd)
{
    if (evenOdd == m_usesEvenOddClipRule)
        return;
    m_usesEvenOddClipRule = evenOdd;
    m_cachedLayer = nullptr;
}

CGPathRef PEPlotSymbol::cachedSymbolPath()
{
    if (!m_cachedSymbolPath)
        m_cachedSymbolPath = newSymbolPath();
    return m_cachedSymbolPath;
}

void PEPlotSymbol::setCachedSymbolPath(const CGPathRef& path)
{
    if (path == m_cachedSymbolPath)
        return;
    m_cachedSymbolPath = path;
    m_cachedLayer = nullptr;
}

bool PEPlotSymbol::isClosedShape() const
{
    return (m_symbolType >= PEPlotSymbolTypeRectangle && m_symbolType <= PEPlotSymbolTypeHexagon) || m_symbolType == PEPlotSymbolTypeCustom;
}

bool PEPlotSymbol::isOpenStroke() const { return m_symbolType >= PEPlotSymbolTypeCross && m_symbolType <= PEPlotSymbolTypeSnow; }

CGPathRef PEPlotSymbol::newSymbolPath() const
{
    const CGFloat w = m_size.width;
    const CGFloat h = m_size.height;
    const CGFloat hw = w * 0.5;
    const CGFloat hh = h * 0.5;
    auto path = CGPathCreateMutable();
    auto polygon = [&](std::initializer_list<std::pair<CGFloat, CGFloat>> points) {
        bool first = true;
        for (auto [x, y] : points) {
            if (first)
                CGPathMoveToPoint(path, nullptr, x * hw, y * hh);
            else
                CGPathAddLineToPoint(path, nullptr, x * hw, y * hh);
            first = false;
        }
        CGPathCloseSubpath(path);
    };
    auto segment = [&](CGFloat x0, CGFloat y0, CGFloat x1, CGFloat y1) {
        CGPathMoveToPoint(path, nullptr, x0 * hw, y0 * hh);
        CGPathAddLineToPoint(path, nullptr, x1 * hw, y1 * hh);
    };
    switch (m_symbolType) {
    case PEPlotSymbolTypeRectangle:
        CGPathAddRect(path, nullptr, CGRect { { -hw, -hh }, { w, h } });
        break;
    case PEPlotSymbolTypeEllipse:
        CGPathAddEllipseInRect(path, nullptr, CGRect { { -hw, -hh }, { w, h } });
        break;
    case PEPlotSymbolTypeDiamond:
        polygon({ { 0, 1 }, { 1, 0 }, { 0, -1 }, { -1, 0 } });
        break;
    case PEPlotSymbolTypeTriangle:
        polygon({ { 0, 1 }, { sin60, -0.5 }, { -sin60, -0.5 } });
        break;
    case PEPlotSymbolTypeStar:
        polygon({ { 0, 1 }, { 0.22451398829, 0.30901699437 }, { 0.9510565163, 0.30901699437 }, { 0.363271264, -0.11803398875 },
            { 0.58778525229, -0.80901699437 }, { 0, -0.38196601125 }, { -0.58778525229, -0.80901699437 },
            { -0.363271264, -0.11803398875 }, { -0.9510565163, 0.30901699437 }, { -0.22451398829, 0.30901699437 } });
        break;
    case PEPlotSymbolTypePentagon:
        polygon({ { 0, 1 }, { 0.9510565163, 0.30901699437 }, { 0.58778525229, -0.80901699437 }, { -0.58778525229, -0.80901699437 },
            { -0.9510565163, 0.30901699437 } });
        break;
    case PEPlotSymbolTypeHexagon:
        polygon({ { 0, 1 }, { sin60, 0.5 }, { sin60, -0.5 }, { 0, -1 }, { -sin60, -0.5 }, { -sin60, 0.5 } });
        break;
    case PEPlotSymbolTypeCross:
        segment(-1, 1, 1, -1);
        segment(1, 1, -1, -1);
        break;
    case PEPlotSymbolTypePlus:
        segment(0, 1, 0, -1);
        segment(-1, 0, 1, 0);
        break;
    case PEPlotSymbolTypeDash:
        segment(1, 0, -1, 0);
        break;
    case PEPlotSymbolTypeSnow:
        segment(0, 1, 0, -1);
        segment(sin60, -0.5, -sin60, 0.5);
        segment(-sin60, -0.5, sin60, 0.5);
        break;
    case PEPlotSymbolTypeCustom:
        if (m_customSymbolPath) {
            const CGRect box = CGPathGetPathBoundingBox(m_customSymbolPath);
            const CGFloat sx = box.size.width > 0 ? w / box.size.width : 1;
            const CGFloat sy = box.size.height > 0 ? h / box.size.height : 1;
            // Centre the box on the origin first, so paths drawn anywhere land on the point.
            CGAffineTransform transform = CGAffineTransformMakeScale(sx, sy);
            transform = CGAffineTransformTranslate(transform, -CGRectGetMidX(box), -CGRectGetMidY(box));
            CGPathAddPath(path, &transform, m_customSymbolPath);
        }
        break;
    default:
        break;
    }
    return path;
}

void PEPlotSymbol::renderAsVectorInContext(const CGContextRef& context, CGPoint center, CGFloat scale)
{
    auto path = cachedSymbolPath();
    if (!path)
        return;
    std::shared_ptr<PEFill> fill;
    std::shared_ptr<PELineStyle> line;
    if (isClosedShape()) {
        fill = m_fill;
        line = m_lineStyle;
    } else if (isOpenStroke()) {
        line = m_lineStyle;
    }
    if (!fill && !line)
        return;
    const CGFloat w = m_size.width;
    const CGFloat h = m_size.height;
    CGContextSaveGState(context);
    CGContextTranslateCTM(context, center.x - (m_anchorPoint.x - 0.5) * w, center.y - (m_anchorPoint.y - 0.5) * h);
    CGContextScaleCTM(context, scale, scale);
    if (m_shadow)
        m_shadow->setShadowInContext(context);
    CGContextBeginTransparencyLayer(context, nullptr);
    if (fill) {
        CGContextSaveGState(context);
        if (!CGPathIsEmpty(path)) {
            CGContextBeginPath(context);
            CGContextAddPath(context, path);
            if (m_usesEvenOddClipRule)
                CGContextEOClip(context);
            else
                CGContextClip(context);
        }
        fill->fillRect(CGRect { { -w / 2, -h / 2 }, { w, h } }, context);
        CGContextRestoreGState(context);
    }
    if (line) {
        line->setLineStyleInContext(context);
        CGContextBeginPath(context);
        CGContextAddPath(context, path);
        line->strokePathInContext(context);
    }
    CGContextEndTransparencyLayer(context);
    CGContextRestoreGState(context);
}

void PEPlotSymbol::renderInContext(const CGContextRef& context, CGPoint center, CGFloat scale, bool alignToPixels)
{
    const CGPoint anchor = m_anchorPoint;
    const CGSize size = m_size;
    CGSize shadowOffset {};
    CGFloat blur = 0;
    if (m_shadow) {
        shadowOffset = m_shadow->shadowOffset();
        blur = m_shadow->shadowBlurRadius();
    }
    if (!m_cachedLayer || m_cachedScale != scale) {
        const CGFloat lineWidth = m_lineStyle ? m_lineStyle->lineWidth() : 0;
        const CGSize layerSize { (size.width + lineWidth + 2 * (blur + std::fabs(shadowOffset.width))) * scale + 2.0,
            (size.height + lineWidth + 2 * (blur + std::fabs(shadowOffset.height))) * scale + 2.0 };
        m_anchorPoint = CGPoint { 0.5, 0.5 };
        auto layer = CGLayerCreateWithContext(context, layerSize, nullptr);
        if (layer) {
            renderAsVectorInContext(CGLayerGetContext(layer), CGPoint { layerSize.width / 2, layerSize.height / 2 }, scale);
            m_cachedLayer = layer;
            m_cachedScale = scale;
        }
        m_anchorPoint = anchor;
    }
    if (!m_cachedLayer)
        return;
    CGSize layerSize = CGLayerGetSize(m_cachedLayer);
    if (scale != 1.0)
        layerSize = CGSize { layerSize.width / scale, layerSize.height / scale };
    CGPoint origin { center.x - layerSize.width * 0.5 - (anchor.x - 0.5) * size.width, center.y - layerSize.height * 0.5 - (anchor.y - 0.5) * size.height };
    if (alignToPixels) {
        if (scale == 1.0)
            origin = CGPoint { roundHalfAway(origin.x), roundHalfAway(origin.y) };
        else
            origin = CGPoint { roundHalfAway(origin.x * scale) / scale, roundHalfAway(origin.y * scale) / scale };
    }
    CGContextDrawLayerInRect(context, CGRect { origin, layerSize }, m_cachedLayer);
}

id PEPlotSymbol::copy() const
{
    auto other = create();
    other->m_anchorPoint = m_anchorPoint;
    other->m_size = m_size;
    other->m_symbolType = m_symbolType;
    other->m_usesEvenOddClipRule = m_usesEvenOddClipRule;
    other->m_lineStyle = m_lineStyle ? m_lineStyle->copyStyle() : nullptr;
    other->m_fill = m_fill ? std::static_pointer_cast<PEFill>(m_fill->copy()) : nullptr;
    other->m_shadow = m_shadow ? std::static_pointer_cast<PEShadow>(m_shadow->copy()) : nullptr;
    other->m_customSymbolPath = m_customSymbolPath ? CGPathCreateCopy(m_customSymbolPath) : nullptr;
    return other;
}

void PEPlotSymbol::encodeWithCoder(NSCoder& coder) const
{
    using namespace NSCoder_PEExtensions;
    encodePEPoint(coder, m_anchorPoint, "PEPlotSymbol.anchorPoint");
    encodePESize(coder, m_size, "PEPlotSymbol.size");
    coder.encodeInt(m_symbolType, "PEPlotSymbol.symbolType");
    coder.encodeObject(m_lineStyle, "PEPlotSymbol.lineStyle");
    coder.encodeObject(m_fill, "PEPlotSymbol.fill");
    coder.encodeObject(m_shadow, "PEPlotSymbol.shadow");
    if (m_customSymbolPath)
        encodeCGPath(coder, m_customSymbolPath, "PEPlotSymbol.customSymbolPath");
    coder.encodeBool(m_usesEvenOddClipRule, "PEPlotSymbol.usesEvenOddClipRule");
}

bool PEPlotSymbol::init(NSCoder& coder)
{
    using namespace NSCoder_PEExtensions;
    m_anchorPoint = decodePEPointForKey(coder, "PEPlotSymbol.anchorPoint");
    m_size = decodePESizeForKey(coder, "PEPlotSymbol.size");
    const int type = coder.decodeIntForKey("PEPlotSymbol.symbolType");
    if (type < PEPlotSymbolTypeNone || type > PEPlotSymbolTypeCustom || !std::isfinite(m_size.width) || !std::isfinite(m_size.height))
        return false;
    m_symbolType = static_cast<PEPlotSymbolType>(type);
    m_lineStyle = coder.decodeObjectOfClass<PELineStyle>("PEPlotSymbol.lineStyle");
    m_fill = coder.decodeObjectOfClass<PEFill>("PEPlotSymbol.fill");
    m_shadow = coder.decodeObjectOfClass<PEShadow>("PEPlotSymbol.shadow");
    if (coder.containsValueForKey("PEPlotSymbol.customSymbolPath.count"))
        m_customSymbolPath = newCGPathDecodeForKey(coder, "PEPlotSymbol.customSymbolPath");
    m_usesEvenOddClipRule = coder.decodeBoolForKey("PEPlotSymbol.usesEvenOddClipRule");
    return true;
}

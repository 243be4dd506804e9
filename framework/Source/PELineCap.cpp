#include "framework/Source/PELineCap.h"

#include "framework/Source/NSCoder_PEExtensions.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PELineStyle.h"

#include <cmath>
#include <numbers>

void PELineCap::init()
{
    m_lineStyle = PELineStyle::lineStyle();
}

std::shared_ptr<PELineCap> PELineCap::withType(PELineCapType type)
{
    auto cap = create();
    cap->m_lineCapType = type;
    return cap;
}

std::shared_ptr<PELineCap> PELineCap::customLineCapWithPath(const CGPathRef& path)
{
    auto cap = withType(PELineCapTypeCustom);
    cap->m_customLineCapPath = path;
    return cap;
}

void PELineCap::setSize(CGSize size)
{
    if (size.width == m_size.width && size.height == m_size.height)
        return;
    m_size = size;
    m_cachedLineCapPath = nullptr;
}

void PELineCap::setLineCapType(PELineCapType type)
{
    if (type == m_lineCapType)
        return;
    m_lineCapType = type;
    m_cachedLineCapPath = nullptr;
}

void PELineCap::setCustomLineCapPath(const CGPathRef& path)
{
    if (path == m_customLineCapPath)
        return;
    m_customLineCapPath = path;
    m_cachedLineCapPath = nullptr;
}

CGPathRef PELineCap::cachedLineCapPath()
{
    if (!m_cachedLineCapPath)
        m_cachedLineCapPath = newLineCapPath();
    return m_cachedLineCapPath;
}

CGPathRef PELineCap::newLineCapPath() const
{
    CGMutablePathRef path = CGPathCreateMutable();
    const CGFloat w = m_size.width, h = m_size.height, a = w / 2, b = h / 2;
    auto polygon = [&](std::initializer_list<CGPoint> points, bool closed) {
        bool first = true;
        for (CGPoint p : points) {
            if (first)
                CGPathMoveToPoint(path, nullptr, p.x, p.y);
            else
                CGPathAddLineToPoint(path, nullptr, p.x, p.y);
            first = false;
        }
        if (closed)
            CGPathCloseSubpath(path);
    };
    switch (m_lineCapType) {
    case PELineCapTypeOpenArrow:
        polygon({ { -a, -b }, { 0, 0 }, { a, -b } }, false);
        break;
    case PELineCapTypeSolidArrow:
        polygon({ { -a, -b }, { 0, 0 }, { a, -b } }, true);
        break;
    case PELineCapTypeSweptArrow:
        polygon({ { -a, -b }, { 0, 0 }, { a, -b }, { 0, -0.375 * h } }, true);
        break;
    case PELineCapTypeRectangle:
        CGPathAddRect(path, nullptr, CGRect { { -a, -b }, { w, h } });
        break;
    case PELineCapTypeEllipse:
        CGPathAddEllipseInRect(path, nullptr, CGRect { { -a, -b }, { w, h } });
        break;
    case PELineCapTypeDiamond:
        polygon({ { 0, b }, { a, 0 }, { 0, -b }, { -a, 0 } }, true);
        break;
    case PELineCapTypePentagon:
        polygon({ { 0, b }, { 0.9510565163 * a, 0.30901699437 * b }, { 0.58778525229 * a, -0.80901699437 * b },
                    { -0.58778525229 * a, -0.80901699437 * b }, { -0.9510565163 * a, 0.30901699437 * b } },
            true);
        break;
    case PELineCapTypeHexagon:
        polygon({ { 0, b }, { 0.86602540378 * a, 0.5 * b }, { 0.86602540378 * a, -0.5 * b }, { 0, -b },
                    { -0.86602540378 * a, -0.5 * b }, { -0.86602540378 * a, 0.5 * b } },
            true);
        break;
    case PELineCapTypeBar:
        polygon({ { a, 0 }, { -a, 0 } }, false);
        break;
    case PELineCapTypeCross:
        polygon({ { -a, b }, { a, -b } }, false);
        polygon({ { a, b }, { -a, -b } }, false);
        break;
    case PELineCapTypeSnow:
        polygon({ { 0, b }, { 0, -b } }, false);
        polygon({ { 0.86602540378 * a, -0.5 * b }, { -0.86602540378 * a, 0.5 * b } }, false);
        polygon({ { -0.86602540378 * a, -0.5 * b }, { 0.86602540378 * a, 0.5 * b } }, false);
        break;
    case PELineCapTypeCustom:
        if (m_customLineCapPath && !CGPathIsEmpty(m_customLineCapPath)) {
            CGRect box = CGPathGetBoundingBox(m_customLineCapPath);
            // A path without width or height (a straight line) keeps its scale in that direction.
            CGFloat sx = box.size.width > 0 ? w / box.size.width : 1;
            CGFloat sy = box.size.height > 0 ? h / box.size.height : 1;
            CGAffineTransform transform = CGAffineTransformConcat(CGAffineTransformMakeScale(sx, sy), CGAffineTransformMakeTranslation(-a, -b));
            CGPathAddPath(path, &transform, m_customLineCapPath);
        }
        break;
    default:
        break;
    }
    return path;
}

void PELineCap::renderAsVectorInContext(const CGContextRef& context, CGPoint point, CGPoint direction)
{
    CGPathRef path = cachedLineCapPath();
    bool closedShape = (m_lineCapType >= PELineCapTypeSolidArrow && m_lineCapType <= PELineCapTypeHexagon) || m_lineCapType == PELineCapTypeCustom;
    bool openShape = m_lineCapType == PELineCapTypeOpenArrow || (m_lineCapType >= PELineCapTypeBar && m_lineCapType <= PELineCapTypeSnow);
    auto fill = closedShape ? m_fill : nullptr;
    auto style = (closedShape || openShape) ? m_lineStyle : nullptr;
    if ((!fill && !style) || !context)
        return;
    // A shape without a path draws nothing; filling its box would paint a square.
    if (!path || CGPathIsEmpty(path))
        return;
    CGContextSaveGState(context);
    CGContextTranslateCTM(context, point.x, point.y);
    CGContextRotateCTM(context, std::atan2(direction.y, direction.x) - std::numbers::pi / 2);
    if (fill) {
        CGContextSaveGState(context);
        CGContextBeginPath(context);
        CGContextAddPath(context, path);
        if (m_usesEvenOddClipRule)
            CGContextEOClip(context);
        else
            CGContextClip(context);
        fill->fillRect(CGRect { { -m_size.width / 2, -m_size.height / 2 }, m_size }, context);
        CGContextRestoreGState(context);
    }
    if (style) {
        style->setLineStyleInContext(context);
        CGContextBeginPath(context);
        CGContextAddPath(context, path);
        style->strokePathInContext(context);
    }
    CGContextRestoreGState(context);
}

id PELineCap::copy() const
{
    auto cap = create();
    cap->m_size = m_size;
    cap->m_lineCapType = m_lineCapType;
    cap->m_usesEvenOddClipRule = m_usesEvenOddClipRule;
    cap->m_lineStyle = m_lineStyle ? m_lineStyle->copyStyle() : nullptr;
    cap->m_fill = m_fill ? std::static_pointer_cast<PEFill>(m_fill->copy()) : nullptr;
    cap->m_customLineCapPath = m_customLineCapPath ? CGPathCreateCopy(m_customLineCapPath) : nullptr;
    return cap;
}

void PELineCap::encodeWithCoder(NSCoder& coder) const
{
    NSCoder_PEExtensions::encodePESize(coder, m_size, "PELineCap.size");
    coder.encodeInt(m_lineCapType, "PELineCap.lineCapType");
    coder.encodeObject(m_lineStyle, "PELineCap.lineStyle");
    coder.encodeObject(m_fill, "PELineCap.fill");
    if (m_customLineCapPath)
        NSCoder_PEExtensions::encodeCGPath(coder, m_customLineCapPath, "PELineCap.customLineCapPath");
    coder.encodeBool(m_usesEvenOddClipRule, "PELineCap.usesEvenOddClipRule");
}

bool PELineCap::init(NSCoder& coder)
{
    m_size = NSCoder_PEExtensions::decodePESizeForKey(coder, "PELineCap.size");
    int type = coder.decodeIntForKey("PELineCap.lineCapType");
    m_lineCapType = type >= PELineCapTypeNone && type <= PELineCapTypeCustom ? static_cast<PELineCapType>(type) : PELineCapTypeNone;
    m_lineStyle = coder.decodeObjectOfClass<PELineStyle>("PELineCap.lineStyle");
    m_fill = coder.decodeObjectOfClass<PEFill>("PELineCap.fill");
    if (coder.containsValueForKey("PELineCap.customLineCapPath.count")) {
        m_customLineCapPath = NSCoder_PEExtensions::newCGPathDecodeForKey(coder, "PELineCap.customLineCapPath");
        if (!m_customLineCapPath)
            return false;
    }
    m_usesEvenOddClipRule = coder.decodeBoolForKey("PELineCap.usesEvenOddClipRule");
    return std::isfinite(m_size.width) && std::isfinite(m_size.height);
}

#include "framework/Source/PELineStyle.h"

#include "framework/Source/PEColor.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PEGradient.h"
#include "framework/Source/PEMutableLineStyle.h"

void PELineStyle::init()
{
    m_lineColor = PEColor::blackColor();
}

void PELineStyle::copyFieldsFrom(const PELineStyle& other)
{
    m_lineCap = other.m_lineCap;
    m_lineJoin = other.m_lineJoin;
    m_miterLimit = other.m_miterLimit;
    m_lineWidth = other.m_lineWidth;
    m_dashPattern = other.m_dashPattern;
    m_patternPhase = other.m_patternPhase;
    m_lineColor = other.m_lineColor;
    m_lineFill = other.m_lineFill;
    m_lineGradient = other.m_lineGradient;
}

void PELineStyle::setLineGradient(const std::shared_ptr<PEGradient>& gradient)
{
    m_lineGradient = gradient ? std::static_pointer_cast<PEGradient>(gradient->copy()) : nullptr;
}

id PELineStyle::copy() const
{
    auto style = PELineStyle::create();
    style->copyFieldsFrom(*this);
    return style;
}

std::shared_ptr<PEMutableLineStyle> PELineStyle::mutableCopyStyle() const
{
    auto style = PEMutableLineStyle::create();
    style->copyFieldsFrom(*this);
    return style;
}

id PELineStyle::mutableCopy() const { return mutableCopyStyle(); }

bool PELineStyle::isOpaque() const
{
    return m_lineWidth > 0 && (m_lineColor || m_lineFill || m_lineGradient);
}

void PELineStyle::setLineStyleInContext(const CGContextRef& context) const
{
    CGContextSetLineCap(context, m_lineCap);
    CGContextSetLineJoin(context, m_lineJoin);
    CGContextSetMiterLimit(context, m_miterLimit);
    CGContextSetLineWidth(context, m_lineWidth);
    if (m_dashPattern.empty())
        CGContextSetLineDash(context, 0, nullptr, 0);
    else
        CGContextSetLineDash(context, m_patternPhase, m_dashPattern.data(), m_dashPattern.size());
    CGContextSetStrokeColorWithColor(context, m_lineColor ? m_lineColor->cgColor() : CGColorCreateGenericRGB(0, 0, 0, 0));
}

void PELineStyle::strokePathInContext(const CGContextRef& context) const
{
    if (!context)
        return;
    if (m_lineGradient) {
        CGContextReplacePathWithStrokedPath(context);
        m_lineGradient->fillPathInContext(context);
    } else if (m_lineFill) {
        CGContextReplacePathWithStrokedPath(context);
        m_lineFill->fillPathInContext(context);
    } else {
        CGContextStrokePath(context);
    }
}

void PELineStyle::strokeRect(CGRect rect, const CGContextRef& context) const
{
    if (!context)
        return;
    CGContextBeginPath(context);
    CGContextAddRect(context, rect);
    strokePathInContext(context);
}

bool PELineStyle::isEqual(const id& other) const
{
    if (other.get() == this)
        return true;
    auto style = std::dynamic_pointer_cast<const PELineStyle>(other);
    return style && style->m_lineCap == m_lineCap && style->m_lineJoin == m_lineJoin && style->m_miterLimit == m_miterLimit
        && style->m_lineWidth == m_lineWidth && style->m_dashPattern == m_dashPattern && style->m_patternPhase == m_patternPhase
        && ns::isEqual(style->m_lineColor, m_lineColor) && ns::isEqual(style->m_lineFill, m_lineFill)
        && ns::isEqual(style->m_lineGradient, m_lineGradient);
}

NSUInteger PELineStyle::hash() const
{
    return std::hash<double>()(m_lineWidth) ^ (m_lineColor ? m_lineColor->hash() : 0);
}

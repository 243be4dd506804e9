#include "framework/Source/PELineStyle.h"

#include "framework/Source/NSCoder_PEExtensions.h"
#include "framework/Source/PEColor.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PEGradient.h"
#include "framework/Source/PEMutableLineStyle.h"
#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSNumber.h"

#include <cmath>

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

void PELineStyle::encodeWithCoder(NSCoder& coder) const
{
    coder.encodeInt(m_lineCap, "PELineStyle.lineCap");
    coder.encodeInt(m_lineJoin, "PELineStyle.lineJoin");
    NSCoder_PEExtensions::encodeCGFloat(coder, m_miterLimit, "PELineStyle.miterLimit");
    NSCoder_PEExtensions::encodeCGFloat(coder, m_lineWidth, "PELineStyle.lineWidth");
    std::vector<id> dashes;
    for (CGFloat length : m_dashPattern)
        dashes.push_back(NSNumber::numberWithDouble(length));
    coder.encodeObject(NSArray::create(dashes), "PELineStyle.dashPattern");
    NSCoder_PEExtensions::encodeCGFloat(coder, m_patternPhase, "PELineStyle.patternPhase");
    coder.encodeObject(m_lineColor, "PELineStyle.lineColor");
    coder.encodeObject(m_lineFill, "PELineStyle.lineFill");
    coder.encodeObject(m_lineGradient, "PELineStyle.lineGradient");
}

bool PELineStyle::init(NSCoder& coder)
{
    int cap = coder.decodeIntForKey("PELineStyle.lineCap");
    int join = coder.decodeIntForKey("PELineStyle.lineJoin");
    m_lineCap = cap >= kCGLineCapButt && cap <= kCGLineCapSquare ? static_cast<CGLineCap>(cap) : kCGLineCapButt;
    m_lineJoin = join >= kCGLineJoinMiter && join <= kCGLineJoinBevel ? static_cast<CGLineJoin>(join) : kCGLineJoinMiter;
    m_miterLimit = NSCoder_PEExtensions::decodeCGFloatForKey(coder, "PELineStyle.miterLimit");
    m_lineWidth = NSCoder_PEExtensions::decodeCGFloatForKey(coder, "PELineStyle.lineWidth");
    if (auto dashes = coder.decodeObjectOfClass<NSArray>("PELineStyle.dashPattern")) {
        for (NSUInteger i = 0; i < dashes->count(); ++i) {
            auto number = ns::cast<NSNumber>(dashes->objectAtIndex(i));
            m_dashPattern.push_back(number ? number->doubleValue() : 0);
        }
    }
    m_patternPhase = NSCoder_PEExtensions::decodeCGFloatForKey(coder, "PELineStyle.patternPhase");
    m_lineColor = coder.decodeObjectOfClass<PEColor>("PELineStyle.lineColor");
    m_lineFill = coder.decodeObjectOfClass<PEFill>("PELineStyle.lineFill");
    m_lineGradient = coder.decodeObjectOfClass<PEGradient>("PELineStyle.lineGradient");
    // A width or dash the context cannot take would only fail later, while drawing.
    bool finite = std::isfinite(m_lineWidth) && std::isfinite(m_miterLimit) && std::isfinite(m_patternPhase);
    for (CGFloat length : m_dashPattern)
        finite = finite && std::isfinite(length) && length >= 0;
    return finite && m_lineWidth >= 0;
}

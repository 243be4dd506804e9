#pragma once
// How a line is stroked: width, colour, cap, join, miter limit, dash pattern, and optionally a
// fill or gradient painted over the stroked outline. Immutable; PEMutableLineStyle changes it.

#include "platform/foundation/NSCoder.h"
#include "platform/graphics/CGContext.h"

#include <vector>

class PEColor;
class PEFill;
class PEGradient;
class PEMutableLineStyle;

class PELineStyle : public NSObject, public NSCoding {
    NS_OBJECT(PELineStyle, NSObject)
public:
    // Width 1, miter limit 10, black.
    static std::shared_ptr<PELineStyle> lineStyle() { return create(); }

    CGLineCap lineCap() const { return m_lineCap; }
    CGLineJoin lineJoin() const { return m_lineJoin; }
    CGFloat miterLimit() const { return m_miterLimit; }
    CGFloat lineWidth() const { return m_lineWidth; }
    // Empty: a solid line.
    const std::vector<CGFloat>& dashPattern() const { return m_dashPattern; }
    CGFloat patternPhase() const { return m_patternPhase; }
    const std::shared_ptr<PEColor>& lineColor() const { return m_lineColor; }
    const std::shared_ptr<PEFill>& lineFill() const { return m_lineFill; }
    const std::shared_ptr<PEGradient>& lineGradient() const { return m_lineGradient; }
    // Whether the line draws at all.
    bool isOpaque() const;

    void setLineStyleInContext(const CGContextRef& context) const;
    // Strokes and consumes the context's current path.
    void strokePathInContext(const CGContextRef& context) const;
    void strokeRect(CGRect rect, const CGContextRef& context) const;

    bool isEqual(const id& other) const override;
    NSUInteger hash() const override;
    id copy() const override;
    id mutableCopy() const override;
    std::shared_ptr<PELineStyle> copyStyle() const { return std::static_pointer_cast<PELineStyle>(copy()); }
    std::shared_ptr<PEMutableLineStyle> mutableCopyStyle() const;

    void encodeWithCoder(NSCoder& coder) const override;

protected:
    void init();
    bool init(NSCoder& coder);
    void copyFieldsFrom(const PELineStyle& other);

    void setLineCap(CGLineCap cap) { m_lineCap = cap; }
    void setLineJoin(CGLineJoin join) { m_lineJoin = join; }
    void setMiterLimit(CGFloat limit) { m_miterLimit = limit; }
    void setLineWidth(CGFloat width) { m_lineWidth = width; }
    void setDashPattern(std::vector<CGFloat> pattern) { m_dashPattern = std::move(pattern); }
    void setPatternPhase(CGFloat phase) { m_patternPhase = phase; }
    void setLineColor(const std::shared_ptr<PEColor>& color) { m_lineColor = color; }
    void setLineFill(const std::shared_ptr<PEFill>& fill) { m_lineFill = fill; }
    void setLineGradient(const std::shared_ptr<PEGradient>& gradient);

private:
    CGLineCap m_lineCap { kCGLineCapButt };
    CGLineJoin m_lineJoin { kCGLineJoinMiter };
    CGFloat m_miterLimit { 10.0 };
    CGFloat m_lineWidth { 1.0 };
    std::vector<CGFloat> m_dashPattern;
    CGFloat m_patternPhase { 0 };
    std::shared_ptr<PEColor> m_lineColor;
    std::shared_ptr<PEFill> m_lineFill;
    std::shared_ptr<PEGradient> m_lineGradient;
};

using PELineStyleRef = std::shared_ptr<PELineStyle>;

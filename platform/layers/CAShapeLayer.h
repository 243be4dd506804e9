#pragma once
// A layer that fills and strokes a path in its own coordinates, drawn as vectors at the
// resolution of whatever it is drawn into (no backing store). strokeStart and strokeEnd trim
// the stroke to a fraction of the path's length.

#include "platform/layers/CALayer.h"

inline constexpr const char* kCAFillRuleNonZero = "non-zero";
inline constexpr const char* kCAFillRuleEvenOdd = "even-odd";
inline constexpr const char* kCALineCapButt = "butt";
inline constexpr const char* kCALineCapRound = "round";
inline constexpr const char* kCALineCapSquare = "square";
inline constexpr const char* kCALineJoinMiter = "miter";
inline constexpr const char* kCALineJoinRound = "round";
inline constexpr const char* kCALineJoinBevel = "bevel";

class CAShapeLayer : public CALayer {
    NS_OBJECT(CAShapeLayer, CALayer)
public:
    static std::shared_ptr<CAShapeLayer> layer() { return create(); }

    const CGPathRef& path() const { return m_shapeProperties.path; }
    void setPath(const CGPathRef& path);
    const CGColorRef& fillColor() const { return m_shapeProperties.fillColor; }
    void setFillColor(const CGColorRef& color);
    const NSString& fillRule() const { return m_shapeProperties.fillRule; }
    void setFillRule(const NSString& rule);
    const CGColorRef& strokeColor() const { return m_shapeProperties.strokeColor; }
    void setStrokeColor(const CGColorRef& color);
    CGFloat strokeStart() const { return m_shapeProperties.strokeStart; }
    void setStrokeStart(CGFloat start);
    CGFloat strokeEnd() const { return m_shapeProperties.strokeEnd; }
    void setStrokeEnd(CGFloat end);
    CGFloat lineWidth() const { return m_shapeProperties.lineWidth; }
    void setLineWidth(CGFloat width);
    CGFloat miterLimit() const { return m_shapeProperties.miterLimit; }
    void setMiterLimit(CGFloat limit);
    const NSString& lineCap() const { return m_shapeProperties.lineCap; }
    void setLineCap(const NSString& cap);
    const NSString& lineJoin() const { return m_shapeProperties.lineJoin; }
    void setLineJoin(const NSString& join);
    CGFloat lineDashPhase() const { return m_shapeProperties.lineDashPhase; }
    void setLineDashPhase(CGFloat phase);
    const std::vector<CGFloat>& lineDashPattern() const { return m_shapeProperties.lineDashPattern; }
    void setLineDashPattern(std::vector<CGFloat> pattern);

    id valueForKey(const NSString& key) const override;
    void setValue(const id& value, const NSString& key) override;
    id defaultActionForKey(const NSString& key) const override;
    CGRect vectorContentBounds() const override;

protected:
    void init() { super::init(); }
    void init(const CALayer& layer);
    std::shared_ptr<CALayer> copyForPresentation() const override { return create(static_cast<const CALayer&>(*this)); }
    void drawVectorContent(const CGContextRef& context) const override;
    int vectorContentStepCount() const override { return 2; }
    // The fill, then the stroke.
    void drawVectorContentStep(const CGContextRef& context, int step) const override;

private:
    CGPathRef strokedPortion() const;

    // Everything a presentation copy copies, in one assignment.
    struct Properties {
        CGPathRef path;
        CGColorRef fillColor { CGColorCreateGenericRGB(0, 0, 0, 1) };
        NSString fillRule { kCAFillRuleNonZero };
        CGColorRef strokeColor;
        CGFloat strokeStart { 0 };
        CGFloat strokeEnd { 1 };
        CGFloat lineWidth { 1 };
        CGFloat miterLimit { 10 };
        NSString lineCap { kCALineCapButt };
        NSString lineJoin { kCALineJoinMiter };
        CGFloat lineDashPhase { 0 };
        std::vector<CGFloat> lineDashPattern;
    };
    Properties m_shapeProperties;
};

#pragma once
// A layer filled with an axial gradient across its bounds, drawn as vectors. The start and end
// points are in the unit coordinates of the bounds; the end colours carry on beyond them.

#include "platform/layers/CALayer.h"

inline constexpr const char* kCAGradientLayerAxial = "axial";

class CAGradientLayer : public CALayer {
    NS_OBJECT(CAGradientLayer, CALayer)
public:
    static std::shared_ptr<CAGradientLayer> layer() { return create(); }

    const std::vector<CGColorRef>& colors() const { return m_gradientProperties.colors; }
    void setColors(std::vector<CGColorRef> colors);
    // Empty: the colours spread evenly.
    const std::vector<CGFloat>& locations() const { return m_gradientProperties.locations; }
    void setLocations(std::vector<CGFloat> locations);
    CGPoint startPoint() const { return m_gradientProperties.startPoint; }
    void setStartPoint(CGPoint point);
    CGPoint endPoint() const { return m_gradientProperties.endPoint; }
    void setEndPoint(CGPoint point);
    const NSString& type() const { return m_gradientProperties.type; }
    void setType(const NSString& type) { m_gradientProperties.type = type; }

    id valueForKey(const NSString& key) const override;
    void setValue(const id& value, const NSString& key) override;
    id defaultActionForKey(const NSString& key) const override;

protected:
    void init() { super::init(); }
    void init(const CALayer& layer);
    std::shared_ptr<CALayer> copyForPresentation() const override { return create(static_cast<const CALayer&>(*this)); }
    void drawVectorContent(const CGContextRef& context) const override;
    int vectorContentStepCount() const override { return 1; }

private:
    // Everything a presentation copy copies, in one assignment.
    struct Properties {
        std::vector<CGColorRef> colors;
        std::vector<CGFloat> locations;
        CGPoint startPoint { 0.5, 0 };
        CGPoint endPoint { 0.5, 1 };
        NSString type { kCAGradientLayerAxial };
    };
    Properties m_gradientProperties;
};

#pragma once
// An axial colour gradient: colour stops at positions 0 to 1 along a direction given by an angle
// in degrees (0 runs from the left edge to the right, 90 from the bottom up, in the engine's
// y-up geometry). The gradient spans exactly the box it fills.

#include "platform/foundation/NSCoder.h"
#include "platform/graphics/CGContext.h"

#include <vector>

class PEColor;

class PEGradient : public NSObject, public NSCoding {
    NS_OBJECT(PEGradient, NSObject)
public:
    struct ColorStop {
        std::shared_ptr<PEColor> color;
        CGFloat position { 0 };
    };

    static std::shared_ptr<PEGradient> gradientWithBeginningColor(const std::shared_ptr<PEColor>& begin, const std::shared_ptr<PEColor>& end);

    CGFloat angle() const { return m_angle; }
    void setAngle(CGFloat angle) { m_angle = angle; }
    const std::vector<ColorStop>& colorStops() const { return m_stops; }

    // A copy with one more stop; the receiver is unchanged.
    std::shared_ptr<PEGradient> addColorStop(const std::shared_ptr<PEColor>& color, CGFloat position) const;

    void fillRect(CGRect rect, const CGContextRef& context) const;
    // Fills the context's current path (and consumes it).
    void fillPathInContext(const CGContextRef& context) const;

    // Where the gradient starts and ends in a rectangle, for its angle.
    void endPointsInRect(CGRect rect, CGPoint& start, CGPoint& end) const;

    bool isEqual(const id& other) const override;
    id copy() const override;
    void encodeWithCoder(NSCoder& coder) const override;

protected:
    void init() { }
    bool init(NSCoder& coder);

private:
    void drawInRect(CGRect rect, const CGContextRef& context) const;

    std::vector<ColorStop> m_stops;
    CGFloat m_angle { 0 };
};

using PEGradientRef = std::shared_ptr<PEGradient>;

#pragma once
// Timing curves: a cubic Bézier from (0, 0) to (1, 1) through two control points, mapping the
// fraction of time elapsed to the fraction of the change shown.

#include "platform/foundation/NSString.h"
#include "platform/graphics/CGGeometry.h"

inline constexpr const char* kCAMediaTimingFunctionLinear = "linear";
inline constexpr const char* kCAMediaTimingFunctionEaseIn = "easeIn";
inline constexpr const char* kCAMediaTimingFunctionEaseOut = "easeOut";
inline constexpr const char* kCAMediaTimingFunctionEaseInEaseOut = "easeInEaseOut";
inline constexpr const char* kCAMediaTimingFunctionDefault = "default";

class CAMediaTimingFunction : public NSObject {
    NS_OBJECT(CAMediaTimingFunction, NSObject)
public:
    // Nil for a name that is none of the constants above.
    static std::shared_ptr<CAMediaTimingFunction> functionWithName(const NSString& name);
    static std::shared_ptr<CAMediaTimingFunction> functionWithControlPoints(float c1x, float c1y, float c2x, float c2y);

    // Index 0 is (0, 0), 1 and 2 the control points, 3 is (1, 1).
    void getControlPointAtIndex(std::size_t index, float values[2]) const;
    CGFloat solve(CGFloat time) const;

protected:
    void init(CGFloat c1x, CGFloat c1y, CGFloat c2x, CGFloat c2y);

private:
    CGFloat curveX(CGFloat t) const;
    CGFloat curveY(CGFloat t) const;
    CGFloat curveDerivativeX(CGFloat t) const;

    CGPoint m_control1;
    CGPoint m_control2 { 1, 1 };
};

using CAMediaTimingFunctionRef = std::shared_ptr<CAMediaTimingFunction>;

#include "platform/layers/CAMediaTimingFunction.h"

#include <algorithm>
#include <cmath>

std::shared_ptr<CAMediaTimingFunction> CAMediaTimingFunction::functionWithName(const NSString& name)
{
    const std::string key = name.UTF8String();
    if (key == kCAMediaTimingFunctionLinear)
        return create(0.0, 0.0, 1.0, 1.0);
    if (key == kCAMediaTimingFunctionEaseIn)
        return create(0.42, 0.0, 1.0, 1.0);
    if (key == kCAMediaTimingFunctionEaseOut)
        return create(0.0, 0.0, 0.58, 1.0);
    if (key == kCAMediaTimingFunctionEaseInEaseOut)
        return create(0.42, 0.0, 0.58, 1.0);
    if (key == kCAMediaTimingFunctionDefault)
        return create(0.25, 0.1, 0.25, 1.0);
    return nullptr;
}

std::shared_ptr<CAMediaTimingFunction> CAMediaTimingFunction::functionWithControlPoints(float c1x, float c1y, float c2x, float c2y)
{
    return create(CGFloat(c1x), CGFloat(c1y), CGFloat(c2x), CGFloat(c2y));
}

void CAMediaTimingFunction::init(CGFloat c1x, CGFloat c1y, CGFloat c2x, CGFloat c2y)
{
    // x must stay within 0...1 for the curve to be a function of time.
    m_control1 = { std::clamp(c1x, CGFloat(0), CGFloat(1)), c1y };
    m_control2 = { std::clamp(c2x, CGFloat(0), CGFloat(1)), c2y };
}

void CAMediaTimingFunction::getControlPointAtIndex(std::size_t index, float values[2]) const
{
    const CGPoint points[4] = { { 0, 0 }, m_control1, m_control2, { 1, 1 } };
    const CGPoint p = index < 4 ? points[index] : CGPointZero;
    values[0] = static_cast<float>(p.x);
    values[1] = static_cast<float>(p.y);
}

CGFloat CAMediaTimingFunction::curveX(CGFloat t) const
{
    const CGFloat u = 1 - t;
    return 3 * u * u * t * m_control1.x + 3 * u * t * t * m_control2.x + t * t * t;
}

CGFloat CAMediaTimingFunction::curveY(CGFloat t) const
{
    const CGFloat u = 1 - t;
    return 3 * u * u * t * m_control1.y + 3 * u * t * t * m_control2.y + t * t * t;
}

CGFloat CAMediaTimingFunction::curveDerivativeX(CGFloat t) const
{
    const CGFloat u = 1 - t;
    return 3 * u * u * m_control1.x + 6 * u * t * (m_control2.x - m_control1.x) + 3 * t * t * (1 - m_control2.x);
}

CGFloat CAMediaTimingFunction::solve(CGFloat time) const
{
    if (!(time > 0))
        return 0;
    if (time >= 1)
        return 1;
    // Newton's method first; bisection where the slope is too flat for it.
    CGFloat t = time;
    for (int i = 0; i < 8; ++i) {
        const CGFloat error = curveX(t) - time;
        if (std::abs(error) < 1e-7)
            return curveY(t);
        const CGFloat slope = curveDerivativeX(t);
        if (std::abs(slope) < 1e-6)
            break;
        t -= error / slope;
    }
    CGFloat low = 0, high = 1;
    t = time;
    for (int i = 0; i < 60 && high - low > 1e-9; ++i) {
        if (curveX(t) < time)
            low = t;
        else
            high = t;
        t = (low + high) / 2;
    }
    return curveY(t);
}

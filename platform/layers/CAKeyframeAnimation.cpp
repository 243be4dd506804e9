#include "platform/layers/CAKeyframeAnimation.h"

#include "platform/foundation/NSNumber.h"
#include "platform/layers/CAAnimationValue.h"
#include "platform/layers/NSValueGeometry.h"

#include <algorithm>

std::shared_ptr<CAKeyframeAnimation> CAKeyframeAnimation::animationWithKeyPath(const NSString& keyPath)
{
    auto animation = create();
    animation->setKeyPath(keyPath);
    return animation;
}

void CAKeyframeAnimation::init(const CAKeyframeAnimation& other)
{
    super::init(other);
    m_values = other.m_values;
    m_path = other.m_path;
    m_keyTimes = other.m_keyTimes;
    m_timingFunctions = other.m_timingFunctions;
    m_calculationMode = other.m_calculationMode;
}

id CAKeyframeAnimation::copy() const { return create(*this); }

std::vector<id> CAKeyframeAnimation::effectiveValues() const
{
    std::vector<id> values;
    if (m_path) {
        for (const auto& polyline : m_path->flatten(0.1)) {
            for (CGPoint p : polyline.points)
                values.push_back(NSValueGeometry::valueWithCGPoint(p));
            if (polyline.closed && !polyline.points.empty())
                values.push_back(NSValueGeometry::valueWithCGPoint(polyline.points.front()));
        }
        return values;
    }
    if (m_values)
        for (const id& value : *m_values)
            values.push_back(value);
    return values;
}

std::vector<CGFloat> CAKeyframeAnimation::effectiveKeyTimes(const std::vector<id>& values, bool discrete, bool paced) const
{
    const std::size_t count = values.size();
    std::vector<CGFloat> times;
    if (paced) {
        std::vector<CGFloat> lengths { 0 };
        for (std::size_t i = 1; i < count; ++i)
            lengths.push_back(lengths.back() + CAAnimationValue::distance(values[i - 1], values[i]));
        if (lengths.back() > 0) {
            for (CGFloat length : lengths)
                times.push_back(length / lengths.back());
            return times;
        }
    } else if (m_keyTimes && m_keyTimes->count() == count) {
        CGFloat previous = 0;
        for (const id& time : *m_keyTimes) {
            auto number = ns::cast<NSNumber>(time);
            // Key times that go backwards are held at the previous one.
            previous = std::max(previous, std::clamp(number ? number->doubleValue() : 0.0, 0.0, 1.0));
            times.push_back(previous);
        }
        return times;
    }
    // Evenly: a discrete animation shows each value for an equal share of the time.
    const std::size_t intervals = discrete ? count : std::max<std::size_t>(count - 1, 1);
    for (std::size_t i = 0; i < count; ++i)
        times.push_back(CGFloat(i) / CGFloat(intervals));
    return times;
}

id CAKeyframeAnimation::valueAtFraction(CGFloat fraction, const id&) const
{
    const std::vector<id> values = effectiveValues();
    if (values.empty())
        return nullptr;
    if (values.size() == 1)
        return values.front();
    const std::string mode = m_calculationMode.UTF8String();
    const bool discrete = mode == kCAAnimationDiscrete;
    const bool paced = m_path || mode == kCAAnimationPaced || mode == kCAAnimationCubicPaced;
    const std::vector<CGFloat> times = effectiveKeyTimes(values, discrete, paced);
    if (fraction <= times.front())
        return values.front();
    std::size_t segment = 0;
    while (segment + 1 < times.size() && fraction >= times[segment + 1])
        ++segment;
    if (discrete || segment + 1 >= values.size())
        return values[segment];
    const CGFloat span = times[segment + 1] - times[segment];
    CGFloat local = span > 0 ? (fraction - times[segment]) / span : 1;
    if (m_timingFunctions && segment < m_timingFunctions->count())
        if (auto function = ns::cast<CAMediaTimingFunction>(m_timingFunctions->objectAtIndex(segment)))
            local = function->solve(local);
    return CAAnimationValue::interpolate(values[segment], values[segment + 1], local);
}

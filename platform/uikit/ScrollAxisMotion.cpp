#include "platform/uikit/ScrollAxisMotion.h"

#include <algorithm>

namespace ScrollPhysics {

CGFloat rubberBand(CGFloat distance, CGFloat dimension)
{
    if (dimension <= 0)
        return 0;
    constexpr CGFloat kResistance = 0.55;
    const CGFloat magnitude = std::abs(distance);
    const CGFloat shown = (1 - 1 / (magnitude * kResistance / dimension + 1)) * dimension;
    return distance < 0 ? -shown : shown;
}

CGFloat rubberBandPull(CGFloat shown, CGFloat dimension)
{
    if (dimension <= 0)
        return 0;
    constexpr CGFloat kResistance = 0.55;
    // Showing the whole dimension would take an endless pull: stop just short of it.
    const CGFloat magnitude = std::min(std::abs(shown), dimension * 0.999);
    const CGFloat pull = dimension / kResistance * (magnitude / (dimension - magnitude));
    return shown < 0 ? -pull : pull;
}

CGFloat restingOffset(CGFloat offset, CGFloat velocity, CGFloat rate)
{
    if (rate <= 0 || rate >= 1)
        return offset;
    return offset - velocity / std::log(rate);
}

CGFloat pageOffset(CGFloat offset, CGFloat velocity, CGFloat pageSize, CGFloat maxOffset)
{
    if (pageSize <= 0)
        return 0;
    // A flick faster than this turns the page however little it has moved.
    constexpr CGFloat kFlickVelocity = 0.3;
    const CGFloat position = offset / pageSize;
    CGFloat page = std::round(position);
    if (velocity > kFlickVelocity)
        page = std::floor(position) + 1;
    else if (velocity < -kFlickVelocity)
        page = std::ceil(position) - 1;
    const CGFloat lastPage = std::max<CGFloat>(0, std::ceil(maxOffset / pageSize - 0.001));
    page = std::clamp<CGFloat>(page, 0, lastPage);
    return std::clamp<CGFloat>(page * pageSize, 0, std::max<CGFloat>(0, maxOffset));
}

}

namespace {

// The time an exponential approach takes to come within the rest distance.
double approachDuration(CGFloat distance, CGFloat logRate)
{
    distance = std::abs(distance);
    if (distance <= ScrollAxisMotion::kRestDistance || logRate >= 0)
        return 0;
    return std::log(ScrollAxisMotion::kRestDistance / distance) / logRate;
}

}

ScrollAxisMotion ScrollAxisMotion::resting(CGFloat offset)
{
    ScrollAxisMotion motion;
    motion.m_start = motion.m_target = motion.m_heading = offset;
    return motion;
}

ScrollAxisMotion ScrollAxisMotion::decelerate(CGFloat offset, CGFloat target, CGFloat rate)
{
    ScrollAxisMotion motion;
    motion.m_kind = Kind::Decelerate;
    motion.m_start = offset;
    motion.m_target = motion.m_heading = target;
    motion.m_logRate = std::log(std::clamp<CGFloat>(rate, 0.5, 0.9999));
    motion.m_duration = approachDuration(target - offset, motion.m_logRate);
    return motion;
}

ScrollAxisMotion ScrollAxisMotion::decelerateAndBounce(CGFloat offset, CGFloat velocity, CGFloat edge, CGFloat rate)
{
    const CGFloat logRate = std::log(std::clamp<CGFloat>(rate, 0.5, 0.9999));
    const CGFloat resting = offset - velocity / logRate;
    // Only a motion that really crosses the edge on its way bounces.
    const bool crosses = (offset < edge && resting > edge) || (offset > edge && resting < edge);
    if (!crosses)
        return decelerate(offset, std::clamp(resting, std::min(offset, edge), std::max(offset, edge)), rate);
    ScrollAxisMotion motion;
    motion.m_kind = Kind::DecelerateAndBounce;
    motion.m_start = offset;
    motion.m_target = edge;
    motion.m_logRate = logRate;
    motion.m_heading = resting;
    motion.m_edgeTime = std::log((edge - resting) / (offset - resting)) / logRate;
    motion.m_edgeVelocity = (edge - resting) * logRate;
    motion.m_duration = motion.m_edgeTime + motion.springEnd(0, motion.m_edgeVelocity);
    return motion;
}

ScrollAxisMotion ScrollAxisMotion::springBack(CGFloat offset, CGFloat velocity, CGFloat target)
{
    ScrollAxisMotion motion;
    motion.m_kind = Kind::SpringBack;
    motion.m_start = offset;
    motion.m_target = target;
    motion.m_velocity = velocity;
    motion.m_duration = motion.springEnd(offset - target, velocity);
    return motion;
}

CGFloat ScrollAxisMotion::decelerationAt(double milliseconds) const
{
    return m_heading + (m_start - m_heading) * std::exp(m_logRate * milliseconds);
}

CGFloat ScrollAxisMotion::springAt(double milliseconds, CGFloat from, CGFloat velocity) const
{
    return (from + (velocity + kSpringRate * from) * milliseconds) * std::exp(-kSpringRate * milliseconds);
}

double ScrollAxisMotion::springEnd(CGFloat from, CGFloat velocity) const
{
    // Past this point the spring stays within about twice the rest distance for good.
    const auto settled = [&](double s) {
        const CGFloat x = springAt(s, from, velocity);
        const CGFloat speed = (velocity - kSpringRate * (from + (velocity + kSpringRate * from) * s)) * std::exp(-kSpringRate * s);
        return std::abs(x) < kRestDistance && std::abs(speed) < kRestDistance * kSpringRate;
    };
    constexpr double kLongest = 10000;
    double s = 0;
    while (s < kLongest && !settled(s))
        s += 1;
    return s;
}

CGFloat ScrollAxisMotion::offsetAt(double milliseconds) const
{
    if (isFinishedAt(milliseconds))
        return m_target;
    milliseconds = std::max(0.0, milliseconds);
    switch (m_kind) {
    case Kind::Decelerate:
        return decelerationAt(milliseconds);
    case Kind::DecelerateAndBounce:
        if (milliseconds < m_edgeTime)
            return decelerationAt(milliseconds);
        return m_target + springAt(milliseconds - m_edgeTime, 0, m_edgeVelocity);
    case Kind::SpringBack:
        return m_target + springAt(milliseconds, m_start - m_target, m_velocity);
    }
    return m_target;
}

bool ScrollAxisMotion::isFinishedAt(double milliseconds) const
{
    return milliseconds >= m_duration;
}

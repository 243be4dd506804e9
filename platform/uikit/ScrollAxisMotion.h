#pragma once
// The motion of a scroll view's content along one axis once the finger has let go, and the
// resistance the content meets when it is dragged past an edge. Times are in milliseconds and
// velocities in points per millisecond, the units of the platform's deceleration rates: each
// millisecond the speed is multiplied by the rate.
//
// The motion is a function of time, not a step-by-step integration, so that a frame that comes
// late lands where a punctual one would have, and every run ends exactly on its target.

#include "platform/graphics/CGGeometry.h"

inline constexpr CGFloat UIScrollViewDecelerationRateNormal = 0.998;
inline constexpr CGFloat UIScrollViewDecelerationRateFast = 0.99;

namespace ScrollPhysics {

// How far content shows past an edge when the finger has pulled it `distance` beyond it, in a
// view `dimension` long: close to half at first, never as far as the dimension.
CGFloat rubberBand(CGFloat distance, CGFloat dimension);
// The pull that shows content `shown` past an edge: the inverse of rubberBand.
CGFloat rubberBandPull(CGFloat shown, CGFloat dimension);
// Where content moving at the velocity would come to rest under the rate.
CGFloat restingOffset(CGFloat offset, CGFloat velocity, CGFloat rate);
// The page offset that a release at the offset with the velocity settles on: the next page in
// the direction of a quick flick, else the nearest, within [0, maxOffset].
CGFloat pageOffset(CGFloat offset, CGFloat velocity, CGFloat pageSize, CGFloat maxOffset);

}

class ScrollAxisMotion {
public:
    enum class Kind {
        // Slows down at the rate until it rests on the target.
        Decelerate,
        // Decelerates towards a resting place past an edge, stops there in a bounce and comes back.
        DecelerateAndBounce,
        // Returns to the target from past an edge, like a critically damped spring.
        SpringBack,
    };

    ScrollAxisMotion() = default;
    // A motion from the offset that slows down at the rate and rests exactly on the target; its
    // speed at the start is the one that carries it there.
    static ScrollAxisMotion decelerate(CGFloat offset, CGFloat target, CGFloat rate);
    // Decelerates from the velocity and bounces back at the edge if the content would come to
    // rest past it; otherwise an ordinary deceleration that stops at the edge at the latest.
    static ScrollAxisMotion decelerateAndBounce(CGFloat offset, CGFloat velocity, CGFloat edge, CGFloat rate);
    static ScrollAxisMotion springBack(CGFloat offset, CGFloat velocity, CGFloat target);
    // Starts nothing: rests where it is.
    static ScrollAxisMotion resting(CGFloat offset);

    Kind kind() const { return m_kind; }
    CGFloat target() const { return m_target; }
    CGFloat offsetAt(double milliseconds) const;
    bool isFinishedAt(double milliseconds) const;

    // Closer than this to the target counts as arrived: a tenth of a pixel at the screen's scale.
    static constexpr CGFloat kRestDistance = 0.05;
    // How stiff the spring that brings content back from past an edge is (per millisecond).
    static constexpr CGFloat kSpringRate = 0.02;

private:
    CGFloat decelerationAt(double milliseconds) const;
    CGFloat springAt(double milliseconds, CGFloat from, CGFloat velocity) const;
    double springEnd(CGFloat from, CGFloat velocity) const;

    Kind m_kind { Kind::Decelerate };
    CGFloat m_start { 0 };
    CGFloat m_target { 0 };
    CGFloat m_logRate { 0 };
    CGFloat m_velocity { 0 };
    // Where the deceleration heads: the target, or in a bounce the resting place past the edge.
    CGFloat m_heading { 0 };
    // Bounce: when the content reaches the edge and how fast it goes there.
    double m_edgeTime { 0 };
    CGFloat m_edgeVelocity { 0 };
    double m_duration { 0 };
};

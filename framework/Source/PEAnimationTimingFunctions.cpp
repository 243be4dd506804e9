#include "framework/Source/PEAnimationTimingFunctions.h"

#include <cmath>

namespace {

constexpr double halfPi = 1.5707963267948966;
constexpr double pi = 3.141592653589793;
constexpr double twoPi = 6.283185307179586;

// Every function: 0 for e <= 0, 1 once its end test holds (t >= 1 for formulas in t = e / d,
// w >= 2 for formulas in w = e / (d / 2)). A duration of 0 makes t and w infinite for any e > 0,
// so the end test holds.
template <class Formula>
double overDuration(double e, double d, Formula f)
{
    if (e <= 0)
        return 0;
    const double t = e / d;
    if (t >= 1)
        return 1;
    return f(t);
}

template <class Formula>
double overHalves(double e, double d, Formula f)
{
    if (e <= 0)
        return 0;
    const double w = e / (d / 2);
    if (w >= 2)
        return 1;
    return f(w);
}

} // namespace

double PEAnimationTimingFunctionLinear(double e, double d)
{
    if (e <= 0)
        return 0;
    const double t = e / d;
    return t >= 1 ? 1 : t;
}

double PEAnimationTimingFunctionBackIn(double e, double d)
{
    return overDuration(e, d, [](double t) {
        return t * t * (2.70158 * t - 1.70158);
    });
}

double PEAnimationTimingFunctionBackOut(double e, double d)
{
    return overDuration(e, d, [](double t) {
        const double u = t - 1;
        return u * u * (2.70158 * u + 1.70158) + 1;
    });
}

double PEAnimationTimingFunctionBackInOut(double e, double d)
{
    return overHalves(e, d, [](double w) {
        if (w < 1)
            return 0.5 * w * w * (3.5949095 * w - 2.5949095);
        const double v = w - 2;
        return 0.5 * (v * v * (3.5949095 * v + 2.5949095) + 2);
    });
}

double PEAnimationTimingFunctionBounceOut(double e, double d)
{
    return overDuration(e, d, [](double t) {
        if (t < 1 / 2.75)
            return 7.5625 * t * t;
        if (t < 2 / 2.75) {
            t -= 1.5 / 2.75;
            return 7.5625 * t * t + 0.75;
        }
        if (t < 2.5 / 2.75) {
            t -= 2.25 / 2.75;
            return 7.5625 * t * t + 0.9375;
        }
        t -= 2.625 / 2.75;
        return 7.5625 * t * t + 0.984375;
    });
}

double PEAnimationTimingFunctionBounceIn(double e, double d) { return 1 - PEAnimationTimingFunctionBounceOut(d - e, d); }

double PEAnimationTimingFunctionBounceInOut(double e, double d)
{
    if (e < d / 2)
        return 0.5 * (1 - PEAnimationTimingFunctionBounceOut(d - 2 * e, d));
    return 0.5 * PEAnimationTimingFunctionBounceOut(2 * e - d, d) + 0.5;
}

double PEAnimationTimingFunctionCircularIn(double e, double d)
{
    return overDuration(e, d, [](double t) {
        return 1 - std::sqrt(1 - t * t);
    });
}

double PEAnimationTimingFunctionCircularOut(double e, double d)
{
    return overDuration(e, d, [](double t) {
        const double u = t - 1;
        return std::sqrt(1 - u * u);
    });
}

double PEAnimationTimingFunctionCircularInOut(double e, double d)
{
    return overHalves(e, d, [](double w) {
        if (w < 1)
            return -0.5 * (std::sqrt(1 - w * w) - 1);
        w -= 2;
        return 0.5 * (std::sqrt(1 - w * w) + 1);
    });
}

double PEAnimationTimingFunctionElasticIn(double e, double d)
{
    return overDuration(e, d, [d](double t) {
        const double p = d * 0.3;
        const double s = p / 4;
        t -= 1;
        return -(std::exp2(10 * t) * std::sin((t * d - s) * twoPi / p));
    });
}

double PEAnimationTimingFunctionElasticOut(double e, double d)
{
    return overDuration(e, d, [d](double t) {
        const double p = d * 0.3;
        const double s = p / 4;
        return std::exp2(-10 * t) * std::sin((t * d - s) * twoPi / p) + 1;
    });
}

double PEAnimationTimingFunctionElasticInOut(double e, double d)
{
    return overHalves(e, d, [d](double w) {
        const double p = d * (0.3 * 1.5);
        const double s = p / 4;
        const double v = w - 1;
        if (v < 0)
            return -0.5 * (std::exp2(10 * v) * std::sin((v * d - s) * twoPi / p));
        return std::exp2(-10 * v) * std::sin((v * d - s) * twoPi / p) * 0.5 + 1;
    });
}

double PEAnimationTimingFunctionExponentialIn(double e, double d)
{
    return overDuration(e, d, [](double t) {
        return std::exp2(10 * (t - 1));
    });
}

double PEAnimationTimingFunctionExponentialOut(double e, double d)
{
    return overDuration(e, d, [](double t) {
        return 1 - std::exp2(-10 * t);
    });
}

double PEAnimationTimingFunctionExponentialInOut(double e, double d)
{
    if (e <= 0)
        return 0;
    const double v = e / (d / 2) - 1;
    if (v >= 1)
        return 1;
    if (v < 0)
        return 0.5 * std::exp2(10 * v);
    return 0.5 * (2 - std::exp2(-10 * v));
}

double PEAnimationTimingFunctionSinusoidalIn(double e, double d)
{
    return overDuration(e, d, [](double t) {
        return 1 - std::cos(t * halfPi);
    });
}

double PEAnimationTimingFunctionSinusoidalOut(double e, double d)
{
    return overDuration(e, d, [](double t) {
        return std::sin(t * halfPi);
    });
}

double PEAnimationTimingFunctionSinusoidalInOut(double e, double d)
{
    return overDuration(e, d, [](double t) {
        return -0.5 * (std::cos(pi * t) - 1);
    });
}

double PEAnimationTimingFunctionCubicIn(double e, double d)
{
    return overDuration(e, d, [](double t) {
        return t * t * t;
    });
}

double PEAnimationTimingFunctionCubicOut(double e, double d)
{
    return overDuration(e, d, [](double t) {
        const double u = t - 1;
        return u * u * u + 1;
    });
}

double PEAnimationTimingFunctionCubicInOut(double e, double d)
{
    return overHalves(e, d, [](double w) {
        if (w < 1)
            return 0.5 * w * w * w;
        w -= 2;
        return 0.5 * (w * w * w + 2);
    });
}

double PEAnimationTimingFunctionQuadraticIn(double e, double d)
{
    return overDuration(e, d, [](double t) {
        return t * t;
    });
}

double PEAnimationTimingFunctionQuadraticOut(double e, double d)
{
    return overDuration(e, d, [](double t) {
        return -t * (t - 2);
    });
}

double PEAnimationTimingFunctionQuadraticInOut(double e, double d)
{
    return overHalves(e, d, [](double w) {
        if (w < 1)
            return 0.5 * w * w;
        return -0.5 * ((w - 1) * (w - 3) - 1);
    });
}

double PEAnimationTimingFunctionQuarticIn(double e, double d)
{
    return overDuration(e, d, [](double t) {
        return t * t * t * t;
    });
}

double PEAnimationTimingFunctionQuarticOut(double e, double d)
{
    return overDuration(e, d, [](double t) {
        const double u = t - 1;
        return 1 - u * u * u * u;
    });
}

double PEAnimationTimingFunctionQuarticInOut(double e, double d)
{
    return overHalves(e, d, [](double w) {
        if (w < 1)
            return 0.5 * w * w * w * w;
        w -= 2;
        return -0.5 * (w * w * w * w - 2);
    });
}

double PEAnimationTimingFunctionQuinticIn(double e, double d)
{
    return overDuration(e, d, [](double t) {
        return t * t * t * t * t;
    });
}

double PEAnimationTimingFunctionQuinticOut(double e, double d)
{
    return overDuration(e, d, [](double t) {
        const double u = t - 1;
        return u * u * u * u * u + 1;
    });
}

double PEAnimationTimingFunctionQuinticInOut(double e, double d)
{
    return overHalves(e, d, [](double w) {
        if (w < 1)
            return 0.5 * w * w * w * w * w;
        w -= 2;
        return 0.5 * (w * w * w * w * w + 2);
    });
}

PEAnimationTimingFunction PEAnimationTimingFunctionForCurve(PEAnimationCurve curve)
{
    static constexpr PEAnimationTimingFunction table[] = {
        PEAnimationTimingFunctionLinear,
        PEAnimationTimingFunctionBackIn,
        PEAnimationTimingFunctionBackOut,
        PEAnimationTimingFunctionBackInOut,
        PEAnimationTimingFunctionBounceIn,
        PEAnimationTimingFunctionBounceOut,
        PEAnimationTimingFunctionBounceInOut,
        PEAnimationTimingFunctionCircularIn,
        PEAnimationTimingFunctionCircularOut,
        PEAnimationTimingFunctionCircularInOut,
        PEAnimationTimingFunctionElasticIn,
        PEAnimationTimingFunctionElasticOut,
        PEAnimationTimingFunctionElasticInOut,
        PEAnimationTimingFunctionExponentialIn,
        PEAnimationTimingFunctionExponentialOut,
        PEAnimationTimingFunctionExponentialInOut,
        PEAnimationTimingFunctionSinusoidalIn,
        PEAnimationTimingFunctionSinusoidalOut,
        PEAnimationTimingFunctionSinusoidalInOut,
        PEAnimationTimingFunctionCubicIn,
        PEAnimationTimingFunctionCubicOut,
        PEAnimationTimingFunctionCubicInOut,
        PEAnimationTimingFunctionQuadraticIn,
        PEAnimationTimingFunctionQuadraticOut,
        PEAnimationTimingFunctionQuadraticInOut,
        PEAnimationTimingFunctionQuarticIn,
        PEAnimationTimingFunctionQuarticOut,
        PEAnimationTimingFunctionQuarticInOut,
        PEAnimationTimingFunctionQuinticIn,
        PEAnimationTimingFunctionQuinticOut,
        PEAnimationTimingFunctionQuinticInOut,
    };
    if (curve < 1 || curve > 31)
        return nullptr;
    return table[curve - 1];
}

#pragma once
// Timing curves: plain functions of the elapsed time and the duration (seconds) that answer the
// progress, 0 at or before the start and 1 once the end is reached. Back and elastic curves
// overshoot below 0 or above 1 on the way.

#include <cstdint>

// 0 asks for the scheduler's default curve; other values outside 1...31 have no timing function.
enum PEAnimationCurve : int {
    PEAnimationCurveDefault = 0,
    PEAnimationCurveLinear,
    PEAnimationCurveBackIn,
    PEAnimationCurveBackOut,
    PEAnimationCurveBackInOut,
    PEAnimationCurveBounceIn,
    PEAnimationCurveBounceOut,
    PEAnimationCurveBounceInOut,
    PEAnimationCurveCircularIn,
    PEAnimationCurveCircularOut,
    PEAnimationCurveCircularInOut,
    PEAnimationCurveElasticIn,
    PEAnimationCurveElasticOut,
    PEAnimationCurveElasticInOut,
    PEAnimationCurveExponentialIn,
    PEAnimationCurveExponentialOut,
    PEAnimationCurveExponentialInOut,
    PEAnimationCurveSinusoidalIn,
    PEAnimationCurveSinusoidalOut,
    PEAnimationCurveSinusoidalInOut,
    PEAnimationCurveCubicIn,
    PEAnimationCurveCubicOut,
    PEAnimationCurveCubicInOut,
    PEAnimationCurveQuadraticIn,
    PEAnimationCurveQuadraticOut,
    PEAnimationCurveQuadraticInOut,
    PEAnimationCurveQuarticIn,
    PEAnimationCurveQuarticOut,
    PEAnimationCurveQuarticInOut,
    PEAnimationCurveQuinticIn,
    PEAnimationCurveQuinticOut,
    PEAnimationCurveQuinticInOut,
};

using PEAnimationTimingFunction = double (*)(double elapsedTime, double duration);

double PEAnimationTimingFunctionLinear(double elapsedTime, double duration);
double PEAnimationTimingFunctionBackIn(double elapsedTime, double duration);
double PEAnimationTimingFunctionBackOut(double elapsedTime, double duration);
double PEAnimationTimingFunctionBackInOut(double elapsedTime, double duration);
double PEAnimationTimingFunctionBounceIn(double elapsedTime, double duration);
double PEAnimationTimingFunctionBounceOut(double elapsedTime, double duration);
double PEAnimationTimingFunctionBounceInOut(double elapsedTime, double duration);
double PEAnimationTimingFunctionCircularIn(double elapsedTime, double duration);
double PEAnimationTimingFunctionCircularOut(double elapsedTime, double duration);
double PEAnimationTimingFunctionCircularInOut(double elapsedTime, double duration);
double PEAnimationTimingFunctionElasticIn(double elapsedTime, double duration);
double PEAnimationTimingFunctionElasticOut(double elapsedTime, double duration);
double PEAnimationTimingFunctionElasticInOut(double elapsedTime, double duration);
double PEAnimationTimingFunctionExponentialIn(double elapsedTime, double duration);
double PEAnimationTimingFunctionExponentialOut(double elapsedTime, double duration);
double PEAnimationTimingFunctionExponentialInOut(double elapsedTime, double duration);
double PEAnimationTimingFunctionSinusoidalIn(double elapsedTime, double duration);
double PEAnimationTimingFunctionSinusoidalOut(double elapsedTime, double duration);
double PEAnimationTimingFunctionSinusoidalInOut(double elapsedTime, double duration);
double PEAnimationTimingFunctionCubicIn(double elapsedTime, double duration);
double PEAnimationTimingFunctionCubicOut(double elapsedTime, double duration);
double PEAnimationTimingFunctionCubicInOut(double elapsedTime, double duration);
double PEAnimationTimingFunctionQuadraticIn(double elapsedTime, double duration);
double PEAnimationTimingFunctionQuadraticOut(double elapsedTime, double duration);
double PEAnimationTimingFunctionQuadraticInOut(double elapsedTime, double duration);
double PEAnimationTimingFunctionQuarticIn(double elapsedTime, double duration);
double PEAnimationTimingFunctionQuarticOut(double elapsedTime, double duration);
double PEAnimationTimingFunctionQuarticInOut(double elapsedTime, double duration);
double PEAnimationTimingFunctionQuinticIn(double elapsedTime, double duration);
double PEAnimationTimingFunctionQuinticOut(double elapsedTime, double duration);
double PEAnimationTimingFunctionQuinticInOut(double elapsedTime, double duration);

// The function of curves 1...31 in the order above; null for any other code (0 included).
PEAnimationTimingFunction PEAnimationTimingFunctionForCurve(PEAnimationCurve curve);

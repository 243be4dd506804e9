#pragma once
// An animation through a list of values (or along a path, for point properties). keyTimes
// (fractions 0...1, one per value) place the values in time; without them the values spread
// evenly, or by distance in the paced modes. timingFunctions curve each interval between two
// values. The cubic modes move through the values like the linear ones.

#include "platform/foundation/NSArray.h"
#include "platform/layers/CAPropertyAnimation.h"
#include "platform/graphics/CGPath.h"

inline constexpr const char* kCAAnimationLinear = "linear";
inline constexpr const char* kCAAnimationDiscrete = "discrete";
inline constexpr const char* kCAAnimationPaced = "paced";
inline constexpr const char* kCAAnimationCubic = "cubic";
inline constexpr const char* kCAAnimationCubicPaced = "cubicPaced";

class CAKeyframeAnimation : public CAPropertyAnimation {
    NS_OBJECT(CAKeyframeAnimation, CAPropertyAnimation)
public:
    static std::shared_ptr<CAKeyframeAnimation> animation() { return create(); }
    static std::shared_ptr<CAKeyframeAnimation> animationWithKeyPath(const NSString& keyPath);

    const std::shared_ptr<NSArray>& values() const { return m_values; }
    void setValues(std::shared_ptr<NSArray> values) { m_values = std::move(values); }
    // When set, the path's points are the values, paced by distance along it.
    const CGPathRef& path() const { return m_path; }
    void setPath(CGPathRef path) { m_path = std::move(path); }
    const std::shared_ptr<NSArray>& keyTimes() const { return m_keyTimes; }
    void setKeyTimes(std::shared_ptr<NSArray> keyTimes) { m_keyTimes = std::move(keyTimes); }
    const std::shared_ptr<NSArray>& timingFunctions() const { return m_timingFunctions; }
    void setTimingFunctions(std::shared_ptr<NSArray> functions) { m_timingFunctions = std::move(functions); }
    const NSString& calculationMode() const { return m_calculationMode; }
    void setCalculationMode(const NSString& mode) { m_calculationMode = mode; }

    id copy() const override;
    id valueAtFraction(CGFloat fraction, const id& underlyingValue) const override;

protected:
    void init(const CAKeyframeAnimation& other);

private:
    std::vector<id> effectiveValues() const;
    std::vector<CGFloat> effectiveKeyTimes(const std::vector<id>& values, bool discrete, bool paced) const;

    std::shared_ptr<NSArray> m_values;
    CGPathRef m_path;
    std::shared_ptr<NSArray> m_keyTimes;
    std::shared_ptr<NSArray> m_timingFunctions;
    NSString m_calculationMode { kCAAnimationLinear };
};

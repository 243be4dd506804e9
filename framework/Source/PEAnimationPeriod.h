#pragma once
// The value side of an animation: a start and an end value of one type, the duration and the
// delay (animation seconds), and the tween between them. The factories answer a private subclass
// per value type (CGFloat, point, size, rectangle, decimal, plot range); the base class itself
// cannot tween and raises NSGenericException if an operation asks it to.
//
// A nil start value is read from the property when the animation starts. A NaN delay starts the
// animation on the first tick at which the property's value lies between start and end.

#include "framework/Source/PEAnimationBinding.h"
#include "framework/Source/PEPlotRange.h"
#include "platform/foundation/NSDecimal.h"
#include "platform/graphics/CGGeometry.h"

class PEAnimationPeriod : public NSObject {
    NS_OBJECT(PEAnimationPeriod, NSObject)
public:
    // A period of the class the call names (the base here): start and end are copied.
    static std::shared_ptr<PEAnimationPeriod> periodWithStartValue(const id& aStartValue, const id& anEndValue,
        double aDuration, double aDelay);
    // A NaN start (any component) leaves the start value nil; the end is always kept.
    static std::shared_ptr<PEAnimationPeriod> periodWithStart(CGFloat aStart, CGFloat anEnd, double aDuration, double aDelay);
    static std::shared_ptr<PEAnimationPeriod> periodWithStartPoint(CGPoint aStartPoint, CGPoint anEndPoint, double aDuration, double aDelay);
    static std::shared_ptr<PEAnimationPeriod> periodWithStartSize(CGSize aStartSize, CGSize anEndSize, double aDuration, double aDelay);
    // CGRectNull as start also leaves it nil.
    static std::shared_ptr<PEAnimationPeriod> periodWithStartRect(CGRect aStartRect, CGRect anEndRect, double aDuration, double aDelay);
    static std::shared_ptr<PEAnimationPeriod> periodWithStartDecimal(const NSDecimal& aStartDecimal, const NSDecimal& anEndDecimal,
        double aDuration, double aDelay);
    static std::shared_ptr<PEAnimationPeriod> periodWithStartPlotRange(const std::shared_ptr<PEPlotRange>& aStartPlotRange,
        const std::shared_ptr<PEPlotRange>& anEndPlotRange, double aDuration, double aDelay);

    const id& startValue() const { return m_startValue; }
    void setStartValue(const id& startValue) { m_startValue = startValue ? startValue->copy() : nullptr; }
    const id& endValue() const { return m_endValue; }
    void setEndValue(const id& endValue) { m_endValue = endValue ? endValue->copy() : nullptr; }
    double duration() const { return m_duration; }
    void setDuration(double duration) { m_duration = duration; }
    double delay() const { return m_delay; }
    void setDelay(double delay) { m_delay = delay; }
    // The scheduler's clock when the period was made: the delay counts from here.
    double startOffset() const { return m_startOffset; }
    void setStartOffset(double startOffset) { m_startOffset = startOffset; }

    // Sets the start value from the property's present value.
    virtual void setStartValueFromObject(const id& boundObject, const PEAnimationBinding& boundGetter);
    // The value at the progress, extrapolated linearly outside 0...1.
    virtual id tweenedValueForProgress(double progress) const;
    // Whether the property's present value lies between start and end, ends included.
    virtual bool canStartWithValueFromObject(const id& boundObject, const PEAnimationBinding& boundGetter) const;

    NSString description() const override;

protected:
    void init();
    void init(const id& aStartValue, const id& anEndValue, double aDuration, double aDelay);

private:
    id m_startValue;
    id m_endValue;
    double m_duration { 0 };
    double m_delay { 0 };
    double m_startOffset { 0 };
};

// The property's present value read through its getter; zero values when it has another type.
CGFloat PECurrentCGFloatValue(const id& boundObject, const PEAnimationBinding& boundGetter);
CGPoint PECurrentCGPointValue(const id& boundObject, const PEAnimationBinding& boundGetter);
CGSize PECurrentCGSizeValue(const id& boundObject, const PEAnimationBinding& boundGetter);
CGRect PECurrentCGRectValue(const id& boundObject, const PEAnimationBinding& boundGetter);
NSDecimal PECurrentDecimalValue(const id& boundObject, const PEAnimationBinding& boundGetter);

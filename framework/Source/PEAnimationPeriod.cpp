#include "framework/Source/PEAnimationPeriod.h"

#include "framework/Source/PEAnimation.h"
#include "framework/Source/_PEAnimationCGFloatPeriod.h"
#include "framework/Source/_PEAnimationCGPointPeriod.h"
#include "framework/Source/_PEAnimationCGRectPeriod.h"
#include "framework/Source/_PEAnimationCGSizePeriod.h"
#include "framework/Source/_PEAnimationNSDecimalPeriod.h"
#include "framework/Source/_PEAnimationPlotRangePeriod.h"
#include "platform/foundation/NSDecimalNumber.h"
#include "platform/foundation/NSException.h"
#include "platform/layers/NSValueGeometry.h"

#include <cmath>

std::shared_ptr<PEAnimationPeriod> PEAnimationPeriod::periodWithStartValue(const id& aStartValue, const id& anEndValue,
    double aDuration, double aDelay)
{
    return create(aStartValue, anEndValue, aDuration, aDelay);
}

std::shared_ptr<PEAnimationPeriod> PEAnimationPeriod::periodWithStart(CGFloat aStart, CGFloat anEnd, double aDuration, double aDelay)
{
    id start = std::isnan(aStart) ? nullptr : id(NSNumber::numberWithDouble(aStart));
    return _PEAnimationCGFloatPeriod::create(start, NSNumber::numberWithDouble(anEnd), aDuration, aDelay);
}

std::shared_ptr<PEAnimationPeriod> PEAnimationPeriod::periodWithStartPoint(CGPoint aStartPoint, CGPoint anEndPoint,
    double aDuration, double aDelay)
{
    const bool unknown = std::isnan(aStartPoint.x) || std::isnan(aStartPoint.y);
    id start = unknown ? nullptr : id(NSValueGeometry::valueWithCGPoint(aStartPoint));
    return _PEAnimationCGPointPeriod::create(start, NSValueGeometry::valueWithCGPoint(anEndPoint), aDuration, aDelay);
}

std::shared_ptr<PEAnimationPeriod> PEAnimationPeriod::periodWithStartSize(CGSize aStartSize, CGSize anEndSize,
    double aDuration, double aDelay)
{
    const bool unknown = std::isnan(aStartSize.width) || std::isnan(aStartSize.height);
    id start = unknown ? nullptr : id(NSValueGeometry::valueWithCGSize(aStartSize));
    return _PEAnimationCGSizePeriod::create(start, NSValueGeometry::valueWithCGSize(anEndSize), aDuration, aDelay);
}

std::shared_ptr<PEAnimationPeriod> PEAnimationPeriod::periodWithStartRect(CGRect aStartRect, CGRect anEndRect,
    double aDuration, double aDelay)
{
    const bool unknown = CGRectEqualToRect(aStartRect, CGRectNull) || std::isnan(aStartRect.origin.x)
        || std::isnan(aStartRect.origin.y) || std::isnan(aStartRect.size.width) || std::isnan(aStartRect.size.height);
    id start = unknown ? nullptr : id(NSValueGeometry::valueWithCGRect(aStartRect));
    return _PEAnimationCGRectPeriod::create(start, NSValueGeometry::valueWithCGRect(anEndRect), aDuration, aDelay);
}

std::shared_ptr<PEAnimationPeriod> PEAnimationPeriod::periodWithStartDecimal(const NSDecimal& aStartDecimal,
    const NSDecimal& anEndDecimal, double aDuration, double aDelay)
{
    id start = NSDecimalIsNotANumber(&aStartDecimal) ? nullptr : id(NSDecimalNumber::decimalNumberWithDecimal(aStartDecimal));
    return _PEAnimationNSDecimalPeriod::create(start, NSDecimalNumber::decimalNumberWithDecimal(anEndDecimal), aDuration, aDelay);
}

std::shared_ptr<PEAnimationPeriod> PEAnimationPeriod::periodWithStartPlotRange(const std::shared_ptr<PEPlotRange>& aStartPlotRange,
    const std::shared_ptr<PEPlotRange>& anEndPlotRange, double aDuration, double aDelay)
{
    const bool unknown = !aStartPlotRange || std::isnan(aStartPlotRange->locationDouble())
        || std::isnan(aStartPlotRange->lengthDouble());
    return _PEAnimationPlotRangePeriod::create(unknown ? nullptr : id(aStartPlotRange), id(anEndPlotRange), aDuration, aDelay);
}

void PEAnimationPeriod::init() { init(nullptr, nullptr, 0, 0); }

void PEAnimationPeriod::init(const id& aStartValue, const id& anEndValue, double aDuration, double aDelay)
{
    setStartValue(aStartValue);
    setEndValue(anEndValue);
    m_duration = aDuration;
    m_delay = aDelay;
    m_startOffset = PEAnimation::sharedInstance()->timeOffset();
}

void PEAnimationPeriod::setStartValueFromObject(const id&, const PEAnimationBinding&)
{
    NSException::raise(NSGenericException, "The -initializeStartValue method must be implemented by PEAnimationPeriod subclasses.");
}

id PEAnimationPeriod::tweenedValueForProgress(double) const
{
    NSException::raise(NSGenericException, "The -tweenedValueForProgress: method must be implemented by PEAnimationPeriod subclasses.");
}

bool PEAnimationPeriod::canStartWithValueFromObject(const id&, const PEAnimationBinding&) const
{
    NSException::raise(NSGenericException,
        "The -canStartWithValueFromObject:propertyGetter: method must be implemented by PEAnimationPeriod subclasses.");
}

NSString PEAnimationPeriod::description() const
{
    return NSString::stringWithFormat("<%@ from: %@; to: %@; duration: %g, delay: %g>", NSObject::description(),
        m_startValue, m_endValue, m_duration, m_delay);
}

CGFloat PECurrentCGFloatValue(const id& boundObject, const PEAnimationBinding& boundGetter)
{
    auto number = boundObject ? ns::cast<NSNumber>(boundGetter.getValue(*boundObject)) : nullptr;
    return number ? number->doubleValue() : 0;
}

CGPoint PECurrentCGPointValue(const id& boundObject, const PEAnimationBinding& boundGetter)
{
    return boundObject ? NSValueGeometry::CGPointValue(boundGetter.getValue(*boundObject)) : CGPointZero;
}

CGSize PECurrentCGSizeValue(const id& boundObject, const PEAnimationBinding& boundGetter)
{
    return boundObject ? NSValueGeometry::CGSizeValue(boundGetter.getValue(*boundObject)) : CGSizeZero;
}

CGRect PECurrentCGRectValue(const id& boundObject, const PEAnimationBinding& boundGetter)
{
    return boundObject ? NSValueGeometry::CGRectValue(boundGetter.getValue(*boundObject)) : CGRectZero;
}

NSDecimal PECurrentDecimalValue(const id& boundObject, const PEAnimationBinding& boundGetter)
{
    auto number = boundObject ? ns::cast<NSNumber>(boundGetter.getValue(*boundObject)) : nullptr;
    return number ? ns::decimalValue(*number) : ns::decimalWithLongLong(0);
}

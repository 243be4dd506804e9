#include "framework/Source/PETimeFormatter.h"

#include "platform/foundation/NSNumber.h"

#include <cmath>

void PETimeFormatter::init(const std::shared_ptr<NSDateFormatter>& formatter)
{
    NSNumberFormatter::init();
    m_dateFormatter = formatter;
}

NSString PETimeFormatter::stringForObjectValue(const id& value) const
{
    auto number = ns::cast<NSNumber>(value);
    if (!number || !m_dateFormatter)
        return nullptr;
    double seconds = number->doubleValue();
    if (!std::isfinite(seconds))
        return nullptr;
    NSTimeInterval start = m_referenceDate ? m_referenceDate->timeIntervalSinceReferenceDate() : 0;
    return m_dateFormatter->stringFromDate(NSDate::dateWithTimeIntervalSinceReferenceDate(start + seconds));
}

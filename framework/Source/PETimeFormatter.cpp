#include "framework/Source/PETimeFormatter.h"

#include "platform/foundation/NSNumber.h"

#include <cmath>

namespace {

[[maybe_unused]] const bool timeFormatterRegistered = NSCoder::registerClass<PETimeFormatter>();

} // namespace

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

void PETimeFormatter::encodeWithCoder(NSCoder& coder) const
{
    NSNumberFormatter::encodeWithCoder(coder);
    coder.encodeObject(m_dateFormatter, "PETimeFormatter.dateFormatter");
    coder.encodeObject(m_referenceDate, "PETimeFormatter.referenceDate");
}

bool PETimeFormatter::init(NSCoder& coder)
{
    if (!NSNumberFormatter::init(coder))
        return false;
    m_dateFormatter = coder.decodeObjectOfClass<NSDateFormatter>("PETimeFormatter.dateFormatter");
    m_referenceDate = coder.decodeObjectOfClass<NSDate>("PETimeFormatter.referenceDate");
    return true;
}

#include "framework/Source/PECalendarFormatter.h"

#include "framework/Source/PEExceptions.h"
#include "platform/foundation/NSNumber.h"

namespace {

[[maybe_unused]] const bool calendarFormatterRegistered = NSCoder::registerClass<PECalendarFormatter>();

// The week unit the platform has since retired, still accepted as a unit of its own.
constexpr NSCalendarUnit weekCalendarUnit = 1u << 8;

std::shared_ptr<NSDateFormatter> mediumDateFormatter()
{
    auto dateFormatter = NSDateFormatter::create();
    dateFormatter->setDateStyle(NSDateFormatterMediumStyle);
    dateFormatter->setTimeStyle(NSDateFormatterMediumStyle);
    return dateFormatter;
}

} // namespace

void PECalendarFormatter::init()
{
    init(mediumDateFormatter());
}

void PECalendarFormatter::init(const std::shared_ptr<NSDateFormatter>& dateFormatter)
{
    NSNumberFormatter::init();
    m_dateFormatter = dateFormatter;
    m_referenceDate = nullptr;
    m_referenceCalendar = nullptr;
}

bool PECalendarFormatter::init(NSCoder& coder)
{
    if (!NSNumberFormatter::init(coder))
        return false;
    // Archives made before date formatters could be archived hold none: they get the default
    // rather than a formatter that writes nothing, and keep the number settings just decoded.
    if (coder.containsValueForKey("PECalendarFormatter.dateFormatter"))
        m_dateFormatter = coder.decodeObjectOfClass<NSDateFormatter>("PECalendarFormatter.dateFormatter");
    else
        m_dateFormatter = mediumDateFormatter();
    setReferenceDate(coder.decodeObjectOfClass<NSDate>("PECalendarFormatter.referenceDate"));
    setReferenceCalendar(coder.decodeObjectOfClass<NSCalendar>("PECalendarFormatter.referenceCalendar"));
    m_referenceCalendarUnit = static_cast<NSCalendarUnit>(coder.decodeIntegerForKey("PECalendarFormatter.referenceCalendarUnit"));
    return true;
}

void PECalendarFormatter::setReferenceDate(const std::shared_ptr<NSDate>& referenceDate)
{
    m_referenceDate = referenceDate ? ns::cast<NSDate>(referenceDate->copy()) : nullptr;
}

void PECalendarFormatter::setReferenceCalendar(const std::shared_ptr<NSCalendar>& referenceCalendar)
{
    m_referenceCalendar = referenceCalendar ? ns::cast<NSCalendar>(referenceCalendar->copy()) : nullptr;
}

NSString PECalendarFormatter::stringForObjectValue(const id& value) const
{
    NSInteger count = 0;
    if (auto number = ns::cast<NSNumber>(value))
        count = number->integerValue();
    else if (NSString text = NSString::fromId(value); !text.isNil())
        count = text.integerValue();

    auto components = NSDateComponents::create();
    switch (m_referenceCalendarUnit) {
    case NSCalendarUnitEra:
        components->setEra(count);
        break;
    case NSCalendarUnitYear:
        components->setYear(count);
        break;
    case NSCalendarUnitMonth:
        components->setMonth(count);
        break;
    case NSCalendarUnitDay:
        components->setDay(count);
        break;
    case NSCalendarUnitHour:
        components->setHour(count);
        break;
    case NSCalendarUnitMinute:
        components->setMinute(count);
        break;
    case NSCalendarUnitSecond:
        components->setSecond(count);
        break;
    case weekCalendarUnit:
        components->setWeek(count);
        break;
    case NSCalendarUnitWeekday:
        components->setWeekday(count);
        break;
    case NSCalendarUnitWeekdayOrdinal:
        components->setWeekdayOrdinal(count);
        break;
    case NSCalendarUnitQuarter:
        components->setQuarter(count);
        break;
    case NSCalendarUnitWeekOfMonth:
        components->setWeekOfMonth(count);
        break;
    case NSCalendarUnitWeekOfYear:
        components->setWeekOfYear(count);
        break;
    case NSCalendarUnitYearForWeekOfYear:
        components->setYearForWeekOfYear(count);
        break;
    case NSCalendarUnitCalendar:
        NSException::raise(PEException, "Unsupported calendar unit: NSCalendarCalendarUnit");
    case NSCalendarUnitTimeZone:
        NSException::raise(PEException, "Unsupported calendar unit: NSTimeZoneCalendarUnit");
    default:
        break;
    }

    auto startDate = m_referenceDate ? m_referenceDate : NSDate::dateWithTimeIntervalSinceReferenceDate(0);
    auto calendar = m_referenceCalendar ? m_referenceCalendar : NSCalendar::currentCalendar();
    auto date = calendar->dateByAddingComponents(components, startDate, 0);
    return m_dateFormatter ? m_dateFormatter->stringFromDate(date) : NSString();
}

id PECalendarFormatter::copy() const
{
    auto formatter = create();
    formatter->m_dateFormatter = m_dateFormatter ? ns::cast<NSDateFormatter>(m_dateFormatter->copy()) : nullptr;
    formatter->setReferenceDate(m_referenceDate);
    formatter->setReferenceCalendar(m_referenceCalendar);
    formatter->m_referenceCalendarUnit = m_referenceCalendarUnit;
    return formatter;
}

void PECalendarFormatter::encodeWithCoder(NSCoder& coder) const
{
    NSNumberFormatter::encodeWithCoder(coder);
    coder.encodeObject(m_dateFormatter, "PECalendarFormatter.dateFormatter");
    coder.encodeObject(m_referenceDate, "PECalendarFormatter.referenceDate");
    coder.encodeObject(m_referenceCalendar, "PECalendarFormatter.referenceCalendar");
    coder.encodeInteger(static_cast<NSInteger>(m_referenceCalendarUnit), "PECalendarFormatter.referenceCalendarUnit");
}

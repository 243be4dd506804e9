#include "platform/foundation/NSDateFormatter.h"

#include "platform/foundation/ICUBridge.h"
#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSCalendar.h"
#include "platform/foundation/NSLocale.h"
#include "platform/foundation/NSTimeZone.h"

#include <unicode/dtfmtsym.h>
#include <unicode/dtptngen.h>
#include <unicode/gregocal.h>
#include <unicode/smpdtfmt.h>

#include <cmath>

namespace {

[[maybe_unused]] const bool registeredForCoding = NSCoder::registerClass<NSDateFormatter>();

icu::DateFormat::EStyle icuStyle(NSDateFormatterStyle style)
{
    switch (style) {
    case NSDateFormatterShortStyle: return icu::DateFormat::kShort;
    case NSDateFormatterMediumStyle: return icu::DateFormat::kMedium;
    case NSDateFormatterLongStyle: return icu::DateFormat::kLong;
    case NSDateFormatterFullStyle: return icu::DateFormat::kFull;
    default: return icu::DateFormat::kNone;
    }
}

NSString stylePattern(NSDateFormatterStyle dateStyle, NSDateFormatterStyle timeStyle, const icu::Locale& locale)
{
    if (dateStyle == NSDateFormatterNoStyle && timeStyle == NSDateFormatterNoStyle)
        return "";
    std::unique_ptr<icu::DateFormat> format(icu::DateFormat::createDateTimeInstance(icuStyle(dateStyle), icuStyle(timeStyle), locale));
    auto* simple = dynamic_cast<icu::SimpleDateFormat*>(format.get());
    if (!simple)
        return "";
    icu::UnicodeString pattern;
    simple->toPattern(pattern);
    return ns::stringFromUnicode(pattern);
}

// The platform reads two-digit years into the century that starts in 1950.
constexpr UDate twoDigitYearStart = -631152000000.0; // 1950-01-01 00:00:00 UTC

} // namespace

NSString NSDateFormatter::localizedStringFromDate(const std::shared_ptr<NSDate>& date, NSDateFormatterStyle dateStyle,
    NSDateFormatterStyle timeStyle)
{
    auto formatter = create();
    formatter->setDateStyle(dateStyle);
    formatter->setTimeStyle(timeStyle);
    return formatter->stringFromDate(date);
}

NSString NSDateFormatter::dateFormatFromTemplate(const NSString& dateTemplate, NSUInteger, const std::shared_ptr<NSLocale>& locale)
{
    UErrorCode status = U_ZERO_ERROR;
    const auto& icuLocale = (locale ? locale : NSLocale::currentLocale())->icuLocale();
    std::unique_ptr<icu::DateTimePatternGenerator> generator(icu::DateTimePatternGenerator::createInstance(icuLocale, status));
    if (U_FAILURE(status))
        return nullptr;
    icu::UnicodeString pattern = generator->getBestPattern(ns::unicodeString(dateTemplate), status);
    return U_SUCCESS(status) ? ns::stringFromUnicode(pattern) : NSString();
}

NSString NSDateFormatter::dateFormat() const
{
    MutexLocker lock(m_mutex);
    if (m_formatFromStyles)
        format();
    return m_dateFormat;
}

void NSDateFormatter::setDateFormat(const NSString& dateFormat)
{
    MutexLocker lock(m_mutex);
    m_dateFormat = dateFormat.isNil() ? NSString("") : dateFormat;
    m_formatFromStyles = false;
    m_format.reset();
}

NSDateFormatterStyle NSDateFormatter::dateStyle() const
{
    MutexLocker lock(m_mutex);
    return m_dateStyle;
}

NSDateFormatterStyle NSDateFormatter::timeStyle() const
{
    MutexLocker lock(m_mutex);
    return m_timeStyle;
}

bool NSDateFormatter::isLenient() const
{
    MutexLocker lock(m_mutex);
    return m_lenient;
}

void NSDateFormatter::setDateStyle(NSDateFormatterStyle style)
{
    MutexLocker lock(m_mutex);
    m_dateStyle = style;
    m_formatFromStyles = true;
    m_format.reset();
}

void NSDateFormatter::setTimeStyle(NSDateFormatterStyle style)
{
    MutexLocker lock(m_mutex);
    m_timeStyle = style;
    m_formatFromStyles = true;
    m_format.reset();
}

std::shared_ptr<NSLocale> NSDateFormatter::locale() const
{
    MutexLocker lock(m_mutex);
    return m_locale ? m_locale : NSLocale::currentLocale();
}

void NSDateFormatter::setLocale(const std::shared_ptr<NSLocale>& locale)
{
    MutexLocker lock(m_mutex);
    m_locale = locale;
    m_format.reset();
}

std::shared_ptr<NSTimeZone> NSDateFormatter::timeZone() const
{
    MutexLocker lock(m_mutex);
    return m_timeZone ? m_timeZone : NSTimeZone::defaultTimeZone();
}

void NSDateFormatter::setTimeZone(const std::shared_ptr<NSTimeZone>& timeZone)
{
    MutexLocker lock(m_mutex);
    m_timeZone = timeZone;
    m_format.reset();
}

std::shared_ptr<NSCalendar> NSDateFormatter::calendar() const
{
    std::shared_ptr<NSLocale> effectiveLocale;
    {
        MutexLocker lock(m_mutex);
        if (m_calendar)
            return m_calendar;
        effectiveLocale = m_locale ? m_locale : NSLocale::currentLocale();
    }
    auto calendar = NSCalendar::calendarWithIdentifier(effectiveLocale->calendarIdentifier());
    if (!calendar)
        calendar = NSCalendar::calendarWithIdentifier(NSCalendarIdentifierGregorian);
    calendar->setLocale(effectiveLocale);
    calendar->setTimeZone(timeZone());
    return calendar;
}

void NSDateFormatter::setCalendar(const std::shared_ptr<NSCalendar>& calendar)
{
    MutexLocker lock(m_mutex);
    m_calendar = calendar;
    m_format.reset();
}

void NSDateFormatter::setLenient(bool lenient)
{
    MutexLocker lock(m_mutex);
    m_lenient = lenient;
    m_format.reset();
}

icu::SimpleDateFormat& NSDateFormatter::format() const
{
    if (m_format)
        return *m_format;
    const auto locale = m_locale ? m_locale : NSLocale::currentLocale();
    icu::Locale icuLocale = locale->icuLocale();
    UErrorCode status = U_ZERO_ERROR;
    if (m_calendar) {
        icuLocale.setKeywordValue("calendar", m_calendar->calendarIdentifier().UTF8String().c_str(), status);
        status = U_ZERO_ERROR;
    }
    if (m_formatFromStyles)
        m_dateFormat = stylePattern(m_dateStyle, m_timeStyle, icuLocale);
    m_format = std::make_shared<icu::SimpleDateFormat>(ns::unicodeString(m_dateFormat), icuLocale, status);
    if (U_FAILURE(status)) {
        // A pattern ICU refuses formats and parses nothing, as the platform's does.
        status = U_ZERO_ERROR;
        m_format = std::make_shared<icu::SimpleDateFormat>(icu::UnicodeString(), icuLocale, status);
    }
    const auto zone = m_timeZone ? m_timeZone : NSTimeZone::defaultTimeZone();
    m_format->setTimeZone(zone->icuTimeZone());
    if (m_calendar) {
        std::unique_ptr<icu::Calendar> calendar(m_format->getCalendar()->clone());
        calendar->setFirstDayOfWeek(static_cast<UCalendarDaysOfWeek>(m_calendar->firstWeekday()));
        calendar->setMinimalDaysInFirstWeek(static_cast<uint8_t>(m_calendar->minimumDaysInFirstWeek()));
        m_format->setCalendar(*calendar);
    }
    m_format->setLenient(m_lenient);
    status = U_ZERO_ERROR;
    m_format->set2DigitYearStart(twoDigitYearStart, status);
    return *m_format;
}

NSString NSDateFormatter::stringFromDate(const std::shared_ptr<NSDate>& date) const
{
    if (!date)
        return nullptr;
    MutexLocker lock(m_mutex);
    icu::UnicodeString text;
    format().format(std::floor(ns::udateFromDate(*date)), text);
    return ns::stringFromUnicode(text);
}

std::shared_ptr<NSDate> NSDateFormatter::dateFromString(const NSString& string) const
{
    if (string.isNil())
        return nullptr;
    const icu::UnicodeString text = ns::unicodeString(string);
    MutexLocker lock(m_mutex);
    auto& formatter = format();
    std::unique_ptr<icu::Calendar> calendar(formatter.getCalendar()->clone());
    calendar->clear();
    calendar->set(2000, UCAL_JANUARY, 1, 0, 0, 0);
    icu::ParsePosition position(0);
    formatter.parse(text, *calendar, position);
    if (position.getErrorIndex() >= 0 || position.getIndex() != text.length() || text.isEmpty())
        return nullptr;
    UErrorCode status = U_ZERO_ERROR;
    // A strict calendar refuses fields out of range (30 February) here.
    const UDate time = calendar->getTime(status);
    if (U_FAILURE(status))
        return nullptr;
    return ns::dateFromUDate(time);
}

std::shared_ptr<NSArray> NSDateFormatter::symbols(SymbolKind kind, int context, int width) const
{
    int32_t count = 0;
    const icu::UnicodeString* names = nullptr;
    MutexLocker lock(m_mutex);
    const icu::DateFormatSymbols* symbols = format().getDateFormatSymbols();
    const auto icuContext = static_cast<icu::DateFormatSymbols::DtContextType>(context);
    const auto icuWidth = static_cast<icu::DateFormatSymbols::DtWidthType>(width);
    switch (kind) {
    case SymbolKind::Weekdays:
        names = symbols->getWeekdays(count, icuContext, icuWidth);
        break;
    case SymbolKind::Months:
        names = symbols->getMonths(count, icuContext, icuWidth);
        break;
    case SymbolKind::Eras:
        names = symbols->getEras(count);
        break;
    }
    std::vector<id> items;
    // ICU's weekday list keeps an empty slot before Sunday.
    for (int32_t index = kind == SymbolKind::Weekdays ? 1 : 0; index < count; ++index)
        items.push_back(ns::stringFromUnicode(names[index]));
    return NSArray::create(std::move(items));
}

using Symbols = icu::DateFormatSymbols;

std::shared_ptr<NSArray> NSDateFormatter::weekdaySymbols() const { return symbols(SymbolKind::Weekdays, Symbols::FORMAT, Symbols::WIDE); }
std::shared_ptr<NSArray> NSDateFormatter::shortWeekdaySymbols() const { return symbols(SymbolKind::Weekdays, Symbols::FORMAT, Symbols::ABBREVIATED); }
std::shared_ptr<NSArray> NSDateFormatter::veryShortWeekdaySymbols() const { return symbols(SymbolKind::Weekdays, Symbols::FORMAT, Symbols::NARROW); }
std::shared_ptr<NSArray> NSDateFormatter::standaloneWeekdaySymbols() const { return symbols(SymbolKind::Weekdays, Symbols::STANDALONE, Symbols::WIDE); }
std::shared_ptr<NSArray> NSDateFormatter::shortStandaloneWeekdaySymbols() const { return symbols(SymbolKind::Weekdays, Symbols::STANDALONE, Symbols::ABBREVIATED); }
std::shared_ptr<NSArray> NSDateFormatter::veryShortStandaloneWeekdaySymbols() const { return symbols(SymbolKind::Weekdays, Symbols::STANDALONE, Symbols::NARROW); }
std::shared_ptr<NSArray> NSDateFormatter::monthSymbols() const { return symbols(SymbolKind::Months, Symbols::FORMAT, Symbols::WIDE); }
std::shared_ptr<NSArray> NSDateFormatter::shortMonthSymbols() const { return symbols(SymbolKind::Months, Symbols::FORMAT, Symbols::ABBREVIATED); }
std::shared_ptr<NSArray> NSDateFormatter::veryShortMonthSymbols() const { return symbols(SymbolKind::Months, Symbols::FORMAT, Symbols::NARROW); }
std::shared_ptr<NSArray> NSDateFormatter::standaloneMonthSymbols() const { return symbols(SymbolKind::Months, Symbols::STANDALONE, Symbols::WIDE); }
std::shared_ptr<NSArray> NSDateFormatter::shortStandaloneMonthSymbols() const { return symbols(SymbolKind::Months, Symbols::STANDALONE, Symbols::ABBREVIATED); }
std::shared_ptr<NSArray> NSDateFormatter::veryShortStandaloneMonthSymbols() const { return symbols(SymbolKind::Months, Symbols::STANDALONE, Symbols::NARROW); }
std::shared_ptr<NSArray> NSDateFormatter::eraSymbols() const { return symbols(SymbolKind::Eras, Symbols::FORMAT, Symbols::ABBREVIATED); }

NSString NSDateFormatter::AMSymbol() const
{
    MutexLocker lock(m_mutex);
    int32_t count = 0;
    const icu::UnicodeString* names = format().getDateFormatSymbols()->getAmPmStrings(count);
    return count > 0 ? ns::stringFromUnicode(names[0]) : NSString();
}

NSString NSDateFormatter::PMSymbol() const
{
    MutexLocker lock(m_mutex);
    int32_t count = 0;
    const icu::UnicodeString* names = format().getDateFormatSymbols()->getAmPmStrings(count);
    return count > 1 ? ns::stringFromUnicode(names[1]) : NSString();
}

NSString NSDateFormatter::stringForObjectValue(const id& value) const
{
    auto date = ns::cast<NSDate>(value);
    return date ? stringFromDate(date) : NSString();
}

bool NSDateFormatter::getObjectValue(id* object, const NSString& string, NSString* errorDescription) const
{
    auto date = dateFromString(string);
    if (object)
        *object = date;
    if (!date && errorDescription)
        *errorDescription = "The text is not a date in the formatter's format.";
    return date != nullptr;
}

id NSDateFormatter::copy() const
{
    auto formatter = create();
    MutexLocker lock(m_mutex);
    MutexLocker copyLock(formatter->m_mutex);
    formatter->m_dateFormat = m_dateFormat;
    formatter->m_dateStyle = m_dateStyle;
    formatter->m_timeStyle = m_timeStyle;
    formatter->m_formatFromStyles = m_formatFromStyles;
    formatter->m_locale = m_locale;
    formatter->m_timeZone = m_timeZone;
    formatter->m_calendar = m_calendar ? std::static_pointer_cast<NSCalendar>(m_calendar->copy()) : nullptr;
    formatter->m_lenient = m_lenient;
    return formatter;
}

void NSDateFormatter::encodeWithCoder(NSCoder& coder) const
{
    MutexLocker lock(m_mutex);
    if (m_formatFromStyles) {
        coder.encodeInteger(static_cast<NSInteger>(m_dateStyle), "NS.dateStyle");
        coder.encodeInteger(static_cast<NSInteger>(m_timeStyle), "NS.timeStyle");
    } else {
        coder.encodeObject(m_dateFormat, "NS.dateFormat");
    }
    if (m_locale)
        coder.encodeObject(m_locale->localeIdentifier(), "NS.locale");
    if (m_timeZone)
        coder.encodeObject(m_timeZone->name(), "NS.timeZone");
    coder.encodeObject(m_calendar, "NS.calendar");
    coder.encodeBool(m_lenient, "NS.lenient");
}

bool NSDateFormatter::init(NSCoder& coder)
{
    const NSInteger dateStyle = coder.decodeIntegerForKey("NS.dateStyle");
    const NSInteger timeStyle = coder.decodeIntegerForKey("NS.timeStyle");
    auto isStyle = [](NSInteger style) { return style >= 0 && style <= static_cast<NSInteger>(NSDateFormatterFullStyle); };
    if (!isStyle(dateStyle) || !isStyle(timeStyle))
        return false;
    std::shared_ptr<NSTimeZone> zone;
    if (auto name = coder.decodeObjectOfClass<NSStringObject>("NS.timeZone")) {
        zone = NSTimeZone::timeZoneWithName(NSString(name));
        if (!zone)
            return false;
    }
    auto calendar = coder.decodeObjectOfClass<NSCalendar>("NS.calendar");
    auto locale = coder.decodeObjectOfClass<NSStringObject>("NS.locale");
    if (auto pattern = coder.decodeObjectOfClass<NSStringObject>("NS.dateFormat")) {
        setDateFormat(NSString(pattern));
    } else {
        setDateStyle(static_cast<NSDateFormatterStyle>(dateStyle));
        setTimeStyle(static_cast<NSDateFormatterStyle>(timeStyle));
    }
    if (locale)
        setLocale(NSLocale::localeWithLocaleIdentifier(NSString(locale)));
    setTimeZone(zone);
    setCalendar(calendar);
    setLenient(coder.decodeBoolForKey("NS.lenient"));
    return true;
}

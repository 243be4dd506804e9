#include "platform/foundation/NSCalendar.h"

#include "platform/foundation/ICUBridge.h"
#include "platform/foundation/NSLocale.h"
#include "platform/foundation/NSTimeZone.h"

#include <unicode/calendar.h>
#include <unicode/locid.h>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

[[maybe_unused]] const bool registeredForCoding = NSCoder::registerClass<NSCalendar>();

constexpr const char* knownIdentifiers[] = {
    NSCalendarIdentifierGregorian, NSCalendarIdentifierBuddhist, NSCalendarIdentifierChinese,
    NSCalendarIdentifierCoptic, NSCalendarIdentifierEthiopicAmeteMihret, NSCalendarIdentifierEthiopicAmeteAlem,
    NSCalendarIdentifierHebrew, NSCalendarIdentifierISO8601, NSCalendarIdentifierIndian,
    NSCalendarIdentifierIslamic, NSCalendarIdentifierIslamicCivil, NSCalendarIdentifierIslamicTabular,
    NSCalendarIdentifierIslamicUmmAlQura, NSCalendarIdentifierJapanese, NSCalendarIdentifierPersian,
    NSCalendarIdentifierRepublicOfChina,
};

int32_t clamp32(NSInteger value)
{
    return static_cast<int32_t>(std::clamp<NSInteger>(value, INT32_MIN, INT32_MAX));
}

// Months of a count of quarters, plus an offset: clamped first, so no count a caller (or an
// archive) gives can overflow the product.
int32_t monthsOfQuarters(NSInteger quarters, NSInteger offset)
{
    return clamp32((static_cast<NSInteger>(clamp32(quarters)) + offset) * 3);
}

bool isWeekUnit(NSCalendarUnit unit)
{
    return unit == NSCalendarUnitWeekOfMonth || unit == NSCalendarUnitWeekOfYear || unit == NSWeekCalendarUnit;
}

// The ICU field that counts a unit, where one does.
std::optional<UCalendarDateFields> fieldOf(NSCalendarUnit unit)
{
    switch (unit) {
    case NSCalendarUnitEra: return UCAL_ERA;
    case NSCalendarUnitYear: return UCAL_YEAR;
    case NSCalendarUnitMonth: return UCAL_MONTH;
    case NSCalendarUnitDay: return UCAL_DATE;
    case NSCalendarUnitHour: return UCAL_HOUR_OF_DAY;
    case NSCalendarUnitMinute: return UCAL_MINUTE;
    case NSCalendarUnitSecond: return UCAL_SECOND;
    case NSCalendarUnitWeekday: return UCAL_DAY_OF_WEEK;
    case NSCalendarUnitWeekdayOrdinal: return UCAL_DAY_OF_WEEK_IN_MONTH;
    case NSCalendarUnitWeekOfMonth: return UCAL_WEEK_OF_MONTH;
    case NSCalendarUnitWeekOfYear: return UCAL_WEEK_OF_YEAR;
    case NSWeekCalendarUnit: return UCAL_WEEK_OF_YEAR;
    case NSCalendarUnitYearForWeekOfYear: return UCAL_YEAR_WOY;
    default: return std::nullopt;
    }
}

int32_t get(const icu::Calendar& calendar, UCalendarDateFields field)
{
    UErrorCode status = U_ZERO_ERROR;
    const int32_t value = calendar.get(field, status);
    return U_SUCCESS(status) ? value : 0;
}

std::optional<UDate> timeOf(const icu::Calendar& calendar)
{
    UErrorCode status = U_ZERO_ERROR;
    const UDate time = calendar.getTime(status);
    if (U_FAILURE(status))
        return std::nullopt;
    return time;
}

void setMidnight(icu::Calendar& calendar)
{
    calendar.set(UCAL_HOUR_OF_DAY, 0);
    calendar.set(UCAL_MINUTE, 0);
    calendar.set(UCAL_SECOND, 0);
    calendar.set(UCAL_MILLISECOND, 0);
}

// Moves the calendar to the start of the unit holding its time; false for units without one.
bool truncate(icu::Calendar& calendar, NSCalendarUnit unit)
{
    UErrorCode status = U_ZERO_ERROR;
    switch (unit) {
    case NSCalendarUnitEra:
        calendar.set(UCAL_YEAR, calendar.getActualMinimum(UCAL_YEAR, status));
        [[fallthrough]];
    case NSCalendarUnitYear:
        calendar.set(UCAL_MONTH, calendar.getActualMinimum(UCAL_MONTH, status));
        calendar.set(UCAL_DATE, 1);
        setMidnight(calendar);
        break;
    case NSCalendarUnitQuarter:
        calendar.set(UCAL_MONTH, get(calendar, UCAL_MONTH) / 3 * 3);
        calendar.set(UCAL_DATE, 1);
        setMidnight(calendar);
        break;
    case NSCalendarUnitMonth:
        calendar.set(UCAL_DATE, 1);
        setMidnight(calendar);
        break;
    case NSCalendarUnitWeekOfMonth:
    case NSCalendarUnitWeekOfYear:
    case NSWeekCalendarUnit: {
        const int32_t back = (get(calendar, UCAL_DAY_OF_WEEK) - calendar.getFirstDayOfWeek() + 7) % 7;
        setMidnight(calendar);
        calendar.add(UCAL_DATE, -back, status);
        break;
    }
    case NSCalendarUnitDay:
    case NSCalendarUnitWeekday:
    case NSCalendarUnitWeekdayOrdinal:
        setMidnight(calendar);
        break;
    case NSCalendarUnitHour:
        calendar.set(UCAL_MINUTE, 0);
        [[fallthrough]];
    case NSCalendarUnitMinute:
        calendar.set(UCAL_SECOND, 0);
        [[fallthrough]];
    case NSCalendarUnitSecond:
        calendar.set(UCAL_MILLISECOND, 0);
        break;
    default:
        return false;
    }
    return U_SUCCESS(status);
}

// The field a unit advances by when added; weeks and weekday ordinals step whole weeks.
std::optional<UCalendarDateFields> additionFieldOf(NSCalendarUnit unit)
{
    switch (unit) {
    case NSCalendarUnitWeekday: return UCAL_DATE;
    case NSCalendarUnitWeekdayOrdinal: return UCAL_WEEK_OF_YEAR;
    case NSCalendarUnitWeekOfMonth: return UCAL_WEEK_OF_MONTH;
    default: return fieldOf(unit);
    }
}

} // namespace

bool NSCalendar::init(const NSString& identifier)
{
    if (std::none_of(std::begin(knownIdentifiers), std::end(knownIdentifiers), [&](const char* known) { return identifier == known; }))
        return false;
    m_identifier = identifier;
    auto settings = m_settings.lock();
    settings->locale = NSLocale::currentLocale();
    settings->timeZone = NSTimeZone::defaultTimeZone();
    rebuild(*settings);
    return settings->prototype != nullptr;
}

std::shared_ptr<NSCalendar> NSCalendar::calendarWithIdentifier(const NSString& identifier) { return create(identifier); }

std::shared_ptr<NSCalendar> NSCalendar::currentCalendar()
{
    auto calendar = create(NSLocale::currentLocale()->calendarIdentifier());
    return calendar ? calendar : create(NSString(NSCalendarIdentifierGregorian));
}

void NSCalendar::rebuild(Settings& settings) const
{
    settings.prototype = nullptr;
    icu::Locale locale = settings.locale->icuLocale();
    UErrorCode status = U_ZERO_ERROR;
    locale.setKeywordValue("calendar", m_identifier.UTF8String().c_str(), status);
    status = U_ZERO_ERROR;
    std::unique_ptr<icu::Calendar> calendar(icu::Calendar::createInstance(settings.timeZone->icuTimeZone().clone(), locale, status));
    if (U_FAILURE(status))
        return;
    if (settings.firstWeekday)
        calendar->setFirstDayOfWeek(static_cast<UCalendarDaysOfWeek>(settings.firstWeekday));
    if (settings.minimumDaysInFirstWeek)
        calendar->setMinimalDaysInFirstWeek(static_cast<uint8_t>(settings.minimumDaysInFirstWeek));
    calendar->setLenient(true);
    settings.prototype = std::move(calendar);
}

std::unique_ptr<icu::Calendar> NSCalendar::calendarAt(const std::shared_ptr<NSDate>& date) const
{
    const std::shared_ptr<const icu::Calendar> prototype = m_settings.lock()->prototype;
    std::unique_ptr<icu::Calendar> calendar(prototype->clone());
    if (date) {
        UErrorCode status = U_ZERO_ERROR;
        calendar->setTime(std::floor(ns::udateFromDate(*date)), status);
    }
    return calendar;
}

NSUInteger NSCalendar::firstWeekday() const { return static_cast<NSUInteger>(calendarAt(nullptr)->getFirstDayOfWeek()); }

void NSCalendar::setFirstWeekday(NSUInteger weekday)
{
    if (weekday < 1 || weekday > 7)
        return;
    auto settings = m_settings.lock();
    if (weekday == settings->firstWeekday)
        return;
    settings->firstWeekday = weekday;
    rebuild(*settings);
}

NSUInteger NSCalendar::minimumDaysInFirstWeek() const { return calendarAt(nullptr)->getMinimalDaysInFirstWeek(); }

void NSCalendar::setMinimumDaysInFirstWeek(NSUInteger days)
{
    if (days < 1 || days > 7)
        return;
    auto settings = m_settings.lock();
    if (days == settings->minimumDaysInFirstWeek)
        return;
    settings->minimumDaysInFirstWeek = days;
    rebuild(*settings);
}

std::shared_ptr<NSTimeZone> NSCalendar::timeZone() const
{
    return m_settings.lock()->timeZone;
}

void NSCalendar::setTimeZone(const std::shared_ptr<NSTimeZone>& timeZone)
{
    auto zone = timeZone ? timeZone : NSTimeZone::defaultTimeZone();
    auto settings = m_settings.lock();
    if (zone->isEqualToTimeZone(settings->timeZone))
        return;
    settings->timeZone = zone;
    rebuild(*settings);
}

std::shared_ptr<NSLocale> NSCalendar::locale() const
{
    return m_settings.lock()->locale;
}

void NSCalendar::setLocale(const std::shared_ptr<NSLocale>& locale)
{
    auto newLocale = locale ? locale : NSLocale::currentLocale();
    auto settings = m_settings.lock();
    if (newLocale->isEqual(settings->locale))
        return;
    settings->locale = newLocale;
    rebuild(*settings);
}

std::shared_ptr<NSDateComponents> NSCalendar::components(NSCalendarUnit units, const std::shared_ptr<NSDate>& date) const
{
    auto result = NSDateComponents::create();
    if (!date)
        return result;
    const auto calendar = calendarAt(date);
    for (NSCalendarUnit unit : { NSCalendarUnitEra, NSCalendarUnitYear, NSCalendarUnitMonth, NSCalendarUnitDay,
             NSCalendarUnitHour, NSCalendarUnitMinute, NSCalendarUnitSecond, NSWeekCalendarUnit, NSCalendarUnitWeekday,
             NSCalendarUnitWeekdayOrdinal, NSCalendarUnitWeekOfMonth, NSCalendarUnitWeekOfYear,
             NSCalendarUnitYearForWeekOfYear }) {
        if (!(units & unit))
            continue;
        const int32_t value = get(*calendar, *fieldOf(unit));
        result->setValue(unit == NSCalendarUnitMonth ? value + 1 : value, unit);
    }
    if (units & NSCalendarUnitQuarter)
        result->setQuarter(get(*calendar, UCAL_MONTH) / 3 + 1);
    if (units & NSCalendarUnitMonth)
        result->setLeapMonth(get(*calendar, UCAL_IS_LEAP_MONTH) != 0);
    if (units & NSCalendarUnitNanosecond) {
        const double seconds = date->timeIntervalSince1970();
        result->setNanosecond(static_cast<NSInteger>(std::llround((seconds - std::floor(seconds)) * 1e9)) % 1000000000);
    }
    if (units & NSCalendarUnitCalendar)
        result->setCalendar(std::static_pointer_cast<NSCalendar>(copy()));
    if (units & NSCalendarUnitTimeZone)
        result->setTimeZone(timeZone());
    return result;
}

NSInteger NSCalendar::component(NSCalendarUnit unit, const std::shared_ptr<NSDate>& date) const
{
    return components(unit, date)->valueForComponent(unit);
}

std::shared_ptr<NSDateComponents> NSCalendar::components(NSCalendarUnit units, const std::shared_ptr<NSDate>& fromDate,
    const std::shared_ptr<NSDate>& toDate, NSCalendarOptions) const
{
    auto result = NSDateComponents::create();
    if (!fromDate || !toDate)
        return result;
    const auto calendar = calendarAt(fromDate);
    const UDate target = std::floor(ns::udateFromDate(*toDate));
    for (NSCalendarUnit unit : { NSCalendarUnitEra, NSCalendarUnitYear, NSCalendarUnitQuarter, NSCalendarUnitMonth,
             NSCalendarUnitWeekOfYear, NSWeekCalendarUnit, NSCalendarUnitWeekOfMonth, NSCalendarUnitWeekdayOrdinal,
             NSCalendarUnitDay, NSCalendarUnitWeekday, NSCalendarUnitHour, NSCalendarUnitMinute, NSCalendarUnitSecond }) {
        if (!(units & unit))
            continue;
        UErrorCode status = U_ZERO_ERROR;
        if (unit == NSCalendarUnitQuarter) {
            const int32_t months = calendar->fieldDifference(target, UCAL_MONTH, status);
            // A quarter counts whole groups of three months; the rest is left for smaller units.
            calendar->add(UCAL_MONTH, -(months % 3), status);
            result->setQuarter(months / 3);
            continue;
        }
        UCalendarDateFields field = *additionFieldOf(unit);
        if (isWeekUnit(unit) || unit == NSCalendarUnitWeekdayOrdinal)
            field = UCAL_WEEK_OF_YEAR;
        const int32_t difference = calendar->fieldDifference(target, field, status);
        result->setValue(U_SUCCESS(status) ? difference : 0, unit);
    }
    if (units & NSCalendarUnitNanosecond) {
        const auto reached = timeOf(*calendar).value_or(target);
        const double remaining = ns::udateFromDate(*toDate) - reached - (ns::udateFromDate(*fromDate) - std::floor(ns::udateFromDate(*fromDate)));
        result->setNanosecond(static_cast<NSInteger>(std::llround(remaining * 1e6)));
    }
    return result;
}

std::shared_ptr<NSDate> NSCalendar::dateFromComponents(const std::shared_ptr<NSDateComponents>& components) const
{
    if (!components)
        return nullptr;
    const auto calendar = calendarAt(nullptr);
    if (components->timeZone())
        calendar->setTimeZone(components->timeZone()->icuTimeZone());
    calendar->clear();
    auto isSet = [](NSInteger value) { return value != NSDateComponentUndefined; };
    // Week-based fields go in first: where both name a day, the day of the month wins.
    if (isSet(components->weekday()))
        calendar->set(UCAL_DAY_OF_WEEK, clamp32(components->weekday()));
    if (isSet(components->weekdayOrdinal()))
        calendar->set(UCAL_DAY_OF_WEEK_IN_MONTH, clamp32(components->weekdayOrdinal()));
    if (isSet(components->weekOfMonth()))
        calendar->set(UCAL_WEEK_OF_MONTH, clamp32(components->weekOfMonth()));
    if (isSet(components->weekOfYear()))
        calendar->set(UCAL_WEEK_OF_YEAR, clamp32(components->weekOfYear()));
    else if (isSet(components->week()))
        calendar->set(UCAL_WEEK_OF_YEAR, clamp32(components->week()));
    if (isSet(components->yearForWeekOfYear()))
        calendar->set(UCAL_YEAR_WOY, clamp32(components->yearForWeekOfYear()));
    if (isSet(components->era()))
        calendar->set(UCAL_ERA, clamp32(components->era()));
    if (isSet(components->year()))
        calendar->set(UCAL_YEAR, clamp32(components->year()));
    else if (!isSet(components->yearForWeekOfYear()))
        calendar->set(UCAL_YEAR, 1);
    if (isSet(components->quarter()) && !isSet(components->month()))
        calendar->set(UCAL_MONTH, monthsOfQuarters(components->quarter(), -1));
    if (isSet(components->month()))
        calendar->set(UCAL_MONTH, clamp32(static_cast<NSInteger>(clamp32(components->month())) - 1));
    if (components->isLeapMonth())
        calendar->set(UCAL_IS_LEAP_MONTH, 1);
    if (isSet(components->day()))
        calendar->set(UCAL_DATE, clamp32(components->day()));
    if (isSet(components->hour()))
        calendar->set(UCAL_HOUR_OF_DAY, clamp32(components->hour()));
    if (isSet(components->minute()))
        calendar->set(UCAL_MINUTE, clamp32(components->minute()));
    if (isSet(components->second()))
        calendar->set(UCAL_SECOND, clamp32(components->second()));
    auto time = timeOf(*calendar);
    if (!time)
        return nullptr;
    if (isSet(components->nanosecond()))
        *time += components->nanosecond() / 1e6;
    return ns::dateFromUDate(*time);
}

std::shared_ptr<NSDate> NSCalendar::dateByAddingComponents(const std::shared_ptr<NSDateComponents>& components,
    const std::shared_ptr<NSDate>& date, NSCalendarOptions options) const
{
    if (!components || !date)
        return nullptr;
    const auto calendar = calendarAt(date);
    const bool wrap = options & NSCalendarWrapComponents;
    UErrorCode status = U_ZERO_ERROR;
    auto step = [&](UCalendarDateFields field, NSInteger amount) {
        if (amount == NSDateComponentUndefined || amount == 0)
            return;
        if (wrap)
            calendar->roll(field, clamp32(amount), status);
        else
            calendar->add(field, clamp32(amount), status);
    };
    step(UCAL_ERA, components->era());
    step(UCAL_YEAR, components->year());
    step(UCAL_YEAR_WOY, components->yearForWeekOfYear());
    if (components->quarter() != NSDateComponentUndefined)
        step(UCAL_MONTH, monthsOfQuarters(components->quarter(), 0));
    step(UCAL_MONTH, components->month());
    step(UCAL_WEEK_OF_YEAR, components->weekOfYear());
    step(UCAL_WEEK_OF_YEAR, components->week());
    step(UCAL_WEEK_OF_MONTH, components->weekOfMonth());
    step(UCAL_WEEK_OF_YEAR, components->weekdayOrdinal());
    step(UCAL_DATE, components->weekday());
    step(UCAL_DATE, components->day());
    step(UCAL_HOUR_OF_DAY, components->hour());
    step(UCAL_MINUTE, components->minute());
    step(UCAL_SECOND, components->second());
    if (U_FAILURE(status))
        return nullptr;
    auto time = timeOf(*calendar);
    if (!time)
        return nullptr;
    // ICU keeps whole milliseconds; the fraction below them rides along unchanged.
    const UDate original = ns::udateFromDate(*date);
    *time += original - std::floor(original);
    if (components->nanosecond() != NSDateComponentUndefined)
        *time += components->nanosecond() / 1e6;
    return ns::dateFromUDate(*time);
}

std::shared_ptr<NSDate> NSCalendar::dateByAddingUnit(NSCalendarUnit unit, NSInteger value, const std::shared_ptr<NSDate>& date,
    NSCalendarOptions options) const
{
    auto components = NSDateComponents::create();
    components->setValue(value, unit);
    return dateByAddingComponents(components, date, options);
}

std::shared_ptr<NSDate> NSCalendar::dateBySettingHour(NSInteger hour, NSInteger minute, NSInteger second,
    const std::shared_ptr<NSDate>& date, NSCalendarOptions) const
{
    if (!date || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        return nullptr;
    const auto calendar = calendarAt(date);
    calendar->set(UCAL_HOUR_OF_DAY, static_cast<int32_t>(hour));
    calendar->set(UCAL_MINUTE, static_cast<int32_t>(minute));
    calendar->set(UCAL_SECOND, static_cast<int32_t>(second));
    calendar->set(UCAL_MILLISECOND, 0);
    auto time = timeOf(*calendar);
    return time ? ns::dateFromUDate(*time) : nullptr;
}

std::shared_ptr<NSDate> NSCalendar::dateWithEra(NSInteger era, NSInteger year, NSInteger month, NSInteger day,
    NSInteger hour, NSInteger minute, NSInteger second, NSInteger nanosecond) const
{
    auto components = NSDateComponents::create();
    components->setEra(era);
    components->setYear(year);
    components->setMonth(month);
    components->setDay(day);
    components->setHour(hour);
    components->setMinute(minute);
    components->setSecond(second);
    components->setNanosecond(nanosecond);
    return dateFromComponents(components);
}

NSRange NSCalendar::rangeOfUnit(NSCalendarUnit smaller, NSCalendarUnit larger, const std::shared_ptr<NSDate>& date) const
{
    constexpr NSRange none { NSNotFound, NSNotFound };
    if (!date)
        return none;
    const auto calendar = calendarAt(date);
    UErrorCode status = U_ZERO_ERROR;
    auto actual = [&](UCalendarDateFields field, int32_t offset = 0) -> NSRange {
        const int32_t minimum = calendar->getActualMinimum(field, status);
        const int32_t maximum = calendar->getActualMaximum(field, status);
        if (U_FAILURE(status))
            return none;
        return NSMakeRange(static_cast<NSUInteger>(minimum + offset), static_cast<NSUInteger>(maximum - minimum + 1));
    };
    const bool inWeek = isWeekUnit(larger);
    switch (smaller) {
    case NSCalendarUnitMonth:
        if (larger == NSCalendarUnitYear)
            return actual(UCAL_MONTH, 1);
        if (larger == NSCalendarUnitQuarter)
            return NSMakeRange(static_cast<NSUInteger>(get(*calendar, UCAL_MONTH) / 3 * 3 + 1), 3);
        break;
    case NSCalendarUnitDay:
        if (larger == NSCalendarUnitMonth)
            return actual(UCAL_DATE);
        if (larger == NSCalendarUnitYear)
            return actual(UCAL_DAY_OF_YEAR);
        if (inWeek) {
            truncate(*calendar, larger);
            return NSMakeRange(static_cast<NSUInteger>(get(*calendar, UCAL_DATE)), 7);
        }
        break;
    case NSCalendarUnitWeekday:
        if (inWeek || larger == NSCalendarUnitMonth || larger == NSCalendarUnitYear)
            return NSMakeRange(1, 7);
        break;
    case NSCalendarUnitWeekOfMonth:
    case NSCalendarUnitWeekOfYear:
    case NSWeekCalendarUnit:
        if (larger == NSCalendarUnitMonth) {
            const UCalendarDateFields field = smaller == NSCalendarUnitWeekOfMonth ? UCAL_WEEK_OF_MONTH : UCAL_WEEK_OF_YEAR;
            calendar->set(UCAL_DATE, 1);
            const int32_t first = get(*calendar, field);
            const int32_t firstWeekOfMonth = get(*calendar, UCAL_WEEK_OF_MONTH);
            calendar->set(UCAL_DATE, calendar->getActualMaximum(UCAL_DATE, status));
            const int32_t lastWeekOfMonth = get(*calendar, UCAL_WEEK_OF_MONTH);
            return NSMakeRange(static_cast<NSUInteger>(first), static_cast<NSUInteger>(lastWeekOfMonth - firstWeekOfMonth + 1));
        }
        if (larger == NSCalendarUnitYear && smaller != NSCalendarUnitWeekOfMonth)
            return actual(UCAL_WEEK_OF_YEAR);
        break;
    case NSCalendarUnitHour:
        if (larger != NSCalendarUnitHour && larger != NSCalendarUnitMinute && larger != NSCalendarUnitSecond)
            return NSMakeRange(0, 24);
        break;
    case NSCalendarUnitMinute:
        if (larger != NSCalendarUnitMinute && larger != NSCalendarUnitSecond)
            return NSMakeRange(0, 60);
        break;
    case NSCalendarUnitSecond:
        if (larger != NSCalendarUnitSecond)
            return NSMakeRange(0, 60);
        break;
    case NSCalendarUnitYear:
        if (larger == NSCalendarUnitEra)
            return actual(UCAL_YEAR);
        break;
    default:
        break;
    }
    return none;
}

bool NSCalendar::rangeOfUnit(NSCalendarUnit unit, std::shared_ptr<NSDate>* startDate, NSTimeInterval* interval,
    const std::shared_ptr<NSDate>& date) const
{
    if (!date)
        return false;
    const auto calendar = calendarAt(date);
    if (!truncate(*calendar, unit))
        return false;
    const auto start = timeOf(*calendar);
    if (!start)
        return false;
    // The next unit starts where truncating one step later lands, which stays right when a
    // daylight-saving change moves a midnight.
    auto next = calendarAt(nullptr);
    UErrorCode status = U_ZERO_ERROR;
    next->setTime(*start, status);
    const auto field = additionFieldOf(unit == NSCalendarUnitQuarter ? NSCalendarUnitMonth : unit);
    if (!field)
        return false;
    next->add(*field, unit == NSCalendarUnitQuarter ? 3 : 1, status);
    truncate(*next, unit);
    const auto end = timeOf(*next);
    if (U_FAILURE(status) || !end)
        return false;
    if (startDate)
        *startDate = ns::dateFromUDate(*start);
    if (interval)
        *interval = (*end - *start) / 1000.0;
    return true;
}

NSRange NSCalendar::minimumRangeOfUnit(NSCalendarUnit unit) const
{
    const auto calendar = calendarAt(nullptr);
    const auto field = fieldOf(unit);
    if (!field)
        return { NSNotFound, NSNotFound };
    const int32_t offset = unit == NSCalendarUnitMonth ? 1 : 0;
    const int32_t low = calendar->getMinimum(*field);
    return NSMakeRange(static_cast<NSUInteger>(low + offset), static_cast<NSUInteger>(calendar->getLeastMaximum(*field) - low + 1));
}

NSRange NSCalendar::maximumRangeOfUnit(NSCalendarUnit unit) const
{
    const auto calendar = calendarAt(nullptr);
    const auto field = fieldOf(unit);
    if (!field)
        return { NSNotFound, NSNotFound };
    const int32_t offset = unit == NSCalendarUnitMonth ? 1 : 0;
    const int32_t low = calendar->getGreatestMinimum(*field);
    return NSMakeRange(static_cast<NSUInteger>(low + offset), static_cast<NSUInteger>(calendar->getMaximum(*field) - low + 1));
}

NSUInteger NSCalendar::ordinalityOfUnit(NSCalendarUnit smaller, NSCalendarUnit larger, const std::shared_ptr<NSDate>& date) const
{
    if (!date)
        return NSNotFound;
    const auto calendar = calendarAt(date);
    auto value = [&](UCalendarDateFields field) { return static_cast<NSUInteger>(get(*calendar, field)); };
    const bool dayLike = smaller == NSCalendarUnitDay || smaller == NSCalendarUnitWeekday;
    if (dayLike && isWeekUnit(larger))
        return static_cast<NSUInteger>((get(*calendar, UCAL_DAY_OF_WEEK) - calendar->getFirstDayOfWeek() + 7) % 7 + 1);
    if (dayLike && larger == NSCalendarUnitMonth)
        return smaller == NSCalendarUnitDay ? value(UCAL_DATE) : value(UCAL_DAY_OF_WEEK_IN_MONTH);
    if (dayLike && larger == NSCalendarUnitYear)
        return smaller == NSCalendarUnitDay ? value(UCAL_DAY_OF_YEAR) : (value(UCAL_DAY_OF_YEAR) - 1) / 7 + 1;
    if (isWeekUnit(smaller) && larger == NSCalendarUnitMonth)
        return value(UCAL_WEEK_OF_MONTH);
    if (isWeekUnit(smaller) && larger == NSCalendarUnitYear)
        return value(UCAL_WEEK_OF_YEAR);
    if (smaller == NSCalendarUnitMonth && larger == NSCalendarUnitYear)
        return value(UCAL_MONTH) + 1;
    if (smaller == NSCalendarUnitMonth && larger == NSCalendarUnitQuarter)
        return value(UCAL_MONTH) % 3 + 1;
    if (smaller == NSCalendarUnitQuarter && larger == NSCalendarUnitYear)
        return value(UCAL_MONTH) / 3 + 1;
    if (smaller == NSCalendarUnitYear && larger == NSCalendarUnitEra)
        return value(UCAL_YEAR);
    if (smaller == NSCalendarUnitHour && (larger == NSCalendarUnitDay || larger == NSCalendarUnitWeekday))
        return value(UCAL_HOUR_OF_DAY) + 1;
    if (smaller == NSCalendarUnitMinute && larger == NSCalendarUnitHour)
        return value(UCAL_MINUTE) + 1;
    if (smaller == NSCalendarUnitSecond && larger == NSCalendarUnitMinute)
        return value(UCAL_SECOND) + 1;
    return NSNotFound;
}

std::shared_ptr<NSDate> NSCalendar::startOfDayForDate(const std::shared_ptr<NSDate>& date) const
{
    std::shared_ptr<NSDate> start;
    return rangeOfUnit(NSCalendarUnitDay, &start, nullptr, date) ? start : nullptr;
}

bool NSCalendar::isDate(const std::shared_ptr<NSDate>& date1, const std::shared_ptr<NSDate>& inSameDayAsDate) const
{
    return compareDate(date1, inSameDayAsDate, NSCalendarUnitDay) == NSOrderedSame;
}

bool NSCalendar::isDateInToday(const std::shared_ptr<NSDate>& date) const { return isDate(date, NSDate::date()); }

bool NSCalendar::isDateInYesterday(const std::shared_ptr<NSDate>& date) const
{
    return isDate(date, dateByAddingUnit(NSCalendarUnitDay, -1, NSDate::date(), 0));
}

bool NSCalendar::isDateInTomorrow(const std::shared_ptr<NSDate>& date) const
{
    return isDate(date, dateByAddingUnit(NSCalendarUnitDay, 1, NSDate::date(), 0));
}

bool NSCalendar::isDateInWeekend(const std::shared_ptr<NSDate>& date) const
{
    if (!date)
        return false;
    UErrorCode status = U_ZERO_ERROR;
    const auto calendar = calendarAt(date);
    return calendar->isWeekend(std::floor(ns::udateFromDate(*date)), status) && U_SUCCESS(status);
}

NSComparisonResult NSCalendar::compareDate(const std::shared_ptr<NSDate>& date1, const std::shared_ptr<NSDate>& toDate,
    NSCalendarUnit toUnitGranularity) const
{
    std::shared_ptr<NSDate> start1;
    std::shared_ptr<NSDate> start2;
    if (!rangeOfUnit(toUnitGranularity, &start1, nullptr, date1) || !rangeOfUnit(toUnitGranularity, &start2, nullptr, toDate)) {
        if (!date1 || !toDate)
            return NSOrderedSame;
        return date1->compare(toDate);
    }
    return start1->compare(start2);
}

NSString NSCalendar::description() const
{
    return NSString::stringWithFormat("<NSCalendar %@ %@>", m_identifier, timeZone()->name());
}

bool NSCalendar::isEqual(const id& other) const
{
    auto calendar = ns::cast<NSCalendar>(other);
    return calendar && calendar->m_identifier == m_identifier && calendar->timeZone()->isEqual(timeZone())
        && calendar->locale()->isEqual(locale()) && calendar->firstWeekday() == firstWeekday()
        && calendar->minimumDaysInFirstWeek() == minimumDaysInFirstWeek();
}

id NSCalendar::copy() const
{
    Settings settings = *m_settings.lock();
    auto calendar = create(m_identifier);
    auto copied = calendar->m_settings.lock();
    *copied = std::move(settings);
    calendar->rebuild(*copied);
    return calendar;
}

void NSCalendar::encodeWithCoder(NSCoder& coder) const
{
    Settings settings = *m_settings.lock();
    coder.encodeObject(m_identifier, "NS.identifier");
    if (settings.timeZone)
        coder.encodeObject(settings.timeZone->name(), "NS.timezone");
    if (settings.locale)
        coder.encodeObject(settings.locale->localeIdentifier(), "NS.locale");
    coder.encodeInteger(static_cast<NSInteger>(settings.firstWeekday), "NS.firstWeekday");
    coder.encodeInteger(static_cast<NSInteger>(settings.minimumDaysInFirstWeek), "NS.minimumDaysInFirstWeek");
}

bool NSCalendar::init(NSCoder& coder)
{
    if (!init(NSString::fromId(coder.decodeObjectOfClass<NSStringObject>("NS.identifier"))))
        return false;
    const NSInteger firstWeekday = coder.decodeIntegerForKey("NS.firstWeekday");
    const NSInteger minimumDays = coder.decodeIntegerForKey("NS.minimumDaysInFirstWeek");
    if (firstWeekday < 0 || firstWeekday > 7 || minimumDays < 0 || minimumDays > 7)
        return false;
    auto settings = m_settings.lock();
    if (auto name = coder.decodeObjectOfClass<NSStringObject>("NS.timezone")) {
        auto zone = NSTimeZone::timeZoneWithName(NSString(name));
        if (!zone)
            return false;
        settings->timeZone = zone;
    }
    if (auto identifier = coder.decodeObjectOfClass<NSStringObject>("NS.locale"))
        settings->locale = NSLocale::localeWithLocaleIdentifier(NSString(identifier));
    settings->firstWeekday = static_cast<NSUInteger>(firstWeekday);
    settings->minimumDaysInFirstWeek = static_cast<NSUInteger>(minimumDays);
    rebuild(*settings);
    return true;
}

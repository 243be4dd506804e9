#pragma once
// Calendar arithmetic over ICU calendars: fields of a date in a time zone, dates from fields,
// adding calendar units (a day added keeps the wall-clock time across a daylight-saving change),
// ranges and ordinals of units. Safe to use from several threads.

#include "platform/foundation/Guarded.h"
#include "platform/foundation/NSCoder.h"
#include "platform/foundation/NSDateComponents.h"

#include <unicode/uversion.h>

U_NAMESPACE_BEGIN
class Calendar;
U_NAMESPACE_END

class NSLocale;
class NSTimeZone;

using NSCalendarIdentifier = const char*;
inline constexpr NSCalendarIdentifier NSCalendarIdentifierGregorian = "gregorian";
inline constexpr NSCalendarIdentifier NSCalendarIdentifierBuddhist = "buddhist";
inline constexpr NSCalendarIdentifier NSCalendarIdentifierChinese = "chinese";
inline constexpr NSCalendarIdentifier NSCalendarIdentifierCoptic = "coptic";
inline constexpr NSCalendarIdentifier NSCalendarIdentifierEthiopicAmeteMihret = "ethiopic";
inline constexpr NSCalendarIdentifier NSCalendarIdentifierEthiopicAmeteAlem = "ethiopic-amete-alem";
inline constexpr NSCalendarIdentifier NSCalendarIdentifierHebrew = "hebrew";
inline constexpr NSCalendarIdentifier NSCalendarIdentifierISO8601 = "iso8601";
inline constexpr NSCalendarIdentifier NSCalendarIdentifierIndian = "indian";
inline constexpr NSCalendarIdentifier NSCalendarIdentifierIslamic = "islamic";
inline constexpr NSCalendarIdentifier NSCalendarIdentifierIslamicCivil = "islamic-civil";
inline constexpr NSCalendarIdentifier NSCalendarIdentifierIslamicTabular = "islamic-tbla";
inline constexpr NSCalendarIdentifier NSCalendarIdentifierIslamicUmmAlQura = "islamic-umalqura";
inline constexpr NSCalendarIdentifier NSCalendarIdentifierJapanese = "japanese";
inline constexpr NSCalendarIdentifier NSCalendarIdentifierPersian = "persian";
inline constexpr NSCalendarIdentifier NSCalendarIdentifierRepublicOfChina = "roc";
inline constexpr NSCalendarIdentifier NSGregorianCalendar = NSCalendarIdentifierGregorian;

using NSCalendarOptions = NSUInteger;
enum : NSCalendarOptions {
    NSCalendarWrapComponents = 1u << 0,
    NSCalendarMatchStrictly = 1u << 1,
    NSCalendarSearchBackwards = 1u << 2,
    NSCalendarMatchPreviousTimePreservingSmallerUnits = 1u << 8,
    NSCalendarMatchNextTimePreservingSmallerUnits = 1u << 9,
    NSCalendarMatchNextTime = 1u << 10,
    NSCalendarMatchFirst = 1u << 12,
    NSCalendarMatchLast = 1u << 13,
};
inline constexpr NSCalendarOptions NSWrapCalendarComponents = NSCalendarWrapComponents;

class NSCalendar : public NSObject, public NSCoding {
    NS_OBJECT(NSCalendar, NSObject)
public:
    // Nil for an identifier that names no calendar.
    static std::shared_ptr<NSCalendar> calendarWithIdentifier(const NSString& identifier);
    // The calendar of the device's locale, in the default time zone.
    static std::shared_ptr<NSCalendar> currentCalendar();
    static std::shared_ptr<NSCalendar> autoupdatingCurrentCalendar() { return currentCalendar(); }

    const NSString& calendarIdentifier() const { return m_identifier; }
    // 1 = Sunday .. 7 = Saturday; the locale's unless set.
    NSUInteger firstWeekday() const;
    void setFirstWeekday(NSUInteger weekday);
    NSUInteger minimumDaysInFirstWeek() const;
    void setMinimumDaysInFirstWeek(NSUInteger days);
    std::shared_ptr<NSTimeZone> timeZone() const;
    void setTimeZone(const std::shared_ptr<NSTimeZone>& timeZone);
    std::shared_ptr<NSLocale> locale() const;
    void setLocale(const std::shared_ptr<NSLocale>& locale);

    std::shared_ptr<NSDateComponents> components(NSCalendarUnit units, const std::shared_ptr<NSDate>& date) const;
    NSInteger component(NSCalendarUnit unit, const std::shared_ptr<NSDate>& date) const;
    // The difference, largest unit first; negative when `toDate` is earlier.
    std::shared_ptr<NSDateComponents> components(NSCalendarUnit units, const std::shared_ptr<NSDate>& fromDate,
        const std::shared_ptr<NSDate>& toDate, NSCalendarOptions options) const;
    // Fields out of range carry over (month 13 is January of the next year); missing fields take
    // their first value.
    std::shared_ptr<NSDate> dateFromComponents(const std::shared_ptr<NSDateComponents>& components) const;
    // Adds the fields from the largest to the smallest; a larger unit overflows into the next one
    // unless NSCalendarWrapComponents asks to wrap within it.
    std::shared_ptr<NSDate> dateByAddingComponents(const std::shared_ptr<NSDateComponents>& components,
        const std::shared_ptr<NSDate>& date, NSCalendarOptions options) const;
    std::shared_ptr<NSDate> dateByAddingUnit(NSCalendarUnit unit, NSInteger value, const std::shared_ptr<NSDate>& date,
        NSCalendarOptions options) const;
    // That time on the date's day; nil for values out of range. A time skipped by a
    // daylight-saving change gives the next time that exists.
    std::shared_ptr<NSDate> dateBySettingHour(NSInteger hour, NSInteger minute, NSInteger second,
        const std::shared_ptr<NSDate>& date, NSCalendarOptions options) const;
    std::shared_ptr<NSDate> dateWithEra(NSInteger era, NSInteger year, NSInteger month, NSInteger day, NSInteger hour,
        NSInteger minute, NSInteger second, NSInteger nanosecond) const;

    // The values `smaller` takes within the `larger` unit that holds the date ({1, 29} for the days
    // of February 2016); {NSNotFound, NSNotFound} for pairs that have no such range.
    NSRange rangeOfUnit(NSCalendarUnit smaller, NSCalendarUnit larger, const std::shared_ptr<NSDate>& date) const;
    // The start and length of the unit that holds the date; false for units that have none.
    bool rangeOfUnit(NSCalendarUnit unit, std::shared_ptr<NSDate>* startDate, NSTimeInterval* interval,
        const std::shared_ptr<NSDate>& date) const;
    NSRange minimumRangeOfUnit(NSCalendarUnit unit) const;
    NSRange maximumRangeOfUnit(NSCalendarUnit unit) const;
    // The position, from 1, of the `smaller` unit holding the date within the `larger` one;
    // NSNotFound for pairs that have none.
    NSUInteger ordinalityOfUnit(NSCalendarUnit smaller, NSCalendarUnit larger, const std::shared_ptr<NSDate>& date) const;

    std::shared_ptr<NSDate> startOfDayForDate(const std::shared_ptr<NSDate>& date) const;
    bool isDate(const std::shared_ptr<NSDate>& date1, const std::shared_ptr<NSDate>& inSameDayAsDate) const;
    bool isDateInToday(const std::shared_ptr<NSDate>& date) const;
    bool isDateInYesterday(const std::shared_ptr<NSDate>& date) const;
    bool isDateInTomorrow(const std::shared_ptr<NSDate>& date) const;
    bool isDateInWeekend(const std::shared_ptr<NSDate>& date) const;
    NSComparisonResult compareDate(const std::shared_ptr<NSDate>& date1, const std::shared_ptr<NSDate>& toDate,
        NSCalendarUnit toUnitGranularity) const;

    NSString description() const override;
    bool isEqual(const id& other) const override;
    NSUInteger hash() const override { return m_identifier.hash(); }
    id copy() const override;
    // The identifier and the settings made (time zone, locale, first weekday, minimum days).
    void encodeWithCoder(NSCoder& coder) const override;

protected:
    bool init(const NSString& identifier);
    // False for an identifier that names no calendar or a setting out of its range.
    bool init(NSCoder& coder);

private:
    // A private copy of the configured ICU calendar, set to the date, for one operation.
    std::unique_ptr<icu::Calendar> calendarAt(const std::shared_ptr<NSDate>& date) const;
    struct Settings {
        std::shared_ptr<NSTimeZone> timeZone;
        std::shared_ptr<NSLocale> locale;
        NSUInteger firstWeekday { 0 }; // 0 = the locale's
        NSUInteger minimumDaysInFirstWeek { 0 }; // 0 = the locale's
        // Made again under the lock by each change, so it always matches the settings beside it.
        std::shared_ptr<const icu::Calendar> prototype;
    };
    void rebuild(Settings& settings) const;

    // Fixed by init.
    NSString m_identifier;
    Guarded<Settings> m_settings;
};

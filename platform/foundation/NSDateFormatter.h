#pragma once
// Dates to text and back with the platform's pattern language ("yyyy-MM-dd HH:mm:ss"), in a
// locale, time zone and calendar (the device's unless set). Parsing is strict: a field out of
// range ("2015-13-01") or text left over ("2015-01-01x") gives nil. Fields the pattern lacks take
// their value from 2000-01-01 00:00:00 in the formatter's zone. Safe to share between threads.

#include "platform/foundation/Mutex.h"
#include "platform/foundation/NSCoder.h"
#include "platform/foundation/NSFormatter.h"
#include "platform/foundation/NSDate.h"

#include <unicode/uversion.h>

U_NAMESPACE_BEGIN
class SimpleDateFormat;
U_NAMESPACE_END

class NSArray;
class NSCalendar;
class NSLocale;
class NSTimeZone;

enum NSDateFormatterStyle : NSUInteger {
    NSDateFormatterNoStyle = 0,
    NSDateFormatterShortStyle = 1,
    NSDateFormatterMediumStyle = 2,
    NSDateFormatterLongStyle = 3,
    NSDateFormatterFullStyle = 4,
};

class NSDateFormatter : public NSFormatter, public NSCoding {
    NS_OBJECT(NSDateFormatter, NSFormatter)
public:
    static NSString localizedStringFromDate(const std::shared_ptr<NSDate>& date, NSDateFormatterStyle dateStyle,
        NSDateFormatterStyle timeStyle);
    // The locale's pattern for the fields a template names ("yMMMd" gives "MMM d, y" in en_US).
    static NSString dateFormatFromTemplate(const NSString& dateTemplate, NSUInteger options, const std::shared_ptr<NSLocale>& locale);

    // The pattern; when only styles were set, the locale's pattern for them.
    NSString dateFormat() const;
    void setDateFormat(const NSString& dateFormat);
    NSDateFormatterStyle dateStyle() const;
    void setDateStyle(NSDateFormatterStyle style);
    NSDateFormatterStyle timeStyle() const;
    void setTimeStyle(NSDateFormatterStyle style);
    std::shared_ptr<NSLocale> locale() const;
    void setLocale(const std::shared_ptr<NSLocale>& locale);
    std::shared_ptr<NSTimeZone> timeZone() const;
    void setTimeZone(const std::shared_ptr<NSTimeZone>& timeZone);
    // The locale's calendar unless set.
    std::shared_ptr<NSCalendar> calendar() const;
    void setCalendar(const std::shared_ptr<NSCalendar>& calendar);
    bool isLenient() const;
    void setLenient(bool lenient);

    // Nil for a nil date.
    NSString stringFromDate(const std::shared_ptr<NSDate>& date) const;
    std::shared_ptr<NSDate> dateFromString(const NSString& string) const;

    // Names in the locale, Sunday and January first.
    std::shared_ptr<NSArray> weekdaySymbols() const;
    std::shared_ptr<NSArray> shortWeekdaySymbols() const;
    std::shared_ptr<NSArray> veryShortWeekdaySymbols() const;
    std::shared_ptr<NSArray> standaloneWeekdaySymbols() const;
    std::shared_ptr<NSArray> shortStandaloneWeekdaySymbols() const;
    std::shared_ptr<NSArray> veryShortStandaloneWeekdaySymbols() const;
    std::shared_ptr<NSArray> monthSymbols() const;
    std::shared_ptr<NSArray> shortMonthSymbols() const;
    std::shared_ptr<NSArray> veryShortMonthSymbols() const;
    std::shared_ptr<NSArray> standaloneMonthSymbols() const;
    std::shared_ptr<NSArray> shortStandaloneMonthSymbols() const;
    std::shared_ptr<NSArray> veryShortStandaloneMonthSymbols() const;
    std::shared_ptr<NSArray> eraSymbols() const;
    NSString AMSymbol() const;
    NSString PMSymbol() const;

    NSString stringForObjectValue(const id& value) const override;
    bool getObjectValue(id* object, const NSString& string, NSString* errorDescription) const override;
    id copy() const override;
    // The pattern or styles, and the locale, time zone, calendar and leniency that were set.
    void encodeWithCoder(NSCoder& coder) const override;

protected:
    // False for a style, time zone or calendar that does not exist.
    bool init(NSCoder& coder);

private:
    enum class SymbolKind { Weekdays, Months, Eras };
    std::shared_ptr<NSArray> symbols(SymbolKind kind, int context, int width) const;
    // The ICU formatter for the current settings, made on first use after a change.
    icu::SimpleDateFormat& format() const REQUIRES(m_mutex);

    mutable Mutex m_mutex;
    // Mutable: the pattern of the styles is worked out when the formatter is made.
    mutable NSString m_dateFormat GUARDED_BY(m_mutex) { "" };
    NSDateFormatterStyle m_dateStyle GUARDED_BY(m_mutex) { NSDateFormatterNoStyle };
    NSDateFormatterStyle m_timeStyle GUARDED_BY(m_mutex) { NSDateFormatterNoStyle };
    // Whether the pattern came from the styles, so that a new locale brings its own pattern.
    bool m_formatFromStyles GUARDED_BY(m_mutex) { false };
    std::shared_ptr<NSLocale> m_locale GUARDED_BY(m_mutex);
    std::shared_ptr<NSTimeZone> m_timeZone GUARDED_BY(m_mutex);
    std::shared_ptr<NSCalendar> m_calendar GUARDED_BY(m_mutex);
    bool m_lenient GUARDED_BY(m_mutex) { false };
    mutable std::shared_ptr<icu::SimpleDateFormat> m_format GUARDED_BY(m_mutex);
};

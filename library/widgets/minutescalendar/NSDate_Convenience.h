#pragma once
// Month arithmetic of the training-minutes calendar, all in the Gregorian calendar in the
// default time zone, so that the grid never depends on the device's own calendar.

#include "platform/foundation/NSDate.h"

class NSCalendar;

namespace NSDate_Convenience {

// A fresh Gregorian calendar in the default time zone.
std::shared_ptr<NSCalendar> gregorian();

int year(const std::shared_ptr<NSDate>& date);
int month(const std::shared_ptr<NSDate>& date);
int day(const std::shared_ptr<NSDate>& date);
// The weekday of the 1st of the date's month, Monday first: 1 = Monday .. 7 = Sunday.
int firstWeekDayInMonth(const std::shared_ptr<NSDate>& date);
int numDaysInMonth(const std::shared_ptr<NSDate>& date);
// n months on, the day clamped to the target month's length.
std::shared_ptr<NSDate> offsetMonth(const std::shared_ptr<NSDate>& date, int months);
std::shared_ptr<NSDate> offsetDay(const std::shared_ptr<NSDate>& date, int days);
std::shared_ptr<NSDate> offsetHours(const std::shared_ptr<NSDate>& date, int hours);
// 00:00 of the date's day.
std::shared_ptr<NSDate> dateStartOfDay(const std::shared_ptr<NSDate>& date);
// 00:00 of this week's Monday, by the weekday of the user's calendar.
std::shared_ptr<NSDate> dateStartOfWeek();
// 00:00 of this week's last day, the week starting on the Gregorian calendar's first weekday.
std::shared_ptr<NSDate> dateEndOfWeek();
// The date of that year, month and day (out-of-range days carry into the neighbouring months).
std::shared_ptr<NSDate> dateWithYearMonthDay(int year, int month, int day);
// Strict parsing in the Gregorian calendar; nil when the text does not match the format.
std::shared_ptr<NSDate> dateFromString(const NSString& text, const NSString& format);
NSString stringFromDate(const std::shared_ptr<NSDate>& date, const NSString& format);

} // namespace NSDate_Convenience

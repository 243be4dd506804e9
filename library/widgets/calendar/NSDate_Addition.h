#pragma once
// The dates of every screen: text to date and back in the device's locale and zone, the Chinese
// weekday name, the first and last day of a month, and steps of whole calendar days.
// Callable from any thread.

#include "platform/foundation/NSDate.h"

namespace NSDate_Addition {

// Nil when the date or the text is nil or the text does not match the pattern in full.
std::shared_ptr<NSDate> dateFromString(const NSString& text, const NSString& format);
NSString stringFromDate(const std::shared_ptr<NSDate>& date, const NSString& format);

std::shared_ptr<NSDate> getTomorrow(); // now + 24 hours
std::shared_ptr<NSDate> getYestoday(); // now - 24 hours
std::shared_ptr<NSDate> getSomeDay(NSInteger days); // n calendar days from now, same time of day

// Monday and Sunday of the date's week, time of day kept; a Sunday belongs to the week after it.
std::shared_ptr<NSDate> getMondayOfWeek(const std::shared_ptr<NSDate>& date);
std::shared_ptr<NSDate> getSundayOfWeek(const std::shared_ptr<NSDate>& date);

// "星期日" .. "星期六" for the day the date falls on in China; nil for a nil date.
NSString weekdayOfWeek(const std::shared_ptr<NSDate>& date);

// 00:00 of the first and of the last day of the date's month.
std::shared_ptr<NSDate> getFirstDayOfMonth(const std::shared_ptr<NSDate>& date);
std::shared_ptr<NSDate> getLastDayOfMonth(const std::shared_ptr<NSDate>& date);
NSInteger getDaysOfMonth(const std::shared_ptr<NSDate>& date);
NSInteger getWeeksOfMonth(const std::shared_ptr<NSDate>& date);

// One calendar day earlier or later, time of day kept.
std::shared_ptr<NSDate> getPreviousDate(const std::shared_ptr<NSDate>& date);
std::shared_ptr<NSDate> getNextDate(const std::shared_ptr<NSDate>& date);

} // namespace NSDate_Addition

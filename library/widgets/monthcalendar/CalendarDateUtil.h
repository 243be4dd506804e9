#pragma once
// Leap years, month lengths and today's date for the paged month calendar.

#include "platform/foundation/NSDate.h"

class CalendarDateUtil {
public:
    static bool isLeapYear(NSInteger year);
    // Months 1 to 12.
    static NSInteger numberOfDaysInMonth(NSInteger month, NSInteger year);
    static NSInteger numberOfDaysInMonth(NSInteger month);
    // Today in the device's zone.
    static NSInteger getCurrentYear();
    static NSInteger getCurrentMonth();
    static NSInteger getCurrentDay();
    static NSInteger getMonthWithDate(const std::shared_ptr<NSDate>& date);
    static NSInteger getDayWithDate(const std::shared_ptr<NSDate>& date);
    // Now moved by whole calendar days, so the time of day survives a daylight-saving change.
    static std::shared_ptr<NSDate> dateSinceNowWithInterval(NSInteger days);
};

#pragma once
// The days of the booking screens as the main service writes them ("yyyy-MM-dd"): made in the
// POSIX locale on the Gregorian calendar whatever the device's settings, stepped by calendar days
// and named by weekday from the date itself, so no time zone can move them by a day.

#include "platform/foundation/NSString.h"

class BookingDay {
public:
    // Today in the device's time zone.
    static NSString today();
    // The day before or after; nil for a text that is not a day.
    static NSString previous(const NSString& day);
    static NSString next(const NSString& day);
    // "星期日" .. "星期六"; "" for a text that is not a day.
    static NSString weekdayName(const NSString& day);
};

#include "DateTestSupport.h"

#include "platform/foundation/NSCalendar.h"
#include "platform/foundation/SystemClock.h"

namespace {

std::shared_ptr<NSCalendar> gregorian(const char* zone = "Asia/Shanghai")
{
    auto calendar = NSCalendar::calendarWithIdentifier(NSCalendarIdentifierGregorian);
    calendar->setTimeZone(NSTimeZone::timeZoneWithName(zone));
    return calendar;
}

} // namespace

using CalendarTest = DeviceSettingsTest;

TEST_F(CalendarTest, splitsADateIntoFieldsOfItsZone)
{
    auto components = gregorian()->components(NSCalendarUnitYear | NSCalendarUnitMonth | NSCalendarUnitDay | NSCalendarUnitHour
            | NSCalendarUnitMinute | NSCalendarUnitSecond | NSCalendarUnitWeekday | NSCalendarUnitQuarter,
        utcDate(2015, 12, 31, 16, 30, 15));
    EXPECT_EQ(components->year(), 2016);
    EXPECT_EQ(components->month(), 1);
    EXPECT_EQ(components->day(), 1);
    EXPECT_EQ(components->hour(), 0);
    EXPECT_EQ(components->minute(), 30);
    EXPECT_EQ(components->second(), 15);
    EXPECT_EQ(components->weekday(), 6); // a Friday
    EXPECT_EQ(components->quarter(), 1);
    EXPECT_EQ(components->era(), NSDateComponentUndefined);
}

TEST_F(CalendarTest, monthLengthsFollowLeapYears)
{
    auto calendar = gregorian();
    EXPECT_EQ(calendar->rangeOfUnit(NSCalendarUnitDay, NSCalendarUnitMonth, zonedDate(8, 2016, 2, 10)), NSMakeRange(1, 29));
    EXPECT_EQ(calendar->rangeOfUnit(NSCalendarUnitDay, NSCalendarUnitMonth, zonedDate(8, 2015, 2, 10)), NSMakeRange(1, 28));
    EXPECT_EQ(calendar->rangeOfUnit(NSCalendarUnitDay, NSCalendarUnitMonth, zonedDate(8, 1900, 2, 10)), NSMakeRange(1, 28));
    EXPECT_EQ(calendar->rangeOfUnit(NSCalendarUnitDay, NSCalendarUnitMonth, zonedDate(8, 2000, 2, 10)), NSMakeRange(1, 29));
    EXPECT_EQ(calendar->rangeOfUnit(NSCalendarUnitDay, NSCalendarUnitMonth, zonedDate(8, 2015, 4, 30)), NSMakeRange(1, 30));
    EXPECT_EQ(calendar->rangeOfUnit(NSCalendarUnitDay, NSCalendarUnitYear, zonedDate(8, 2016, 4, 30)), NSMakeRange(1, 366));
    // 29 February plus one year is clamped to the 28th, plus four years lands on the 29th.
    auto leapDay = zonedDate(8, 2016, 2, 29, 9);
    EXPECT_TRUE(calendar->dateByAddingUnit(NSCalendarUnitYear, 1, leapDay, 0)->isEqualToDate(zonedDate(8, 2017, 2, 28, 9)));
    EXPECT_TRUE(calendar->dateByAddingUnit(NSCalendarUnitYear, 4, leapDay, 0)->isEqualToDate(zonedDate(8, 2020, 2, 29, 9)));
    EXPECT_TRUE(calendar->dateByAddingUnit(NSCalendarUnitMonth, 1, zonedDate(8, 2016, 1, 31), 0)->isEqualToDate(zonedDate(8, 2016, 2, 29)));
    EXPECT_TRUE(calendar->dateByAddingUnit(NSCalendarUnitDay, -1, zonedDate(8, 2016, 3, 1, 9), 0)->isEqualToDate(leapDay));
}

TEST_F(CalendarTest, dayStepsKeepTheTimeOfDayAcrossDaylightSaving)
{
    auto calendar = gregorian("Europe/Berlin");
    // Berlin moved its clocks forward on 29 March 2015 and back on 25 October 2015.
    auto beforeSpring = utcDate(2015, 3, 28, 11); // 12:00 CET
    auto next = calendar->dateByAddingUnit(NSCalendarUnitDay, 1, beforeSpring, 0);
    EXPECT_TRUE(next->isEqualToDate(utcDate(2015, 3, 29, 10))); // 12:00 CEST
    EXPECT_EQ(next->timeIntervalSinceDate(beforeSpring), 23 * 3600);

    auto beforeAutumn = utcDate(2015, 10, 24, 10); // 12:00 CEST
    auto components = NSDateComponents::create();
    components->setDay(1);
    auto after = calendar->dateByAddingComponents(components, beforeAutumn, 0);
    EXPECT_EQ(after->timeIntervalSinceDate(beforeAutumn), 25 * 3600);
    EXPECT_EQ(calendar->components(NSCalendarUnitHour, after)->hour(), 12);

    // Hours are elapsed time, not wall-clock time.
    EXPECT_EQ(calendar->dateByAddingUnit(NSCalendarUnitHour, 24, beforeSpring, 0)->timeIntervalSinceDate(beforeSpring), 24 * 3600);

    // The month of the spring change is an hour short of 31 days, yet it still has 31 days.
    std::shared_ptr<NSDate> start;
    NSTimeInterval length = 0;
    ASSERT_TRUE(calendar->rangeOfUnit(NSCalendarUnitMonth, &start, &length, utcDate(2015, 3, 31, 21)));
    EXPECT_TRUE(start->isEqualToDate(utcDate(2015, 2, 28, 23)));
    EXPECT_EQ(length, 31 * 86400 - 3600);
    EXPECT_EQ(calendar->rangeOfUnit(NSCalendarUnitDay, NSCalendarUnitMonth, utcDate(2015, 3, 15)).length, 31u);
}

TEST_F(CalendarTest, datesFromComponentsNormaliseOverflow)
{
    auto calendar = gregorian();
    auto components = NSDateComponents::create();
    components->setYear(2015);
    components->setMonth(13);
    components->setDay(1);
    EXPECT_TRUE(calendar->dateFromComponents(components)->isEqualToDate(zonedDate(8, 2016, 1, 1)));
    components->setMonth(3);
    components->setDay(0);
    EXPECT_TRUE(calendar->dateFromComponents(components)->isEqualToDate(zonedDate(8, 2015, 2, 28)));
    components->setDay(1);
    components->setHour(25);
    EXPECT_TRUE(calendar->dateFromComponents(components)->isEqualToDate(zonedDate(8, 2015, 3, 2, 1)));
    // A zone in the components wins over the calendar's.
    components->setHour(0);
    components->setTimeZone(NSTimeZone::timeZoneWithName("UTC"));
    EXPECT_TRUE(calendar->dateFromComponents(components)->isEqualToDate(utcDate(2015, 3, 1)));
    EXPECT_FALSE(calendar->dateFromComponents(nullptr));
}

TEST_F(CalendarTest, differencesCountWholeUnitsFromTheLargest)
{
    auto calendar = gregorian();
    auto difference = calendar->components(NSCalendarUnitMonth | NSCalendarUnitDay | NSCalendarUnitHour,
        zonedDate(8, 2015, 1, 31, 10), zonedDate(8, 2015, 3, 2, 12), 0);
    EXPECT_EQ(difference->month(), 1);
    EXPECT_EQ(difference->day(), 2);
    EXPECT_EQ(difference->hour(), 2);
    auto backwards = calendar->components(NSCalendarUnitDay, zonedDate(8, 2015, 3, 2), zonedDate(8, 2015, 2, 27), 0);
    EXPECT_EQ(backwards->day(), -3);
}

TEST_F(CalendarTest, addsSecondsAcrossMidnightAndWrapsWhenAsked)
{
    auto calendar = gregorian();
    auto components = NSDateComponents::create();
    components->setSecond(-1);
    EXPECT_TRUE(calendar->dateByAddingComponents(components, zonedDate(8, 2015, 1, 1), 0)->isEqualToDate(zonedDate(8, 2014, 12, 31, 23, 59, 59)));
    EXPECT_TRUE(calendar->dateByAddingComponents(components, zonedDate(8, 2015, 1, 1), NSCalendarWrapComponents)
                    ->isEqualToDate(zonedDate(8, 2015, 1, 1, 0, 0, 59)));
    // Fractions of a second survive the trip through the calendar.
    auto fractional = zonedDate(8, 2015, 1, 1)->dateByAddingTimeInterval(0.25);
    EXPECT_DOUBLE_EQ(calendar->dateByAddingUnit(NSCalendarUnitDay, 1, fractional, 0)->timeIntervalSinceDate(fractional), 86400);
}

TEST_F(CalendarTest, setsTheTimeOfDay)
{
    auto calendar = gregorian();
    auto date = zonedDate(8, 2015, 6, 1, 17, 45, 12);
    EXPECT_TRUE(calendar->dateBySettingHour(0, 5, 30, date, 0)->isEqualToDate(zonedDate(8, 2015, 6, 1, 0, 5, 30)));
    EXPECT_FALSE(calendar->dateBySettingHour(24, 0, 0, date, 0));
    EXPECT_FALSE(calendar->dateBySettingHour(0, 60, 0, date, 0));
    EXPECT_TRUE(calendar->startOfDayForDate(date)->isEqualToDate(zonedDate(8, 2015, 6, 1)));
}

TEST_F(CalendarTest, unitStartsAndOrdinals)
{
    auto calendar = gregorian();
    std::shared_ptr<NSDate> start;
    NSTimeInterval length = 0;
    ASSERT_TRUE(calendar->rangeOfUnit(NSCalendarUnitMonth, &start, &length, zonedDate(8, 2015, 3, 31, 23, 59)));
    EXPECT_TRUE(start->isEqualToDate(zonedDate(8, 2015, 3, 1)));
    EXPECT_EQ(length, 31 * 86400);

    calendar->setFirstWeekday(2);
    auto sunday = zonedDate(8, 2015, 3, 1, 10);
    EXPECT_EQ(calendar->ordinalityOfUnit(NSCalendarUnitWeekday, NSCalendarUnitWeekOfMonth, sunday), 7u);
    EXPECT_EQ(calendar->ordinalityOfUnit(NSCalendarUnitDay, NSCalendarUnitWeekOfYear, zonedDate(8, 2015, 3, 2)), 1u);
    EXPECT_EQ(calendar->ordinalityOfUnit(NSCalendarUnitDay, NSCalendarUnitYear, zonedDate(8, 2015, 2, 1)), 32u);
    ASSERT_TRUE(calendar->rangeOfUnit(NSCalendarUnitWeekOfYear, &start, &length, sunday));
    EXPECT_TRUE(start->isEqualToDate(zonedDate(8, 2015, 2, 23)));
    EXPECT_EQ(length, 7 * 86400);

    // February 2010 starts on a Monday and fills four Monday-first weeks; August 2015 touches six.
    EXPECT_EQ(calendar->rangeOfUnit(NSCalendarUnitWeekOfMonth, NSCalendarUnitMonth, zonedDate(8, 2010, 2, 10)).length, 4u);
    EXPECT_EQ(calendar->rangeOfUnit(NSCalendarUnitWeekOfMonth, NSCalendarUnitMonth, zonedDate(8, 2015, 8, 10)).length, 6u);
    EXPECT_EQ(calendar->rangeOfUnit(NSCalendarUnitWeekday, NSCalendarUnitMonth, sunday), NSMakeRange(1, 7));
    EXPECT_EQ(calendar->rangeOfUnit(NSCalendarUnitMonth, NSCalendarUnitDay, sunday).location, NSNotFound);
}

TEST_F(CalendarTest, todayFollowsTheProcessClock)
{
    SystemClock::useManualClock(zonedDate(8, 2015, 6, 1, 23, 59)->timeIntervalSinceReferenceDate());
    auto calendar = gregorian();
    EXPECT_TRUE(calendar->isDateInToday(zonedDate(8, 2015, 6, 1, 0, 0, 1)));
    EXPECT_TRUE(calendar->isDateInTomorrow(zonedDate(8, 2015, 6, 2, 0, 0, 1)));
    EXPECT_TRUE(calendar->isDateInYesterday(zonedDate(8, 2015, 5, 31, 12)));
    SystemClock::advance(120);
    EXPECT_FALSE(calendar->isDateInToday(zonedDate(8, 2015, 6, 1, 0, 0, 1)));
    EXPECT_TRUE(calendar->isDateInWeekend(zonedDate(8, 2015, 6, 6, 12)));
    EXPECT_FALSE(calendar->isDateInWeekend(zonedDate(8, 2015, 6, 5, 12)));
    SystemClock::useRealClock();
}

TEST_F(CalendarTest, currentCalendarFollowsTheDevice)
{
    EXPECT_EQ(NSCalendar::currentCalendar()->calendarIdentifier(), "gregorian");
    EXPECT_EQ(NSCalendar::currentCalendar()->timeZone()->name(), "Asia/Shanghai");
    NSLocale::setCurrentLocale(NSLocale::localeWithLocaleIdentifier("ar_SA"));
    EXPECT_NE(NSCalendar::currentCalendar()->calendarIdentifier(), "gregorian");
    EXPECT_FALSE(NSCalendar::calendarWithIdentifier("lunar-ish"));
    auto copy = ns::cast<NSCalendar>(gregorian("Europe/Berlin")->copy());
    EXPECT_EQ(copy->timeZone()->name(), "Europe/Berlin");
    EXPECT_TRUE(copy->isEqual(gregorian("Europe/Berlin")));
}

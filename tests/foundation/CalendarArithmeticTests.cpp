#include "DateTestSupport.h"

#include "platform/foundation/NSCalendar.h"

namespace {

// Shanghai keeps one offset all year, so wall-clock arithmetic there is plain.
std::shared_ptr<NSCalendar> shanghai()
{
    auto calendar = NSCalendar::calendarWithIdentifier(NSCalendarIdentifierGregorian);
    calendar->setTimeZone(NSTimeZone::timeZoneWithName("Asia/Shanghai"));
    calendar->setLocale(NSLocale::localeWithLocaleIdentifier("zh_CN"));
    return calendar;
}

std::shared_ptr<NSDate> local(int year, unsigned month, unsigned day, int hour = 0, int minute = 0, int second = 0)
{
    return zonedDate(8, year, month, day, hour, minute, second);
}

std::shared_ptr<NSDateComponents> fields(std::initializer_list<std::pair<NSCalendarUnit, NSInteger>> values)
{
    auto components = NSDateComponents::create();
    for (const auto& [unit, value] : values)
        components->setValue(value, unit);
    return components;
}

bool same(const std::shared_ptr<NSDate>& a, const std::shared_ptr<NSDate>& b)
{
    return a && b && a->isEqualToDate(b);
}

} // namespace

using CalendarArithmeticTest = DeviceSettingsTest;

TEST_F(CalendarArithmeticTest, addsAcrossMonthAndYearEnds)
{
    auto calendar = shanghai();
    EXPECT_TRUE(same(calendar->dateByAddingUnit(NSCalendarUnitHour, 1, local(2015, 12, 31, 23, 30), 0), local(2016, 1, 1, 0, 30)));
    EXPECT_TRUE(same(calendar->dateByAddingUnit(NSCalendarUnitMonth, 1, local(2015, 1, 31), 0), local(2015, 2, 28)));
    EXPECT_TRUE(same(calendar->dateByAddingUnit(NSCalendarUnitMonth, -1, local(2016, 3, 31), 0), local(2016, 2, 29)));
    EXPECT_TRUE(same(calendar->dateByAddingUnit(NSCalendarUnitMonth, 1, local(2015, 12, 15, 8), 0), local(2016, 1, 15, 8)));
    EXPECT_TRUE(same(calendar->dateByAddingUnit(NSCalendarUnitDay, -1, local(2016, 1, 1, 8), 0), local(2015, 12, 31, 8)));
    EXPECT_TRUE(same(calendar->dateByAddingUnit(NSCalendarUnitQuarter, 1, local(2015, 11, 30), 0), local(2016, 2, 29)));
    EXPECT_TRUE(same(calendar->dateByAddingUnit(NSCalendarUnitWeekOfYear, 1, local(2015, 12, 28), 0), local(2016, 1, 4)));
    // Larger units go first: a month from 31 January is 28 February, and a day more is 1 March.
    auto monthAndDay = fields({ { NSCalendarUnitMonth, 1 }, { NSCalendarUnitDay, 1 } });
    EXPECT_TRUE(same(calendar->dateByAddingComponents(monthAndDay, local(2015, 1, 31), 0), local(2015, 3, 1)));
    // Wrapping stays inside the larger unit.
    EXPECT_TRUE(same(calendar->dateByAddingUnit(NSCalendarUnitDay, 1, local(2015, 12, 31, 9), NSCalendarWrapComponents), local(2015, 12, 1, 9)));
    EXPECT_TRUE(same(calendar->dateByAddingUnit(NSCalendarUnitMonth, 2, local(2015, 12, 1), NSCalendarWrapComponents), local(2015, 2, 1)));
    // Fractions of a second ride along.
    auto fraction = local(2015, 6, 1)->dateByAddingTimeInterval(0.25);
    EXPECT_NEAR(calendar->dateByAddingUnit(NSCalendarUnitDay, 1, fraction, 0)->timeIntervalSinceDate(local(2015, 6, 2)), 0.25, 1e-6);
    EXPECT_EQ(calendar->dateByAddingComponents(nullptr, local(2015, 1, 1), 0), nullptr);
    EXPECT_EQ(calendar->dateByAddingUnit(NSCalendarUnitDay, 1, nullptr, 0), nullptr);
}

TEST_F(CalendarArithmeticTest, countsOfQuartersBeyondAnyCalendarStayBeyondIt)
{
    auto calendar = shanghai();
    // Three times this count wraps to 2 in 64 bits, and one less to -1.
    const NSInteger wrapping = 6148914691236517206;
    auto added = calendar->dateByAddingUnit(NSCalendarUnitQuarter, wrapping, local(2015, 1, 15), 0);
    EXPECT_FALSE(same(added, local(2015, 3, 15)));
    EXPECT_TRUE(!added || added->timeIntervalSinceDate(local(2015, 1, 15)) > 1e9) << "far later, if at all";
    auto quarter = calendar->dateFromComponents(fields({ { NSCalendarUnitYear, 2016 }, { NSCalendarUnitQuarter, wrapping } }));
    EXPECT_FALSE(same(quarter, local(2015, 12, 1)));
    EXPECT_TRUE(!quarter || quarter->timeIntervalSinceDate(local(2016, 1, 1)) > 1e9) << "far later, if at all";
    auto month = calendar->dateFromComponents(fields({ { NSCalendarUnitYear, 2016 }, { NSCalendarUnitMonth, NSIntegerMin } }));
    EXPECT_TRUE(!month || month->timeIntervalSinceDate(local(2016, 1, 1)) < -1e9) << "far earlier, if at all";
}

TEST_F(CalendarArithmeticTest, differencesAcrossYearEndsAndBackwards)
{
    auto calendar = shanghai();
    const NSCalendarUnit units = NSCalendarUnitYear | NSCalendarUnitMonth | NSCalendarUnitDay | NSCalendarUnitHour;
    auto forward = calendar->components(units, local(2015, 12, 31, 23), local(2016, 1, 1, 1), 0);
    EXPECT_EQ(forward->year(), 0);
    EXPECT_EQ(forward->month(), 0);
    EXPECT_EQ(forward->day(), 0);
    EXPECT_EQ(forward->hour(), 2);
    auto backward = calendar->components(units, local(2016, 3, 1), local(2015, 1, 31), 0);
    EXPECT_EQ(backward->year(), -1);
    EXPECT_EQ(backward->month(), -1);
    EXPECT_EQ(backward->day(), -1);

    auto quarters = calendar->components(NSCalendarUnitQuarter | NSCalendarUnitMonth | NSCalendarUnitDay,
        local(2015, 1, 15), local(2015, 8, 20), 0);
    EXPECT_EQ(quarters->quarter(), 2);
    EXPECT_EQ(quarters->month(), 1);
    EXPECT_EQ(quarters->day(), 5);
    auto weeks = calendar->components(NSCalendarUnitWeekOfYear | NSCalendarUnitDay, local(2015, 12, 25), local(2016, 1, 10), 0);
    EXPECT_EQ(weeks->weekOfYear(), 2);
    EXPECT_EQ(weeks->day(), 2);
    auto nanos = calendar->components(NSCalendarUnitSecond | NSCalendarUnitNanosecond, local(2015, 1, 1),
        local(2015, 1, 1, 0, 0, 3)->dateByAddingTimeInterval(0.5), 0);
    EXPECT_EQ(nanos->second(), 3);
    EXPECT_NEAR(double(nanos->nanosecond()), 5e8, 1e3);
    EXPECT_EQ(calendar->components(units, nullptr, local(2015, 1, 1), 0)->year(), NSDateComponentUndefined);
}

TEST_F(CalendarArithmeticTest, datesFromWeekAndQuarterFields)
{
    auto calendar = shanghai();
    // Weeks as the international standard counts them: 1 January 2016, a Friday, lies in week 53 of 2015.
    calendar->setFirstWeekday(2);
    calendar->setMinimumDaysInFirstWeek(4);
    calendar->setFirstWeekday(9);
    calendar->setMinimumDaysInFirstWeek(0);
    EXPECT_EQ(calendar->firstWeekday(), 2u);
    EXPECT_EQ(calendar->minimumDaysInFirstWeek(), 4u);
    auto week = calendar->components(NSCalendarUnitWeekOfYear | NSCalendarUnitYearForWeekOfYear | NSCalendarUnitWeekday, local(2016, 1, 1));
    EXPECT_EQ(week->weekOfYear(), 53);
    EXPECT_EQ(week->yearForWeekOfYear(), 2015);
    EXPECT_EQ(week->weekday(), 6);
    EXPECT_TRUE(same(calendar->dateFromComponents(week), local(2016, 1, 1)));

    EXPECT_TRUE(same(calendar->dateFromComponents(fields({ { NSCalendarUnitYear, 2016 }, { NSCalendarUnitQuarter, 3 } })), local(2016, 7, 1)));
    auto utc = fields({ { NSCalendarUnitYear, 2016 }, { NSCalendarUnitMonth, 2 }, { NSCalendarUnitDay, 29 }, { NSCalendarUnitNanosecond, 500000000 } });
    utc->setTimeZone(NSTimeZone::timeZoneForSecondsFromGMT(0));
    EXPECT_NEAR(calendar->dateFromComponents(utc)->timeIntervalSinceDate(utcDate(2016, 2, 29)), 0.5, 1e-6);
    EXPECT_EQ(calendar->dateFromComponents(nullptr), nullptr);
    EXPECT_TRUE(same(calendar->dateWithEra(1, 2015, 12, 31, 23, 59, 59, 0), local(2015, 12, 31, 23, 59, 59)));
    EXPECT_EQ(calendar->dateBySettingHour(24, 0, 0, local(2015, 1, 1), 0), nullptr);
    EXPECT_EQ(calendar->dateBySettingHour(1, -1, 0, local(2015, 1, 1), 0), nullptr);
    EXPECT_EQ(calendar->dateBySettingHour(1, 0, 0, nullptr, 0), nullptr);
}

TEST_F(CalendarArithmeticTest, rangesOfUnitsInsideLargerOnes)
{
    auto calendar = shanghai();
    calendar->setFirstWeekday(1);
    const NSRange none { NSNotFound, NSNotFound };
    auto may = local(2015, 5, 20, 13);
    EXPECT_EQ(calendar->rangeOfUnit(NSCalendarUnitMonth, NSCalendarUnitYear, may), NSMakeRange(1, 12));
    EXPECT_EQ(calendar->rangeOfUnit(NSCalendarUnitMonth, NSCalendarUnitQuarter, may), NSMakeRange(4, 3));
    EXPECT_EQ(calendar->rangeOfUnit(NSCalendarUnitDay, NSCalendarUnitWeekOfMonth, may), NSMakeRange(17, 7));
    EXPECT_EQ(calendar->rangeOfUnit(NSCalendarUnitWeekday, NSCalendarUnitMonth, may), NSMakeRange(1, 7));
    EXPECT_EQ(calendar->rangeOfUnit(NSCalendarUnitHour, NSCalendarUnitDay, may), NSMakeRange(0, 24));
    EXPECT_EQ(calendar->rangeOfUnit(NSCalendarUnitMinute, NSCalendarUnitHour, may), NSMakeRange(0, 60));
    EXPECT_EQ(calendar->rangeOfUnit(NSCalendarUnitSecond, NSCalendarUnitMinute, may), NSMakeRange(0, 60));
    // The week holding 27 December 2015 holds 1 January 2016 too, so it counts as week 1 of 2016.
    EXPECT_EQ(calendar->rangeOfUnit(NSCalendarUnitWeekOfYear, NSCalendarUnitYear, may), NSMakeRange(1, 52));
    // February 2015 begins on a Sunday and fills exactly four weeks.
    EXPECT_EQ(calendar->rangeOfUnit(NSCalendarUnitWeekOfMonth, NSCalendarUnitMonth, local(2015, 2, 10)), NSMakeRange(1, 4));
    EXPECT_EQ(calendar->rangeOfUnit(NSCalendarUnitWeekOfYear, NSCalendarUnitMonth, local(2015, 2, 10)), NSMakeRange(6, 4));
    EXPECT_EQ(calendar->rangeOfUnit(NSCalendarUnitDay, NSCalendarUnitHour, may), none);
    EXPECT_EQ(calendar->rangeOfUnit(NSCalendarUnitHour, NSCalendarUnitMinute, may), none);
    EXPECT_EQ(calendar->rangeOfUnit(NSCalendarUnitYear, NSCalendarUnitMonth, may), none);
    EXPECT_EQ(calendar->rangeOfUnit(NSCalendarUnitMonth, NSCalendarUnitDay, may), none);
    EXPECT_EQ(calendar->rangeOfUnit(NSCalendarUnitDay, NSCalendarUnitMonth, nullptr), none);
    EXPECT_EQ(calendar->minimumRangeOfUnit(NSCalendarUnitDay), NSMakeRange(1, 28));
    EXPECT_EQ(calendar->maximumRangeOfUnit(NSCalendarUnitDay), NSMakeRange(1, 31));
    EXPECT_EQ(calendar->maximumRangeOfUnit(NSCalendarUnitMonth), NSMakeRange(1, 12));
    EXPECT_EQ(calendar->minimumRangeOfUnit(NSCalendarUnitQuarter), none);
    EXPECT_EQ(calendar->maximumRangeOfUnit(NSCalendarUnitNanosecond), none);
}

TEST_F(CalendarArithmeticTest, unitStartsAndLengthsAtMonthAndYearEnds)
{
    auto calendar = shanghai();
    calendar->setFirstWeekday(2);
    std::shared_ptr<NSDate> start;
    NSTimeInterval length = 0;
    ASSERT_TRUE(calendar->rangeOfUnit(NSCalendarUnitMonth, &start, &length, local(2016, 2, 29, 23, 59)));
    EXPECT_TRUE(same(start, local(2016, 2, 1)));
    EXPECT_EQ(length, 29 * 86400);
    ASSERT_TRUE(calendar->rangeOfUnit(NSCalendarUnitQuarter, &start, &length, local(2015, 12, 31, 23)));
    EXPECT_TRUE(same(start, local(2015, 10, 1)));
    EXPECT_EQ(length, 92 * 86400);
    ASSERT_TRUE(calendar->rangeOfUnit(NSCalendarUnitYear, &start, &length, local(2016, 7, 1)));
    EXPECT_EQ(length, 366 * 86400);
    // The week of Sunday 3 January 2016 began on Monday 28 December 2015.
    ASSERT_TRUE(calendar->rangeOfUnit(NSCalendarUnitWeekOfYear, &start, &length, local(2016, 1, 3, 12)));
    EXPECT_TRUE(same(start, local(2015, 12, 28)));
    EXPECT_EQ(length, 7 * 86400);
    ASSERT_TRUE(calendar->rangeOfUnit(NSCalendarUnitMinute, &start, nullptr, local(2015, 1, 1, 10, 20, 30)));
    EXPECT_TRUE(same(start, local(2015, 1, 1, 10, 20)));
    ASSERT_TRUE(calendar->rangeOfUnit(NSCalendarUnitHour, nullptr, &length, local(2015, 1, 1, 10, 20, 30)));
    EXPECT_EQ(length, 3600);
    EXPECT_FALSE(calendar->rangeOfUnit(NSCalendarUnitNanosecond, &start, &length, local(2015, 1, 1)));
    EXPECT_FALSE(calendar->rangeOfUnit(NSCalendarUnitDay, &start, &length, nullptr));
    EXPECT_TRUE(same(calendar->startOfDayForDate(local(2015, 12, 31, 23, 59, 59)), local(2015, 12, 31)));
}

TEST_F(CalendarArithmeticTest, ordinalsAndComparisonsFollowTheCalendarsZone)
{
    auto calendar = shanghai();
    calendar->setFirstWeekday(2);
    auto lastDay = local(2016, 12, 31, 18, 5, 9); // a Saturday
    EXPECT_EQ(calendar->ordinalityOfUnit(NSCalendarUnitDay, NSCalendarUnitYear, lastDay), 366u);
    EXPECT_EQ(calendar->ordinalityOfUnit(NSCalendarUnitWeekday, NSCalendarUnitYear, lastDay), 53u);
    EXPECT_EQ(calendar->ordinalityOfUnit(NSCalendarUnitDay, NSCalendarUnitMonth, lastDay), 31u);
    EXPECT_EQ(calendar->ordinalityOfUnit(NSCalendarUnitWeekday, NSCalendarUnitMonth, lastDay), 5u);
    EXPECT_EQ(calendar->ordinalityOfUnit(NSCalendarUnitDay, NSCalendarUnitWeekOfYear, lastDay), 6u);
    EXPECT_EQ(calendar->ordinalityOfUnit(NSCalendarUnitMonth, NSCalendarUnitYear, lastDay), 12u);
    EXPECT_EQ(calendar->ordinalityOfUnit(NSCalendarUnitMonth, NSCalendarUnitQuarter, lastDay), 3u);
    EXPECT_EQ(calendar->ordinalityOfUnit(NSCalendarUnitQuarter, NSCalendarUnitYear, lastDay), 4u);
    EXPECT_EQ(calendar->ordinalityOfUnit(NSCalendarUnitYear, NSCalendarUnitEra, lastDay), 2016u);
    EXPECT_EQ(calendar->ordinalityOfUnit(NSCalendarUnitHour, NSCalendarUnitDay, lastDay), 19u);
    EXPECT_EQ(calendar->ordinalityOfUnit(NSCalendarUnitMinute, NSCalendarUnitHour, lastDay), 6u);
    EXPECT_EQ(calendar->ordinalityOfUnit(NSCalendarUnitSecond, NSCalendarUnitMinute, lastDay), 10u);
    EXPECT_EQ(calendar->ordinalityOfUnit(NSCalendarUnitWeekOfMonth, NSCalendarUnitMonth, lastDay), 5u);
    EXPECT_EQ(calendar->ordinalityOfUnit(NSCalendarUnitYear, NSCalendarUnitDay, lastDay), NSNotFound);
    EXPECT_EQ(calendar->ordinalityOfUnit(NSCalendarUnitDay, NSCalendarUnitMonth, nullptr), NSNotFound);

    // 23:59 and 00:01 in Shanghai are different days though both fall on one UTC day.
    auto beforeMidnight = local(2016, 1, 1, 23, 59);
    auto afterMidnight = local(2016, 1, 2, 0, 1);
    EXPECT_EQ(calendar->compareDate(beforeMidnight, afterMidnight, NSCalendarUnitDay), NSOrderedAscending);
    EXPECT_EQ(calendar->compareDate(afterMidnight, beforeMidnight, NSCalendarUnitDay), NSOrderedDescending);
    EXPECT_EQ(calendar->compareDate(beforeMidnight, afterMidnight, NSCalendarUnitMonth), NSOrderedSame);
    EXPECT_EQ(calendar->compareDate(beforeMidnight, afterMidnight, NSCalendarUnitNanosecond), NSOrderedAscending);
    EXPECT_FALSE(calendar->isDate(beforeMidnight, afterMidnight));
    EXPECT_TRUE(calendar->isDateInWeekend(lastDay));
    EXPECT_FALSE(calendar->isDateInWeekend(local(2016, 12, 26)));
    EXPECT_FALSE(calendar->isDateInWeekend(nullptr));
}

TEST_F(CalendarArithmeticTest, identifiersSettingsAndCopies)
{
    EXPECT_EQ(NSCalendar::calendarWithIdentifier("nonsense"), nullptr);
    auto calendar = shanghai();
    auto copy = ns::cast<NSCalendar>(calendar->copy());
    EXPECT_TRUE(calendar->isEqual(copy));
    copy->setFirstWeekday(copy->firstWeekday() % 7 + 1);
    EXPECT_FALSE(calendar->isEqual(copy));
    EXPECT_FALSE(calendar->isEqual(NSCalendar::calendarWithIdentifier(NSCalendarIdentifierBuddhist)));
    EXPECT_FALSE(calendar->isEqual(NSString("gregorian")));
    EXPECT_EQ(calendar->description(), "<NSCalendar gregorian Asia/Shanghai>");
    // A nil zone or locale means the device's.
    NSTimeZone::setDefaultTimeZone(NSTimeZone::timeZoneWithName("UTC"));
    calendar->setTimeZone(nullptr);
    EXPECT_EQ(calendar->component(NSCalendarUnitHour, utcDate(2015, 1, 1, 5)), 5);
    calendar->setLocale(nullptr);
    EXPECT_TRUE(calendar->locale()->isEqual(NSLocale::currentLocale()));
    auto carried = calendar->components(NSCalendarUnitCalendar | NSCalendarUnitTimeZone, utcDate(2015, 1, 1));
    EXPECT_TRUE(carried->calendar()->isEqual(calendar));
    EXPECT_TRUE(carried->timeZone()->isEqual(calendar->timeZone()));
    EXPECT_EQ(calendar->components(NSCalendarUnitYear, nullptr)->year(), NSDateComponentUndefined);
}

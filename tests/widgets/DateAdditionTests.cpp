#include "library/widgets/calendar/NSDate_Addition.h"

#include "platform/foundation/NSCalendar.h"
#include "platform/foundation/NSLocale.h"
#include "platform/foundation/NSThread.h"
#include "platform/foundation/NSTimeZone.h"
#include "platform/foundation/SystemClock.h"
#include "tests/foundation/DateTestSupport.h"

#include <thread>

using namespace NSDate_Addition;

namespace {

class DateAddition : public DeviceSettingsTest {
protected:
    void SetUp() override
    {
        NSLocale::setCurrentLocale(NSLocale::localeWithLocaleIdentifier("zh_CN"));
        NSTimeZone::setDefaultTimeZone(NSTimeZone::timeZoneWithName("Asia/Shanghai"));
    }
    static std::shared_ptr<NSDate> local(const char* text) { return dateFromString(text, "yyyy-MM-dd HH:mm"); }
    static NSString text(const std::shared_ptr<NSDate>& date) { return stringFromDate(date, "yyyy-MM-dd HH:mm"); }
};

TEST_F(DateAddition, firstAndLastDaysOfFebruaryInALeapYearAndOfDecember)
{
    EXPECT_EQ(text(getFirstDayOfMonth(local("2016-02-17 13:45"))), "2016-02-01 00:00");
    EXPECT_EQ(text(getLastDayOfMonth(local("2016-02-01 00:00"))), "2016-02-29 00:00");
    EXPECT_EQ(text(getLastDayOfMonth(local("2015-02-10 08:00"))), "2015-02-28 00:00");
    EXPECT_EQ(text(getFirstDayOfMonth(local("2026-12-31 23:59"))), "2026-12-01 00:00");
    EXPECT_EQ(text(getLastDayOfMonth(local("2026-12-06 22:00"))), "2026-12-31 00:00");
    EXPECT_EQ(text(getLastDayOfMonth(local("2026-04-30 23:00"))), "2026-04-30 00:00");
    EXPECT_EQ(getDaysOfMonth(local("2016-02-03 00:00")), 29);
    EXPECT_EQ(getDaysOfMonth(local("2026-12-03 00:00")), 31);
    EXPECT_GE(getWeeksOfMonth(local("2026-12-03 00:00")), 4);
    EXPECT_LE(getWeeksOfMonth(local("2026-12-03 00:00")), 6);
    EXPECT_EQ(getLastDayOfMonth(nullptr), nullptr);
    EXPECT_EQ(getDaysOfMonth(nullptr), 0);
}

TEST_F(DateAddition, lastDayOfAMonthWithADaylightSavingChangeIsItsRealLastDay)
{
    // March in Berlin is an hour short of 31 days; the day count must not lose the 31st.
    NSTimeZone::setDefaultTimeZone(NSTimeZone::timeZoneWithName("Europe/Berlin"));
    EXPECT_EQ(text(getLastDayOfMonth(local("2026-03-05 12:00"))), "2026-03-31 00:00");
    EXPECT_EQ(text(getFirstDayOfMonth(local("2026-03-31 23:59"))), "2026-03-01 00:00");
    // Days across the change keep their time of day.
    EXPECT_EQ(text(getNextDate(local("2026-03-28 09:30"))), "2026-03-29 09:30");
    EXPECT_EQ(text(getNextDate(local("2026-03-29 09:30"))), "2026-03-30 09:30");
    EXPECT_EQ(text(getMondayOfWeek(local("2026-04-01 09:30"))), "2026-03-30 09:30");
}

TEST_F(DateAddition, weekdaysInChineseAreThoseOfChinaWhateverTheDeviceZone)
{
    NSTimeZone::setDefaultTimeZone(NSTimeZone::timeZoneWithName("UTC"));
    EXPECT_EQ(weekdayOfWeek(utcDate(2026, 12, 6, 20, 0)), "星期一"); // Sunday 20:00 UTC is Monday in China
    EXPECT_EQ(weekdayOfWeek(utcDate(2026, 12, 6, 10, 0)), "星期日");
    const char* names[] = { "星期一", "星期二", "星期三", "星期四", "星期五", "星期六", "星期日" };
    for (unsigned day = 0; day < 7; ++day)
        EXPECT_EQ(weekdayOfWeek(utcDate(2026, 12, 7 + day, 4, 0)), names[day]) << day;
    // A failed parse chained into the weekday gives no name instead of reading past the table.
    EXPECT_TRUE(weekdayOfWeek(dateFromString("2026-13-01", "yyyy-MM-dd")).isNil());
}

TEST_F(DateAddition, aDateRoundTripsThroughAPatternAndBadTextIsNil)
{
    const auto date = dateFromString("2026-12-06 22:24:06", "yyyy-MM-dd HH:mm:ss");
    ASSERT_NE(date, nullptr);
    EXPECT_EQ(date->timeIntervalSince1970(), utcDate(2026, 12, 6, 14, 24, 6)->timeIntervalSince1970());
    EXPECT_EQ(stringFromDate(date, "yyyy-MM-dd HH:mm:ss"), "2026-12-06 22:24:06");
    EXPECT_EQ(stringFromDate(date, "yyyy-MM"), "2026-12");
    EXPECT_EQ(stringFromDate(date, "mm:ss"), "24:06");
    EXPECT_EQ(dateFromString("2026-13-01", "yyyy-MM-dd"), nullptr);
    EXPECT_EQ(dateFromString("", "yyyy-MM-dd"), nullptr);
    EXPECT_EQ(dateFromString(NSString(), "yyyy-MM-dd"), nullptr);
    EXPECT_TRUE(stringFromDate(nullptr, "yyyy-MM-dd").isNil());
}

TEST_F(DateAddition, theReusedFormatterFollowsTheDevicesZoneAndLocale)
{
    const auto instant = utcDate(2026, 12, 6, 14, 0);
    EXPECT_EQ(stringFromDate(instant, "yyyy-MM-dd HH:mm"), "2026-12-06 22:00");
    NSTimeZone::setDefaultTimeZone(NSTimeZone::timeZoneWithName("UTC"));
    EXPECT_EQ(stringFromDate(instant, "yyyy-MM-dd HH:mm"), "2026-12-06 14:00");
    NSLocale::setCurrentLocale(NSLocale::localeWithLocaleIdentifier("en_US"));
    EXPECT_EQ(stringFromDate(instant, "MMMM"), "December");
    NSLocale::setCurrentLocale(NSLocale::localeWithLocaleIdentifier("zh_CN"));
    EXPECT_EQ(stringFromDate(instant, "MMMM"), "十二月");
}

TEST_F(DateAddition, otherThreadsConvertWithTheirOwnFormatter)
{
    std::vector<std::thread> threads;
    std::atomic<int> wrong { 0 };
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&wrong, t] {
            for (int i = 0; i < 50; ++i) {
                const NSString day = NSString::stringWithFormat("2026-0%d-1%d", t + 1, i % 10);
                if (stringFromDate(dateFromString(day, "yyyy-MM-dd"), "yyyy-MM-dd") != day)
                    ++wrong;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST_F(DateAddition, calendarDayStepsKeepTheTimeOfDay)
{
    EXPECT_EQ(text(getNextDate(local("2026-12-31 18:30"))), "2027-01-01 18:30");
    EXPECT_EQ(text(getPreviousDate(local("2016-03-01 09:00"))), "2016-02-29 09:00");
    // Sunday belongs to the week after it; Monday's Sunday is six days on.
    EXPECT_EQ(text(getMondayOfWeek(local("2026-12-06 08:00"))), "2026-12-07 08:00");
    EXPECT_EQ(text(getSundayOfWeek(local("2026-12-06 08:00"))), "2026-12-13 08:00");
    EXPECT_EQ(text(getMondayOfWeek(local("2026-12-12 08:00"))), "2026-12-07 08:00");
    EXPECT_EQ(text(getSundayOfWeek(local("2026-12-07 08:00"))), "2026-12-13 08:00");
    EXPECT_EQ(getNextDate(nullptr), nullptr);

    SystemClock::useManualClock();
    const auto now = NSDate::date();
    EXPECT_NEAR(getTomorrow()->timeIntervalSinceDate(now), 86400, 1e-3);
    EXPECT_NEAR(getYestoday()->timeIntervalSinceDate(now), -86400, 1e-3);
    EXPECT_NEAR(getSomeDay(0)->timeIntervalSinceDate(now), 0, 1e-3);
    EXPECT_NEAR(getSomeDay(-1)->timeIntervalSinceDate(now), -86400, 1e-3);
}

} // namespace

#include "DateTestSupport.h"

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSCalendar.h"
#include "platform/foundation/NSDateFormatter.h"
#include "platform/foundation/NSNumber.h"

namespace {

std::shared_ptr<NSDateFormatter> formatter(const char* pattern, const char* zone = "Asia/Shanghai", const char* locale = "en_US_POSIX")
{
    auto result = NSDateFormatter::create();
    result->setDateFormat(pattern);
    result->setTimeZone(NSTimeZone::timeZoneWithName(zone));
    result->setLocale(NSLocale::localeWithLocaleIdentifier(locale));
    return result;
}

bool isASCII(const NSString& text)
{
    for (char16_t unit : text.view()) {
        if (unit > 0x7f)
            return false;
    }
    return true;
}

} // namespace

using DateFormatterTest = DeviceSettingsTest;

TEST_F(DateFormatterTest, roundTripsDateAndTimeInShanghai)
{
    auto format = formatter("yyyy-MM-dd HH:mm:ss");
    auto date = zonedDate(8, 2015, 6, 1, 8, 30, 5);
    EXPECT_EQ(format->stringFromDate(date), "2015-06-01 08:30:05");
    auto parsed = format->dateFromString("2015-06-01 08:30:05");
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(parsed->isEqualToDate(date));
    // Midnight at the turn of the year, where a wrong offset shows as the previous year.
    EXPECT_EQ(format->stringFromDate(zonedDate(8, 2016, 1, 1)), "2016-01-01 00:00:00");
    EXPECT_TRUE(format->dateFromString("2016-01-01 00:00:00")->isEqualToDate(utcDate(2015, 12, 31, 16)));
}

TEST_F(DateFormatterTest, parsesStrictly)
{
    auto format = formatter("yyyy-MM-dd");
    EXPECT_FALSE(format->dateFromString("2015-13-01"));
    EXPECT_FALSE(format->dateFromString("2015-01-01x"));
    EXPECT_FALSE(format->dateFromString("2015-02-30"));
    EXPECT_FALSE(format->dateFromString(""));
    EXPECT_FALSE(format->dateFromString(nullptr));
    EXPECT_FALSE(format->dateFromString("2015/01/01"));
    EXPECT_TRUE(format->dateFromString("2016-02-29"));
    EXPECT_FALSE(format->stringFromDate(nullptr));
}

TEST_F(DateFormatterTest, fieldsMissingFromThePatternComeFromTheYear2000)
{
    auto parsed = formatter("HH:mm")->dateFromString("08:30");
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(parsed->isEqualToDate(zonedDate(8, 2000, 1, 1, 8, 30)));
}

TEST_F(DateFormatterTest, twoDigitYearsFallInTheCenturyFrom1950)
{
    auto format = formatter("yy-MM-dd", "UTC");
    EXPECT_TRUE(format->dateFromString("15-03-01")->isEqualToDate(utcDate(2015, 3, 1)));
    EXPECT_TRUE(format->dateFromString("60-03-01")->isEqualToDate(utcDate(1960, 3, 1)));
}

TEST_F(DateFormatterTest, namesTheChineseWeekday)
{
    // 1 March 2015 was a Sunday.
    auto format = formatter("EEEE", "Asia/Shanghai", "zh_CN");
    EXPECT_EQ(format->stringFromDate(zonedDate(8, 2015, 3, 1, 12)), "星期日");
    EXPECT_EQ(format->stringFromDate(zonedDate(8, 2015, 3, 2, 12)), "星期一");
    auto symbols = format->weekdaySymbols();
    ASSERT_EQ(symbols->count(), 7u);
    EXPECT_EQ(NSString::fromId(symbols->objectAtIndex(0)), "星期日");
    EXPECT_EQ(NSString::fromId(symbols->objectAtIndex(6)), "星期六");
}

TEST_F(DateFormatterTest, weekdayOfAnInstantFollowsTheCalendarZone)
{
    // Sunday 20:00 UTC is already Monday in Shanghai, whatever the device's zone.
    NSTimeZone::setDefaultTimeZone(NSTimeZone::timeZoneWithName("America/New_York"));
    auto calendar = NSCalendar::calendarWithIdentifier(NSCalendarIdentifierGregorian);
    calendar->setTimeZone(NSTimeZone::timeZoneWithName("Asia/Shanghai"));
    EXPECT_EQ(calendar->components(NSCalendarUnitWeekday, utcDate(2015, 3, 1, 20))->weekday(), 2);
}

TEST_F(DateFormatterTest, symbolsFollowTheLocale)
{
    auto english = formatter("MMMM", "UTC", "en_US");
    EXPECT_EQ(NSString::fromId(english->shortWeekdaySymbols()->objectAtIndex(0)), "Sun");
    EXPECT_EQ(NSString::fromId(english->veryShortWeekdaySymbols()->objectAtIndex(1)), "M");
    EXPECT_EQ(NSString::fromId(english->monthSymbols()->objectAtIndex(11)), "December");
    EXPECT_EQ(NSString::fromId(english->shortMonthSymbols()->objectAtIndex(2)), "Mar");
    auto chinese = formatter("MMMM", "UTC", "zh_CN");
    EXPECT_EQ(chinese->monthSymbols()->count(), 12u);
    EXPECT_EQ(chinese->stringFromDate(utcDate(2015, 3, 7)), "三月");
    EXPECT_EQ(formatter("yyyy年M月d日", "UTC", "zh_CN")->stringFromDate(utcDate(2015, 3, 7)), "2015年3月7日");
}

TEST_F(DateFormatterTest, wireFormatsStayASCIIUnderAnArabicLocale)
{
    NSLocale::setCurrentLocale(NSLocale::localeWithLocaleIdentifier("ar_SA"));
    auto date = zonedDate(8, 2015, 3, 1, 9, 5);

    // The device's locale writes its own digits and calendar, which is why wire formats pin theirs.
    auto device = NSDateFormatter::create();
    device->setDateFormat("yyyy-MM-dd");
    EXPECT_FALSE(isASCII(device->stringFromDate(date)));

    auto wire = NSDateFormatter::create();
    wire->setLocale(NSLocale::localeWithLocaleIdentifier("en_US_POSIX"));
    wire->setCalendar(NSCalendar::calendarWithIdentifier(NSCalendarIdentifierGregorian));
    wire->setDateFormat("yyyy-MM-dd HH:mm:ss");
    EXPECT_EQ(wire->stringFromDate(date), "2015-03-01 09:05:00");
    EXPECT_TRUE(wire->dateFromString("2015-03-01 09:05:00")->isEqualToDate(date));

    EXPECT_EQ(NSString::stringWithFormat("%d-%.2f", 2015, 1.5), "2015-1.50");
}

TEST_F(DateFormatterTest, stylesGiveTheLocalePattern)
{
    auto format = NSDateFormatter::create();
    format->setLocale(NSLocale::localeWithLocaleIdentifier("en_US"));
    format->setTimeZone(NSTimeZone::timeZoneWithName("UTC"));
    format->setDateStyle(NSDateFormatterMediumStyle);
    format->setTimeStyle(NSDateFormatterNoStyle);
    EXPECT_EQ(format->stringFromDate(utcDate(2001, 2, 1)), "Feb 1, 2001");
    EXPECT_EQ(format->dateFormat(), "MMM d, y");
    // A new locale brings its own pattern for the same styles.
    format->setLocale(NSLocale::localeWithLocaleIdentifier("zh_CN"));
    EXPECT_EQ(format->stringFromDate(utcDate(2001, 2, 1)), "2001年2月1日");
    EXPECT_FALSE(NSDateFormatter::localizedStringFromDate(utcDate(2001, 2, 1), NSDateFormatterFullStyle, NSDateFormatterFullStyle).length() == 0);
}

TEST_F(DateFormatterTest, copiesAreIndependent)
{
    auto format = formatter("yyyy");
    auto copy = ns::cast<NSDateFormatter>(format->copy());
    copy->setDateFormat("MM");
    EXPECT_EQ(format->dateFormat(), "yyyy");
    EXPECT_EQ(copy->stringFromDate(zonedDate(8, 2015, 3, 1)), "03");
}

using TimeZoneTest = DeviceSettingsTest;

TEST_F(TimeZoneTest, findsZonesByNameOffsetAndAbbreviation)
{
    auto shanghai = NSTimeZone::timeZoneWithName("Asia/Shanghai");
    ASSERT_TRUE(shanghai);
    EXPECT_EQ(shanghai->name(), "Asia/Shanghai");
    EXPECT_EQ(shanghai->secondsFromGMT(), 28800);
    EXPECT_EQ(shanghai->abbreviation(), "GMT+8");
    EXPECT_FALSE(NSTimeZone::timeZoneWithName("Mars/Olympus"));
    EXPECT_FALSE(NSTimeZone::timeZoneWithName(""));

    EXPECT_EQ(NSTimeZone::timeZoneForSecondsFromGMT(0)->name(), "GMT");
    EXPECT_EQ(NSTimeZone::timeZoneForSecondsFromGMT(28800)->name(), "GMT+0800");
    EXPECT_EQ(NSTimeZone::timeZoneForSecondsFromGMT(-12600)->secondsFromGMT(), -12600);
    EXPECT_FALSE(NSTimeZone::timeZoneForSecondsFromGMT(19 * 3600));

    EXPECT_EQ(NSTimeZone::timeZoneWithAbbreviation("GMT")->secondsFromGMT(), 0);
    EXPECT_EQ(NSTimeZone::timeZoneWithAbbreviation("UTC")->secondsFromGMT(), 0);
    EXPECT_FALSE(NSTimeZone::timeZoneWithAbbreviation("XYZ"));
}

TEST_F(TimeZoneTest, offsetsFollowDaylightSaving)
{
    auto berlin = NSTimeZone::timeZoneWithName("Europe/Berlin");
    EXPECT_EQ(berlin->secondsFromGMTForDate(utcDate(2015, 1, 15)), 3600);
    EXPECT_EQ(berlin->secondsFromGMTForDate(utcDate(2015, 7, 15)), 7200);
    EXPECT_TRUE(berlin->isDaylightSavingTimeForDate(utcDate(2015, 7, 15)));
    EXPECT_EQ(berlin->daylightSavingTimeOffsetForDate(utcDate(2015, 7, 15)), 3600);
    EXPECT_TRUE(berlin->nextDaylightSavingTimeTransitionAfterDate(utcDate(2015, 1, 1))->isEqualToDate(utcDate(2015, 3, 29, 1)));
    EXPECT_FALSE(NSTimeZone::timeZoneWithName("Asia/Shanghai")->isDaylightSavingTimeForDate(utcDate(2015, 7, 15)));
}

TEST_F(TimeZoneTest, defaultZoneIsTheDevicesUntilSet)
{
    EXPECT_EQ(NSTimeZone::systemTimeZone()->name(), "Asia/Shanghai");
    EXPECT_EQ(NSTimeZone::defaultTimeZone()->name(), "Asia/Shanghai");
    NSTimeZone::setDefaultTimeZone(NSTimeZone::timeZoneWithName("Europe/Berlin"));
    EXPECT_EQ(NSTimeZone::localTimeZone()->name(), "Europe/Berlin");
    EXPECT_EQ(NSDateFormatter::create()->timeZone()->name(), "Europe/Berlin");
    EXPECT_EQ(NSTimeZone::systemTimeZone()->name(), "Asia/Shanghai");
}

using LocaleTest = DeviceSettingsTest;

TEST_F(LocaleTest, answersItsParts)
{
    auto locale = NSLocale::localeWithLocaleIdentifier("zh_CN");
    EXPECT_EQ(locale->localeIdentifier(), "zh_CN");
    EXPECT_EQ(NSString::fromId(locale->objectForKey(NSLocaleLanguageCode)), "zh");
    EXPECT_EQ(NSString::fromId(locale->objectForKey(NSLocaleCountryCode)), "CN");
    EXPECT_EQ(NSString::fromId(locale->objectForKey(NSLocaleCurrencyCode)), "CNY");
    EXPECT_EQ(NSString::fromId(locale->objectForKey(NSLocaleDecimalSeparator)), ".");
    EXPECT_EQ(NSString::fromId(NSLocale::localeWithLocaleIdentifier("de_DE")->objectForKey(NSLocaleDecimalSeparator)), ",");
    EXPECT_FALSE(locale->objectForKey(NSLocaleScriptCode));
    auto calendar = ns::cast<NSCalendar>(locale->objectForKey(NSLocaleCalendar));
    ASSERT_TRUE(calendar);
    EXPECT_EQ(calendar->calendarIdentifier(), "gregorian");
    EXPECT_FALSE(ns::cast<NSNumber>(NSLocale::localeWithLocaleIdentifier("en_US")->objectForKey(NSLocaleUsesMetricSystem))->boolValue());
}

TEST_F(LocaleTest, currentLocaleIsTheDevicesUntilSet)
{
    EXPECT_EQ(NSLocale::currentLocale()->localeIdentifier(), "zh_CN");
    EXPECT_EQ(NSString::fromId(NSLocale::preferredLanguages()->firstObject()), "zh-Hans");
    NSLocale::setCurrentLocale(NSLocale::localeWithLocaleIdentifier("en_US"));
    EXPECT_EQ(NSLocale::currentLocale()->localeIdentifier(), "en_US");
    EXPECT_EQ(NSString::fromId(NSLocale::preferredLanguages()->firstObject()), "en");
    EXPECT_EQ(NSLocale::systemLocale()->localeIdentifier(), "");
}

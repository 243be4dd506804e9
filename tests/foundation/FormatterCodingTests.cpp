// Formatters, calendars and ranges in keyed archives: what was set reads back, and settings no
// formatter could have refuse the archive.
#include "platform/foundation/NSCalendar.h"
#include "platform/foundation/NSDateFormatter.h"
#include "platform/foundation/NSKeyedArchiver.h"
#include "platform/foundation/NSKeyedUnarchiver.h"
#include "platform/foundation/NSLocale.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSNumberFormatter.h"
#include "platform/foundation/NSTimeZone.h"
#include "platform/foundation/NSValue.h"

#include <gtest/gtest.h>

namespace {

template <class T>
std::shared_ptr<T> roundTrip(const id& object)
{
    return ns::cast<T>(NSKeyedUnarchiver::unarchiveObjectWithData(NSKeyedArchiver::archivedDataWithRootObject(object)));
}

// Writes one setting under the number formatter's name, as a damaged archive could hold it.
class ForgedNumberFormatter : public NSObject, public NSCoding {
    NS_OBJECT(ForgedNumberFormatter, NSObject)
public:
    const char* key { nullptr };
    std::int64_t value { 0 };
    const char* classNameForCoder() const override { return "NSNumberFormatter"; }
    void encodeWithCoder(NSCoder& coder) const override { coder.encodeInt64(value, key); }
};

id numberFormatterWith(const char* key, std::int64_t value)
{
    auto forged = ForgedNumberFormatter::create();
    forged->key = key;
    forged->value = value;
    return NSKeyedUnarchiver::unarchiveObjectWithData(NSKeyedArchiver::archivedDataWithRootObject(forged));
}

} // namespace

TEST(FormatterCoding, numberFormattersKeepTheSettingsMade)
{
    auto formatter = NSNumberFormatter::create();
    formatter->setNumberStyle(NSNumberFormatterDecimalStyle);
    formatter->setLocale(NSLocale::localeWithLocaleIdentifier("de_DE"));
    formatter->setMaximumFractionDigits(2);
    formatter->setPositivePrefix("+");
    formatter->setRoundingMode(NSNumberFormatterRoundDown);
    auto decoded = roundTrip<NSNumberFormatter>(formatter);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->numberStyle(), NSNumberFormatterDecimalStyle);
    EXPECT_EQ(decoded->locale()->localeIdentifier(), NSString("de_DE"));
    EXPECT_EQ(decoded->roundingMode(), NSNumberFormatterRoundDown);
    EXPECT_EQ(decoded->stringFromNumber(NSNumber::numberWithDouble(1234.567)), formatter->stringFromNumber(NSNumber::numberWithDouble(1234.567)));
    EXPECT_EQ(decoded->stringFromNumber(NSNumber::numberWithDouble(1234.567)), NSString("+1.234,56"));

    EXPECT_FALSE(numberFormatterWith("NS.numberStyle", 7));
    EXPECT_FALSE(numberFormatterWith("NS.numberStyle", -1));
    EXPECT_FALSE(numberFormatterWith("NS.maximumFractionDigits", 1'000'000));
    EXPECT_FALSE(numberFormatterWith("NS.roundingMode", 9));
    EXPECT_TRUE(numberFormatterWith("NS.maximumFractionDigits", 3));
}

TEST(FormatterCoding, dateFormattersAndCalendarsKeepPatternZoneAndWeek)
{
    auto calendar = NSCalendar::calendarWithIdentifier(NSCalendarIdentifierGregorian);
    calendar->setTimeZone(NSTimeZone::timeZoneWithName("America/New_York"));
    calendar->setMinimumDaysInFirstWeek(4);
    auto formatter = NSDateFormatter::create();
    formatter->setDateFormat("yyyy-MM-dd HH:mm");
    formatter->setTimeZone(NSTimeZone::timeZoneWithName("Asia/Shanghai"));
    formatter->setCalendar(calendar);
    auto date = NSDate::dateWithTimeIntervalSinceReferenceDate(600'000'000);

    auto decoded = roundTrip<NSDateFormatter>(formatter);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->dateFormat(), NSString("yyyy-MM-dd HH:mm"));
    EXPECT_EQ(decoded->stringFromDate(date), formatter->stringFromDate(date));
    ASSERT_TRUE(decoded->calendar());
    EXPECT_EQ(decoded->calendar()->minimumDaysInFirstWeek(), 4u);
    EXPECT_EQ(decoded->calendar()->timeZone()->name(), NSString("America/New_York"));

    auto styled = NSDateFormatter::create();
    styled->setDateStyle(NSDateFormatterMediumStyle);
    styled->setLocale(NSLocale::localeWithLocaleIdentifier("zh_CN"));
    auto decodedStyled = roundTrip<NSDateFormatter>(styled);
    ASSERT_TRUE(decodedStyled);
    EXPECT_EQ(decodedStyled->dateStyle(), NSDateFormatterMediumStyle);
    EXPECT_EQ(decodedStyled->stringFromDate(date), styled->stringFromDate(date));
}

TEST(FormatterCoding, rangesTravelAsValues)
{
    auto decoded = roundTrip<NSValue>(NSValue::valueWithRange(NSMakeRange(3, 4)));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->rangeValue().location, 3u);
    EXPECT_EQ(decoded->rangeValue().length, 4u);
}

#include "framework/Source/PECalendarFormatter.h"
#include "framework/Source/PEExceptions.h"
#include "platform/foundation/Foundation.h"
#include "platform/foundation/NSKeyedArchiver.h"
#include "platform/foundation/NSKeyedUnarchiver.h"
#include "platform/foundation/NSLocale.h"
#include "platform/foundation/NSTimeZone.h"

#include <gtest/gtest.h>

namespace {

// Dates written by the same date formatter the calendar formatter uses, so the expectations do
// not depend on the locale data's medium style.
class CalendarFormatterTest : public testing::Test {
protected:
    void SetUp() override
    {
        utc = NSTimeZone::timeZoneWithName("UTC");
        gregorian = NSCalendar::calendarWithIdentifier(NSCalendarIdentifierGregorian);
        gregorian->setTimeZone(utc);
        dates = NSDateFormatter::create();
        dates->setDateFormat("yyyy-MM-dd HH:mm:ss");
        dates->setTimeZone(utc);
        dates->setLocale(NSLocale::localeWithLocaleIdentifier("en_US_POSIX"));
        formatter = PECalendarFormatter::create(dates);
        formatter->setReferenceCalendar(gregorian);
    }

    NSString format(const id& value) { return formatter->stringForObjectValue(value); }

    std::shared_ptr<NSTimeZone> utc;
    std::shared_ptr<NSCalendar> gregorian;
    std::shared_ptr<NSDateFormatter> dates;
    std::shared_ptr<PECalendarFormatter> formatter;
};

// Writes itself as calendar formatters did before they kept their date formatter.
class EarlierCalendarFormatter : public PECalendarFormatter {
    NS_OBJECT(EarlierCalendarFormatter, PECalendarFormatter)
public:
    const char* classNameForCoder() const override { return PECalendarFormatter::staticClassName(); }
    void encodeWithCoder(NSCoder& coder) const override
    {
        NSNumberFormatter::encodeWithCoder(coder);
        coder.encodeObject(referenceDate(), "PECalendarFormatter.referenceDate");
        coder.encodeInteger(static_cast<NSInteger>(referenceCalendarUnit()), "PECalendarFormatter.referenceCalendarUnit");
    }
};

} // namespace

TEST_F(CalendarFormatterTest, countsDaysFromTheReferenceDateByDefault)
{
    EXPECT_EQ(formatter->referenceCalendarUnit(), NSCalendarUnitDay);
    EXPECT_EQ(format(NSNumber::numberWithInt(31)), NSString("2001-02-01 00:00:00"));
    EXPECT_EQ(format(NSNumber::numberWithInt(-1)), NSString("2000-12-31 00:00:00"));
    EXPECT_EQ(format(NSString("3")), NSString("2001-01-04 00:00:00"));
    // Not a number: the reference date itself.
    EXPECT_EQ(format(NSNull::null()), NSString("2001-01-01 00:00:00"));
    EXPECT_EQ(format(nullptr), NSString("2001-01-01 00:00:00"));
}

TEST_F(CalendarFormatterTest, addsWholeUnitsOfTheChosenKind)
{
    formatter->setReferenceCalendarUnit(NSCalendarUnitMonth);
    EXPECT_EQ(format(NSNumber::numberWithDouble(2.9)), NSString("2001-03-01 00:00:00"));
    formatter->setReferenceDate(NSDate::dateWithTimeIntervalSinceReferenceDate(30 * 86400.0)); // 31 January
    EXPECT_EQ(format(NSNumber::numberWithInt(1)), NSString("2001-02-28 00:00:00"));
    formatter->setReferenceCalendarUnit(NSCalendarUnitHour);
    EXPECT_EQ(format(NSNumber::numberWithInt(-25)), NSString("2001-01-29 23:00:00"));
    // A combination of units sets nothing.
    formatter->setReferenceCalendarUnit(NSCalendarUnitYear | NSCalendarUnitMonth);
    EXPECT_EQ(format(NSNumber::numberWithInt(5)), NSString("2001-01-31 00:00:00"));
    formatter->setReferenceCalendarUnit(NSCalendarUnitEra);
    EXPECT_EQ(format(NSNumber::numberWithInt(0)), NSString("2001-01-31 00:00:00"));
}

TEST_F(CalendarFormatterTest, refusesUnitsThatAreNoCountOfTime)
{
    formatter->setReferenceCalendarUnit(NSCalendarUnitCalendar);
    try {
        format(NSNumber::numberWithInt(1));
        FAIL() << "no exception";
    } catch (const NSException& exception) {
        EXPECT_EQ(exception.name(), NSString(PEException));
        EXPECT_EQ(exception.reason(), NSString("Unsupported calendar unit: NSCalendarCalendarUnit"));
    }
    formatter->setReferenceCalendarUnit(NSCalendarUnitTimeZone);
    EXPECT_THROW(format(NSNumber::numberWithInt(1)), NSException);
    formatter->setDateFormatter(nullptr);
    formatter->setReferenceCalendarUnit(NSCalendarUnitDay);
    EXPECT_TRUE(format(NSNumber::numberWithInt(1)).isNil());
}

TEST_F(CalendarFormatterTest, writesWhatTheDateFormatterWritesForTheDate)
{
    auto medium = PECalendarFormatter::create();
    EXPECT_EQ(medium->dateFormatter()->dateStyle(), NSDateFormatterMediumStyle);
    EXPECT_EQ(medium->dateFormatter()->timeStyle(), NSDateFormatterMediumStyle);
    auto date = NSCalendar::currentCalendar()->dateByAddingUnit(NSCalendarUnitDay, 31,
        NSDate::dateWithTimeIntervalSinceReferenceDate(0), 0);
    EXPECT_EQ(medium->stringForObjectValue(NSNumber::numberWithInt(31)), medium->dateFormatter()->stringFromDate(date));
}

TEST_F(CalendarFormatterTest, copiesAndArchivesItsSettings)
{
    formatter->setReferenceCalendarUnit(NSCalendarUnitWeekOfYear);
    formatter->setReferenceDate(NSDate::dateWithTimeIntervalSinceReferenceDate(86400));
    auto copy = ns::cast<PECalendarFormatter>(formatter->copy());
    ASSERT_TRUE(copy);
    EXPECT_NE(copy->dateFormatter(), formatter->dateFormatter());
    EXPECT_EQ(copy->referenceCalendarUnit(), NSCalendarUnitWeekOfYear);
    EXPECT_EQ(copy->stringForObjectValue(NSNumber::numberWithInt(2)), format(NSNumber::numberWithInt(2)));

    auto back = ns::cast<PECalendarFormatter>(NSKeyedUnarchiver::unarchiveObjectWithData(NSKeyedArchiver::archivedDataWithRootObject(formatter)));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->referenceCalendarUnit(), NSCalendarUnitWeekOfYear);
    EXPECT_EQ(back->referenceDate()->timeIntervalSinceReferenceDate(), 86400);
    EXPECT_TRUE(back->dateFormatter());
}

TEST_F(CalendarFormatterTest, anEarlierArchiveKeepsItsNumberSettingsAndGetsTheDefaultDateFormatter)
{
    auto earlier = EarlierCalendarFormatter::create(dates);
    earlier->setNumberStyle(NSNumberFormatterPercentStyle);
    earlier->setMaximumFractionDigits(3);
    earlier->setReferenceCalendarUnit(NSCalendarUnitMonth);
    auto back = ns::cast<PECalendarFormatter>(NSKeyedUnarchiver::unarchiveObjectWithData(NSKeyedArchiver::archivedDataWithRootObject(earlier)));
    ASSERT_TRUE(back);
    EXPECT_STREQ(back->className(), PECalendarFormatter::staticClassName());
    EXPECT_EQ(back->numberStyle(), NSNumberFormatterPercentStyle);
    EXPECT_EQ(back->maximumFractionDigits(), 3u);
    EXPECT_EQ(back->referenceCalendarUnit(), NSCalendarUnitMonth);
    ASSERT_TRUE(back->dateFormatter());
    EXPECT_EQ(back->dateFormatter()->dateStyle(), NSDateFormatterMediumStyle);
}

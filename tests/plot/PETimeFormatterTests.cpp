#include "PlotRendering.h"

#include "framework/Source/NSNumber_PEExtensions.h"
#include "framework/Source/PEPlatformSpecificAttributedStringExtensions.h"
#include "framework/Source/PETimeFormatter.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSLocale.h"
#include "platform/foundation/NSTimeZone.h"
#include "platform/uikit/UIColor.h"

#include <gtest/gtest.h>

using namespace plottest;

TEST(PETimeFormatter, formatsSecondsAfterItsReferenceDateThroughItsDateFormatter)
{
    auto dates = NSDateFormatter::create();
    dates->setLocale(NSLocale::create("en_US_POSIX"));
    dates->setTimeZone(NSTimeZone::timeZoneWithName("Asia/Shanghai"));
    dates->setDateFormat("yyyy-MM-dd HH:mm");
    auto formatter = PETimeFormatter::create(dates);
    EXPECT_EQ(formatter->stringForObjectValue(NSNumber::numberWithInt(3600)), dates->stringFromDate(NSDate::dateWithTimeIntervalSinceReferenceDate(3600)));
    formatter->setReferenceDate(NSDate::dateWithTimeIntervalSinceReferenceDate(86400));
    EXPECT_EQ(formatter->stringForObjectValue(NSNumber::numberWithInt(60)), NSString("2001-01-02 08:01"));
    EXPECT_TRUE(formatter->stringForObjectValue(NSString("12")).isNil());
    EXPECT_TRUE(formatter->stringForObjectValue(NSNumber::numberWithDouble(std::nan(""))).isNil());
    EXPECT_TRUE(PETimeFormatter::create()->stringForObjectValue(NSNumber::numberWithInt(1)).isNil());
}

TEST(NSNumber_PEExtensions, holdsCGFloatsAsDoubles)
{
    auto number = NSNumber_PEExtensions::numberWithCGFloat(2.75);
    EXPECT_EQ(std::string(number->objCType()), "d");
    EXPECT_EQ(NSNumber_PEExtensions::cgFloatValue(*number), 2.75);
}

TEST(PEPlatformSpecificAttributedStringExtensions, drawsWithTheStringsOwnAttributes)
{
    auto attributes = NSMutableDictionary::dictionary();
    attributes->setObject(UIColor::redColor(), NSForegroundColorAttributeName);
    auto text = NSAttributedString::withString("红色", attributes);
    Picture picture = render(CGSize { 60, 30 }, 1, [&](const CGContextRef& context) {
        CGContextTranslateCTM(context, 0, 30);
        CGContextScaleCTM(context, 1, -1);
        PEPlatformSpecificAttributedStringExtensions::drawInRect(*text, CGRect { { 0, 0 }, { 60, 30 } }, context);
    });
    int reddish = 0;
    for (std::size_t y = 0; y < picture.height; ++y) {
        for (std::size_t x = 0; x < picture.width; ++x) {
            const std::uint8_t* p = &picture.pixels[y * picture.bytesPerRow + x * 4];
            reddish += std::abs(int(p[0]) - int(p[2])) > 100;
        }
    }
    EXPECT_GT(reddish, 10);
    EXPECT_EQ(UIGraphicsGetCurrentContext(), nullptr);
}

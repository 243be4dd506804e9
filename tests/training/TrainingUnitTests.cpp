#include "app/training/BookingDay.h"
#include "app/training/Goods.h"
#include "app/training/VerticalAlignmentLabel.h"
#include "app/training/VideoStudentViewController.h"
#include "platform/foundation/NSTimeZone.h"
#include "platform/text/UIFont.h"

#include <gtest/gtest.h>

TEST(BookingDays, stepAcrossMonthAndYearEndsAndLeapDays)
{
    EXPECT_EQ(BookingDay::next("2015-12-31"), NSString("2016-01-01"));
    EXPECT_EQ(BookingDay::previous("2016-01-01"), NSString("2015-12-31"));
    EXPECT_EQ(BookingDay::next("2016-02-28"), NSString("2016-02-29"));
    EXPECT_EQ(BookingDay::next("2015-02-28"), NSString("2015-03-01"));
    EXPECT_TRUE(BookingDay::next("2015-02-30").isNil());
    EXPECT_TRUE(BookingDay::previous("明天").isNil());
}

TEST(BookingDays, weekdaysDoNotMoveWithTheDevicesTimeZone)
{
    auto saved = NSTimeZone::defaultTimeZone();
    for (const char* zone : { "Asia/Shanghai", "Pacific/Auckland", "America/Los_Angeles" }) {
        NSTimeZone::setDefaultTimeZone(NSTimeZone::timeZoneWithName(zone));
        EXPECT_EQ(BookingDay::weekdayName("2015-04-15"), NSString("星期三")) << zone;
        EXPECT_EQ(BookingDay::weekdayName("2016-01-03"), NSString("星期日")) << zone;
    }
    NSTimeZone::setDefaultTimeZone(saved);
    EXPECT_EQ(BookingDay::weekdayName("2015-13-01"), NSString(""));
    // Today is written with Western digits on the Gregorian calendar.
    const NSString today = BookingDay::today();
    EXPECT_EQ(today.length(), 10u);
    EXPECT_FALSE(BookingDay::next(today).isNil());
}

TEST(GoodsPrices, fenAreWrittenAsYuanWithoutFloatingPoint)
{
    EXPECT_EQ(Goods::priceText(1990), NSString("￥19.90"));
    EXPECT_EQ(Goods::priceText(1), NSString("￥0.01"));
    EXPECT_EQ(Goods::priceText(0), NSString("￥0.00"));
    EXPECT_EQ(Goods::priceText(13107199), NSString("￥131071.99"));
    EXPECT_EQ(Goods::priceText(9007199254740993), NSString("￥90071992547409.93"));
    EXPECT_EQ(Goods::fenOfPriceText("1990"), 1990);
    EXPECT_EQ(Goods::fenOfPriceText("1990.00"), 1990);
    EXPECT_FALSE(Goods::fenOfPriceText("免费"));
    EXPECT_FALSE(Goods::fenOfPriceText(nullptr));
}

TEST(GoodsRecords, missingKeysStayNilAndAQuantityThatIsNoNumberIsNought)
{
    auto row = NSMutableDictionary::dictionary();
    row->setObject(NSString("网络理论学习服务"), NSString("GOODS_NAME"));
    row->setObject(NSString("1990"), NSString("GOODS_PRICE"));
    row->setObject(NSString("许多"), NSString("GOODS_NUM"));
    auto goods = Goods::goodsWithRow(row);
    EXPECT_EQ(goods->name, NSString("网络理论学习服务"));
    EXPECT_TRUE(goods->imgUrl.isNil());
    EXPECT_EQ(goods->num, 0);
}

TEST(VideoTimes, minutesAndSecondsThenHours)
{
    EXPECT_EQ(VideoStudentViewController::timeText(59), NSString("00:59"));
    EXPECT_EQ(VideoStudentViewController::timeText(3599), NSString("59:59"));
    EXPECT_EQ(VideoStudentViewController::timeText(3725), NSString("1:02:05"));
    EXPECT_EQ(VideoStudentViewController::timeText(-4), NSString("00:00"));
}

TEST(VerticalAlignment, textStandsAtTheTopMiddleOrBottom)
{
    auto label = VerticalAlignmentLabel::create(CGRectMake(0, 0, 200, 100));
    label->setFont(UIFont::systemFontOfSize(13));
    label->setText("暂无教练简介");
    EXPECT_EQ(label->verticalAlignment(), VerticalAlignmentMiddle);
    const CGRect middle = label->textRectForBounds(label->bounds(), 0);
    EXPECT_NEAR(middle.origin.y + middle.size.height / 2, 50, 1);
    label->setVerticalAlignment(VerticalAlignmentTop);
    EXPECT_EQ(label->textRectForBounds(label->bounds(), 0).origin.y, 0);
    label->setVerticalAlignment(VerticalAlignmentBottom);
    const CGRect bottom = label->textRectForBounds(label->bounds(), 0);
    EXPECT_EQ(bottom.origin.y + bottom.size.height, 100);
    // A value from elsewhere (an archive, a cast) outside the three centres the text.
    label->setVerticalAlignment(static_cast<VerticalAlignment>(7));
    const CGRect other = label->textRectForBounds(label->bounds(), 0);
    EXPECT_EQ(other.origin.y, middle.origin.y);
}

// The training-minutes calendar on the manual clock: grids of six rows and of a month starting
// on a Monday, marks of the records on their days in two time zones, months switched both ways,
// the owner's month winning over the first showing of today, bad days left out.
#include "library/widgets/minutescalendar/MCCalendarView.h"
#include "library/widgets/minutescalendar/NSDate_Convenience.h"
#include "platform/foundation/NSTimeZone.h"
#include "platform/foundation/TypedValues.h"
#include "platform/uikit/UIViewController.h"
#include "tests/foundation/DateTestSupport.h"
#include "tests/widgets/WidgetPictures.h"

namespace {

class MinutesCalendar : public DeviceSettingsTest {
protected:
    void SetUp() override
    {
        host = HeadlessHost::create();
        root = UIViewController::create();
        host->showRootViewController(root);
        root->view()->setBackgroundColor(UIColor::whiteColor());
    }
    std::shared_ptr<MCCalendarView> calendar()
    {
        auto view = MCCalendarView::create(CGPointMake(0, 20));
        root->view()->addSubview(view);
        return view;
    }
    static std::shared_ptr<NSDate> day(const char* text) { return NSDate_Convenience::dateFromString(text, "yyyy-MM-dd"); }
    static std::shared_ptr<NSArray> records()
    {
        auto info = [](std::initializer_list<std::pair<const char*, long long>> days) {
            auto array = NSMutableArray::array();
            for (const auto& [date, minutes] : days)
                array->addObject(ns::dictionary({ { "RECORDDATE", NSString(date) }, { "ALLEFFECTTIME", NSNumber::numberWithLongLong(minutes) } }));
            return array;
        };
        // Two days of March are not March's: one of April and one that does not parse.
        return NSArray::arrayWithObjects({ ns::dictionary({ { "MONTH", NSString("2015-03") },
                                               { "INFO", info({ { "2015-03-05", 145 }, { "2015-03-31", 60 }, { "2015-04-01", 30 }, { "2015-3-xx", 20 } }) } }),
            ns::dictionary({ { "MONTH", NSString("2015-04") }, { "INFO", info({ { "2015-04-02", 90 } }) } }) });
    }
    static std::vector<int> markedDays(const MCCalendarView& view)
    {
        std::vector<int> days;
        for (NSUInteger i = 0; view.markedDates() && i < view.markedDates()->count(); ++i)
            days.push_back(ns::intForKey(ns::dictionaryValue(view.markedDates()->objectAtIndex(i)), "day"));
        return days;
    }
    // The colour in the middle of the cell of a day of the shown month.
    std::array<uint8_t, 4> cell(const std::shared_ptr<MCCalendarView>& view, int dayOfMonth)
    {
        const int index = NSDate_Convenience::firstWeekDayInMonth(view->currentMonth()) - 2 + dayOfMonth;
        const CGFloat width = view->bounds().size.width / 7;
        const CGPoint inView = CGPointMake((index % 7) * width + 4, 60 + 46 * (index / 7) + 6);
        host->runUntilIdle();
        return host->pixelAt(view->convertPointToView(inView, nullptr));
    }
    static bool blue(const std::array<uint8_t, 4>& pixel) { return pixel[0] < 30 && pixel[1] > 90 && pixel[1] < 130 && pixel[2] > 170; }

    std::shared_ptr<HeadlessHost> host;
    std::shared_ptr<UIViewController> root;
};

TEST_F(MinutesCalendar, sixRowsAndAMondayStartInTwoTimeZones)
{
    for (const char* zone : { "Asia/Shanghai", "America/Los_Angeles" }) {
        SCOPED_TRACE(zone);
        NSTimeZone::setDefaultTimeZone(NSTimeZone::timeZoneWithName(zone));
        auto view = calendar();
        // March 2015 begins on a Sunday: 6 + 31 days need six weeks.
        view->reset(day("2015-03-10"));
        EXPECT_EQ(NSDate_Convenience::firstWeekDayInMonth(view->currentMonth()), 7);
        EXPECT_EQ(view->numRows(), 6);
        EXPECT_FLOAT_EQ(view->calendarHeight(), 6 * 46 + 61);
        // June 2015 begins on a Monday; February 2010 fills exactly four.
        view->reset(day("2015-06-20"));
        EXPECT_EQ(NSDate_Convenience::firstWeekDayInMonth(view->currentMonth()), 1);
        EXPECT_EQ(view->numRows(), 5);
        view->reset(day("2010-02-28"));
        EXPECT_EQ(NSDate_Convenience::firstWeekDayInMonth(view->currentMonth()), 1);
        EXPECT_EQ(view->numRows(), 4);
        EXPECT_EQ(NSDate_Convenience::day(view->currentMonth()), 28);
        view->removeFromSuperview();
    }
}

TEST_F(MinutesCalendar, marksOnTheirDaysAndMonthsSwitchedOnTheClockInTwoTimeZones)
{
    for (const char* zone : { "Asia/Shanghai", "America/Los_Angeles" }) {
        SCOPED_TRACE(zone);
        NSTimeZone::setDefaultTimeZone(NSTimeZone::timeZoneWithName(zone));
        auto view = calendar();
        view->setDataArray(records());
        view->reset(day("2015-03-01"));
        EXPECT_EQ(markedDays(*view), (std::vector<int> { 5, 31 }));
        EXPECT_TRUE(ns::stringForKey(ns::dictionaryValue(view->markedDates()->objectAtIndex(0)), "text").isEqualToString("145分钟"));
        EXPECT_TRUE(blue(cell(view, 5)));
        EXPECT_TRUE(blue(cell(view, 31)));
        EXPECT_FALSE(blue(cell(view, 6)));
        if (std::string(zone) == "Asia/Shanghai")
            writeWidgetPicture(*host, "minutes-calendar-march");

        view->showNextMonth();
        EXPECT_TRUE(view->isAnimating());
        // A second switch during the slide is ignored.
        view->showNextMonth();
        host->advance(0.5);
        EXPECT_FALSE(view->isAnimating());
        EXPECT_EQ(NSDate_Convenience::month(view->currentMonth()), 4);
        EXPECT_EQ(markedDays(*view), (std::vector<int> { 2 }));
        EXPECT_TRUE(blue(cell(view, 2)));
        EXPECT_FALSE(blue(cell(view, 5)));
        if (std::string(zone) == "Asia/Shanghai")
            writeWidgetPicture(*host, "minutes-calendar-april");
        // The last record: no further month.
        view->showNextMonth();
        EXPECT_FALSE(view->isAnimating());

        view->showPreviousMonth();
        host->advance(0.5);
        EXPECT_EQ(NSDate_Convenience::month(view->currentMonth()), 3);
        EXPECT_EQ(markedDays(*view), (std::vector<int> { 5, 31 }));
        EXPECT_TRUE(blue(cell(view, 31)));
        view->removeFromSuperview();
    }
}

TEST_F(MinutesCalendar, theOwnersMonthOutlivesTheFirstShowingAndAMonthWithoutRecordsHasNoMarks)
{
    NSTimeZone::setDefaultTimeZone(NSTimeZone::timeZoneWithName("Asia/Shanghai"));
    auto view = calendar();
    view->setDataArray(records());
    view->reset(day("2015-03-01"));
    host->advance(2);
    EXPECT_EQ(NSDate_Convenience::year(view->currentMonth()), 2015);
    EXPECT_EQ(NSDate_Convenience::month(view->currentMonth()), 3);
    EXPECT_EQ(markedDays(*view).size(), 2u);

    view->reset(day("2015-05-01"));
    EXPECT_TRUE(markedDays(*view).empty());
    EXPECT_FALSE(blue(cell(view, 5)));

    // A mark's day is a number of the month: text or a day past its end is drawn nowhere.
    view->markDates(NSArray::arrayWithObjects({ ns::dictionary({ { "day", NSString("12") }, { "text", NSString("30分钟") } }),
        ns::dictionary({ { "day", NSNumber::numberWithInt(40) }, { "text", NSString("10分钟") } }),
        ns::dictionary({ { "day", NSNumber::numberWithInt(14) }, { "text", NSString("50分钟") } }) }));
    EXPECT_FALSE(blue(cell(view, 12)));
    EXPECT_TRUE(blue(cell(view, 14)));
    EXPECT_FALSE(blue(cell(view, 9)));
}

} // namespace

// The paged month calendar: its day and month model, and the calendar view driven by taps on
// the headless screen, in two time zones.
#include "WidgetPictures.h"
#include "WidgetScreen.h"

#include "library/widgets/monthcalendar/CalendarDateUtil.h"
#include "library/widgets/monthcalendar/GCBaseCalendarGridView.h"
#include "library/widgets/monthcalendar/GCBaseCalendarViewFooterView.h"
#include "library/widgets/monthcalendar/GCBaseCalendarViewHeaderView.h"
#include "library/widgets/monthcalendar/GCBaseDataSourceImp.h"
#include "platform/foundation/NSTimeZone.h"

#include <filesystem>

namespace {

class ZoneGuard {
public:
    explicit ZoneGuard(const char* name) : m_saved(NSTimeZone::defaultTimeZone()) { NSTimeZone::setDefaultTimeZone(NSTimeZone::timeZoneWithName(name)); }
    ~ZoneGuard() { NSTimeZone::setDefaultTimeZone(m_saved); }

private:
    std::shared_ptr<NSTimeZone> m_saved;
};

TEST(CalendarModel, monthLengthsLeapYearsAndMonthsAcrossTheYearEnd)
{
    EXPECT_TRUE(CalendarDateUtil::isLeapYear(2000));
    EXPECT_TRUE(CalendarDateUtil::isLeapYear(2016));
    EXPECT_FALSE(CalendarDateUtil::isLeapYear(1900));
    EXPECT_FALSE(CalendarDateUtil::isLeapYear(2015));
    EXPECT_EQ(CalendarDateUtil::numberOfDaysInMonth(2, 2016), 29);
    EXPECT_EQ(CalendarDateUtil::numberOfDaysInMonth(2, 2015), 28);
    EXPECT_EQ(CalendarDateUtil::numberOfDaysInMonth(4, 2015), 30);

    auto december = GCCalMonth::initWithMonth(12, 2015, 17);
    EXPECT_EQ(december->days(), 31u);
    auto january = december->nextMonth();
    EXPECT_EQ(january->getYear(), 2016u);
    EXPECT_EQ(january->getMonth(), 1u);
    EXPECT_EQ(january->today()->getDay(), 1u);
    auto back = january->previousMonth();
    EXPECT_EQ(back->getYear(), 2015u);
    EXPECT_EQ(back->getMonth(), 12u);
    EXPECT_EQ(back->lastDay()->getDay(), 31u);
    EXPECT_FALSE(back->calDayAtDay(32));
}

TEST(CalendarModel, daysCompareNameTheirWeekdayAndCarryOver)
{
    auto sunday = GCCalDay::initWithYear(2015, 2, 1);
    EXPECT_EQ(sunday->getWeekDay(), 1u);
    EXPECT_EQ(sunday->getMeaningfulWeekDay(), 7);
    EXPECT_EQ(sunday->getWeekDayName(), NSString("Sunday"));
    EXPECT_EQ(GCCalDay::initWithYear(2015, 2, 5)->getWeekDayName(), NSString("Thursday"));
    EXPECT_EQ(GCCalDay::initWithYear(2015, 2, 5)->description(), NSString("year:2015 month:2 day:5 week:4 Thursday"));
    auto carried = GCCalDay::initWithYear(2015, 2, 30);
    EXPECT_EQ(carried->getMonth(), 3u);
    EXPECT_EQ(carried->getDay(), 2u);
    EXPECT_EQ(GCCalDay::initWithYear(2015, 12, 31)->compare(GCCalDay::initWithYear(2016, 1, 1)), -1);
    EXPECT_EQ(sunday->compare(GCCalDay::initWithYear(2015, 2, 1)), 0);
    EXPECT_TRUE(sunday->isEqualToDay(GCCalDay::initWithDate(sunday->date())));
    EXPECT_FALSE(sunday->isEqualToDay(nullptr));
}

TEST(CalendarModel, dayStepsAreCalendarDaysAcrossDaylightSavingChanges)
{
    for (const char* zone : { "Europe/Berlin", "Asia/Shanghai" }) {
        ZoneGuard guard(zone);
        auto autumn = GCCalDay::initWithYear(2015, 10, 25);
        EXPECT_EQ(autumn->nextDay()->getDay(), 26u) << zone;
        auto spring = GCCalDay::initWithYear(2015, 3, 30);
        EXPECT_EQ(spring->previousDay()->getDay(), 29u) << zone;
        auto walk = GCCalDay::initWithYear(2015, 12, 30);
        for (int i = 0; i < 3; ++i)
            walk = walk->nextDay();
        EXPECT_EQ(walk->getYear(), 2016u);
        EXPECT_EQ(walk->getDay(), 2u);
    }
}

class Chooser : public NSObject, public GCCalendarViewDelegate {
    NS_OBJECT(Chooser, NSObject)
public:
    std::vector<std::string> days;
    std::vector<int> periods;
    void calendarViewDidSelectDay(GCCalendarView&, const GCCalDayRef& day) override
    {
        days.push_back(std::to_string(day->getYear()) + "-" + std::to_string(day->getMonth()) + "-" + std::to_string(day->getDay()));
    }
    void calendarViewDidSelectPeriodType(GCCalendarView&, int period) override { periods.push_back(period); }
};

class WithFooter : public GCBaseDataSourceImp {
    NS_OBJECT(WithFooter, GCBaseDataSourceImp)
public:
    GCCalendarViewFooterViewRef footerViewForCalendarView(GCCalendarView&) override { return GCBaseCalendarViewFooterView::viewFromNib(); }
};

// Cells without a reuse identifier, counted as they are made.
class Unnamed : public GCBaseDataSourceImp {
    NS_OBJECT(Unnamed, GCBaseDataSourceImp)
public:
    int made { 0 };
    GCCalendarGridViewRef calendarGridViewForRow(GCCalendarView&, NSInteger, NSInteger, const GCCalDayRef&) override
    {
        ++made;
        return GCBaseCalendarGridView::viewFromNib();
    }
};

class MonthCalendarTest : public WidgetScreenTest {
protected:
    void open(int year, int month, int day, std::shared_ptr<GCCalendarViewDataSource> source = nullptr)
    {
        calendar = GCCalendarView::viewFromNib();
        calendar->setDataSource(source ? source : GCBaseDataSourceImp::create());
        chooser = Chooser::create();
        calendar->setDelegate(chooser);
        calendar->setMinimumDate(nullptr);
        calendar->setDate(GCCalDay::initWithYear(year, month, day)->date());
        calendar->showInView(screen());
        host->advance(0.5);
    }
    GCCalendarGridViewRef cellOfDay(NSUInteger day) { return calendar->monthGridViewsArray().at(day - 1); }
    void tapDay(NSUInteger day) { host->tap(cellOfDay(day)); }
    std::vector<NSUInteger> shownSelected()
    {
        std::vector<NSUInteger> days;
        for (const auto& cell : calendar->monthGridViewsArray())
            if (cell->selected())
                days.push_back(cell->calDay()->getDay());
        return days;
    }
    void confirm()
    {
        auto header = std::static_pointer_cast<GCBaseCalendarViewHeaderView>(calendar->calendarHeaderView());
        host->tap(header->confirmButton());
        host->advance(0.5);
    }
    void page(bool next)
    {
        auto header = calendar->calendarHeaderView();
        host->tap(next ? header->nextMonthButton() : header->previousMonthButton());
        host->advance(0.5);
    }
    NSString title() { return calendar->calendarHeaderView()->title(); }
    void snapshot(const std::string& name)
    {
        std::filesystem::create_directories(CORVANE_SNAPSHOT_DIR);
        EXPECT_TRUE(host->writePNG(NSString(std::string(CORVANE_SNAPSHOT_DIR) + "/" + name + ".png")));
    }

    GCCalendarViewRef calendar;
    std::shared_ptr<Chooser> chooser;
};

TEST_F(MonthCalendarTest, gridsPlaceTheNeighbouringDaysAroundTheMonth)
{
    open(2015, 2, 10);
    EXPECT_EQ(calendar->numberOfRows(), 4);
    EXPECT_EQ(calendar->gridViewAt(0, 0), cellOfDay(1)) << "February 2015 starts on a Sunday";
    EXPECT_EQ(calendar->gridViewAt(3, 6), cellOfDay(28)) << "and ends on a Saturday";
    EXPECT_DOUBLE_EQ(calendar->frame().size.height, 255) << "no footer";

    page(false);
    page(false);
    page(false);
    page(false);
    page(false);
    page(false);
    EXPECT_EQ(title(), NSString("2014年8月"));
    EXPECT_EQ(calendar->numberOfRows(), 6);
    auto previous = calendar->gridViewAt(0, 0);
    ASSERT_TRUE(previous);
    EXPECT_EQ(previous->calDay()->getDay(), 27u) << "August 2014 starts on a Friday";
    EXPECT_EQ(calendar->gridViewAt(0, 5), cellOfDay(1));
    EXPECT_EQ(cellOfDay(31)->frame(), CGRectMake(2, 4 + 5 * 36, 39, 31)) << "the last Sunday opens a sixth row";
}

TEST_F(MonthCalendarTest, singleSelectionKeepsToTheLimitsAcrossTheYearEndInTwoZones)
{
    for (const char* zone : { "Asia/Shanghai", "America/New_York" }) {
        ZoneGuard guard(zone);
        open(2015, 12, 22);
        calendar->setMinimumDate(GCCalDay::initWithYear(2015, 12, 20)->date());
        calendar->setMaximumDate(GCCalDay::initWithYear(2016, 1, 10)->date());
        host->advance(0.1);
        EXPECT_EQ(title(), NSString("2015年12月")) << zone;
        EXPECT_EQ(calendar->selectedDay()->getDay(), 22u) << "the opening date";

        tapDay(10);
        EXPECT_TRUE(shownSelected().empty()) << zone << ": before the minimum";
        EXPECT_EQ(calendar->selectedDay()->getDay(), 22u);
        tapDay(24);
        EXPECT_EQ(shownSelected(), std::vector<NSUInteger> { 24 });

        page(true);
        EXPECT_EQ(title(), NSString("2016年1月")) << zone;
        EXPECT_FALSE(cellOfDay(15)->selectedEanable());
        tapDay(15);
        EXPECT_TRUE(shownSelected().empty()) << "after the maximum";
        tapDay(5);
        EXPECT_EQ(shownSelected(), std::vector<NSUInteger> { 5 });
        if (std::string(zone) == "America/New_York")
            snapshot("monthcalendar-january-limits");
        confirm();
        EXPECT_TRUE(calendar->isHide());
        ASSERT_EQ(chooser->days.size(), 1u);
        EXPECT_EQ(chooser->days.back(), "2016-1-5") << zone;
        calendar->removeFromSuperview();
    }
}

TEST_F(MonthCalendarTest, escapeIsItsCancelAndPassesOnOnceItIsHidden)
{
    open(2015, 3, 10);
    tapDay(12);
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::Escape));
    host->advance(0.5);
    EXPECT_TRUE(calendar->isHide());
    EXPECT_TRUE(chooser->days.empty()) << "nothing confirmed";
    EXPECT_FALSE(host->pressKey(UIKeyboardKey::Escape));
}

TEST_F(MonthCalendarTest, aDayOutsideTheLimitsIsNeverConfirmed)
{
    open(2015, 12, 22);
    calendar->setMinimumDate(GCCalDay::initWithYear(2015, 12, 25)->date());
    host->advance(0.1);
    EXPECT_FALSE(calendar->selectedDay()) << "the opening date lies before the minimum";
    tapDay(23);
    confirm();
    EXPECT_TRUE(chooser->days.empty());
}

TEST_F(MonthCalendarTest, multipleSelectionMakesRoomAtTheFarEndOnceFull)
{
    open(2015, 3, 1);
    calendar->setAllowsMultipleSelection(true);
    calendar->setMaxSelection(3);
    for (NSUInteger day : { 5, 10, 20 })
        tapDay(day);
    EXPECT_EQ(shownSelected(), (std::vector<NSUInteger> { 5, 10, 20 }));
    tapDay(25);
    EXPECT_EQ(shownSelected(), (std::vector<NSUInteger> { 5, 10, 25 }));
    tapDay(1);
    EXPECT_EQ(shownSelected(), (std::vector<NSUInteger> { 1, 10, 25 }));
    tapDay(10);
    EXPECT_EQ(shownSelected(), (std::vector<NSUInteger> { 1, 25 })) << "a second tap lets go";
    snapshot("monthcalendar-multiple");

    page(true);
    page(false);
    EXPECT_EQ(shownSelected(), (std::vector<NSUInteger> { 1, 25 })) << "kept across months";
    EXPECT_EQ(calendar->selectedDateArray().size(), 2u);
}

TEST_F(MonthCalendarTest, draggingAcrossDaysSelectsUpToTheLimit)
{
    open(2015, 3, 1);
    calendar->setAllowsMultipleSelection(true);
    calendar->setMaxSelection(3);
    const auto centre = [&](NSUInteger day) { return cellOfDay(day)->convertPointToView(CGPointMake(19, 15), nullptr); };
    host->touchDown(centre(2));
    for (NSUInteger day = 9; day <= 30; day += 7) {
        host->advance(0.1);
        host->touchMove(centre(day));
    }
    host->touchUp(centre(30));
    EXPECT_EQ(shownSelected(), (std::vector<NSUInteger> { 9, 16, 23 }));
}

TEST_F(MonthCalendarTest, swipesPageOnlyWhenQuick)
{
    open(2015, 3, 1);
    calendar->swipe(*std::dynamic_pointer_cast<UISwipeGestureRecognizer>(calendar->gestureRecognizers().front()));
    host->advance(0.5);
    EXPECT_EQ(title(), NSString("2015年3月")) << "nothing measured yet";

    const CGPoint middle = cellOfDay(11)->convertPointToView(CGPointMake(19, 15), nullptr);
    host->swipe(middle, UISwipeDirectionHint::Left);
    host->advance(0.5);
    EXPECT_EQ(title(), NSString("2015年4月"));
    host->swipe(middle, UISwipeDirectionHint::Right);
    host->advance(0.5);
    EXPECT_EQ(title(), NSString("2015年3月"));

    host->touchDown(middle);
    host->advance(2.5);
    host->touchMove(CGPointMake(middle.x - 80, middle.y));
    host->touchMove(CGPointMake(middle.x - 160, middle.y));
    host->touchUp(CGPointMake(middle.x - 160, middle.y));
    host->advance(0.5);
    EXPECT_EQ(title(), NSString("2015年3月")) << "a slow stroke is no swipe";
}

TEST_F(MonthCalendarTest, theFooterChoosesOnePeriodAtATime)
{
    open(2015, 3, 1, WithFooter::create());
    EXPECT_GT(calendar->frame().size.height, 255);
    auto footer = calendar->calendarFooterView();
    ASSERT_TRUE(footer);
    auto threeMonths = footer->viewWithTag(3), year = footer->viewWithTag(12);
    host->tap(threeMonths);
    host->tap(threeMonths);
    host->tap(year);
    EXPECT_EQ(chooser->periods, (std::vector<int> { 3, 12 }));
    EXPECT_EQ(calendar->selectedPeriod(), 12);
    snapshot("monthcalendar-footer");
}

TEST_F(MonthCalendarTest, cellsWithoutAnIdentifierAreMadeAfreshNotRecycled)
{
    auto unnamed = Unnamed::create();
    open(2015, 3, 1, unnamed);
    page(true);
    page(true);
    EXPECT_EQ(unnamed->made, 31 + 30 + 31);
    auto stock = GCBaseDataSourceImp::create();
    open(2015, 3, 1, stock);
    const auto first = cellOfDay(1);
    page(true);
    EXPECT_EQ(cellOfDay(1)->identifier(), NSString("BaseCalendarGridView"));
    EXPECT_FALSE(cellOfDay(1)->selected()) << "recycled cells come back unselected";
}

} // namespace

namespace {

TEST_F(MonthCalendarTest, theWeekdayNamesAndASixthRowShowWhole)
{
    open(2014, 8, 10);
    ASSERT_EQ(calendar->numberOfRows(), 6);
    EXPECT_LE(CGRectGetMaxY(cellOfDay(31)->frame()), calendar->gridScrollView()->bounds().size.height);
    // The weekday names keep their feet (日, 四 and 六 lost them in a row 15 points high).
    expectWidgetMatchesReference(*host, calendar, "monthcalendar-six-rows");
}

} // namespace

namespace {

TEST(MonthCalendarStart, aNewCalendarHasTheFirstOfThisMonthSelected)
{
    auto calendar = GCCalendarView::viewFromNib();
    const auto today = GCCalDay::initWithDate(NSDate::date());
    ASSERT_TRUE(calendar->selectedDay());
    EXPECT_EQ(calendar->selectedDay()->getDay(), 1u);
    EXPECT_EQ(calendar->selectedDay()->getMonth(), today->getMonth());
    EXPECT_EQ(calendar->selectedDay()->getYear(), today->getYear());
}

} // namespace

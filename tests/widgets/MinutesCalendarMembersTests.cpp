// What the training-minutes calendar offers beside its grid: its members' setters, the week's
// first and last days, the frame a part at a time and an element moved within an array.
#include "library/widgets/minutescalendar/MCCalendarView.h"
#include "library/widgets/minutescalendar/NSDate_Convenience.h"
#include "library/widgets/minutescalendar/NSMutableArray_Convenience.h"
#include "library/widgets/minutescalendar/UIView_convenience.h"
#include "platform/foundation/NSCalendar.h"
#include "platform/foundation/TypedValues.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"

#include <gtest/gtest.h>

TEST(MinutesCalendarMembers, settersStoreWithoutRedrawingAndTheHeightStaysTheMonths)
{
    auto calendar = MCCalendarView::create(CGPointMake(0, 0));
    auto label = UILabel::create(CGRectMake(0, 0, 10, 10));
    calendar->setLabelCurrentMonth(label);
    EXPECT_EQ(calendar->labelCurrentMonth(), label);
    calendar->setIsAnimating(true);
    calendar->setPrepAnimationNextMonth(true);
    calendar->setPrepAnimationPreviousMonth(true);
    EXPECT_TRUE(calendar->isAnimating() && calendar->prepAnimationNextMonth() && calendar->prepAnimationPreviousMonth());
    auto a = UIImageView::create(CGRectZero);
    auto b = UIImageView::create(CGRectZero);
    calendar->setAnimationView_A(a);
    calendar->setAnimationView_B(b);
    EXPECT_EQ(calendar->animationView_A(), a);
    EXPECT_EQ(calendar->animationView_B(), b);
    const float height = calendar->calendarHeight();
    calendar->setCalendarHeight(1000);
    EXPECT_EQ(calendar->calendarHeight(), height);
}

TEST(MinutesCalendarMembers, theWeekStartsOnMondayAndEndsSixDaysAfterItsFirstDay)
{
    auto start = NSDate_Convenience::dateStartOfWeek();
    auto end = NSDate_Convenience::dateEndOfWeek();
    auto today = NSDate_Convenience::dateStartOfDay(NSDate::date());
    ASSERT_TRUE(start && end);
    EXPECT_EQ(NSCalendar::currentCalendar()->component(NSCalendarUnitWeekday, start), 2);
    EXPECT_TRUE(NSDate_Convenience::dateStartOfDay(start)->isEqualToDate(start));
    const double sinceStart = today->timeIntervalSinceDate(start) / 86400;
    EXPECT_GE(sinceStart, -0.1);
    EXPECT_LT(sinceStart, 6.9);
    auto gregorian = NSDate_Convenience::gregorian();
    const auto last = (gregorian->firstWeekday() + 5) % 7 + 1;
    EXPECT_EQ(gregorian->component(NSCalendarUnitWeekday, end), static_cast<NSInteger>(last));
    const double untilEnd = end->timeIntervalSinceDate(today) / 86400;
    EXPECT_GE(untilEnd, -0.1);
    EXPECT_LT(untilEnd, 6.9);
}

TEST(MinutesCalendarMembers, theFrameChangesAPartAtATimeAndSubviewsAreFoundByIdentityOrExactClass)
{
    using namespace UIView_convenience;
    auto view = UIView::create(CGRectMake(10, 20, 100, 50));
    setFrameX(*view, 5);
    setFrameHeight(*view, 60);
    EXPECT_TRUE(CGRectEqualToRect(view->frame(), CGRectMake(5, 20, 100, 60)));
    setFrameRight(*view, 200);
    setFrameBottom(*view, 300);
    EXPECT_TRUE(CGRectEqualToRect(view->frame(), CGRectMake(100, 240, 100, 60)));
    EXPECT_EQ(frameRight(*view), 200);
    EXPECT_EQ(frameBottom(*view), 300);
    setFrameOrigin(*view, CGPointMake(1, 2));
    setFrameSize(*view, CGSizeMake(3, 4));
    setFrameY(*view, 7);
    setFrameWidth(*view, 8);
    EXPECT_TRUE(CGRectEqualToRect(view->frame(), CGRectMake(1, 7, 8, 4)));

    auto label = UILabel::create(CGRectZero);
    view->addSubview(label);
    EXPECT_TRUE(containsSubView(*view, *label));
    EXPECT_FALSE(containsSubView(*view, *UILabel::create(CGRectZero)));
    EXPECT_TRUE(containsSubViewOfClassType(*view, typeid(UILabel)));
    EXPECT_FALSE(containsSubViewOfClassType(*view, typeid(UIView))) << "a subclass does not count";
}

TEST(MinutesCalendarMembers, anElementMovesToItsPlaceOrToTheEnd)
{
    auto array = NSMutableArray::array();
    for (int i = 0; i < 7; ++i)
        array->addObject(ns::number(i));
    auto order = [&] {
        std::string text;
        for (NSUInteger i = 0; i < array->count(); ++i)
            text += std::to_string(ns::intValue(array->objectAtIndex(i)));
        return text;
    };
    NSMutableArray_Convenience::moveObjectFromIndex(*array, 0, 6);
    EXPECT_EQ(order(), "1234560");
    NSMutableArray_Convenience::moveObjectFromIndex(*array, 3, 3);
    EXPECT_EQ(order(), "1234560");
    NSMutableArray_Convenience::moveObjectFromIndex(*array, 5, 1);
    EXPECT_EQ(order(), "1623450");
    NSMutableArray_Convenience::moveObjectFromIndex(*array, 0, 40);
    EXPECT_EQ(order(), "6234501");
    NSMutableArray_Convenience::moveObjectFromIndex(*array, 40, 0);
    EXPECT_EQ(order(), "6234501");
}

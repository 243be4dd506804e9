#include "platform/host/HeadlessHost.h"
#include "platform/uikit/UIDatePicker.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIScrollView.h"
#include "tests/uikit/PickerTurnSpacings.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <optional>

namespace {

class DatePickerScreen : public testing::Test {
protected:
    void SetUp() override
    {
        host = HeadlessHost::create();
        root = UIViewController::create();
        host->showRootViewController(root);
        root->view()->setBackgroundColor(UIColor::whiteColor());
        calendar = NSCalendar::calendarWithIdentifier(NSCalendarIdentifierGregorian);
        calendar->setTimeZone(NSTimeZone::timeZoneWithName("Asia/Shanghai"));
        picker = UIDatePicker::create(CGRectMake(0, 60, 320, 216));
        picker->setTimeZone(NSTimeZone::timeZoneWithName("Asia/Shanghai"));
        picker->setLocale(NSLocale::localeWithLocaleIdentifier("zh_CN"));
        picker->setDatePickerMode(UIDatePickerMode::Date);
        picker->addTarget(nullptr, UIControl::Action([this](UIControl&, const UIEventRef&) {
            ++changes;
            sent = picker->date();
        }),
            UIControlEventValueChanged);
        root->view()->addSubview(picker);
    }

    std::shared_ptr<NSDate> day(NSInteger year, NSInteger month, NSInteger dayOfMonth, NSInteger hour = 12)
    {
        return calendar->dateWithEra(1, year, month, dayOfMonth, hour, 0, 0, 0);
    }
    NSString shown(NSInteger component)
    {
        const auto& wheels = picker->pickerView();
        auto view = wheels->viewForRow(wheels->selectedRowInComponent(component), component);
        return view ? view->visibleText() : NSString();
    }
    // The centre of a component's wheel on the screen.
    CGPoint wheelCentre(NSInteger component)
    {
        const CGRect frame = picker->pickerView()->wheelForComponent(component)->frame();
        return CGPointMake(CGRectGetMidX(frame), 60 + CGRectGetMidY(frame));
    }

    // Turns a wheel of year, month and day from the start's row to the last and back, a frame's
    // worth of turns at each spacing: every turn is one row on once the clock has moved, and
    // when the wheels rest, they, the date and the last date sent all agree.
    void expectEveryTurnMovesOneRow(NSInteger component, const std::shared_ptr<NSDate>& start, NSInteger last,
        const std::function<bool(NSInteger direction)>& turn)
    {
        const auto& wheels = picker->pickerView();
        for (const double spacing : picker_turns::kSpacings) {
            SCOPED_TRACE(testing::Message() << "component " << component << ", turns " << spacing << " s apart");
            picker->setDate(start);
            wheels->setKeyComponent(component);
            host->runUntilIdle();
            const NSInteger first = wheels->selectedRowInComponent(component);
            NSInteger row = first, direction = 1;
            changes = 0;
            std::vector<int> lost;
            for (int turned = 1; turned <= picker_turns::kTurnsAcrossAFrame; ++turned) {
                direction = row == last ? -1 : row == first ? 1 : direction;
                ASSERT_TRUE(turn(direction));
                row += direction;
                host->advance(picker_turns::after(spacing, turned));
                if (wheels->selectedRowInComponent(component) != row) {
                    lost.push_back(turned);
                    row = wheels->selectedRowInComponent(component);
                }
            }
            EXPECT_EQ(lost, std::vector<int> {}) << "turns that moved nothing";
            host->runUntilIdle();
            EXPECT_EQ(wheels->selectedRowInComponent(component), row);
            expectWheelsShowTheDate();
            ASSERT_GT(changes, 0);
            EXPECT_EQ(sent->timeIntervalSinceReferenceDate(), picker->date()->timeIntervalSinceReferenceDate());
        }
    }
    void expectWheelsShowTheDate()
    {
        const auto parts = calendar->components(NSCalendarUnitYear | NSCalendarUnitMonth | NSCalendarUnitDay, picker->date());
        const auto& wheels = picker->pickerView();
        EXPECT_EQ(wheels->selectedRowInComponent(0), parts->year() - 1900);
        EXPECT_EQ(wheels->selectedRowInComponent(1), parts->month() - 1);
        EXPECT_EQ(wheels->selectedRowInComponent(2), parts->day() - 1);
    }
    NSInteger dayOfMonth() { return calendar->component(NSCalendarUnitDay, picker->date()); }

    std::shared_ptr<HeadlessHost> host;
    std::shared_ptr<UIViewController> root;
    std::shared_ptr<NSCalendar> calendar;
    UIDatePickerRef picker;
    int changes { 0 };
    std::shared_ptr<NSDate> sent;
};

} // namespace

TEST_F(DatePickerScreen, showsYearMonthAndDayWithTheChineseLabels)
{
    picker->setDate(day(2026, 12, 6));
    host->runUntilIdle();
    ASSERT_EQ(picker->pickerView()->numberOfComponents(), 3);
    EXPECT_EQ(shown(0), NSString("2026年"));
    EXPECT_EQ(shown(1), NSString("12月"));
    EXPECT_EQ(shown(2), NSString("6日"));

    picker->setDatePickerMode(UIDatePickerMode::DateAndTime);
    picker->setDate(day(2015, 3, 8, 9));
    ASSERT_EQ(picker->pickerView()->numberOfComponents(), 3);
    EXPECT_EQ(shown(0), NSString("3月8日 周日"));
    EXPECT_EQ(shown(1), NSString("9"));
    EXPECT_EQ(shown(2), NSString("00"));

    picker->setDatePickerMode(UIDatePickerMode::Time);
    EXPECT_EQ(picker->pickerView()->numberOfComponents(), 2) << "hours to 24 in zh_CN";
    picker->setLocale(NSLocale::localeWithLocaleIdentifier("en_US"));
    ASSERT_EQ(picker->pickerView()->numberOfComponents(), 3);
    EXPECT_EQ(shown(2), NSString("AM"));
    picker->setDatePickerMode(UIDatePickerMode::Date);
    EXPECT_EQ(shown(0), NSString("March")) << "en_US writes the month first";
    EXPECT_EQ(changes, 0) << "dates set in code send no event";
}

TEST_F(DatePickerScreen, refusesToSettleBeforeTheMinimumDate)
{
    const auto minimum = day(2026, 12, 6, 8);
    picker->setMinimumDate(minimum);
    picker->setDate(day(2026, 12, 20));
    host->runUntilIdle();
    EXPECT_EQ(shown(2), NSString("20日"));

    // A flick down the day wheel spins it back to the first of the month.
    host->drag(wheelCentre(2), CGPointMake(wheelCentre(2).x, wheelCentre(2).y + 200), 0.05);
    host->runUntilIdle();
    EXPECT_EQ(picker->date()->timeIntervalSinceReferenceDate(), minimum->timeIntervalSinceReferenceDate());
    EXPECT_EQ(shown(2), NSString("6日")) << "rolled back to the minimum";
    EXPECT_EQ(changes, 1);

    // The year before is grey and refused too; the date stays, so no event.
    auto previousYear = std::static_pointer_cast<UILabel>(picker->pickerView()->viewForRow(2025 - 1900, 0));
    ASSERT_TRUE(previousYear);
    EXPECT_NE(previousYear->textColor(), UIColor::blackColor());
    host->drag(wheelCentre(0), CGPointMake(wheelCentre(0).x, wheelCentre(0).y + 40), 0.5);
    host->advance(0.05);
    host->runUntilIdle();
    EXPECT_EQ(shown(0), NSString("2026年"));
    EXPECT_EQ(picker->date()->timeIntervalSinceReferenceDate(), minimum->timeIntervalSinceReferenceDate());
    EXPECT_EQ(changes, 1);
}

TEST_F(DatePickerScreen, aDayTheMonthLacksTurnsBackToItsLastDay)
{
    picker->setDate(day(2026, 1, 31));
    host->runUntilIdle();
    host->tap(CGPointMake(wheelCentre(1).x, wheelCentre(1).y + 32)); // the month below: February
    host->runUntilIdle();
    EXPECT_EQ(shown(1), NSString("2月"));
    EXPECT_EQ(shown(2), NSString("28日"));
    EXPECT_EQ(picker->date()->timeIntervalSinceReferenceDate(), day(2026, 2, 28)->timeIntervalSinceReferenceDate());
    EXPECT_EQ(changes, 1);
}

TEST_F(DatePickerScreen, daysTheChosenMonthLacksAreGreyWithoutLimitsToo)
{
    const auto dayColour = [&](NSInteger dayOfMonth) {
        auto label = std::static_pointer_cast<UILabel>(picker->pickerView()->viewForRow(dayOfMonth - 1, 2));
        return label ? label->textColor() : nullptr;
    };
    // The wheels make views only for the rows in sight, around the day shown.
    picker->setDate(day(2026, 4, 30));
    host->runUntilIdle();
    EXPECT_EQ(dayColour(30), UIColor::blackColor());
    ASSERT_TRUE(dayColour(31));
    EXPECT_NE(dayColour(31), UIColor::blackColor()) << "no 31日 in April";
    picker->setDate(day(2026, 2, 28));
    host->runUntilIdle();
    EXPECT_EQ(dayColour(28), UIColor::blackColor());
    for (NSInteger missing : { 29, 30 }) {
        ASSERT_TRUE(dayColour(missing));
        EXPECT_NE(dayColour(missing), UIColor::blackColor()) << missing << "日 in February";
    }
}

TEST_F(DatePickerScreen, datesSetInCodeAreKeptWithinTheLimits)
{
    picker->setMaximumDate(day(2027, 1, 1));
    picker->setDate(day(2030, 5, 5), true);
    host->runUntilIdle();
    EXPECT_EQ(picker->date()->timeIntervalSinceReferenceDate(), day(2027, 1, 1)->timeIntervalSinceReferenceDate());
    EXPECT_EQ(shown(0), NSString("2027年"));
    picker->setMinimumDate(day(2027, 3, 1));
    EXPECT_EQ(picker->date()->timeIntervalSinceReferenceDate(), day(2027, 3, 1)->timeIntervalSinceReferenceDate())
        << "a maximum before the minimum gives way";
    picker->setDate(nullptr);
    EXPECT_TRUE(picker->date());
    EXPECT_EQ(changes, 0);
}

TEST_F(DatePickerScreen, timeWheelsChangeTheTimeOfTheDayShown)
{
    picker->setLocale(NSLocale::localeWithLocaleIdentifier("en_US"));
    picker->setDatePickerMode(UIDatePickerMode::Time);
    picker->setDate(day(2026, 12, 6, 9));
    host->runUntilIdle();
    ASSERT_EQ(shown(2), NSString("AM"));
    host->tap(CGPointMake(wheelCentre(2).x, wheelCentre(2).y + 32)); // PM
    host->runUntilIdle();
    EXPECT_EQ(picker->date()->timeIntervalSinceReferenceDate(), day(2026, 12, 6, 21)->timeIntervalSinceReferenceDate());
    picker->pickerView()->selectRow(1, 0, false); // wheels turned in code tell nobody
    host->tap(CGPointMake(wheelCentre(0).x, wheelCentre(0).y - 32)); // hour 12 at the top of the wheel
    host->runUntilIdle();
    EXPECT_EQ(shown(0), NSString("12"));
    EXPECT_EQ(picker->date()->timeIntervalSinceReferenceDate(), day(2026, 12, 6, 12)->timeIntervalSinceReferenceDate())
        << "twelve after noon is noon";
    EXPECT_EQ(changes, 2);

    picker->setLocale(NSLocale::localeWithLocaleIdentifier("zh_CN"));
    picker->setDatePickerMode(UIDatePickerMode::DateAndTime);
    picker->setDate(calendar->dateWithEra(1, 2015, 3, 8, 9, 30, 15, 0));
    host->runUntilIdle();
    host->tap(CGPointMake(wheelCentre(0).x, wheelCentre(0).y + 32)); // the next day
    host->runUntilIdle();
    EXPECT_EQ(shown(0), NSString("3月9日 周一"));
    EXPECT_EQ(picker->date()->timeIntervalSinceReferenceDate(),
        calendar->dateWithEra(1, 2015, 3, 9, 9, 30, 0, 0)->timeIntervalSinceReferenceDate())
        << "the wheels pick whole minutes";
    EXPECT_EQ(changes, 3);
}

TEST_F(DatePickerScreen, looksLikeWheelsWithChineseText)
{
    picker->setDate(day(2026, 12, 6));
    host->runUntilIdle();
    const auto path = std::filesystem::temp_directory_path() / "corvane-date-picker.png";
    ASSERT_TRUE(host->writePNG(path.string()));
    // The band's hairlines run across the picker.
    const CGFloat top = 60 + 92;
    const auto line = host->pixelAt(CGPointMake(10, top + 0.25));
    EXPECT_LT(line[0], 240);
    EXPECT_EQ(host->pixelAt(CGPointMake(10, top + 16))[0], 255);
    // Dark ink in the band, paler ink two rows away.
    const auto darkest = [&](CGFloat y) {
        int least = 255;
        for (CGFloat x = 36; x < 284; x += 0.5)
            least = std::min<int>(least, host->pixelAt(CGPointMake(x, y))[0]);
        return least;
    };
    int band = 255, away = 255;
    for (CGFloat dy = 6; dy < 26; dy += 1) {
        band = std::min(band, darkest(top + dy));
        away = std::min(away, darkest(top - 64 + dy));
    }
    EXPECT_LT(band, 60);
    EXPECT_GT(away, band + 40);
}

TEST_F(DatePickerScreen, everyArrowPressTurnsTheYearMonthOrDayWheelOneRow)
{
    const auto press = [&](NSInteger direction) {
        return host->pressKey(direction > 0 ? UIKeyboardKey::DownArrow : UIKeyboardKey::UpArrow);
    };
    expectEveryTurnMovesOneRow(0, day(2020, 3, 1), 2031 - 1900, press);
    expectEveryTurnMovesOneRow(1, day(2020, 1, 1), 11, press);
    expectEveryTurnMovesOneRow(2, day(2020, 3, 1), 30, press);
}

TEST_F(DatePickerScreen, everyNotchOfTheMouseWheelTurnsTheMonthWheelOneRow)
{
    expectEveryTurnMovesOneRow(1, day(2020, 1, 1), 11, [&](NSInteger direction) {
        return host->scrollWheelNotches(wheelCentre(1), CGPointMake(0, CGFloat(direction)));
    });
}

TEST_F(DatePickerScreen, aMonthWithoutTheDayShownTakesItsLastDayWhilePressesGoOnTurningTheMonths)
{
    for (const double spacing : picker_turns::kSpacings) {
        SCOPED_TRACE(testing::Message() << "presses " << spacing << " s apart");
        picker->setDate(day(2020, 1, 31));
        picker->pickerView()->setKeyComponent(1);
        host->runUntilIdle();
        for (int pressed = 1; pressed <= 11; ++pressed) {
            ASSERT_TRUE(host->pressKey(UIKeyboardKey::DownArrow));
            host->advance(picker_turns::after(spacing, pressed));
            EXPECT_EQ(picker->pickerView()->selectedRowInComponent(1), pressed);
        }
        host->runUntilIdle();
        EXPECT_EQ(calendar->component(NSCalendarUnitMonth, picker->date()), 12);
        expectWheelsShowTheDate();
        // A wheel that came to rest on February took its 29th; one turned past it kept the 31st.
        if (spacing > 0.3)
            EXPECT_EQ(dayOfMonth(), 29);
        else
            EXPECT_TRUE(dayOfMonth() == 29 || dayOfMonth() == 31) << dayOfMonth();
        EXPECT_EQ(sent->timeIntervalSinceReferenceDate(), picker->date()->timeIntervalSinceReferenceDate());
    }

    // The year wheel too: from the 29th of February of a leap year to the 28th of the next.
    picker->setDate(day(2020, 2, 29));
    picker->pickerView()->setKeyComponent(0);
    host->runUntilIdle();
    ASSERT_TRUE(host->pressKey(UIKeyboardKey::DownArrow));
    host->runUntilIdle();
    EXPECT_EQ(picker->date()->timeIntervalSinceReferenceDate(), day(2021, 2, 28)->timeIntervalSinceReferenceDate());
    expectWheelsShowTheDate();
}

TEST_F(DatePickerScreen, aWheelStillSpinningWhenAnotherComesToRestSpinsOnToWhereItWouldHaveAlone)
{
    const auto flickDays = [&] {
        host->drag(wheelCentre(2), CGPointMake(wheelCentre(2).x, wheelCentre(2).y - 120), 0.1);
    };
    picker->setDate(day(2020, 3, 1));
    host->runUntilIdle();
    flickDays();
    host->runUntilIdle();
    const NSInteger alone = dayOfMonth();
    ASSERT_GT(alone, 3);

    // The month wheel, a notch on, comes to rest while the flicked day wheel still spins.
    picker->setDate(day(2020, 3, 1));
    host->runUntilIdle();
    changes = 0;
    ASSERT_TRUE(host->scrollWheelNotches(wheelCentre(1), CGPointMake(0, 1)));
    host->advance(0.15);
    flickDays();
    host->runUntilIdle();
    EXPECT_EQ(picker->date()->timeIntervalSinceReferenceDate(), day(2020, 4, alone)->timeIntervalSinceReferenceDate());
    expectWheelsShowTheDate();
    EXPECT_EQ(sent->timeIntervalSinceReferenceDate(), picker->date()->timeIntervalSinceReferenceDate());
}

TEST_F(DatePickerScreen, aWheelDraggedAwayAndBackWhileAnotherComesToRestStillShowsTheDate)
{
    picker->setDate(day(2020, 3, 10));
    host->runUntilIdle();
    changes = 0;
    // The day wheel held two rows on while the month wheel, a notch on, comes to rest; then
    // brought back to the 10th.
    const CGPoint held = wheelCentre(2);
    host->touchDown(held);
    ASSERT_TRUE(host->scrollWheelNotches(wheelCentre(1), CGPointMake(0, 1)));
    for (int frame = 1; frame <= 20; ++frame) {
        host->advance(1.0 / 60);
        host->touchMove(CGPointMake(held.x, held.y - 4 * frame));
    }
    for (int frame = 19; frame >= 0; --frame) {
        host->advance(1.0 / 60);
        host->touchMove(CGPointMake(held.x, held.y - 4 * frame));
    }
    host->advance(0.3);
    host->touchUp(held);
    host->runUntilIdle();
    EXPECT_EQ(picker->date()->timeIntervalSinceReferenceDate(), day(2020, 4, 10)->timeIntervalSinceReferenceDate());
    expectWheelsShowTheDate();
    EXPECT_EQ(sent->timeIntervalSinceReferenceDate(), picker->date()->timeIntervalSinceReferenceDate());
}

TEST_F(DatePickerScreen, aDayDraggedWhileTheMonthTakesADownPressFollowsTheFingerAndOnlyThenTakesTheMonthsLastDay)
{
    picker->setDate(day(2020, 5, 31));
    picker->pickerView()->setKeyComponent(1);
    host->runUntilIdle();
    changes = 0;
    // Down on the month and at once a finger on the day wheel, three rows down while June comes
    // to rest, then back up to the 31st.
    ASSERT_TRUE(host->pressKey(UIKeyboardKey::DownArrow));
    const auto days = std::static_pointer_cast<UIScrollView>(picker->pickerView()->wheelForComponent(2));
    const CGPoint held = wheelCentre(2);
    host->touchDown(held);
    // Where the finger holds the wheel's content, looked at in each frame before and after the
    // finger moves.
    std::optional<CGFloat> grip;
    std::vector<int> astray;
    CGFloat finger = held.y;
    const auto look = [&](int frame) {
        if (!days->isDragging())
            return;
        if (!grip)
            grip = days->contentOffset().y + finger;
        else if (std::abs(days->contentOffset().y + finger - *grip) > 0.01 && (astray.empty() || astray.back() != frame))
            astray.push_back(frame);
    };
    for (int frame = 1; frame <= 24; ++frame) {
        host->advance(1.0 / 60);
        look(frame);
        finger = held.y + 4 * frame;
        host->touchMove(CGPointMake(held.x, finger));
        look(frame);
    }
    ASSERT_TRUE(grip) << "the drag never began";
    EXPECT_EQ(astray, std::vector<int> {}) << "frames in which the day wheel left the finger";
    EXPECT_EQ(shown(1), NSString("6月"));
    EXPECT_EQ(shown(2), NSString("28日")) << "the day wheel where the finger took it";
    for (int frame = 23; frame >= 0; --frame) {
        host->advance(1.0 / 60);
        host->touchMove(CGPointMake(held.x, held.y + 4 * frame));
    }
    host->advance(0.3);
    host->touchUp(held);
    host->runUntilIdle();
    EXPECT_EQ(shown(2), NSString("30日"));
    EXPECT_EQ(picker->date()->timeIntervalSinceReferenceDate(), day(2020, 6, 30)->timeIntervalSinceReferenceDate());
    expectWheelsShowTheDate();
    ASSERT_GT(changes, 0);
    EXPECT_EQ(sent->timeIntervalSinceReferenceDate(), picker->date()->timeIntervalSinceReferenceDate());
}

TEST_F(DatePickerScreen, aDayDraggedToItsRowWhileTheMonthTakesANotchIsTheDateAndTheLastChangeSent)
{
    picker->setDate(day(2020, 3, 31));
    host->runUntilIdle();
    changes = 0;
    ASSERT_TRUE(host->scrollWheelNotches(wheelCentre(1), CGPointMake(0, 1)));
    // Five rows down the day wheel, past the few points before a drag begins.
    const CGPoint held = wheelCentre(2);
    host->touchDown(held);
    for (int frame = 1; frame <= 30; ++frame) {
        host->advance(1.0 / 60);
        host->touchMove(CGPointMake(held.x, held.y + (5 * 32 + 10) * frame / 30.0));
    }
    host->advance(0.3);
    host->touchUp(CGPointMake(held.x, held.y + 5 * 32 + 10));
    host->runUntilIdle();
    EXPECT_EQ(shown(1), NSString("4月"));
    EXPECT_EQ(shown(2), NSString("26日"));
    EXPECT_EQ(picker->date()->timeIntervalSinceReferenceDate(), day(2020, 4, 26)->timeIntervalSinceReferenceDate());
    expectWheelsShowTheDate();
    ASSERT_GT(changes, 0);
    EXPECT_EQ(sent->timeIntervalSinceReferenceDate(), picker->date()->timeIntervalSinceReferenceDate());
    const auto path = std::filesystem::temp_directory_path() / "corvane-date-picker-dragged-day.png";
    EXPECT_TRUE(host->writePNG(path.string()));
}

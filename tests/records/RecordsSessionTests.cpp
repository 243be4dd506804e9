// Scripted sessions of the learner with the training hours and appeals against the stand-in: the
// hours per subject, the calendar of minutes switched forward and back, a day's records, an
// appeal filed and listed, a second appeal of the same record refused.
#include "tests/app/ClientSession.h"

#include "app/records/AppealCalendarViewController.h"
#include "app/records/AppealProcessViewController.h"
#include "app/records/AppealQueryViewController.h"
#include "app/records/AppealResultViewController.h"
#include "app/records/HoursViewController.h"
#include "library/widgets/minutescalendar/NSDate_Convenience.h"
#include "platform/foundation/TypedValues.h"
#include "platform/uikit/UITextView.h"

#include <filesystem>

namespace {

class RecordsSession : public ClientSession {
protected:
    bool settled()
    {
        return waitUntil([this] { return requestsUnderWay <= 0; });
    }
    void picture(const std::string& name)
    {
        host->advance(1.5);
        const std::filesystem::path folder = CORVANE_SCREENS_DIR;
        std::filesystem::create_directories(folder);
        EXPECT_TRUE(host->writePNG(NSString((folder / ("records-" + name + ".png")).string()))) << name;
    }
    void tapText(const char* text)
    {
        auto view = host->findViewWithText(text);
        ASSERT_TRUE(view) << text;
        host->tap(view);
        host->advance(0.5);
        settled();
        host->advance(0.5);
    }
};

TEST_F(RecordsSession, HoursCalendarRecordsAndAppeals)
{
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    tapText("查学时");
    auto hours = top<HoursViewController>();
    ASSERT_TRUE(hours);
    ASSERT_EQ(hours->hours()->count(), 3u);
    picture("hours");

    // Subject two's appeals are open.
    auto second = UIButton::buttonWithType(UIButtonTypeCustom);
    second->setTag(1);
    hours->appealEvent(*second);
    host->advance(0.5);
    settled();
    host->advance(0.5);
    auto calendar = top<AppealCalendarViewController>();
    ASSERT_TRUE(calendar);
    auto view = calendar->calendarView();
    EXPECT_EQ(NSDate_Convenience::month(view->currentMonth()), 3);
    ASSERT_EQ(view->markedDates()->count(), 4u);
    EXPECT_TRUE(ns::stringForKey(ns::dictionaryValue(view->markedDates()->objectAtIndex(0)), "text").isEqualToString("145分钟"));
    picture("calendar-march");
    view->showNextMonth();
    host->advance(0.5);
    EXPECT_EQ(NSDate_Convenience::month(view->currentMonth()), 4);
    EXPECT_EQ(view->markedDates()->count(), 2u);
    picture("calendar-april");
    view->showPreviousMonth();
    host->advance(0.5);
    EXPECT_EQ(NSDate_Convenience::month(view->currentMonth()), 3);

    view->selectDate(5);
    host->advance(0.5);
    settled();
    host->advance(0.5);
    auto query = top<AppealQueryViewController>();
    ASSERT_TRUE(query);
    ASSERT_EQ(query->records()->count(), 2u);
    picture("day-records");

    auto first = UIButton::buttonWithType(UIButtonTypeCustom);
    first->setTag(0);
    query->appealEvent(*first);
    settled();
    host->advance(0.5);
    auto process = top<AppealProcessViewController>();
    ASSERT_TRUE(process);
    settled();
    host->advance(1);
    process->reasonView()->setText("上午实际训练一个半小时，终端少记了时间。");
    picture("appeal-form");
    tapText("提交申诉");
    auto result = top<AppealResultViewController>();
    ASSERT_TRUE(result);
    settled();
    host->advance(0.5);
    ASSERT_EQ(result->appeals()->count(), 3u);
    EXPECT_TRUE(ns::stringForKey(ns::dictionaryValue(result->appeals()->objectAtIndex(0)), "STATENAME").isEqualToString("处理中"));
    picture("appeal-results");

    navigation()->popToViewController(query, false);
    host->advance(0.5);
    query->appealEvent(*first);
    host->advance(0.2);
    settled();
    EXPECT_TRUE(hudText().isEqualToString("该记录已在申诉处理中"));
    picture("appeal-refused");
    EXPECT_TRUE(top<AppealQueryViewController>());
}

} // namespace

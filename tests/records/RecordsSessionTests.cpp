// Scripted sessions of the learner with the training hours and appeals against the stand-in: the
// hours per subject, the calendar of minutes switched forward and back, a day's records, an
// appeal filed and listed, a second appeal of the same record refused; the school and a coach
// evaluated with half stars, a letter sent, a notice read as a card; the stand-in gone or
// refusing, with nothing the learner wrote lost.
#include "tests/records/RecordsSession.h"

#include "app/records/AppealCalendarViewController.h"
#include "app/records/AppealProcessViewController.h"
#include "app/records/AppealQueryViewController.h"
#include "app/records/AppealResultViewController.h"
#include "app/records/CoachEvalDetailViewController.h"
#include "app/records/CoachEvaluateViewController.h"
#include "app/records/HoursViewController.h"
#include "app/records/MailViewController.h"
#include "app/records/MyMessageViewController.h"
#include "app/records/SchoolEvaluateViewController.h"
#include "app/stores/NoticeManager.h"
#include "library/widgets/minutescalendar/NSDate_Convenience.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/TypedValues.h"
#include "platform/uikit/UITextView.h"

#include <algorithm>
#include <filesystem>

namespace {

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
    // The record's photos are the learner's own, fetched at addresses that carry the session.
    ASSERT_EQ(process->photoViews().size(), 2u);
    EXPECT_TRUE(waitUntil([&] { return std::ranges::all_of(process->photoViews(), [](const auto& photo) { return photo->image() != nullptr; }); }));
    typeInto(process->reasonView(), "上午实际训练一个半小时，终端少记了时间。");
    hideKeyboard();
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

TEST_F(RecordsSession, SchoolEvaluatedWithHalfStarsAndTheHomeToasts)
{
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    tapText("驾校评价");
    auto form = top<SchoolEvaluateViewController>();
    ASSERT_TRUE(form);
    // The home passes the service's items.
    ASSERT_TRUE(form->itemArray());
    ASSERT_EQ(form->form()->stars().size(), 5u);
    EXPECT_TRUE(form->form()->itemIds().isEqualToString("01,02,03,04,05"));

    const auto& stars = form->form()->stars();
    tapStar(stars[0], 4, false);
    tapStar(stars[1], 3, true);
    tapStar(stars[2], 4, true);
    tapStar(stars[3], 2, false);
    // An item left out is refused before anything is sent.
    press("提交评价");
    EXPECT_TRUE(hudText().isEqualToString("请为每一项打分"));
    EXPECT_TRUE(top<SchoolEvaluateViewController>());
    host->advance(1.5);
    tapStar(stars[4], 4, false);
    EXPECT_TRUE(form->form()->scores().isEqualToString("5,3.5,4.5,3,5"));
    typeInto(form->form()->commentView(), "教练认真负责，场地宽敞，就是周末排队的人多了一点。");
    picture("school-evaluation");
    hideKeyboard();

    int heard = 0;
    auto listener = NSNotificationCenter::defaultCenter()->addObserverForName("SCHOOL_EVALUATE_SUCCESS", nullptr, nullptr,
        [&heard](const std::shared_ptr<NSNotification>&) { ++heard; });
    press("提交评价");
    EXPECT_TRUE(top<MainViewController>());
    EXPECT_EQ(heard, 1);
    NSNotificationCenter::defaultCenter()->removeObserver(listener);
    // The home answers with its toast.
    NSNotificationCenter::defaultCenter()->postNotificationName("SCHOOL_EVALUATE_SUCCESS", nullptr);
    host->advance(0.3);
    EXPECT_TRUE(host->findViewWithText("评价成功！"));
    shotNow("school-evaluation-toast");
    const auto saved = std::ranges::count_if(standIn.requests(), [](const auto& request) {
        return request.body.find("saveEnEvaluateMethod") != std::string::npos && request.body.find("3.5") != std::string::npos;
    });
    EXPECT_EQ(saved, 1);

    // The home now knows the school is evaluated.
    host->advance(2);
    press("驾校评价");
    EXPECT_TRUE(hudText().isEqualToString("驾校已评价!"));
    EXPECT_TRUE(top<MainViewController>());
}

TEST_F(RecordsSession, CoachEvaluatedAndARefusalKeepsTheForm)
{
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    tapText("教练评价");
    auto list = top<CoachEvaluateViewController>();
    ASSERT_TRUE(list);
    ASSERT_EQ(list->coaches()->count(), 3u);
    ASSERT_EQ(list->taps().size(), 3u);
    EXPECT_TRUE(ns::stringForKey(list->taps()[0]->data(), "EMPLOYEEID").isEqualToString("JL0001"));
    EXPECT_TRUE(list->taps()[2]->memo().isEqualToString("已评价"));
    picture("coaches");

    // An evaluated coach opens nothing.
    host->tap(list->taps()[2]->view());
    host->advance(0.3);
    EXPECT_TRUE(top<CoachEvaluateViewController>());
    host->advance(1.5);

    host->tap(list->taps()[0]->view());
    host->advance(0.5);
    settled();
    host->advance(0.5);
    auto detail = top<CoachEvalDetailViewController>();
    ASSERT_TRUE(detail);
    ASSERT_TRUE(detail->form());
    ASSERT_EQ(detail->form()->stars().size(), 4u);
    for (std::size_t i = 0; i < 4; ++i)
        tapStar(detail->form()->stars()[i], 4, i % 2 == 1);
    typeInto(detail->form()->commentView(), "张教练讲解清楚，倒车入库教得很细。");
    picture("coach-evaluation");
    hideKeyboard();
    tapText("提交评价");
    auto refreshed = top<CoachEvaluateViewController>();
    ASSERT_TRUE(refreshed);
    settled();
    host->advance(0.5);
    EXPECT_TRUE(ns::stringForKey(ns::dictionaryValue(refreshed->coaches()->objectAtIndex(0)), "STATE").isEqualToString("1"));
    picture("coaches-after");

    // The same coach again (a stale list): the service refuses and the form keeps its scores and text.
    auto again = CoachEvalDetailViewController::create();
    again->setCoach(ns::dictionaryValue(refreshed->coaches()->objectAtIndex(0)));
    navigation()->pushViewController(again, false);
    // The form comes with the reply, whose request may not have reached the network thread yet.
    ASSERT_TRUE(waitUntil([&] { return again->form() != nullptr; }));
    settled();
    host->advance(0.5);
    for (const auto& stars : again->form()->stars())
        stars->setScore(4);
    again->form()->commentView()->setText("再评一次");
    press("提交评价");
    EXPECT_TRUE(hudText().isEqualToString("该教练已评价"));
    picture("coach-refused");
    EXPECT_EQ(top<CoachEvalDetailViewController>(), again);
    EXPECT_TRUE(again->form()->comment().isEqualToString("再评一次"));
    EXPECT_TRUE(again->form()->scores().isEqualToString("4,4,4,4"));
}

TEST_F(RecordsSession, LetterSentAndKeptWhileTheStandInIsGone)
{
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    tapText("运管信箱");
    auto mail = top<MailViewController>();
    ASSERT_TRUE(mail);
    typeInto(mail->titleField(), "关于考场预约");
    typeInto(mail->noteView(), "科目三考试预约总是排不上，希望增加考试场次。");
    picture("mail");
    hideKeyboard();
    press("发送");
    EXPECT_TRUE(hudText().isEqualToString("发送成功"));
    EXPECT_EQ(mail->noteView()->text().length(), 0u);
    host->advance(1.5);
    const auto sent = std::ranges::count_if(standIn.requests(), [](const auto& request) {
        return request.body.find("addMailMethod") != std::string::npos;
    });
    EXPECT_EQ(sent, 1);

    typeInto(mail->titleField(), "训练场地");
    typeInto(mail->noteView(), "训练场的照明在晚上不够亮。");
    hideKeyboard();
    standIn.stop();
    press("发送");
    EXPECT_FALSE(hudText().isNil());
    picture("mail-failed");
    EXPECT_TRUE(mail->titleField()->text().isEqualToString("训练场地"));
    EXPECT_TRUE(mail->noteView()->text().isEqualToString("训练场的照明在晚上不够亮。"));
}

TEST_F(RecordsSession, NoticeOpenedAsACardAndClosed)
{
    NoticeManager::shareInstance()->deleteAll();
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    top<MainViewController>()->aboutMe(*UIButton::buttonWithType(UIButtonTypeCustom));
    host->advance(0.5);
    tapText("我的消息");
    auto messages = top<MyMessageViewController>();
    ASSERT_TRUE(messages);
    ASSERT_GT(messages->notices()->count(), 0u);
    EXPECT_TRUE(messages->rowMarkedUnread(0));
    picture("notices");

    const NSString title = ns::stringForKey(ns::dictionaryValue(messages->notices()->objectAtIndex(0)), "TITLE");
    tapText(title.UTF8String().c_str());
    std::weak_ptr<NoticeView> card = messages->noticeView();
    ASSERT_TRUE(card.lock());
    EXPECT_FALSE(messages->rowMarkedUnread(0));
    EXPECT_TRUE(NoticeManager::shareInstance()->existsNoticeId(ns::stringForKey(ns::dictionaryValue(messages->notices()->objectAtIndex(0)), "NID")));
    picture("notice-card");
    host->tap(card.lock()->closeButton());
    host->advance(0.2);
    EXPECT_TRUE(card.lock() && card.lock()->superview());
    host->advance(0.6);
    EXPECT_FALSE(card.lock() && card.lock()->superview());
    EXPECT_FALSE(messages->noticeView());
    picture("notice-closed");

    // Gone: the empty view, and its refresh brings the list back once the stand-in answers again.
    standIn.stop();
    messages->loadData();
    settled();
    host->advance(1.5);
    EXPECT_FALSE(messages->emptyView()->isHidden());
    picture("notices-gone");
}

TEST_F(RecordsSession, SchoolEvaluationRefusedKeepsTheForm)
{
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    auto form = SchoolEvaluateViewController::create();
    navigation()->pushViewController(form, false);
    host->advance(0.5);
    // Nothing from the home: the form's own items.
    EXPECT_EQ(form->form()->stars().size(), 5u);
    for (const auto& stars : form->form()->stars())
        stars->setScore(4.5);
    form->form()->commentView()->setText("很好");
    standIn.stop();
    press("提交评价");
    EXPECT_FALSE(hudText().isNil());
    EXPECT_EQ(top<SchoolEvaluateViewController>(), form);
    EXPECT_TRUE(form->form()->scores().isEqualToString("4.5,4.5,4.5,4.5,4.5"));
    EXPECT_TRUE(form->form()->comment().isEqualToString("很好"));
}

} // namespace

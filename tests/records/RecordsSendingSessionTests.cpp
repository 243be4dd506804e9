// Scripted sessions of what the learner sends from the records screens and what comes back odd:
// rows without the field a request needs (left out or null), quick second taps, a form left
// while it saves, the limits of the reason and the comment, a record without photos, and what
// one run of the client stored found again by the next against the same data file.
#include "tests/records/RecordsSession.h"

#include "app/records/AppealProcessViewController.h"
#include "app/records/AppealQueryViewController.h"
#include "app/records/AppealResultViewController.h"
#include "app/records/CoachEvalDetailViewController.h"
#include "app/records/CoachEvaluateViewController.h"
#include "app/records/HoursViewController.h"
#include "app/records/MailViewController.h"
#include "app/records/SchoolEvaluateViewController.h"
#include "app/records/TextLimit.h"
#include "app/stores/UserManager.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "library/widgets/linklabel/LKAttributedLabel.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/TypedValues.h"
#include "platform/uikit/UIApplication.h"

#include <algorithm>
#include <cstdlib>

namespace {

class RecordsSending : public RecordsSession {
protected:
    // The row's button of that title, by the row's index in its tag.
    std::shared_ptr<UIButton> rowButton(const char* title, NSInteger index) const
    {
        return std::dynamic_pointer_cast<UIButton>(host->findView([&](UIView& view) {
            auto* button = dynamic_cast<UIButton*>(&view);
            return button && button->tag() == index && button->currentTitle().isEqualToString(title);
        }));
    }
    // Requests whose path or decoded form has the text.
    long sentWith(const char* text) const
    {
        return std::ranges::count_if(standIn.requests(), [text](const auto& request) {
            return (request.path + standin::formDecode(request.body)).find(text) != std::string::npos;
        });
    }
    // The form of the sample learner's first coach, scored and commented.
    std::shared_ptr<CoachEvalDetailViewController> coachForm()
    {
        auto detail = CoachEvalDetailViewController::create();
        detail->setCoach(ns::dictionary({ { "EMPLOYEEID", NSString("JL0001") }, { "COACHNAME", NSString("张建国") }, { "SUBJECT", NSString("2") } }));
        navigation()->pushViewController(detail, false);
        settled();
        host->advance(0.5);
        if (detail->form()) {
            for (const auto& stars : detail->form()->stars())
                stars->setScore(4.5);
            detail->form()->commentView()->setText("讲解清楚");
        }
        return detail;
    }
    // The coach form sent and left at once; its answer has come when this returns.
    void sendCoachFormAndLeave()
    {
        auto detail = coachForm();
        ASSERT_TRUE(detail->form());
        const NSInteger before = requestsStarted;
        detail->submitEvent(*UIButton::buttonWithType(UIButtonTypeCustom));
        navigation()->popViewControllerAnimated(false);
        detail.reset();
        host->advance(0.1);
        EXPECT_TRUE(requestsAnsweredSince(before));
        host->advance(0.2);
    }
    std::shared_ptr<AppealProcessViewController> appealForm(const char* recordId)
    {
        auto process = AppealProcessViewController::create();
        process->setRecord(ns::dictionary({ { "RECORDID", NSString(recordId) }, { "RECORDDATE", NSString("2015-03-05") },
            { "STARTTIME", NSString("08:30") }, { "ENDTIME", NSString("10:00") }, { "COACHNAME", NSString("张建国") }, { "EFFECTTIME", ns::number(90) } }));
        navigation()->pushViewController(process, false);
        settled();
        host->advance(0.5);
        return process;
    }
};

constexpr const char* kHoursWithoutKeys = R"({"output":{"head":{"retCode":"0","retDesc":"成功"},"body":{"array0":{"rowSet":{"row":[
    {"HOURTYPE":"2","NEEDHOURS":"16","FINISHHOURS":"10","EFFECTHOURS":"9.5"},
    {"SUBJECT":"3","HOURTYPE":null,"NEEDHOURS":"24","FINISHHOURS":"2","EFFECTHOURS":"2"}]}}}}})";
constexpr const char* kRecordsWithoutIds = R"({"code":"0","message":"成功","data":[
    {"RECORDDATE":"2015-03-05","STARTTIME":"08:30","ENDTIME":"10:00","EFFECTTIME":90,"COACHNAME":"张建国","CARNO":"川A1234学"},
    {"RECORDID":null,"RECORDDATE":"2015-03-05","STARTTIME":"14:00","ENDTIME":"15:00","EFFECTTIME":55,"COACHNAME":"张建国"}]})";
constexpr const char* kCoachWithoutId = R"({"output":{"head":{"retCode":"0","retDesc":"成功"},"body":{"array0":{"rowSet":{"row":[
    {"EMPLOYEEID":null,"COACHNAME":"王教练","SUBJECT":"2","CARTYPE":"C1","STATE":"0","STATENAME":"未评价"}]}}}}})";

TEST_F(RecordsSending, RowsWithoutTheFieldTheirRequestNeedsAreRefusedNotFatal)
{
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    standIn.setCannedReply("checkHourMethod", kHoursWithoutKeys);
    standIn.setCannedReply("queryStudentHour/2", kRecordsWithoutIds);
    standIn.setCannedReply("emEvaluateMethod", kCoachWithoutId);

    // Taps through the window on every button of such rows: nothing is sent.
    const long appealsBefore = sentWith("queryStudentHour");
    tapText("查学时");
    auto hours = top<HoursViewController>();
    ASSERT_TRUE(hours);
    ASSERT_EQ(hours->hours()->count(), 2u);
    for (NSInteger row = 0; row < 2; ++row) {
        auto button = rowButton("学时申诉", row);
        ASSERT_TRUE(button) << row;
        EXPECT_FALSE(button->isEnabled()) << row;
        host->tap(button);
        host->advance(0.3);
    }
    picture("hours-without-keys");
    // Reached anyway, the screen says it cannot.
    hours->appealEvent(*rowButton("学时申诉", 0));
    host->advance(0.2);
    EXPECT_TRUE(hudText().isEqualToString("服务器忙，请稍候再试！"));
    EXPECT_EQ(top<HoursViewController>(), hours);
    host->advance(1.5);

    auto query = AppealQueryViewController::create();
    query->setRecordDate("2015-03-05");
    navigation()->pushViewController(query, false);
    settled();
    host->advance(0.5);
    ASSERT_EQ(query->records()->count(), 2u);
    for (NSInteger row = 0; row < 2; ++row) {
        auto button = rowButton("申诉", row);
        ASSERT_TRUE(button) << row;
        host->tap(button);
        host->advance(0.3);
        query->appealEvent(*button);
        host->advance(0.2);
        EXPECT_TRUE(hudText().isEqualToString("服务器忙，请稍候再试！")) << row;
        host->advance(1.5);
    }
    picture("records-without-ids");
    EXPECT_EQ(top<AppealQueryViewController>(), query);
    EXPECT_EQ(sentWith("queryStudentHour"), appealsBefore + 1) << "only the day's records were asked for";

    // The process screen of such a record neither loads photos nor sends the appeal.
    auto process = AppealProcessViewController::create();
    process->setRecord(ns::dictionaryValue(query->records()->objectAtIndex(1)));
    navigation()->pushViewController(process, false);
    host->advance(0.5);
    process->reasonView()->setText("少记了时间");
    process->submitEvent(*UIButton::buttonWithType(UIButtonTypeCustom));
    host->advance(0.2);
    EXPECT_TRUE(hudText().isEqualToString("服务器忙，请稍候再试！"));
    EXPECT_EQ(sentWith("queryStudentHour"), appealsBefore + 1);
    host->advance(1.5);

    navigation()->popToRootViewControllerAnimated(false);
    host->advance(0.5);
    navigation()->pushViewController(CoachEvaluateViewController::create(), false);
    settled();
    host->advance(0.5);
    auto coaches = top<CoachEvaluateViewController>();
    ASSERT_TRUE(coaches);
    ASSERT_EQ(coaches->taps().size(), 1u);
    host->tap(coaches->taps()[0]->view());
    host->advance(0.2);
    EXPECT_TRUE(hudText().isEqualToString("服务器忙，请稍候再试！"));
    EXPECT_EQ(top<CoachEvaluateViewController>(), coaches);
}

// Both taps come before the first reply is handled.
TEST_F(RecordsSending, QuickSecondTapsSendOnce)
{
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    auto mail = MailViewController::create();
    navigation()->pushViewController(mail, false);
    host->advance(0.5);
    mail->titleField()->setText("考场预约");
    mail->noteView()->setText("希望增加考试场次。");
    mail->sendEvent(*button);
    mail->sendEvent(*button);
    settled();
    host->advance(1.5);
    EXPECT_EQ(sentWith("addMailMethod"), 1);

    auto process = appealForm("XS201503050001");
    process->reasonView()->setText("少记了十分钟");
    process->submitEvent(*button);
    process->submitEvent(*button);
    settled();
    host->advance(1.5);
    EXPECT_EQ(sentWith(R"("QUERY_TYPE":"5")"), 1);

    auto detail = coachForm();
    ASSERT_TRUE(detail->form());
    detail->submitEvent(*button);
    detail->submitEvent(*button);
    settled();
    host->advance(1.5);
    EXPECT_EQ(sentWith("saveEvaluateMethod"), 1);
}

TEST_F(RecordsSending, AFormLeftWhileItSavesStillTellsAndClearsTheHud)
{
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    int heard = 0;
    std::vector<id> listeners;
    for (const char* name : { "EVALUATE_SUCCESS", "SCHOOL_EVALUATE_SUCCESS" })
        listeners.push_back(NSNotificationCenter::defaultCenter()->addObserverForName(name, nullptr, nullptr,
            [&heard](const std::shared_ptr<NSNotification>&) { ++heard; }));

    sendCoachFormAndLeave();
    EXPECT_EQ(heard, 1);
    host->advance(1.5);
    EXPECT_TRUE(hudText().isNil());
    EXPECT_FALSE(UIApplication::sharedApplication()->isNetworkActivityIndicatorVisible());

    auto school = SchoolEvaluateViewController::create();
    navigation()->pushViewController(school, false);
    host->advance(0.5);
    for (const auto& stars : school->form()->stars())
        stars->setScore(5);
    const NSInteger before = requestsStarted;
    school->submitEvent(*UIButton::buttonWithType(UIButtonTypeCustom));
    navigation()->popViewControllerAnimated(false);
    school.reset();
    EXPECT_TRUE(requestsAnsweredSince(before));
    host->advance(1.5);
    EXPECT_EQ(heard, 2);
    EXPECT_TRUE(hudText().isNil());
    EXPECT_FALSE(UIApplication::sharedApplication()->isNetworkActivityIndicatorVisible());
    for (const auto& listener : listeners)
        NSNotificationCenter::defaultCenter()->removeObserver(listener);
}

// The form has gone when the refusal comes: the learner reads it on the screen in sight.
TEST_F(RecordsSending, ARefusalOfAFormLeftShowsOnTheScreenInSight)
{
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    standIn.setCannedReply("saveEvaluateMethod", R"({"output":{"head":{"retCode":"1","retDesc":"本月已评价过该教练"}}})");
    auto below = navigation()->topViewController();
    sendCoachFormAndLeave();
    EXPECT_TRUE(hudText().isEqualToString("本月已评价过该教练")) << hudText().UTF8String();
    EXPECT_EQ(STProgressHUD::sharedView()->window(), host->keyWindow());
    EXPECT_EQ(navigation()->topViewController(), below);
    shotNow("evaluation-refused-after-leaving");
    host->advance(1.5);
    EXPECT_TRUE(hudText().isNil());
    EXPECT_FALSE(UIApplication::sharedApplication()->isNetworkActivityIndicatorVisible());

    // Refused while still on the form, it shows there, and the form stays for another try.
    auto detail = coachForm();
    ASSERT_TRUE(detail->form());
    const NSInteger before = requestsStarted;
    detail->submitEvent(*UIButton::buttonWithType(UIButtonTypeCustom));
    EXPECT_TRUE(requestsAnsweredSince(before));
    host->advance(0.2);
    EXPECT_TRUE(hudText().isEqualToString("本月已评价过该教练"));
    EXPECT_TRUE(STProgressHUD::sharedView()->isDescendantOfView(detail->view()));
    EXPECT_EQ(top<CoachEvalDetailViewController>(), detail);
}

// The mail's limits count whole characters, as the services do: 30 emoji make a title, 31
// Chinese characters are one too many.
TEST_F(RecordsSending, TheMailsLimitsCountWholeCharacters)
{
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    auto mail = MailViewController::create();
    navigation()->pushViewController(mail, false);
    host->advance(0.5);
    const auto repeated = [](const char* piece, int times) {
        std::string text;
        for (int i = 0; i < times; ++i)
            text += piece;
        return NSString(text);
    };
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    const auto send = [&](const NSString& title, const NSString& content) {
        mail->titleField()->setText(title);
        mail->noteView()->setText(content);
        mail->sendEvent(*button);
        host->advance(0.2);
        const NSString said = hudText();
        settled();
        host->advance(1.5);
        return said;
    };
    EXPECT_TRUE(send(repeated("理", 31), "希望增加考试场次。").isEqualToString("标题不能超过30字"));
    EXPECT_EQ(sentWith("addMailMethod"), 0);
    send(repeated("😀", 30), repeated("😀", 500));
    EXPECT_EQ(sentWith("addMailMethod"), 1);
    // Sent and answered: the form is cleared for the next letter.
    EXPECT_EQ(mail->titleField()->text().length(), 0u);
}

TEST_F(RecordsSending, TheReasonAndTheCommentKeepToTheirLimitsInWholeCharacters)
{
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    auto process = appealForm("XS201503050001");
    typeInto(process->reasonView(), std::string(120, 'a').c_str());
    std::string chinese;
    for (int i = 0; i < 90; ++i)
        chinese += "理";
    ASSERT_TRUE(process->reasonView()->becomeFirstResponder());
    host->typeText(NSString(chinese));
    host->advance(0.2);
    EXPECT_EQ(TextLimit::characterCount(process->reasonView()->text()), AppealProcessViewController::kReasonLimit);
    EXPECT_TRUE(process->reasonCounter()->text().isEqualToString("200/200"));
    picture("appeal-reason-full");
    hideKeyboard();
    press("提交申诉");
    EXPECT_TRUE(top<AppealResultViewController>());

    auto detail = coachForm();
    ASSERT_TRUE(detail->form());
    auto comment = detail->form()->commentView();
    comment->setText(NSString(std::string(99, 'x')));
    ASSERT_TRUE(comment->becomeFirstResponder());
    host->typeText("😀😀");
    host->advance(0.2);
    const NSString text = comment->text();
    EXPECT_EQ(TextLimit::characterCount(text), 100u);
    EXPECT_EQ(text.UTF8String(), std::string(99, 'x') + "😀");
    EXPECT_TRUE(TextLimit::prefix("ab😀", 3).isEqualToString("ab😀"));
    EXPECT_TRUE(TextLimit::prefix("ab😀", 2).isEqualToString("ab"));
    EXPECT_TRUE(TextLimit::prefix("e\u0301e\u0301", 3).isEqualToString("e\u0301")) << "an accent stays with its letter";
}

TEST_F(RecordsSending, TheDaysRecordsAndTheFormWithoutPhotosSayWhatTheyHave)
{
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    auto query = AppealQueryViewController::create();
    query->setRecordDate("2015-03-05");
    navigation()->pushViewController(query, false);
    // Waited for by what the reply shows: the query may not have reached the network thread yet.
    const auto findMinutes = [this] {
        return std::dynamic_pointer_cast<LKAttributedLabel>(host->findView([](UIView& view) {
            auto* label = dynamic_cast<LKAttributedLabel*>(&view);
            return label && label->attributedText() && label->attributedText()->string().hasPrefix("有效培训 90分钟");
        }));
    };
    ASSERT_TRUE(waitUntil([&] { return findMinutes() != nullptr; }));
    settled();
    host->advance(0.5);
    auto minutes = findMinutes();
    ASSERT_TRUE(minutes);
    EXPECT_TRUE(minutes->attributedText()->string().isEqualToString("有效培训 90分钟  车辆 川A1234学"));
    EXPECT_LE(minutes->sizeThatFits(CGSizeMake(1000, 21)).width, minutes->frame().size.width) << "the plate is shown whole";
    picture("day-records-whole");

    auto process = appealForm("XS201504180001");
    EXPECT_TRUE(host->findViewWithText("2015-03-05 08:30-10:00  教练 张建国\n有效培训 90分钟"));
    EXPECT_TRUE(host->findViewWithText("该记录暂无照片"));
    picture("appeal-form-no-photos");
}

// The same on the login screen: a region without its name or code is not offered.
TEST_F(RecordsSending, RegionsWithoutTheirNameOrCodeAreNotOffered)
{
    standIn.setCannedReply("getregional", R"({"output":{"head":{"retCode":"0","retDesc":"成功"},"body":{"array0":{"rowSet":{"row":[
        {"PROVINCE":"510000","PROVINCE_NAME":"四川省","DEPCODE":"510100"},
        {"PROVINCE":"510000","PROVINCE_NAME":"四川省","DEPCODE":null,"DEPNAME":"绵阳市"},
        {"PROVINCE":"510000","PROVINCE_NAME":"四川省","DEPCODE":"510600","DEPNAME":"德阳市"}]}}}}})");
    auto login = loginScreen();
    ASSERT_TRUE(login);
    ASSERT_TRUE(host->tap(login->areaLab()));
    ASSERT_TRUE(waitUntil([&] { return login->openSheet() != nullptr; }));
    // The placeholder and the one whole region.
    const auto& names = login->openSheet()->titlesForComponenets().at(0);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[1], NSString("德阳市"));
}

// The learner's appeal from one run of the client is listed by the next, both against one
// stand-in data file as the run command keeps it.
TEST_F(RecordsSending, WhatOneRunStoredTheNextRunFinds)
{
    const std::string file = std::string(std::getenv("CORVANE_HOME")) + "/standin-data.sqlite";
    std::filesystem::remove(file);
    const auto run = [&](const std::function<void()>& steps) {
        application.reset();
        host.reset();
        standin::ServiceStandIn data { sessionStandIn({ .databasePath = file }) };
        ASSERT_TRUE(data.start()) << data.lastError();
        ::setenv("CORVANE_MAIN_BASE_URL", data.mainBaseURL().c_str(), 1);
        ::setenv("CORVANE_PAYMENT_BASE_URL", data.paymentBaseURL().c_str(), 1);
        // The login screen would offer the last account; the session types it afresh.
        UserManager::shareInstance()->deleteLoginInfo();
        launch();
        ASSERT_TRUE(logIn("学员", kLearner, "123456"));
        steps();
        settled();
        application.reset();
        host.reset();
    };
    run([&] {
        auto process = appealForm("XS201503090001");
        process->reasonView()->setText("终端少记了二十分钟。");
        press("提交申诉");
        EXPECT_TRUE(top<AppealResultViewController>());
    });
    run([&] {
        auto results = AppealResultViewController::create();
        navigation()->pushViewController(results, false);
        settled();
        host->advance(0.5);
        ASSERT_EQ(results->appeals()->count(), 3u);
        auto newest = ns::dictionaryValue(results->appeals()->objectAtIndex(0));
        EXPECT_TRUE(ns::stringForKey(newest, "RECORDID").isEqualToString("XS201503090001"));
        EXPECT_TRUE(ns::stringForKey(newest, "REASON").isEqualToString("终端少记了二十分钟。"));
        picture("appeal-results-next-run");
    });
    ::setenv("CORVANE_MAIN_BASE_URL", standIn.mainBaseURL().c_str(), 1);
    ::setenv("CORVANE_PAYMENT_BASE_URL", standIn.paymentBaseURL().c_str(), 1);
}

} // namespace

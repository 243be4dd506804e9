// Every reply the client reads, served with each of its fields left out and then sent as null,
// in every row and in one row among good ones, while the screen that reads it is driven on to the
// requests built from it: the client goes on running, and each screen ends showing its error or
// what it has (no panel left spinning). The sample data's own reply is taken once; the variants
// are canned, so a booking or an appeal is not made again for each. A variant whose reply the
// driving never asked for fails: it would pass having tested nothing.
#include "tests/app/ClientSession.h"
#include "tests/app/ReplyVariants.h"

#include "app/records/AppealCalendarViewController.h"
#include "app/records/AppealProcessViewController.h"
#include "app/records/AppealQueryViewController.h"
#include "app/records/CoachEvalDetailViewController.h"
#include "app/records/CoachEvaluateViewController.h"
#include "app/records/HoursViewController.h"
#include "app/records/MailViewController.h"
#include "app/records/SchoolEvaluateViewController.h"
#include "app/stores/UserManager.h"
#include "app/training/MakeCarViewController.h"
#include "app/training/MakeCoachViewController.h"
#include "app/training/OrderInfoViewController.h"
#include "app/training/VideoPlayViewController.h"
#include "app/training/VideoStudentViewController.h"
#include "library/payment/OPayCashierViewController.h"
#include "library/payment/OrbipaySDK.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/foundation/TypedValues.h"
#include "platform/net/NSHTTPCookieStorage.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UITextView.h"

#include <algorithm>
#include <iostream>
#include <gtest/gtest-spi.h>
#include <mutex>

namespace {

constexpr const char* kSaved = R"({"output":{"head":{"retCode":"0","retDesc":"成功"},"body":{}}})";
struct Write {
    std::string name;
    std::string saved;
    // A write made once for real stops every later driving (the school or coach evaluated, the
    // record in process): its sample is the saved reply instead.
    bool sampledSaved { false };
};
const std::vector<Write> kWrites {
    { "updateSchedueMethod", kSaved },
    { "saveSchedueMethod", kSaved },
    { "saveEvaluateMethod", kSaved, true },
    { "saveEnEvaluateMethod", kSaved, true },
    { "addMailMethod", kSaved },
    { "updatePwdMethod", kSaved },
    { "queryStudentHour/5", R"({"code":"0","message":"成功","data":{"APPEALID":"900"}})", true },
    { "saveTime", R"({"code":"0","message":"成功","data":{}})" },
};

class ReplyFieldSweep : public ClientSession {
protected:
    struct Operation {
        // As the stand-in names it: a METHOD, a video action, "queryStudentHour/<type>", a
        // payment action's last segment.
        std::string name;
        // From the home screen to the screen that reads the reply, and on through what it sends
        // with the reply's values.
        std::function<void()> drive;
        // The payment service is only rewritten (it has no canned replies); what it writes is an
        // order more, never one paid.
        bool rewrittenOnly { false };
        // The sample is the last reply the driving asked for, not the first: the coach's day of
        // today may have no slot ahead, and the driving asks on for the next days.
        bool lastReplySampled { false };
    };

    // Reaches the home screen of the account, from a fresh start when `fresh`.
    void home(bool fresh, const char* role = "学员", const char* account = kLearner, const char* password = "123456")
    {
        if (fresh)
            relaunch();
        if (!top<MainViewController>() && !top<AdminHomeViewController>()) {
            ASSERT_TRUE(logIn(role, account, password));
        }
    }
    // The client as a new process finds it: no session, no stored login.
    void relaunch()
    {
        waitUntil([this] { return requestsUnderWay <= 0; });
        application.reset();
        host.reset();
        NSHTTPCookieStorage::resetSharedHTTPCookieStorage();
        auto defaults = NSUserDefaults::standardUserDefaults();
        for (const char* key : { "SESSIONID", "sessionCookies" })
            defaults->removeObjectForKey(key);
        UserManager::shareInstance()->deleteLoginInfo();
        launch();
    }
    bool settled() { return waitUntil([this] { return requestsUnderWay <= 0; }); }
    // Taps the view with the text, when the screen shows one, and lets its requests end.
    bool tapIfShown(const char* text)
    {
        auto view = host->findViewWithText(text);
        if (!view)
            return false;
        host->tap(view);
        host->advance(0.5);
        settled();
        host->advance(0.3);
        return true;
    }
    bool answerAlert(const char* title)
    {
        const bool answered = tapAlertButton(title);
        settled();
        host->advance(0.3);
        return answered;
    }
    // Alerts answered, panels run out, back on the home screen.
    void leaveToHome()
    {
        for (int i = 0; i < 3 && host->findView([](UIView& view) { return dynamic_cast<UIAlertView*>(&view) != nullptr; }); ++i)
            if (!answerAlert("取消"))
                answerAlert("确定");
        settled();
        auto stack = navigation()->viewControllers();
        if (stack.size() > 2)
            navigation()->popToViewController(stack[1], false);
        host->advance(0.3);
        settled();
    }
    // What every variant must leave: the client running on a screen, every request ended and no
    // panel still waiting for an answer that came.
    void expectStillRunning(const std::string& variant)
    {
        EXPECT_TRUE(settled()) << variant;
        // An error stays up a second and then fades.
        for (int step = 0; step < 8 && hudText().length() > 0; ++step)
            host->advance(0.25);
        EXPECT_TRUE(navigation() && navigation()->topViewController()) << variant;
        EXPECT_TRUE(hudText().isNil() || hudText().length() == 0) << variant << ": the panel still shows " << hudText().UTF8String();
    }

    // The sample reply of the operation, as the driving brings it on.
    std::string sampleReply(const Operation& operation, const std::function<void()>& reset)
    {
        auto taken = std::make_shared<std::pair<std::mutex, std::string>>();
        standIn.setReplyRewrite(operation.name, [taken, last = operation.lastReplySampled](const std::string& json) {
            std::lock_guard lock(taken->first);
            if (taken->second.empty() || last)
                taken->second = json;
            return json;
        });
        driveUntilAsked(operation, reset, [&] {
            std::lock_guard lock(taken->first);
            return !taken->second.empty();
        });
        standIn.setReplyRewrite(operation.name, nullptr);
        std::lock_guard lock(taken->first);
        return taken->second;
    }
    // A drive can move on before its request goes out on a busy machine: a request's start is told
    // through the main queue, so `settled` may see none under way yet. It is driven again before
    // its reply counts as never asked for; a drive that never reaches the request fails each time.
    void driveUntilAsked(const Operation& operation, const std::function<void()>& reset, const std::function<bool()>& asked)
    {
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (attempt > 0) {
                leaveToHome();
                reset();
            }
            operation.drive();
            settled();
            if (asked())
                return;
        }
    }
    // Serves the operation's reply with each field left out and then null, in every row and in
    // one row among good ones, driving its screen each time; `reset` brings the client back to
    // where the driving starts. Answers how many fields. Only the fields whose place in the reply
    // is `slice` counted in `slices`, so that a long reply is swept by several tests at once.
    std::size_t sweep(const Operation& operation, const std::function<void()>& reset, std::size_t slice = 0, std::size_t slices = 1)
    {
        // What the driving saves is answered without being saved, but for the operation's own
        // sample: each write is made once, and the sample data stays as the next driving needs it.
        for (const auto& write : kWrites)
            standIn.setCannedReply(write.name, write.name == operation.name && !write.sampledSaved ? "" : write.saved);
        reset();
        const std::string sample = sampleReply(operation, reset);
        EXPECT_FALSE(sample.empty()) << operation.name << " was never asked for";
        leaveToHome();
        const ReplyVariants variants(sample);
        EXPECT_FALSE(variants.isEmpty()) << operation.name;
        std::size_t served = 0;
        for (std::size_t index = slice; index < variants.fields().size(); index += slices) {
            const std::string& field = variants.fields()[index];
            for (const auto& [how, json] : variants.variantsOf(field)) {
                const std::string variant = operation.name + " " + field + " " + how;
                SCOPED_TRACE(variant);
                reset();
                if (operation.rewrittenOnly)
                    standIn.setReplyRewrite(operation.name, [reply = json](const std::string&) { return reply; });
                else
                    standIn.setCannedReply(operation.name, json);
                standIn.clearRequests();
                driveUntilAsked(operation, reset, [&] { return standIn.timesServed(operation.name) > 0; });
                EXPECT_GT(standIn.timesServed(operation.name), 0u) << variant << ": its reply was never asked for";
                expectStillRunning(variant);
                // A value that was not there is sent neither as the text of nothing, nor as a gap in
                // a list, nor as a null in a request's JSON.
                for (const auto& request : standIn.requests()) {
                    const std::string form = standin::formDecode(request.body);
                    for (const char* gap : { "(null)", "=,", ",,", ",&", "\":null" })
                        EXPECT_EQ(form.find(gap), std::string::npos) << variant << ": " << form;
                }
                standIn.setCannedReply(operation.name, "");
                standIn.setReplyRewrite(operation.name, nullptr);
                for (const auto& write : kWrites)
                    if (write.name == operation.name)
                        standIn.setCannedReply(write.name, write.saved);
                leaveToHome();
                ++served;
            }
        }
        std::cout << "[ sweep    ] " << operation.name << ": " << variants.fields().size() << " fields, slice " << slice + 1 << " of " << slices
                  << ", " << served << " variants" << std::endl;
        return variants.fields().size();
    }
    std::size_t sweepAll(const std::vector<Operation>& operations, const std::function<void()>& reset)
    {
        std::size_t total = 0;
        for (const auto& operation : operations)
            total += sweep(operation, reset);
        std::cout << "[ sweep    ] " << operations.size() << " operations, " << total << " fields" << std::endl;
        return total;
    }

    // The booking overview, a cancel of its first booking, then the coach's day.
    void driveOverview()
    {
        if (!tapIfShown("预约学车"))
            return;
        auto overview = top<MakeCarViewController>();
        if (!overview)
            return;
        if (overview->noPastArray() && overview->noPastArray()->count() > 0) {
            auto first = UIButton::buttonWithType(UIButtonTypeCustom);
            first->setTag(0);
            overview->deleteMakeEvent(*first);
            answerAlert("确定");
            host->advance(1.5);
            settled();
        }
        if (top<MakeCarViewController>())
            tapIfShown("我要约车");
    }
    // The coach's day, every slot that can be chosen, and the booking. Late in the day every slot
    // of today has passed: the next days are tried then.
    std::shared_ptr<MakeCoachViewController> driveBooking()
    {
        auto booking = MakeCoachViewController::create();
        navigation()->pushViewController(booking, false);
        settled();
        host->advance(0.5);
        for (int day = 0; day < 3 && booking->ids().empty(); ++day) {
            if (day > 0) {
                booking->nextEvent(*UIButton::buttonWithType(UIButtonTypeCustom));
                settled();
                host->advance(1.5);
            }
            for (NSInteger index = 0; booking->aboutArray() && index < NSInteger(booking->aboutArray()->count()); ++index) {
                auto slot = ns::dictionaryValue(booking->aboutArray()->objectAtIndex(NSUInteger(index)));
                if (booking->vScrollView()->isHidden() || ns::stringForKey(slot, "ISPASSDATE") == NSString("1"))
                    continue;
                for (const auto& view : booking->vScrollView()->subviews())
                    if (std::dynamic_pointer_cast<UIButton>(view) && view->tag() == index)
                        host->tap(view);
                host->advance(0.2);
            }
        }
        // A slot the service sent without its id cannot be chosen, so it never spoils the booking
        // of a good one chosen with it.
        EXPECT_TRUE(std::ranges::none_of(booking->ids(), [](const NSString& slot) { return slot.isNil() || slot.length() == 0; }));
        tapIfShown("确定");
        return booking;
    }
    // The day's records of the sample learner down to an appeal of the first, and its result.
    void driveAppeals()
    {
        if (!tapIfShown("查学时"))
            return;
        auto hours = top<HoursViewController>();
        if (!hours)
            return;
        for (NSInteger row = 0; row < 3 && top<HoursViewController>() == hours; ++row) {
            auto button = UIButton::buttonWithType(UIButtonTypeCustom);
            button->setTag(row);
            hours->appealEvent(*button);
            host->advance(0.3);
            settled();
            host->advance(1.2);
        }
        auto calendar = top<AppealCalendarViewController>();
        if (!calendar)
            return;
        calendar->calendarView()->selectDate(5);
        host->advance(0.5);
        settled();
        host->advance(0.5);
        auto query = top<AppealQueryViewController>();
        if (!query || !query->records() || query->records()->count() == 0)
            return;
        auto first = UIButton::buttonWithType(UIButtonTypeCustom);
        first->setTag(0);
        query->appealEvent(*first);
        host->advance(0.5);
        settled();
        host->advance(1.5);
        auto process = top<AppealProcessViewController>();
        if (!process)
            return;
        process->reasonView()->setText("终端少记了时间");
        process->submitEvent(*UIButton::buttonWithType(UIButtonTypeCustom));
        host->advance(1.5);
        settled();
    }
};

TEST_F(ReplyFieldSweep, aVariantWhoseReplyIsNeverAskedForFailsNamingIt)
{
    // The exams are opened for the sample only, as a driving that stops early would.
    auto drives = std::make_shared<int>(0);
    const Operation exams { "checkExamMethod", [this, drives] {
        if ((*drives)++ == 0)
            tapIfShown("查考试");
    } };
    testing::TestPartResultArray failures;
    std::size_t fields = 0;
    {
        const testing::ScopedFakeTestPartResultReporter reporter(testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
        fields = sweep(exams, [this] { home(false); });
    }
    ASSERT_GT(fields, 0u);
    std::vector<std::string> unserved;
    for (int index = 0; index < failures.size(); ++index) {
        const std::string message = failures.GetTestPartResult(index).message();
        EXPECT_NE(message.find(": its reply was never asked for"), std::string::npos) << message;
        unserved.push_back(message);
    }
    EXPECT_GE(unserved.size(), 2 * fields);
    EXPECT_TRUE(std::ranges::any_of(unserved, [](const std::string& message) {
        return message.find("checkExamMethod output.head.retCode left out: its reply was never asked for") != std::string::npos;
    }));
}

TEST_F(ReplyFieldSweep, theCoachsDayWithAFieldMissingOrNullLeavesTheClientRunning)
{
    const std::vector<Operation> operations {
        { "checkSchedueMethod", [this] { driveBooking(); }, false, true },
        { "saveSchedueMethod", [this] { driveBooking(); } },
    };
    EXPECT_GT(sweepAll(operations, [this] { home(false); }), 0u);
}

class OverviewSweep : public ReplyFieldSweep {
protected:
    // Bookings of the coming days: the sample of the cancel cancels one for real, the canned
    // cancels of the variants the other.
    void SetUp() override
    {
        ReplyFieldSweep::SetUp();
        home(false);
        for (int booked = 0; booked < 2; ++booked) {
            driveBooking();
            leaveToHome();
        }
    }
    Operation overview(const char* name) { return { name, [this] { driveOverview(); } }; }
};

TEST_F(OverviewSweep, theBookingOverviewWithAFieldMissingOrNullLeavesTheClientRunningFirstSlice)
{
    EXPECT_GT(sweep(overview("updateSchedueMethod"), [this] { home(false); }), 0u);
    EXPECT_GT(sweep(overview("checkAboutCarMethod"), [this] { home(false); }, 0, 2), 0u);
}

TEST_F(OverviewSweep, theBookingOverviewWithAFieldMissingOrNullLeavesTheClientRunningSecondSlice)
{
    EXPECT_GT(sweep(overview("checkAboutCarMethod"), [this] { home(false); }, 1, 2), 0u);
}

class LoginRowSweep : public ReplyFieldSweep {
protected:
    // The login row's fields in six slices, a test each: every one logs in anew.
    void sweepSlice(std::size_t slice)
    {
        const Operation login { "loginMethod", [this] {
        fillLogin("学员", kLearner, "123456");
        waitUntil([this] { return navigation()->viewControllers().size() == 2 || !hudText().isNil(); });
        settled();
        if (!top<MainViewController>())
            return;
        // A learner without a subject or class has no day to ask for: the screen says so
        // instead of asking.
        auto user = AppDelegate::shared()->user();
        const bool unnamed = user->subject().length() == 0 || user->carType().length() == 0;
        const auto asked = [this] {
            return std::ranges::count_if(standIn.requests(), [](const auto& request) { return request.body.find("checkSchedueMethod") != std::string::npos; });
        };
        const auto before = asked();
        auto booking = driveBooking();
        if (unnamed) {
            EXPECT_EQ(asked(), before);
            EXPECT_FALSE(booking->nothingView()->isHidden());
        }
        leaveToHome();
        tapIfShown("视频学习");
    } };
        EXPECT_GT(sweep(login, [this] { relaunch(); }, slice, 6), 0u);
    }
};

TEST_F(LoginRowSweep, aLoginRowWithAFieldMissingOrNullStillBooksOrSaysWhyNotFirstSlice)
{
    sweepSlice(0);
}

TEST_F(LoginRowSweep, aLoginRowWithAFieldMissingOrNullStillBooksOrSaysWhyNotSecondSlice)
{
    sweepSlice(1);
}

TEST_F(LoginRowSweep, aLoginRowWithAFieldMissingOrNullStillBooksOrSaysWhyNotThirdSlice)
{
    sweepSlice(2);
}

TEST_F(LoginRowSweep, aLoginRowWithAFieldMissingOrNullStillBooksOrSaysWhyNotFourthSlice)
{
    sweepSlice(3);
}

TEST_F(LoginRowSweep, aLoginRowWithAFieldMissingOrNullStillBooksOrSaysWhyNotFifthSlice)
{
    sweepSlice(4);
}

TEST_F(LoginRowSweep, aLoginRowWithAFieldMissingOrNullStillBooksOrSaysWhyNotSixthSlice)
{
    sweepSlice(5);
}

TEST_F(ReplyFieldSweep, aRegionRowWithAFieldMissingOrNullLeavesTheLoginScreenWorking)
{
    const Operation regions { "getregional", [this] {
        auto login = loginScreen();
        host->tap(login->areaLab());
        settled();
        host->advance(0.5);
        auto sheet = login->openSheet();
        if (sheet && !sheet->titlesForComponenets().empty() && !sheet->titlesForComponenets()[0].empty()) {
            sheet->selectIndexes({ 0 }, false);
            host->runUntilIdle();
            tapIfShown("确定");
        }
    } };
    EXPECT_GT(sweep(regions, [this] { relaunch(); }), 0u);
}

TEST_F(ReplyFieldSweep, coachEvaluationsWithAFieldMissingOrNullLeaveTheClientRunning)
{
    auto coachForm = [this] {
        if (!tapIfShown("教练评价"))
            return;
        auto list = top<CoachEvaluateViewController>();
        if (!list || list->taps().empty())
            return;
        host->tap(list->taps()[0]->view());
        host->advance(0.5);
        settled();
        host->advance(0.5);
        auto detail = top<CoachEvalDetailViewController>();
        if (!detail || !detail->form())
            return;
        for (const auto& stars : detail->form()->stars())
            stars->setScore(4.5);
        detail->form()->commentView()->setText("讲解清楚");
        detail->submitEvent(*UIButton::buttonWithType(UIButtonTypeCustom));
        settled();
    };
    const std::vector<Operation> operations {
        { "emEvaluateMethod", coachForm },
        { "chEvaluateMethod", coachForm },
        { "saveEvaluateMethod", coachForm },
    };
    EXPECT_GT(sweepAll(operations, [this] { home(false); }), 0u);
}

TEST_F(ReplyFieldSweep, theSchoolEvaluationWithAFieldMissingOrNullLeavesTheClientRunning)
{
    auto schoolForm = [this] {
        if (!tapIfShown("驾校评价"))
            return;
        auto form = top<SchoolEvaluateViewController>();
        if (!form)
            return;
        for (const auto& stars : form->form()->stars())
            stars->setScore(4);
        form->form()->commentView()->setText("场地宽敞");
        form->submitEvent(*UIButton::buttonWithType(UIButtonTypeCustom));
        settled();
    };
    const std::vector<Operation> operations {
        { "enEvaluateMethod", schoolForm },
        { "saveEnEvaluateMethod", schoolForm },
    };
    EXPECT_GT(sweepAll(operations, [this] { home(false); }), 0u);
}

TEST_F(ReplyFieldSweep, thePasswordMailNoticesAndExamsWithAFieldMissingOrNullLeaveTheClientRunning)
{
    auto mail = [this] {
        if (!tapIfShown("运管信箱"))
            return;
        auto screen = top<MailViewController>();
        if (!screen)
            return;
        screen->titleField()->setText("考场预约");
        screen->noteView()->setText("希望增加考试场次。");
        screen->sendEvent(*UIButton::buttonWithType(UIButtonTypeCustom));
        settled();
    };
    auto password = [this] {
        host->tap(top<MainViewController>()->m_viewNaviBar()->m_btnRight());
        host->runUntilIdle();
        auto settings = top<SetupViewController>();
        if (!settings)
            return;
        host->tap(settings->rowButtons()[1]);
        host->runUntilIdle();
        auto screen = top<PasswordViewController>();
        if (!screen)
            return;
        screen->oldPwd()->setText("123456");
        screen->newPwd()->setText("abcdef");
        screen->newPwd2()->setText("abcdef");
        host->tap(screen->saveButton());
        waitUntil([&] { return !screen->isSaving(); });
    };
    const std::vector<Operation> operations {
        { "updatePwdMethod", password },
        { "addMailMethod", mail },
        { "checkNoticeMethod", [this] {
             top<MainViewController>()->aboutMe(*UIButton::buttonWithType(UIButtonTypeCustom));
             host->advance(0.5);
             tapIfShown("我的消息");
         } },
        { "checkExamMethod", [this] { tapIfShown("查考试"); } },
    };
    EXPECT_GT(sweepAll(operations, [this] { home(false); }), 0u);
}

class AppealSweep : public ReplyFieldSweep {
protected:
    void sweepTypes(std::initializer_list<const char*> types)
    {
        std::vector<Operation> operations;
        for (const char* type : types)
            operations.push_back({ std::string("queryStudentHour/") + type, [this] { driveAppeals(); } });
        EXPECT_GT(sweepAll(operations, [this] { home(false); }), 0u);
    }
};

TEST_F(AppealSweep, hoursAndTheCalendarWithAFieldMissingOrNullLeaveTheClientRunning)
{
    EXPECT_GT(sweep({ "checkHourMethod", [this] { driveAppeals(); } }, [this] { home(false); }), 0u);
    sweepTypes({ "7", "1" });
}

TEST_F(AppealSweep, aDaysRecordsWithAFieldMissingOrNullLeaveTheClientRunning)
{
    sweepTypes({ "2" });
}

TEST_F(AppealSweep, aRecordsAppealCheckAndPhotosWithAFieldMissingOrNullLeaveTheClientRunning)
{
    sweepTypes({ "6", "3" });
}

TEST_F(AppealSweep, anAppealAndItsResultsWithAFieldMissingOrNullLeaveTheClientRunning)
{
    sweepTypes({ "4", "5" });
}

TEST_F(ReplyFieldSweep, officerRepliesWithAFieldMissingOrNullLeaveTheClientRunning)
{
    const std::vector<Operation> operations {
        { "coachAnalysisMethod", [this] { tapIfShown("教练分析"); } },
        { "stuAnalysisMethod", [this] { tapIfShown("学员分析"); } },
    };
    EXPECT_GT(sweepAll(operations, [this] { home(false, "运政", kOfficer, "654321"); }), 0u);
}

class PurchaseSweep : public ReplyFieldSweep {
protected:
    static constexpr const char* kUnpaid = "510104199605207788";
    // On from the order to the payment: its cashier, when it opens, is closed again, which
    // cancels the payment.
    void pay()
    {
        auto order = top<OrderInfoViewController>();
        if (!order || !order->payButton()->isEnabled())
            return;
        host->tap(order->payButton());
        auto service = OrbipaySDK::defaultService();
        const auto cashierShown = [service] {
            auto cashier = service->cashier();
            return cashier && !cashier->webView()->isLoading() && cashier->webView()->request();
        };
        // Every road but the cashier takes the order screen away.
        EXPECT_TRUE(waitUntil([&] { return cashierShown() || (!top<OrderInfoViewController>() && requestsUnderWay <= 0); }));
        if (auto cashier = service->cashier())
            host->tap(cashier->closeButton());
        settled();
        host->advance(0.5);
        EXPECT_FALSE(service->isPaymentPending());
    }
    // The video check of a learner who has not paid leads on to the goods and the order.
    Operation purchase(const char* name, bool rewrittenOnly, bool paying = false)
    {
        return { name, [this, paying] {
                    if (!tapIfShown("视频学习"))
                        return;
                    answerAlert("立即前往");
                    settled();
                    host->advance(0.5);
                    tapIfShown("提交订单");
                    host->advance(1.5);
                    settled();
                    if (paying)
                        pay();
                },
            rewrittenOnly };
    }
    void sweepPurchase(const std::vector<Operation>& operations)
    {
        EXPECT_GT(sweepAll(operations, [this] { home(false, "学员", kUnpaid, "123456"); }), 0u);
    }
};

TEST_F(PurchaseSweep, theVideoCheckWithAFieldMissingOrNullLeavesTheClientRunningFirstSlice)
{
    EXPECT_GT(sweep(purchase("loginCheck", false), [this] { home(false, "学员", kUnpaid, "123456"); }, 0, 2), 0u);
}

TEST_F(PurchaseSweep, theVideoCheckWithAFieldMissingOrNullLeavesTheClientRunningSecondSlice)
{
    EXPECT_GT(sweep(purchase("loginCheck", false), [this] { home(false, "学员", kUnpaid, "123456"); }, 1, 2), 0u);
}

TEST_F(PurchaseSweep, theGoodsWithAFieldMissingOrNullLeaveTheClientRunningFirstSlice)
{
    EXPECT_GT(sweep(purchase("QUERYGOODSBYID", true), [this] { home(false, "学员", kUnpaid, "123456"); }, 0, 2), 0u);
}

TEST_F(PurchaseSweep, theGoodsWithAFieldMissingOrNullLeaveTheClientRunningSecondSlice)
{
    EXPECT_GT(sweep(purchase("QUERYGOODSBYID", true), [this] { home(false, "学员", kUnpaid, "123456"); }, 1, 2), 0u);
}

TEST_F(PurchaseSweep, theOrderWithAFieldMissingOrNullLeavesTheClientRunning)
{
    sweepPurchase({ purchase("GETORDERNUMAPP", true) });
}

TEST_F(PurchaseSweep, thePaymentInfoWithAFieldMissingOrNullLeavesTheClientRunning)
{
    sweepPurchase({ purchase("SAVEPAYMENTINFO", true, true) });
}

class VideoSweep : public ReplyFieldSweep {
protected:
    void SetUp() override
    {
        setenv("CORVANE_AUDIO_SINK", "fake", 1);
        ReplyFieldSweep::SetUp();
    }
    void TearDown() override
    {
        // The film is read from the stand-in: it stops before the stand-in goes.
        if (auto player = top<VideoPlayViewController>())
            player->moviePlayer()->stop();
        ReplyFieldSweep::TearDown();
    }
    // The video list, its third lesson (part watched, far from its end), the seconds up to the
    // first save, and back to the list with the closing save.
    void driveLesson()
    {
        if (!tapIfShown("视频学习"))
            return;
        auto list = top<VideoStudentViewController>();
        if (!list || !list->itemArray() || list->itemArray()->count() == 0)
            return;
        const NSInteger row = std::min<NSInteger>(2, NSInteger(list->itemArray()->count()) - 1);
        list->didSelectRowAtIndexPath(*list->mTableView(), NSIndexPath::indexPathForRow(row, 0));
        host->advance(0.5);
        auto player = top<VideoPlayViewController>();
        if (!player)
            return;
        // A lesson that cannot play (its start refused, no film to play) says so and counts nothing.
        const auto cannotPlay = [&] {
            return requestsUnderWay <= 0
                && (!player->videoData() || !NSURL::URLWithString(ns::stringForKey(player->videoDict(), "url")));
        };
        EXPECT_TRUE(pumpUntil([&] { return player->timerUp() != nullptr || cannotPlay(); }));
        const int seconds = int(std::clamp<long long>(player->preIntervalTime(), 1, 10));
        for (int second = 0; second < seconds && player->timerUp(); ++second) {
            host->advance(1);
            EXPECT_TRUE(pumpUntil([&] { return requestsUnderWay <= 0 && !(player->moviePlayer()->loadState() & MPMovieLoadStateStalled); }));
        }
        player->btnBack(*UIButton::create());
        settled();
        host->advance(0.5);
    }
    // Each lesson plays for seconds: a reply's fields are cut into slices, a test each.
    void sweepLesson(const char* name, std::size_t slice, std::size_t slices)
    {
        EXPECT_GT(sweep({ name, [this] { driveLesson(); } }, [this] { home(false); }, slice, slices), 0u);
    }
};

TEST_F(VideoSweep, theVideoListWithAFieldMissingOrNullLeavesTheClientRunningFirstSlice)
{
    sweepLesson("initVideoList", 0, 2);
}

TEST_F(VideoSweep, theVideoListWithAFieldMissingOrNullLeavesTheClientRunningSecondSlice)
{
    sweepLesson("initVideoList", 1, 2);
}

TEST_F(VideoSweep, aLessonsStartWithAFieldMissingOrNullLeavesTheClientRunningFirstSlice)
{
    sweepLesson("initPlay", 0, 3);
}

TEST_F(VideoSweep, aLessonsStartWithAFieldMissingOrNullLeavesTheClientRunningSecondSlice)
{
    sweepLesson("initPlay", 1, 3);
}

TEST_F(VideoSweep, aLessonsStartWithAFieldMissingOrNullLeavesTheClientRunningThirdSlice)
{
    sweepLesson("initPlay", 2, 3);
}

TEST_F(VideoSweep, aSavedTimeWithAFieldMissingOrNullLeavesTheClientRunningFirstSlice)
{
    sweepLesson("saveTime", 0, 2);
}

TEST_F(VideoSweep, aSavedTimeWithAFieldMissingOrNullLeavesTheClientRunningSecondSlice)
{
    sweepLesson("saveTime", 1, 2);
}

} // namespace

// Scripted sessions of the learner in video learning, booking and the purchase of online learning
// against the stand-in: the course list paged and pulled, a course video played on the manual
// clock with its watched seconds credited (a refused save carried into the next one), the daily
// cap, the closing saves; booking and cancelling slots; the goods, the order and the web cashier.
#include "tests/app/ClientSession.h"

#include "app/training/GoodsInfoViewController.h"
#include "app/training/MakeCarViewController.h"
#include "app/training/MakeCoachViewController.h"
#include "app/training/OrderInfoViewController.h"
#include "app/training/PurchaseEmptyView.h"
#include "app/training/VideoPlayViewController.h"
#include "app/training/VideoStudentViewController.h"
#include "library/json/JSONCodecDeserializing.h"
#include "library/payment/OPayCashierViewController.h"
#include "library/payment/OrbipaySDK.h"
#include "platform/foundation/NSMachPort.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/foundation/TypedValues.h"
#include "platform/uikit/UIScrollView.h"

#include <httplib.h>

#include <chrono>
#include <filesystem>

// The media framework's libraries are built without frame pointers: only the slow unwinder follows
// an allocation back to where it was made, which the leak checker's suppressions need.
extern "C" const char* __asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}

namespace {

constexpr const char* kUnpaidLearner = "510104199605207788";
constexpr const char* kBusyLearner = "510104199411112222";

class TrainingSession : public ClientSession {
protected:
    void SetUp() override
    {
        setenv("CORVANE_AUDIO_SINK", "fake", 1);
        ClientSession::SetUp();
        const std::string gateway = "http://127.0.0.1:" + std::to_string(standIn.paymentPort()) + "/gateway/cashier";
        setenv("CORVANE_PAYMENT_GATEWAY_URL", gateway.c_str(), 1);
    }
    void TearDown() override
    {
        // Leaves the player before the stand-in goes: its film is read from there.
        if (auto player = top<VideoPlayViewController>())
            player->moviePlayer()->stop();
        ClientSession::TearDown();
        unsetenv("CORVANE_PAYMENT_GATEWAY_URL");
    }

    // Pumps the main loop (the clock stays) until the condition holds; never runs the clock on,
    // for a playing video's timers would keep it going.
    bool waitFor(const std::function<bool()>& done)
    {
        auto loop = NSRunLoop::mainRunLoop();
        const auto mode = UIScrollView::mainRunLoopMode();
        auto port = NSMachPort::port();
        loop->addPort(port, mode);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        host->drainRunLoop();
        while (!done() && std::chrono::steady_clock::now() < deadline) {
            loop->runInMode(mode, 0.05, true);
            host->drainRunLoop();
        }
        loop->removePort(port, mode);
        return done();
    }
    bool settled() { return waitFor([this] { return requestsUnderWay <= 0; }); }
    // Taps, then waits for the request the tap sends to start and for every request to end.
    bool tapAndAnswer(const UIViewRef& view)
    {
        const NSInteger before = requestsStarted;
        host->tap(view);
        return requestsAnsweredSince(before);
    }
    void picture(const std::string& name)
    {
        const std::filesystem::path folder = CORVANE_SCREENS_DIR;
        std::filesystem::create_directories(folder);
        EXPECT_TRUE(host->writePNG(NSString((folder / ("training-" + name + ".png")).string()))) << name;
    }
    void tapTile(const char* title)
    {
        auto tile = host->findViewWithText(title);
        ASSERT_TRUE(tile) << title;
        host->tap(tile);
        host->advance(0.5);
    }
    std::shared_ptr<VideoStudentViewController> openVideoList(const char* learner)
    {
        EXPECT_TRUE(logIn("学员", learner, "123456"));
        tapTile("视频学习");
        EXPECT_TRUE(waitFor([this] {
            auto list = top<VideoStudentViewController>();
            return list && list->itemArray() && list->itemArray()->count() > 0 && requestsUnderWay <= 0;
        }));
        host->advance(0.5);
        return top<VideoStudentViewController>();
    }
    std::shared_ptr<VideoPlayViewController> play(const std::shared_ptr<VideoStudentViewController>& list, NSInteger row)
    {
        list->didSelectRowAtIndexPath(*list->mTableView(), NSIndexPath::indexPathForRow(row, 0));
        host->advance(0.5);
        auto player = top<VideoPlayViewController>();
        EXPECT_TRUE(player);
        // Playing starts with the first playable state, with the counting timer.
        EXPECT_TRUE(waitFor([&] { return player && player->timerUp() != nullptr; }));
        return player;
    }
    // The `param` objects of the video service's saves, in the order they came.
    std::vector<std::shared_ptr<NSDictionary>> saves()
    {
        std::vector<std::shared_ptr<NSDictionary>> found;
        for (const auto& request : standIn.requests()) {
            if (request.path.find("app/saveTime") == std::string::npos)
                continue;
            const auto start = request.body.find("param=");
            const auto end = request.body.find('&', start);
            const std::string value = standin::formDecode(request.body.substr(start + 6, end == std::string::npos ? std::string::npos : end - start - 6));
            found.push_back(ns::dictionaryValue(JSONCodecDeserializing::objectFromJSONString(NSString(value))));
        }
        return found;
    }
    void failNextSaves(int count)
    {
        const NSString talkId = NSUserDefaults::standardUserDefaults()->stringForKey("SESSIONID");
        httplib::Client client("127.0.0.1", standIn.mainPort());
        const std::string param = R"({"TALKID":")" + std::string(talkId.UTF8String()) + R"(","count":)" + std::to_string(count) + "}";
        auto answer = client.Post("/Tessalane/app/standin/failSaves",
            "param=" + standin::formEncode(param) + "&_format_=json&_license_key_=A7C19D04E2B85F63C0D9174BE6A2F58D&_app_id_=TSAPP",
            "application/x-www-form-urlencoded");
        ASSERT_TRUE(answer && answer->status == 200);
    }
    // Seconds go by one at a time so that every reply, and the film, arrive before the next tick.
    void watch(int seconds)
    {
        auto player = top<VideoPlayViewController>();
        for (int i = 0; i < seconds; ++i) {
            host->advance(1);
            waitFor([&] { return requestsUnderWay <= 0 && (!player || !(player->moviePlayer()->loadState() & MPMovieLoadStateStalled)); });
        }
    }
    // The finger pulls the list to the offset and lets go.
    void pull(const std::shared_ptr<PullTableView>& table, CGFloat y)
    {
        table->beginTracking();
        table->beginDragging();
        table->setContentOffset(CGPointMake(0, y));
        table->endDragging(CGPointZero);
        host->advance(0.5);
    }
    static long long learnedOf(const std::shared_ptr<NSArray>& rows, NSUInteger index)
    {
        return ns::longLongValue(ns::dictionaryValue(rows->objectAtIndex(index))->objectForKey(NSString("learnedTime")));
    }
};

TEST_F(TrainingSession, theCourseListPagesAndPullsAndShowsEachVideosProgress)
{
    auto list = openVideoList(kLearner);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->itemArray()->count(), 100u);
    EXPECT_EQ(list->subject(), 2);
    EXPECT_TRUE(list->tab(1)->isSelected());
    EXPECT_NE(host->viewTree().find("00:20/00:20"), std::string::npos);
    picture("01-video-list");

    // Pulled up past the end: the next page joins the list.
    auto table = list->mTableView();
    const CGFloat end = table->contentSize().height - table->bounds().size.height;
    pull(table, end + 80);
    ASSERT_TRUE(waitFor([&] { return list->itemArray()->count() == 130u; }));
    EXPECT_EQ(list->pageNum(), 2);
    host->advance(0.5);
    picture("02-video-list-more");
    // Each title ends inside the screen, with its ellipsis in sight.
    for (const auto& cell : table->visibleCells()) {
        for (const auto& view : cell->contentView()->subviews()) {
            auto label = std::dynamic_pointer_cast<UILabel>(view);
            if (!label)
                continue;
            EXPECT_LE(CGRectGetMaxX(label->convertRectToView(label->bounds(), nullptr)), host->keyWindow()->bounds().size.width) << label->text();
        }
    }

    // Pulled down at the top: the first page again, alone.
    pull(table, -80);
    ASSERT_TRUE(waitFor([&] { return list->itemArray()->count() == 100u && requestsUnderWay <= 0; }));
    EXPECT_EQ(list->pageNum(), 1);

    // The learner has reached subject two: subject three stays closed, subject one opens.
    host->tap(list->tab(2));
    host->advance(0.3);
    EXPECT_EQ(list->subject(), 2);
    host->tap(list->tab(0));
    ASSERT_TRUE(waitFor([&] { return list->subject() == 1 && list->itemArray()->count() == 24u && requestsUnderWay <= 0; }));
    host->advance(0.5);
    picture("03-video-list-subject-one");
}

TEST_F(TrainingSession, aVideoPlaysItsSecondsAreCreditedAndARefusedSaveIsCarriedIntoTheNext)
{
    auto list = openVideoList(kLearner);
    ASSERT_TRUE(list);
    auto player = play(list, 0);
    ASSERT_TRUE(player);
    EXPECT_EQ(player->preIntervalTime(), 10);
    host->advance(1.5);
    picture("04-video-playing");
    host->tap(host->findViewWithText("要点"));
    host->advance(0.3);
    picture("05-video-key-points");
    host->tap(host->findViewWithText("相关"));

    failNextSaves(1);
    watch(10 - player->secondCountUp());
    ASSERT_TRUE(waitFor([&] { return saves().size() == 1u; }));
    EXPECT_EQ(ns::intForKey(saves()[0], "intervalTime"), 10);
    EXPECT_TRUE(waitFor([&] { return player->uncreditedSeconds("V2001") == 10; }));

    // The film is 12 s: its end sends the rest with the refused ten, as the video's end.
    for (int step = 0; step < 12 && saves().size() < 2u; ++step)
        watch(1);
    ASSERT_TRUE(waitFor([&] { return saves().size() == 2u; }));
    // The stand-in has the save before the client has told of the request, so no request may be
    // counted under way yet: the reply is waited for by what it changes.
    waitFor([&] { return learnedOf(list->itemArray(), 0) > 0; });
    settled();
    EXPECT_EQ(ns::intForKey(saves()[1], "intervalTime"), 12);
    EXPECT_EQ(ns::intForKey(saves()[1], "isEnd"), 1);
    EXPECT_EQ(player->uncreditedSeconds("V2001"), 0);
    EXPECT_EQ(learnedOf(list->itemArray(), 0), 12);
    EXPECT_EQ(alertMessage(), NSString("该视频播放完成，您可以继续其他视频的学习"));
    picture("06-video-finished");
    ASSERT_TRUE(tapAlertButton("确定"));
    host->advance(0.5);
    EXPECT_TRUE(top<VideoStudentViewController>());
    EXPECT_NE(host->viewTree().find("00:12/00:12"), std::string::npos);
    picture("07-video-list-credited");
}

TEST_F(TrainingSession, leavingAndSwitchingEachSendTheirClosingSaveOnce)
{
    auto list = openVideoList(kLearner);
    ASSERT_TRUE(list);
    // Lesson three has 15 of its 30 seconds: it resumes there.
    auto player = play(list, 2);
    ASSERT_TRUE(player);
    watch(5);
    EXPECT_TRUE(saves().empty());
    const int counted = player->secondCountUp();
    EXPECT_GE(counted, 5);
    player->btnBack(*UIButton::create());
    ASSERT_TRUE(waitFor([&] { return saves().size() == 1u; }));
    waitFor([&] { return learnedOf(list->itemArray(), 2) > 15; });
    ASSERT_TRUE(settled());
    host->advance(0.5);
    ASSERT_EQ(saves().size(), 1u);
    EXPECT_EQ(ns::intForKey(saves()[0], "intervalTime"), counted);
    EXPECT_EQ(ns::intForKey(saves()[0], "isEnd"), 0);
    EXPECT_EQ(learnedOf(list->itemArray(), 2), 15 + counted);
    host->advance(2);
    EXPECT_EQ(saves().size(), 1u);

    // Switching to a related video saves what was watched, then plays the chosen one.
    player = play(list, 3);
    ASSERT_TRUE(player);
    watch(3);
    const int switchedAfter = player->secondCountUp();
    player->didSelectRowAtIndexPath(*player->mTableView(), NSIndexPath::indexPathForRow(4, 0));
    picture("08-video-switch-asked");
    ASSERT_TRUE(tapAlertButton("确定"));
    ASSERT_TRUE(waitFor([&] { return ns::stringForKey(player->videoDict(), "videoid") == NSString("V2005"); }));
    ASSERT_TRUE(waitFor([&] { return saves().size() == 2u; }));
    waitFor([&] { return learnedOf(list->itemArray(), 3) > 0; });
    settled();
    ASSERT_EQ(saves().size(), 2u);
    EXPECT_EQ(ns::stringForKey(saves()[1], "videoid"), NSString("V2004"));
    // What was counted up to the confirmation, a tick more when one fell while the question was up.
    const int interval = ns::intForKey(saves()[1], "intervalTime");
    EXPECT_GE(interval, switchedAfter);
    EXPECT_LE(interval, switchedAfter + 1);
    EXPECT_EQ(learnedOf(list->itemArray(), 3), interval);
    ASSERT_TRUE(waitFor([&] { return player->timerUp() != nullptr; }));
    host->advance(0.5);
    picture("09-video-switched");
}

TEST_F(TrainingSession, theDailyCapStopsCreditingAtFourHours)
{
    auto list = openVideoList(kBusyLearner);
    ASSERT_TRUE(list);
    auto player = play(list, 0);
    ASSERT_TRUE(player);
    watch(10 - player->secondCountUp());
    ASSERT_TRUE(waitFor([&] { return saves().size() == 1u; }));
    // The service credited what was left of the day and says so.
    ASSERT_TRUE(waitFor([&] { return player->isPassFourHour(); }));
    EXPECT_EQ(ns::intForKey(player->videoData(), "todayTime"), 14400);
    EXPECT_TRUE(player->isPassFourHour());
    EXPECT_EQ(alertMessage(), NSString("当天理论培训时间已超过4个小时,接下来的学习时间将不计入有效学时！"));
    picture("10-video-daily-cap");
    ASSERT_TRUE(tapAlertButton("确定"));
    player->btnBack(*UIButton::create());
    settled();
    EXPECT_EQ(saves().size(), 1u);
    EXPECT_EQ(learnedOf(list->itemArray(), 0), 10);
}

TEST_F(TrainingSession, bookingListsTheCoachsSlotsBooksTwoRefusesAPassedOneAndCancels)
{
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    tapTile("预约学车");
    auto overview = top<MakeCarViewController>();
    ASSERT_TRUE(overview);
    ASSERT_TRUE(waitUntil([&] { return !overview->TSEMPLOYEEID().isNil() && requestsUnderWay <= 0; }));
    EXPECT_EQ(overview->TSEMPLOYEEID(), NSString("JL0002"));
    EXPECT_NE(host->viewTree().find("已过期"), std::string::npos);
    shot("training-11-booking-overview");

    host->tap(host->findViewWithText("我要约车"));
    auto booking = top<MakeCoachViewController>();
    ASSERT_TRUE(booking);
    ASSERT_TRUE(waitUntil([&] { return booking->aboutArray() && requestsUnderWay <= 0; }));
    // Tomorrow's slots all lie ahead.
    ASSERT_TRUE(tapAndAnswer(host->findViewWithText("下一天")));
    const NSString tomorrow = booking->dateLabel()->text();
    ASSERT_EQ(booking->aboutArray()->count(), 4u);
    EXPECT_EQ(booking->nameLabel()->text(), NSString("李红梅"));
    auto rowAt = [&](NSInteger index) {
        for (const auto& view : booking->vScrollView()->subviews())
            if (std::dynamic_pointer_cast<UIButton>(view) && view->tag() == index)
                return view;
        return UIViewRef();
    };
    // The third slot first, then the first: ids and times go in the schedule's order.
    host->tap(rowAt(2));
    host->tap(rowAt(0));
    EXPECT_EQ(booking->ids().size(), 2u);
    shot("training-12-slots-chosen");
    standIn.clearRequests();
    host->tap(host->findViewWithText("确定"));
    ASSERT_TRUE(waitUntil([&] { return booking->ids().empty() && requestsUnderWay <= 0; }));
    const auto sent = standIn.requests();
    ASSERT_FALSE(sent.empty());
    const auto fields = standin::formDecode(sent.front().body);
    EXPECT_NE(fields.find("ABOUTIDS=JL0002-" + std::string(tomorrow.UTF8String()) + "-1,JL0002-" + std::string(tomorrow.UTF8String()) + "-3"), std::string::npos);
    EXPECT_NE(fields.find("ABOUTTIME=08:00-10:00,14:00-16:00"), std::string::npos);
    host->advance(1.2);
    EXPECT_TRUE(waitUntil([&] { return host->viewTree().find("剩余名额【2】") != std::string::npos && requestsUnderWay <= 0; }));
    shot("training-13-slots-booked");

    // The day before yesterday has passed: its slots cannot be chosen.
    ASSERT_TRUE(tapAndAnswer(host->findViewWithText("上一天")));
    ASSERT_TRUE(tapAndAnswer(host->findViewWithText("上一天")));
    ASSERT_TRUE(tapAndAnswer(host->findViewWithText("上一天")));
    host->tap(rowAt(3));
    EXPECT_TRUE(booking->ids().empty());
    EXPECT_NE(host->viewTree().find("排班已过期"), std::string::npos);
    shot("training-14-slot-passed");

    navigation()->popViewControllerAnimated(false);
    ASSERT_TRUE(waitUntil([&] { return overview->noPastArray()->count() == 2u && requestsUnderWay <= 0; }));
    shot("training-15-booking-overview-booked");
    auto cancel = host->findView([](UIView& view) { return dynamic_cast<UIButton*>(&view) && view.tag() == 1 && view.bounds().size.width <= 30; });
    ASSERT_TRUE(cancel);
    host->tap(cancel);
    EXPECT_EQ(alertMessage(), NSString("确定取消该条约车信息？"));
    ASSERT_TRUE(tapAlertButton("确定"));
    ASSERT_TRUE(waitUntil([&] { return requestsUnderWay <= 0; }));
    // The result outlives the alert that asked for it.
    EXPECT_EQ(hudText(), NSString("取消约车成功!"));
    shot("training-16-booking-cancel-result");
    host->advance(1.2);
    ASSERT_TRUE(waitUntil([&] { return overview->noPastArray()->count() == 1u && requestsUnderWay <= 0; }));
    shot("training-16-booking-cancelled");
}

class PurchaseSession : public TrainingSession {
protected:
    std::shared_ptr<OrderInfoViewController> openOrder()
    {
        EXPECT_TRUE(logIn("学员", kUnpaidLearner, "123456"));
        tapTile("视频学习");
        EXPECT_TRUE(waitUntil([&] { return requestsUnderWay <= 0; }));
        EXPECT_EQ(alertMessage(), NSString("您还没有开通网上学习功能，是否前往开通?"));
        EXPECT_TRUE(tapAlertButton("立即前往"));
        auto goods = top<GoodsInfoViewController>();
        EXPECT_TRUE(goods);
        EXPECT_TRUE(waitUntil([&] { return goods && goods->goods() && requestsUnderWay <= 0; }));
        shot("training-17-goods");
        host->tap(host->findViewWithText("提交订单"));
        auto order = top<OrderInfoViewController>();
        EXPECT_TRUE(order);
        EXPECT_TRUE(waitUntil([&] { return order && order->orderIdLab()->text().length() > 0 && requestsUnderWay <= 0; }));
        return order;
    }
    bool cashierShown()
    {
        if (!waitFor([] { return OrbipaySDK::defaultService()->cashier() != nullptr; }))
            return false;
        host->advance(0.5);
        return waitFor([] {
            auto cashier = OrbipaySDK::defaultService()->cashier();
            return cashier && !cashier->webView()->isLoading() && cashier->webView()->request();
        });
    }
    void tapPage(CGFloat y)
    {
        host->advance(0.3);
        host->tap(CGPointMake(160, 64 + y));
    }
    std::size_t paymentInfoRequests()
    {
        std::size_t count = 0;
        for (const auto& request : standIn.requests())
            count += request.path.find("SAVEPAYMENTINFO") != std::string::npos;
        return count;
    }
};

TEST_F(PurchaseSession, theWebCashierPaysTheOrderAndTheLearnerIsBackHome)
{
    auto order = openOrder();
    ASSERT_TRUE(order);
    EXPECT_EQ(order->priceLab()->text(), NSString("￥19.90"));
    shot("training-18-order");
    host->tap(order->payButton());
    // A second tap while the payment runs sends nothing.
    host->tap(order->payButton());
    ASSERT_TRUE(cashierShown());
    EXPECT_EQ(paymentInfoRequests(), 1u);
    picture("19-cashier");
    tapPage(182); // 确认支付
    ASSERT_TRUE(cashierShown());
    picture("20-cashier-paid");
    tapPage(182); // 返回商户
    EXPECT_EQ(alertMessage(), NSString("充值成功"));
    host->advance(1);
    picture("21-paid");
    ASSERT_TRUE(tapAlertButton("确定"));
    EXPECT_TRUE(top<MainViewController>());
    EXPECT_FALSE(OrbipaySDK::defaultService()->isPaymentPending());
    EXPECT_EQ(paymentInfoRequests(), 1u);
}

TEST_F(PurchaseSession, cancellingInTheCashierIsAnnouncedAndLeadsHome)
{
    auto order = openOrder();
    ASSERT_TRUE(order);
    host->tap(order->payButton());
    ASSERT_TRUE(cashierShown());
    tapPage(242); // 取消支付
    EXPECT_EQ(alertMessage(), NSString("您取消支付"));
    host->advance(1);
    picture("22-cancelled");
    ASSERT_TRUE(tapAlertButton("确定"));
    EXPECT_TRUE(top<MainViewController>());
}

TEST_F(PurchaseSession, aLostServiceShowsTheEmptyViewInPlaceOfTheOrderAndItsRefreshAsksAgain)
{
    auto order = openOrder();
    ASSERT_TRUE(order);
    auto content = order->payButton()->superview();
    ASSERT_TRUE(content);
    EXPECT_TRUE(order->nothingView()->isHidden());
    standIn.stop();
    order->loadData();
    ASSERT_TRUE(waitUntil([&] { return !order->nothingView()->isHidden() && requestsUnderWay <= 0; }));
    EXPECT_TRUE(content->isHidden());
    shot("training-23-order-empty");

    // Only a request that fails again can hide the content once more; shown, it covers the
    // button, so the button's action is sent as a tap would.
    auto empty = std::dynamic_pointer_cast<PurchaseEmptyView>(order->nothingView());
    ASSERT_TRUE(empty);
    content->setHidden(false);
    empty->refreshButton()->sendActionsForControlEvents(UIControlEventTouchUpInside);
    ASSERT_TRUE(waitUntil([&] { return content->isHidden() && requestsUnderWay <= 0; }));
    EXPECT_FALSE(order->nothingView()->isHidden());
}

} // namespace

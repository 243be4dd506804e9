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
#include "library/widgets/hud/STProgressHUD.h"
#include "library/widgets/player/VPMoviePlayerControls.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/foundation/TypedValues.h"
#include "platform/host/ApplicationTermination.h"
#include "platform/sysconfig/SCNetworkReachabilityTesting.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIDevice.h"
#include "tests/media/ScriptedMovieModule.h"
#include "tests/support/HeldStream.h"

#include <httplib.h>

#include <algorithm>

namespace {

constexpr const char* kUnpaidLearner = "510104199605207788";
constexpr const char* kBusyLearner = "510104199411112222";

class TrainingSession : public ClientSession {
protected:
    void SetUp() override
    {
        setenv("CORVANE_AUDIO_SINK", "fake", 1);
        ClientSession::SetUp();
    }
    void TearDown() override
    {
        // Leaves the player before the stand-in goes: its film is read from there.
        if (auto player = top<VideoPlayViewController>())
            player->moviePlayer()->stop();
        ClientSession::TearDown();
    }

    // Never runs the clock on, for a playing video's timers would keep it going.
    bool waitFor(const std::function<bool()>& done) { return pumpUntil(done); }
    bool settled() { return waitFor([this] { return requestsUnderWay <= 0; }); }
    // Taps, then waits for the request the tap sends to start and for every request to end.
    bool tapAndAnswer(const UIViewRef& view)
    {
        const NSInteger before = requestsStarted;
        host->tap(view);
        return requestsAnsweredSince(before);
    }
    void picture(const std::string& name) { shotAsItStands("training-" + name); }
    std::shared_ptr<VideoStudentViewController> openVideoList(const char* learner)
    {
        EXPECT_TRUE(logIn("学员", learner, "123456"));
        tapShown("视频学习");
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
    // A session that has failed watches no further, so that it ends well inside its time-out.
    void watch(int seconds)
    {
        auto player = top<VideoPlayViewController>();
        for (int i = 0; i < seconds && !HasFailure(); ++i) {
            host->advance(1);
            EXPECT_TRUE(waitFor([&] { return requestsUnderWay <= 0 && (!player || !(player->moviePlayer()->loadState() & MPMovieLoadStateStalled)); }))
                << "the film stalled or a reply did not come";
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

TEST_F(TrainingSession, leavingSendsItsClosingSaveOnce)
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
}

// Switching to a related video saves what was watched, then plays the chosen one.
TEST_F(TrainingSession, switchingSendsItsClosingSaveOnceAndPlaysTheChosenVideo)
{
    auto list = openVideoList(kLearner);
    ASSERT_TRUE(list);
    auto player = play(list, 3);
    ASSERT_TRUE(player);
    watch(3);
    const int switchedAfter = player->secondCountUp();
    player->didSelectRowAtIndexPath(*player->mTableView(), NSIndexPath::indexPathForRow(4, 0));
    picture("08-video-switch-asked");
    ASSERT_TRUE(tapAlertButton("确定"));
    ASSERT_TRUE(waitFor([&] { return ns::stringForKey(player->videoDict(), "videoid") == NSString("V2005"); }));
    ASSERT_TRUE(waitFor([&] { return saves().size() == 1u; }));
    waitFor([&] { return learnedOf(list->itemArray(), 3) > 0; });
    settled();
    ASSERT_EQ(saves().size(), 1u);
    EXPECT_EQ(ns::stringForKey(saves()[0], "videoid"), NSString("V2004"));
    // What was counted up to the confirmation, a tick more when one fell while the question was up.
    const int interval = ns::intForKey(saves()[0], "intervalTime");
    EXPECT_GE(interval, switchedAfter);
    EXPECT_LE(interval, switchedAfter + 1);
    EXPECT_EQ(learnedOf(list->itemArray(), 3), interval);
    ASSERT_TRUE(waitFor([&] { return player->timerUp() != nullptr; }));
    host->advance(0.5);
    picture("09-video-switched");
}

// A change of state stuck in the media framework holds neither the film page nor the window: the
// learner switches lessons, which stops the stuck film, then closes the window.
TEST(TrainingStuckFilm, aFilmPageBehindAStuckFilmSwitchesLessonsAndLetsTheWindowClose)
{
    EXPECT_TRUE(ScriptedMovieModule::passes("TrainingSession.DISABLED_aFilmPageBehindAStuckFilmSwitchesLessonsAndLetsTheWindowClose"));
}

TEST_F(TrainingSession, DISABLED_aFilmPageBehindAStuckFilmSwitchesLessonsAndLetsTheWindowClose)
{
    ScriptedMovieModule films;
    ASSERT_TRUE(films.bind());
    films.stickEveryFilmPlaying();
    auto list = openVideoList(kLearner);
    ASSERT_TRUE(list);
    auto player = play(list, 3);
    ASSERT_TRUE(player);
    watch(2);
    player->didSelectRowAtIndexPath(*player->mTableView(), NSIndexPath::indexPathForRow(4, 0));
    // The chosen lesson is read and the player readied for it, the stuck film stopped first; the
    // replies may take a session's wait, but nothing may wait for the stuck change.
    bool switched = false;
    EXPECT_TRUE(films.closesInTime([&] {
        switched = tapAlertButton("确定")
            && waitFor([&] { return ns::stringForKey(player->videoDict(), "videoid") == NSString("V2005") && player->timerUp(); });
    }, testing_support::kSessionWaitSeconds));
    EXPECT_TRUE(switched);
    watch(2);
    EXPECT_TRUE(films.closesInTime([] { UIApplication::sharedApplication()->terminate(); }));
    EXPECT_TRUE(ApplicationTermination::terminateAndWait());
    films.releaseStuckChanges();
    player->moviePlayer()->setContentURL(nullptr);
    EXPECT_TRUE(waitFor([&] { return films.liveDecoders() == 0; }));
}

TEST_F(TrainingSession, theDailyCapStopsCreditingAtFourHoursButNotTheEndsNotice)
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
    // The film's end still says so, and its 确定 leaves: only the saves stop.
    for (int second = 0; second < 10 && alertMessage().isNil(); ++second)
        watch(1);
    EXPECT_EQ(alertMessage(), NSString("该视频播放完成，您可以继续其他视频的学习"));
    ASSERT_TRUE(tapAlertButton("确定"));
    settled();
    host->advance(0.5);
    EXPECT_TRUE(top<VideoStudentViewController>());
    EXPECT_EQ(saves().size(), 1u);
    EXPECT_EQ(learnedOf(list->itemArray(), 0), 10);
}

TEST_F(TrainingSession, secondsInWhichTheFilmStalledAreNotCountedAndItPlaysOnByItself)
{
    auto list = openVideoList(kLearner);
    ASSERT_TRUE(list);
    // Lesson five: twenty seconds, not started.
    auto row = std::dynamic_pointer_cast<NSMutableDictionary>(list->itemArray()->objectAtIndex(4));
    ASSERT_TRUE(row);
    httplib::Client films("127.0.0.1", standIn.mainPort());
    const std::string address = ns::stringForKey(row, "url").UTF8String();
    auto film = films.Get(address.substr(address.find("/Tessalane/")));
    ASSERT_TRUE(film && film->status == 200);
    testing_support::HeldStream held(film->body);
    row->setObject(NSString(held.URL()), NSString("url"));

    // Half the film has come and the rest is held: the screen waits on a stalled film and counts
    // none of the seconds it waits.
    list->didSelectRowAtIndexPath(*list->mTableView(), NSIndexPath::indexPathForRow(4, 0));
    host->advance(0.5);
    auto player = top<VideoPlayViewController>();
    ASSERT_TRUE(player);
    const auto stalled = [&] { return (player->moviePlayer()->loadState() & MPMovieLoadStateStalled) != 0; };
    ASSERT_TRUE(waitFor([&] { return player->moviePlayer()->isPreparedToPlay() && stalled(); }));
    const int counted = player->secondCountUp();
    const NSTimeInterval position = player->moviePlayer()->currentPlaybackTime();
    for (int second = 0; second < 5; ++second) {
        host->advance(1);
        settled();
    }
    EXPECT_TRUE(stalled());
    EXPECT_EQ(player->secondCountUp(), counted);
    EXPECT_EQ(player->moviePlayer()->currentPlaybackTime(), position);

    // The data comes again: the film plays on by itself and its seconds count again.
    held.letGo();
    ASSERT_TRUE(waitFor([&] { return !stalled() && player->timerUp() != nullptr; }));
    EXPECT_EQ(player->moviePlayer()->playbackState(), MPMoviePlaybackStatePlaying);
    const std::size_t savedBefore = saves().size();
    watch(2);
    // A count that reaches the interval is sent in a save and starts again.
    if (player->secondCountUp() < counted)
        ASSERT_TRUE(waitFor([&] { return saves().size() == savedBefore + 1; }));
    else
        EXPECT_GT(player->secondCountUp(), counted);
    EXPECT_GT(player->moviePlayer()->currentPlaybackTime(), position);
    const int watched = player->secondCountUp();
    const std::size_t before = saves().size();
    player->btnBack(*UIButton::create());
    ASSERT_TRUE(waitFor([&] { return saves().size() == before + 1; }));
    settled();
    EXPECT_EQ(ns::intForKey(saves().back(), "intervalTime"), watched);
    player->moviePlayer()->setContentURL(nullptr);
}

// Quitting is leaving: closing the window sends what was watched, and the client waits for it.
TEST_F(TrainingSession, closingTheWindowDuringAFilmSendsItsClosingSaveBeforeTheClientEnds)
{
    auto list = openVideoList(kLearner);
    ASSERT_TRUE(list);
    // Lesson five has not been started.
    EXPECT_EQ(learnedOf(list->itemArray(), 4), 0);
    auto player = play(list, 4);
    ASSERT_TRUE(player);
    watch(8 - player->secondCountUp());
    EXPECT_TRUE(saves().empty());
    EXPECT_TRUE(ApplicationTermination::terminateAndWait());
    ASSERT_EQ(saves().size(), 1u);
    EXPECT_EQ(ns::intForKey(saves()[0], "intervalTime"), 8);
    EXPECT_EQ(UIApplication::sharedApplication()->backgroundTaskCount(), 0u);

    // The service has it: the list of a later start reads what was watched.
    const NSString talkId = NSUserDefaults::standardUserDefaults()->stringForKey("SESSIONID");
    httplib::Client client("127.0.0.1", standIn.mainPort());
    const std::string param = R"({"TALKID":")" + std::string(talkId.UTF8String()) + R"(","selSubject":"2","rows":100,"page":1})";
    auto answer = client.Post("/Tessalane/app/initVideoList",
        "param=" + standin::formEncode(param) + "&_format_=json&_license_key_=A7C19D04E2B85F63C0D9174BE6A2F58D&_app_id_=TSAPP",
        "application/x-www-form-urlencoded");
    ASSERT_TRUE(answer && answer->status == 200);
    EXPECT_NE(standin::formDecode(answer->body).find(R"("learnedTime":8)"), std::string::npos);
    player->moviePlayer()->stop();
}

// The list is drawn again on return before the closing save's answer has come; the answer
// redraws the row. Both screens put a fresh header on their tables each time they show.
TEST_F(TrainingSession, aLessonLeftEarlyShowsItsNewTimeWhenTheClosingSavesAnswerComes)
{
    auto list = openVideoList(kLearner);
    ASSERT_TRUE(list);
    const auto listHeader = list->mTableView()->tableHeaderView();
    auto player = play(list, 4);
    ASSERT_TRUE(player);
    EXPECT_NE(player->mTableView()->tableHeaderView(), nullptr);
    EXPECT_NEAR(player->mTableView()->tableHeaderView()->frame().size.height, 0.01, 1e-9);
    watch(7 - player->secondCountUp());
    player->btnBack(*UIButton::create());
    EXPECT_NE(list->mTableView()->tableHeaderView(), listHeader);
    EXPECT_EQ(list->mTableView()->tableHeaderView()->frame().size.width, listHeader->frame().size.width);
    EXPECT_NEAR(list->mTableView()->tableHeaderView()->frame().size.height, 0.01, 1e-9);
    ASSERT_TRUE(waitFor([&] { return learnedOf(list->itemArray(), 4) == 7; }));
    host->advance(0.5);
    EXPECT_NE(host->viewTree().find("00:07/00:20"), std::string::npos);
    picture("11-video-list-left-early");
}

// The film ends while the switch question is up: its notice must not stand over the next film.
TEST_F(TrainingSession, aFilmThatEndsUnderTheSwitchQuestionLeavesNoNoticeOverTheNextOne)
{
    auto list = openVideoList(kLearner);
    ASSERT_TRUE(list);
    auto player = play(list, 0);
    ASSERT_TRUE(player);
    watch(5);
    player->didSelectRowAtIndexPath(*player->mTableView(), NSIndexPath::indexPathForRow(1, 0));
    const auto ended = [&] { return !saves().empty() && ns::intForKey(saves().back(), "isEnd") == 1; };
    for (int second = 0; second < 12 && !ended(); ++second)
        watch(1);
    // The end's save may still be on its way: a request is counted only once the network thread starts it.
    ASSERT_TRUE(waitFor(ended));
    EXPECT_EQ(alertMessage(), NSString("该视频未播放完，是否要播放其他视频？"));
    ASSERT_TRUE(tapAlertButton("确定"));
    ASSERT_TRUE(waitFor([&] { return ns::stringForKey(player->videoDict(), "videoid") == NSString("V2002"); }));
    settled();
    EXPECT_TRUE(alertMessage().isNil()) << alertMessage().UTF8String();
    EXPECT_EQ(top<VideoPlayViewController>(), player);
    picture("12-video-switched-after-the-end");
}

// The switch question is confirmed, and on the next film the window closed, right after the film's
// end went out and before its answer could come (answers arrive through the main loop): the end
// goes to the service once, for a service that adds what it is sent would credit it twice.
TEST_F(TrainingSession, aFilmsEndIsSentOnceWhenItsScreenClosesBeforeTheAnswer)
{
    auto list = openVideoList(kLearner);
    ASSERT_TRUE(list);
    const auto ends = [&](const char* videoid) {
        return std::ranges::count_if(saves(), [&](const auto& save) {
            return ns::stringForKey(save, "videoid") == NSString(videoid) && ns::intForKey(save, "isEnd") == 1;
        });
    };
    // Runs `closing` as the film's end is told, after the screen has sent its end.
    const auto watchToTheEndThen = [&](const std::shared_ptr<VideoPlayViewController>& player, const std::function<void()>& closing) {
        bool closed = false;
        auto observer = NSNotificationCenter::defaultCenter()->addObserverForName(MPMoviePlayerPlaybackDidFinishNotification,
            player->moviePlayer(), nullptr, [&](const std::shared_ptr<NSNotification>&) {
                if (!std::exchange(closed, true))
                    closing();
            });
        for (int second = 0; second < 20 && !closed; ++second)
            watch(1);
        NSNotificationCenter::defaultCenter()->removeObserver(observer);
        return closed;
    };

    auto player = play(list, 0);
    ASSERT_TRUE(player);
    watch(5);
    player->didSelectRowAtIndexPath(*player->mTableView(), NSIndexPath::indexPathForRow(1, 0));
    EXPECT_EQ(alertMessage(), NSString("该视频未播放完，是否要播放其他视频？"));
    ASSERT_TRUE(watchToTheEndThen(player, [&] {
        auto alert = std::dynamic_pointer_cast<UIAlertView>(host->findView([](UIView& view) { return dynamic_cast<UIAlertView*>(&view) != nullptr; }));
        ASSERT_TRUE(alert);
        // Return answers the question with 确定, at once.
        EXPECT_TRUE(alert->pressKey(UIKeyboardKey::Return, UIKeyModifierNone));
    }));
    ASSERT_TRUE(waitFor([&] { return ns::stringForKey(player->videoDict(), "videoid") == NSString("V2002"); }));
    ASSERT_TRUE(waitFor([&] { return learnedOf(list->itemArray(), 0) == 12; }));
    settled();
    host->advance(1);
    settled();
    EXPECT_EQ(ends("V2001"), 1);

    // Lesson four, twelve seconds, not started; the window closes as it ends.
    player->btnBack(*UIButton::create());
    settled();
    host->advance(0.5);
    player = play(list, 3);
    ASSERT_TRUE(player);
    ASSERT_TRUE(watchToTheEndThen(player, [] { UIApplication::sharedApplication()->terminate(); }));
    ASSERT_TRUE(waitFor([&] { return UIApplication::sharedApplication()->backgroundTaskCount() == 0u && requestsUnderWay <= 0; }));
    EXPECT_EQ(ends("V2004"), 1);
    EXPECT_EQ(learnedOf(list->itemArray(), 3), 12);
}

// Under the daily cap nothing is credited, so only the film itself can say it has ended: a lesson
// longer than one save interval still shows its end.
TEST_F(TrainingSession, aLongFilmsEndIsShownUnderTheDailyCap)
{
    auto list = openVideoList(kBusyLearner);
    ASSERT_TRUE(list);
    // Lesson three: thirty seconds, three save intervals.
    auto player = play(list, 2);
    ASSERT_TRUE(player);
    ASSERT_EQ(ns::longLongValue(player->videoDict()->objectForKey(NSString("videoTime"))), 30);
    for (int second = 0; second < 15 && !player->isPassFourHour(); ++second)
        watch(1);
    ASSERT_TRUE(waitFor([&] { return player->isPassFourHour(); }));
    ASSERT_TRUE(tapAlertButton("确定"));
    for (int second = 0; second < 30 && alertMessage().isNil(); ++second)
        watch(1);
    EXPECT_EQ(alertMessage(), NSString("该视频播放完成，您可以继续其他视频的学习"));
    picture("13-video-long-film-ended-under-the-cap");
    ASSERT_TRUE(tapAlertButton("确定"));
    settled();
    host->advance(0.5);
    EXPECT_TRUE(top<VideoStudentViewController>());
    EXPECT_EQ(saves().size(), 1u);
}

TEST_F(TrainingSession, loadingMoreWorksAgainAfterAnAttemptWithoutNetwork)
{
    auto list = openVideoList(kLearner);
    ASSERT_TRUE(list);
    auto table = list->mTableView();
    const CGFloat end = table->contentSize().height - table->bounds().size.height;
    SCNetworkReachabilitySimulateFlags(0);
    pull(table, end + 80);
    host->advance(0.5);
    SCNetworkReachabilitySimulateFlags(kSCNetworkReachabilityFlagsReachable);
    while (!alertMessage().isNil())
        ASSERT_TRUE(tapAlertButton("确定"));
    EXPECT_EQ(list->itemArray()->count(), 100u);
    pull(table, end + 80);
    EXPECT_TRUE(waitFor([&] { return list->itemArray()->count() == 130u; }));
    SCNetworkReachabilityEndSimulation();
}

// A reload that failed, without network or refused, leaves the list as it was and loading more
// working; after a failed change of subject, the list's next page is the new subject's first.
TEST_F(TrainingSession, loadingMoreWorksAfterAReloadThatFailed)
{
    auto list = openVideoList(kLearner);
    ASSERT_TRUE(list);
    auto table = list->mTableView();
    const auto pullUp = [&] { pull(table, table->contentSize().height - table->bounds().size.height + 80); };

    SCNetworkReachabilitySimulateFlags(0);
    pull(table, -80);
    host->advance(0.5);
    SCNetworkReachabilitySimulateFlags(kSCNetworkReachabilityFlagsReachable);
    while (!alertMessage().isNil())
        ASSERT_TRUE(tapAlertButton("确定"));
    EXPECT_EQ(list->itemArray()->count(), 100u);
    pullUp();
    ASSERT_TRUE(waitFor([&] { return list->itemArray()->count() == 130u && requestsUnderWay <= 0; }));
    host->advance(1.5);

    // Subject one has 24 lessons; its tab is tapped while the service refuses.
    standIn.setCannedReply("initVideoList", R"({"code":"1","message":"查询失败"})");
    host->tap(list->tab(0));
    host->advance(0.5);
    ASSERT_TRUE(settled());
    host->advance(1.5);
    EXPECT_EQ(list->subject(), 1);
    EXPECT_EQ(list->itemArray()->count(), 130u);
    standIn.setCannedReply("initVideoList", "");
    pullUp();
    ASSERT_TRUE(waitFor([&] { return list->itemArray()->count() == 24u && requestsUnderWay <= 0; }));
    EXPECT_EQ(ns::stringForKey(ns::dictionaryValue(list->itemArray()->objectAtIndex(0)), "videoid"), NSString("V1001"));
    SCNetworkReachabilityEndSimulation();
}

// A credited time beyond any film from the service is taken as the film's end: no sums overflow,
// nothing more is sent for it.
TEST_F(TrainingSession, aCreditedTimeNearTheLimitOfItsNumberIsTakenAsTheEnd)
{
    auto list = openVideoList(kLearner);
    ASSERT_TRUE(list);
    auto row = std::dynamic_pointer_cast<NSMutableDictionary>(list->itemArray()->objectAtIndex(4));
    ASSERT_TRUE(row);
    row->setObject(NSNumber::numberWithLongLong(9223372036854775800LL), NSString("learnedTime"));
    row->setObject(NSNumber::numberWithLongLong(9223372036854775807LL), NSString("videoTime"));
    auto player = play(list, 4);
    ASSERT_TRUE(player);
    watch(5);
    player->btnBack(*UIButton::create());
    settled();
    host->advance(0.5);
    EXPECT_TRUE(saves().empty());
}

// On a pad the player is 700 x 535 and the tabs and panels stand below it.
TEST_F(TrainingSession, onAPadThePlayerIsLargerAndTheTabsMoveBelowIt)
{
    auto list = openVideoList(kLearner);
    ASSERT_TRUE(list);
    UIDevice::setUserInterfaceIdiom(UIUserInterfaceIdiom::Pad);
    auto player = play(list, 4);
    UIDevice::setUserInterfaceIdiom(UIUserInterfaceIdiom::Phone);
    ASSERT_TRUE(player);
    const CGRect frame = player->moviePlayer()->view()->frame();
    EXPECT_EQ(frame.size.width, 700);
    EXPECT_EQ(frame.size.height, 535);
    EXPECT_EQ(frame.origin.y, 79);
    EXPECT_EQ(player->vScrollView()->frame().origin.y, CGRectGetMaxY(frame) + 15 + 40);
    player->btnBack(*UIButton::create());
    settled();
}

TEST_F(TrainingSession, theFullScreenFilmStandsUprightAndEscapeLeavesItThenTheLesson)
{
    auto list = openVideoList(kLearner);
    ASSERT_TRUE(list);
    auto player = play(list, 4);
    ASSERT_TRUE(player);
    auto movie = player->moviePlayer();
    // Paused, so that the film's end cannot come first on a slow machine.
    movie->pause();
    // A tap on the film shows its bars; the bar's button takes the film to the full screen.
    host->tap(movie->view());
    host->advance(0.5);
    ASSERT_TRUE(host->tap(movie->controls()->fullscreenButton()));
    host->advance(1);
    ASSERT_TRUE(movie->isFullscreen());
    EXPECT_TRUE(CGAffineTransformIsIdentity(movie->movieBackgroundView()->transform()));
    EXPECT_EQ(movie->view()->convertRectToView(movie->view()->bounds(), nullptr), host->keyWindow()->bounds());
    shot("training-film-full-screen");

    EXPECT_TRUE(host->pressKey(UIKeyboardKey::Escape));
    host->advance(1);
    EXPECT_FALSE(movie->isFullscreen());
    EXPECT_EQ(movie->view()->superview(), player->view());
    EXPECT_EQ(top<VideoPlayViewController>(), player);
    shot("training-film-full-screen-left");
    // Escape once more is the lesson's back button, with its closing save.
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::Escape));
    settled();
    host->advance(0.5);
    EXPECT_TRUE(top<VideoStudentViewController>());
}

// A turn of the device lays the screen out again: the player takes the size of the device it is
// on, and the tabs and panels follow it.
TEST_F(TrainingSession, aTurnLaysThePlayerAndTheTabsOutAgain)
{
    auto list = openVideoList(kLearner);
    ASSERT_TRUE(list);
    auto player = play(list, 4);
    ASSERT_TRUE(player);
    host->advance(1);
    const CGFloat width = player->view()->bounds().size.width;
    EXPECT_EQ(player->moviePlayer()->view()->frame().size.width, width);
    UIDevice::setUserInterfaceIdiom(UIUserInterfaceIdiom::Pad);
    player->willAnimateRotationToInterfaceOrientation(UIInterfaceOrientation::LandscapeLeft, 0.3);
    UIDevice::setUserInterfaceIdiom(UIUserInterfaceIdiom::Phone);
    CGRect frame = player->moviePlayer()->view()->frame();
    EXPECT_EQ(frame.size.width, 700);
    EXPECT_EQ(frame.size.height, 535);
    EXPECT_EQ(player->vScrollView()->frame().origin.y, CGRectGetMaxY(frame) + 15 + 40);
    player->willAnimateRotationToInterfaceOrientation(UIInterfaceOrientation::Portrait, 0.3);
    frame = player->moviePlayer()->view()->frame();
    EXPECT_EQ(frame.size.width, width);
    EXPECT_EQ(frame.size.height, VideoPlayViewController::kPlayerHeight);
    EXPECT_EQ(player->vScrollView()->frame().origin.y, CGRectGetMaxY(frame) + 15 + 40);
    player->btnBack(*UIButton::create());
    settled();
}

TEST_F(TrainingSession, bookingListsTheCoachsSlotsBooksTwoRefusesAPassedOneAndCancels)
{
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    tapShown("预约学车");
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
    // A row's title starts at its left, its check mark stands 10 points from its right.
    auto firstRow = std::dynamic_pointer_cast<UIButton>(rowAt(0));
    ASSERT_TRUE(firstRow);
    firstRow->layoutIfNeeded();
    EXPECT_EQ(firstRow->titleLabel()->frame().origin.x, 0);
    EXPECT_EQ(CGRectGetMaxX(firstRow->imageView()->frame()), firstRow->bounds().size.width - 10);
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
        tapShown("视频学习");
        // The tile's requests may not have started yet: the question they end in is waited for.
        EXPECT_TRUE(waitUntil([&] {
            return requestsUnderWay <= 0 && host->findView([](UIView& view) { return dynamic_cast<UIAlertView*>(&view) != nullptr; });
        }));
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
    std::shared_ptr<OPayCashierViewController> payUpToTheCashier()
    {
        auto order = openOrder();
        if (!order)
            return nullptr;
        host->tap(order->payButton());
        return cashierShown() ? OrbipaySDK::defaultService()->cashier() : nullptr;
    }
    // What another program does with the client's scheme.
    void open(const char* url)
    {
        EXPECT_TRUE(UIApplication::sharedApplication()->handleIncomingURL(NSURL::URLWithString(url), "wallet")) << url;
        host->runUntilIdle();
    }
    // The failure's message shows over the goods screen the learner is back on.
    bool memoShownOnTheGoods(const NSString& memo)
    {
        auto goods = top<GoodsInfoViewController>();
        auto hud = STProgressHUD::sharedView();
        return goods && hudText() == memo && hud->window() && hud->isDescendantOfView(goods->view());
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

// Anyone may open the client's scheme, with any escapes.
TEST_F(PurchaseSession, resultURLsWhoseEscapesAreNotUTF8KeepTheirTextAndTheClientRuns)
{
    // Handed at start, as `corvane --open-url` hands it, with no payment pending.
    application.reset();
    host.reset();
    host = HeadlessHost::create();
    application = AppDelegate::create();
    application->setURLToOpenAfterLaunch("corvaneOrbipayCallback://authresult?resultStatus=4000&memo=%FF&%C0%AF=1");
    ASSERT_TRUE(host->launch(application));
    host->runUntilIdle();
    EXPECT_EQ(alertMessage(), NSString("%FF"));
    ASSERT_TRUE(tapAlertButton("确定"));

    ASSERT_TRUE(payUpToTheCashier());
    open("corvaneOrbipayCallback://payresult?resultStatus=6001&memo=%E5%8F%96%FF%FE");
    EXPECT_EQ(alertMessage(), NSString("您取消支付"));
    ASSERT_TRUE(tapAlertButton("确定"));
    EXPECT_TRUE(top<MainViewController>());
    EXPECT_FALSE(OrbipaySDK::defaultService()->isPaymentPending());
}

TEST_F(PurchaseSession, anAuthorisationResultDuringAPaymentNeitherEndsNorAnnouncesIt)
{
    auto cashier = payUpToTheCashier();
    ASSERT_TRUE(cashier);
    open("corvaneOrbipayCallback://authresult?resultStatus=9000&memo=ok");
    EXPECT_EQ(alertMessage().length(), 0u);
    EXPECT_TRUE(top<OrderInfoViewController>());
    EXPECT_EQ(OrbipaySDK::defaultService()->cashier(), cashier);
    EXPECT_TRUE(OrbipaySDK::defaultService()->isPaymentPending());

    // The payment's own result is announced, once.
    tapPage(182); // 确认支付
    ASSERT_TRUE(cashierShown());
    tapPage(182); // 返回商户
    EXPECT_EQ(alertMessage(), NSString("充值成功"));
    ASSERT_TRUE(tapAlertButton("确定"));
    EXPECT_TRUE(top<MainViewController>());
    EXPECT_EQ(alertMessage().length(), 0u);
}

TEST_F(PurchaseSession, aCashierLinkItCannotUseLeavesTheCashierWorkingAndClosingCancels)
{
    auto cashier = payUpToTheCashier();
    ASSERT_TRUE(cashier);
    for (const char* link : { "corvaneOrbipayCallback://PAYRESULT?resultStatus=9000", "corvaneOrbipayCallback://authresult?resultStatus=9000" }) {
        cashier->webView()->loadRequest(NSURLRequest::requestWithURL(NSURL::URLWithString(link)));
        host->runUntilIdle();
        EXPECT_EQ(OrbipaySDK::defaultService()->cashier(), cashier) << link;
        EXPECT_TRUE(OrbipaySDK::defaultService()->isPaymentPending()) << link;
    }
    host->tap(cashier->closeButton());
    EXPECT_EQ(alertMessage(), NSString("您取消支付"));
    ASSERT_TRUE(tapAlertButton("确定"));
    EXPECT_TRUE(top<MainViewController>());
    EXPECT_FALSE(OrbipaySDK::defaultService()->isPaymentPending());
}

TEST_F(PurchaseSession, aFailedPaymentShowsItsMessageOnTheGoodsScreen)
{
    // 6002: the gateway cannot be reached.
    setenv("CORVANE_PAYMENT_GATEWAY_URL", "http://127.0.0.1:9/gateway/cashier", 1);
    auto order = openOrder();
    ASSERT_TRUE(order);
    host->tap(order->payButton());
    ASSERT_TRUE(waitFor([&] { return memoShownOnTheGoods("网络连接出错"); }));
    host->advance(0.4);
    picture("24-network-error");

    // 4000, answered before payOrder returns: another payment is under way.
    host->advance(2);
    host->tap(host->findViewWithText("提交订单"));
    order = top<OrderInfoViewController>();
    ASSERT_TRUE(waitUntil([&] { return order && order->orderIdLab()->text().length() > 0 && requestsUnderWay <= 0; }));
    OrbipaySDK::defaultService()->beginPayment(nullptr);
    host->tap(order->payButton());
    ASSERT_TRUE(waitFor([&] { return requestsUnderWay <= 0 && top<GoodsInfoViewController>(); }));
    EXPECT_TRUE(memoShownOnTheGoods("订单重复"));
    host->advance(0.4);
    picture("25-order-repeated");
    open("corvaneOrbipayCallback://payresult?resultStatus=6001");
}

} // namespace

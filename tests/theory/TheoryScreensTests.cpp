// The theory screens on the headless host over a bank made for each test: answering on the card,
// the exam clock on the manual clock, its one ending, the result and the review.
#include "QuestionBankFixture.h"

#include "app/AppDelegate.h"
#include "app/session/User.h"
#include "app/theory/ExerciseViewController.h"
#include "app/theory/SepcialExerciseViewController.h"
#include "app/theory/ShowErrViewController.h"
#include "app/theory/SimulationViewController.h"
#include "app/theory/StudentTheoryViewController.h"
#include "app/theory/TestResultViewController.h"
#include "app/theory/TestViewController.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/SystemClock.h"
#include "platform/foundation/TypedValues.h"
#include "platform/host/ApplicationTermination.h"
#include "platform/host/HeadlessHost.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UINavigationController.h"
#include "tests/media/ScriptedMovieModule.h"

#include <filesystem>

#ifndef CORVANE_SNAPSHOT_DIR
#define CORVANE_SNAPSHOT_DIR "theory-snapshots"
#endif

namespace {

std::shared_ptr<QuestionRecord> record(const std::string& quid, const char* qutype, const char* answer, int options = 4)
{
    auto question = NSMutableDictionary::dictionary();
    question->setObject(NSString(quid), NSString("quid"));
    question->setObject(NSString("1"), NSString("trsubject"));
    question->setObject(NSString(qutype), NSString("qutype"));
    question->setObject(NSString("1"), NSString("qncontype"));
    question->setObject(NSString("路口黄灯持续闪烁时，驾驶机动车应当怎样做？"), NSString("itemcontent"));
    const char* keys[] = { "chiocea", "chioceb", "chiocec", "chioced" };
    const char* texts[] = { "减速慢行", "鸣喇叭催促", "停车让行", "加速通过" };
    for (int i = 0; i < options; ++i)
        question->setObject(NSString(texts[i]), NSString(keys[i]));
    question->setObject(NSString(answer), NSString("answer"));
    question->setObject(NSString("黄灯持续闪烁表示警示，应当减速慢行，确认安全后通过。"), NSString("describe"));
    question->setObject(NSNumber::numberWithInteger(0), NSString("issave"));
    question->setObject(NSNumber::numberWithInteger(0), NSString("type"));
    return question;
}

std::shared_ptr<NSMutableArray> paper(int count, const char* qutype = "0")
{
    auto list = NSMutableArray::array();
    for (int i = 0; i < count; ++i)
        list->addObject(record("q" + std::to_string(i), qutype, "A"));
    return list;
}

NSInteger typeAt(const std::shared_ptr<NSArray>& list, NSUInteger i)
{
    return ns::integerForKey(ns::cast<NSDictionary>(list->objectAtIndex(i)), "type");
}

class TheoryScreens : public QuestionBankFixture {
protected:
    void SetUp() override
    {
        QuestionBankFixture::SetUp();
        std::vector<FixtureQuestion> bank;
        for (int i = 0; i < 12; ++i)
            bank.push_back({ .quid = "q" + std::to_string(i), .qunum = i });
        install(bank);
        SystemClock::useManualClock();
        host = HeadlessHost::create();
        delegate = AppDelegate::create();
        auto user = User::create();
        user->setCarType("T1");
        user->setSubject("1");
        user->setName("陈晓");
        delegate->setUser(user);
        UIApplication::sharedApplication()->setDelegate(delegate);
        home = UIViewController::create();
        home->view()->setBackgroundColor(UIColor::whiteColor());
        navigation = UINavigationController::create(home);
        navigation->setNavigationBarHidden(true);
        host->showRootViewController(navigation);
    }
    void TearDown() override
    {
        host->runUntilIdle();
        QuestionBankFixture::TearDown();
    }
    template <class T>
    std::shared_ptr<T> push(const std::shared_ptr<T>& screen)
    {
        navigation->pushViewController(screen, false);
        host->runUntilIdle();
        return screen;
    }
    template <class T>
    std::shared_ptr<T> top() const { return std::dynamic_pointer_cast<T>(navigation->topViewController()); }
    // A practice of one question shown with a clip.
    static std::shared_ptr<ExerciseViewController> clipPractice()
    {
        auto list = NSMutableArray::array();
        auto video = record("v1", "0", "A");
        video->setObject(NSString("2"), NSString("qncontype"));
        video->setObject(NSString("tiku/clip_crossing.ogv"), NSString("videourl"));
        list->addObject(video);
        auto practice = ExerciseViewController::create();
        practice->setTitle("视频题练习");
        practice->setQuestions(list);
        return practice;
    }
    bool tapRow(const std::shared_ptr<QuestionCardViewController>& card, std::size_t row)
    {
        auto rows = card->optionRows();
        if (row >= rows.size())
            return false;
        const bool tapped = host->tap(rows[row]);
        host->drainRunLoop();
        return tapped;
    }
    std::shared_ptr<UIAlertView> alert()
    {
        host->advance(0.3);
        return std::dynamic_pointer_cast<UIAlertView>(host->findView([](UIView& view) { return dynamic_cast<UIAlertView*>(&view) != nullptr; }));
    }
    bool answerAlert(const char* title)
    {
        auto shown = alert();
        for (NSInteger i = 0; shown && i < shown->numberOfButtons(); ++i) {
            if (shown->buttonTitleAtIndex(i).isEqualToString(title)) {
                host->tap(shown->buttonAtIndex(i));
                host->advance(0.5);
                return true;
            }
        }
        return false;
    }
    std::shared_ptr<TestViewController> exam(int count, bool simulation, NSInteger minutes = 45, NSInteger errQuestions = 11)
    {
        auto screen = TestViewController::create();
        screen->setTitle(simulation ? "仿真考试" : "模拟考试");
        screen->setQuestions(paper(count));
        screen->setTimes(minutes);
        screen->setIsSimulation(simulation);
        screen->setErrQuestions(errQuestions);
        screen->setGoBackViewController(home);
        return push(screen);
    }
    void snapshot(const char* name)
    {
        std::filesystem::create_directories(CORVANE_SNAPSHOT_DIR);
        EXPECT_TRUE(host->writePNG(NSString(std::string(CORVANE_SNAPSHOT_DIR) + "/" + name + ".png")));
    }

    std::shared_ptr<HeadlessHost> host;
    std::shared_ptr<AppDelegate> delegate;
    std::shared_ptr<UIViewController> home;
    std::shared_ptr<UINavigationController> navigation;
};

} // namespace

TEST_F(TheoryScreens, practiceShowsTheVerdictAtOnceStoresTheAnswerAndLocksTheQuestion)
{
    auto list = paper(3);
    auto practice = ExerciseViewController::create();
    practice->setTitle("顺序练习");
    practice->setQuestions(list);
    push(practice);
    EXPECT_EQ(practice->choiceBtn()->currentTitle(), NSString("1/3"));
    EXPECT_TRUE(practice->resultView()->isHidden());

    ASSERT_TRUE(tapRow(practice, 1));
    EXPECT_EQ(practice->resultView()->text(), NSString("您答错了！正确答案是:A"));
    EXPECT_FALSE(practice->explanView()->isHidden());
    EXPECT_TRUE(practice->explanBtn()->isSelected());
    EXPECT_EQ(column("q0", "type"), "2");
    EXPECT_EQ(column("q0", "answermany"), "B");
    snapshot("practice-wrong");

    // Answered questions take no second answer; the verdict comes back with the question.
    ASSERT_TRUE(tapRow(practice, 0));
    EXPECT_EQ(column("q0", "type"), "2");
    host->tap(host->findViewWithText("下一题"));
    host->runUntilIdle();
    EXPECT_EQ(practice->index(), 1);
    EXPECT_TRUE(practice->resultView()->isHidden());
    ASSERT_TRUE(tapRow(practice, 0));
    EXPECT_EQ(practice->resultView()->text(), NSString("恭喜您，答对了！"));
    EXPECT_EQ(column("q1", "type"), "1");
}

TEST_F(TheoryScreens, multipleChoiceIsStoredInLetterOrderAndAnEmptyConfirmationRecordsNothing)
{
    auto list = NSMutableArray::array();
    list->addObject(record("q2", "1", "A,C"));
    auto practice = ExerciseViewController::create();
    practice->setTitle("多选题练习");
    practice->setQuestions(list);
    push(practice);
    ASSERT_FALSE(practice->okBtn()->isHidden());
    host->tap(practice->okBtn());
    host->drainRunLoop();
    EXPECT_TRUE(host->findViewWithText("请选择答案"));
    EXPECT_EQ(typeAt(list, 0), 0);
    host->advance(2.0);

    ASSERT_TRUE(tapRow(practice, 2));
    ASSERT_TRUE(tapRow(practice, 0));
    host->tap(practice->okBtn());
    host->runUntilIdle();
    EXPECT_EQ(ns::stringForKey(ns::cast<NSDictionary>(list->objectAtIndex(0)), "answermany"), NSString("A,C"));
    EXPECT_EQ(typeAt(list, 0), 1);
    EXPECT_EQ(column("q2", "answermany"), "A,C");
    // The page ends 10 points below the explanation.
    EXPECT_EQ(practice->vScrollView()->contentSize().height, CGRectGetMaxY(practice->explanView()->frame()) + 10);
}

TEST_F(TheoryScreens, theFavouriteButtonKeepsRecordAndBankInStep)
{
    auto list = paper(1);
    auto practice = ExerciseViewController::create();
    practice->setTitle("我的收藏");
    practice->setQuestions(list);
    push(practice);
    host->tap(practice->favoriteBtn());
    host->drainRunLoop();
    EXPECT_TRUE(practice->favoriteBtn()->isSelected());
    EXPECT_EQ(column("q0", "issave"), "1");
    host->tap(practice->favoriteBtn());
    host->drainRunLoop();
    EXPECT_FALSE(practice->favoriteBtn()->isSelected());
    EXPECT_EQ(column("q0", "issave"), "0");
    EXPECT_EQ(ns::integerForKey(ns::cast<NSDictionary>(list->objectAtIndex(0)), "issave"), 0);
}

TEST_F(TheoryScreens, theClockShowsTheRealTimeFromTheStartAndSubmitsItselfAtZero)
{
    auto screen = exam(5, false);
    EXPECT_EQ(screen->timeLabel()->text(), NSString("45:00"));
    host->advance(1.0);
    EXPECT_EQ(screen->timeLabel()->text(), NSString("44:59"));
    host->advance(2698.0);
    EXPECT_EQ(screen->timeLabel()->text(), NSString("00:01"));
    host->advance(1.0);
    ASSERT_TRUE(alert());
    EXPECT_EQ(alert()->message(), NSString("对不起，时间到！系统自动交卷~"));
    EXPECT_FALSE(screen->isRunning());
    ASSERT_TRUE(answerAlert("确定"));
    auto result = top<TestResultViewController>();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->durationText(), NSString("45:00"));
    EXPECT_EQ(result->scoreText(), NSString("0"));
    EXPECT_EQ(result->gradeImageName(), NSString("ks_top3"));
    EXPECT_TRUE(result->showErrBtn()->isEnabled());
    snapshot("exam-result-time-up");
}

TEST_F(TheoryScreens, theClockWaitsWhileTheLearnerIsAskedAndOnlyOneResultEverOpens)
{
    auto screen = exam(5, false, 1);
    host->advance(50);
    EXPECT_EQ(screen->timeLabel()->text(), NSString("00:10"));
    host->tap(host->findViewWithText("交卷"));
    ASSERT_TRUE(alert());
    EXPECT_EQ(alert()->message(), NSString("您已经回答了：0题，还有5题未答，是否交卷？"));
    host->advance(30);
    EXPECT_EQ(screen->timeLabel()->text(), NSString("00:10"));
    ASSERT_TRUE(answerAlert("取消"));
    host->advance(9);
    EXPECT_EQ(screen->timeLabel()->text(), NSString("00:01"));
    host->tap(host->findViewWithText("交卷"));
    host->advance(20);
    ASSERT_TRUE(answerAlert("确定"));
    ASSERT_TRUE(top<TestResultViewController>());
    EXPECT_EQ(top<TestResultViewController>()->durationText(), NSString("00:59"));
    host->advance(60);
    EXPECT_FALSE(alert());
    EXPECT_EQ(navigation->viewControllers().size(), 3u);
}

TEST_F(TheoryScreens, anAnswerMovesOnAfterHalfASecondUnlessTheLearnerMovesFirst)
{
    auto screen = exam(5, false);
    ASSERT_TRUE(tapRow(screen, 0));
    EXPECT_EQ(screen->index(), 0);
    host->advance(0.6);
    EXPECT_EQ(screen->index(), 1);

    ASSERT_TRUE(tapRow(screen, 0));
    host->tap(host->findViewWithText("下一题"));
    host->advance(1.0);
    EXPECT_EQ(screen->index(), 2) << "the manual move replaces the automatic one";

    // In the practice exam an answered question takes a new answer; the newest counts.
    screen->clickAtIndex(0);
    ASSERT_TRUE(tapRow(screen, 1));
    EXPECT_EQ(typeAt(screen->questions(), 0), 2);
}

TEST_F(TheoryScreens, theStrictExamLocksAnswersAndEndsAtTheWrongAnswerLimit)
{
    auto screen = exam(12, true, 45, 3);
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(tapRow(screen, 1));
        host->advance(0.6);
    }
    EXPECT_EQ(screen->index(), 2);
    EXPECT_FALSE(alert());
    screen->clickAtIndex(0);
    ASSERT_TRUE(tapRow(screen, 0));
    EXPECT_EQ(typeAt(screen->questions(), 0), 2) << "a locked answer stays";
    screen->clickAtIndex(2);
    ASSERT_TRUE(tapRow(screen, 1));
    ASSERT_TRUE(alert());
    EXPECT_EQ(alert()->message(), NSString("错题达到3题，系统会自动交卷~"));
    EXPECT_FALSE(screen->isRunning());
    ASSERT_TRUE(answerAlert("确定"));
    ASSERT_TRUE(top<TestResultViewController>());
}

TEST_F(TheoryScreens, theResultScoresTheWholePaperAndTheReviewListsExactlyWrongAndUnanswered)
{
    auto list = paper(50);
    for (NSUInteger i = 0; i < 50; ++i)
        ns::cast<QuestionRecord>(list->objectAtIndex(i))->setObject(NSNumber::numberWithInteger(i < 45 ? 1 : (i < 48 ? 2 : 0)), NSString("type"));
    auto result = TestResultViewController::create();
    result->setTitle("模拟考试");
    result->setQuestions(list);
    result->setTimes(30);
    result->setDuration(754);
    result->setGoBackViewController(home);
    push(result);
    EXPECT_EQ(result->scoreText(), NSString("90"));
    EXPECT_EQ(result->gradeImageName(), NSString("ks_top2"));
    EXPECT_EQ(result->durationText(), NSString("12:34"));
    EXPECT_TRUE(host->findViewWithText("陈晓"));
    snapshot("exam-result-pass");

    host->tap(result->showErrBtn());
    host->runUntilIdle();
    auto review = top<ShowErrViewController>();
    ASSERT_TRUE(review);
    ASSERT_EQ(review->answerErrs()->count(), 5u);
    for (NSUInteger i = 0; i < 5; ++i)
        EXPECT_EQ(ns::stringForKey(ns::cast<NSDictionary>(review->answerErrs()->objectAtIndex(i)), "quid"), NSString("q" + std::to_string(45 + i)));
    EXPECT_EQ(review->resultView()->text(), NSString("正确答案是:A"));
    EXPECT_FALSE(review->explanView()->isHidden());
    review->clickAtIndex(4);
    EXPECT_EQ(review->choiceBtn()->currentTitle(), NSString("5/5"));
    snapshot("exam-review");

    // "重考" starts the whole paper again, cleared, in paper order.
    host->tap(host->findViewWithText("重考"));
    host->runUntilIdle();
    auto retake = top<TestViewController>();
    ASSERT_TRUE(retake);
    EXPECT_EQ(retake->questions(), list);
    for (NSUInteger i = 0; i < 50; ++i)
        EXPECT_EQ(typeAt(list, i), 0);
    EXPECT_EQ(retake->timeLabel()->text(), NSString("30:00"));
}

TEST_F(TheoryScreens, gradePicturesFollowTheScoreAndAllRightWins)
{
    struct Case {
        int count, right;
        const char* score;
        const char* picture;
    };
    for (const Case& c : { Case { 100, 95, "95", "ks_top2" }, Case { 100, 100, "100", "ks_top1" }, Case { 50, 44, "88", "ks_top3" },
             Case { 98, 98, "100", "ks_top1" }, Case { 110, 99, "90", "ks_top2" }, Case { 110, 98, "89", "ks_top3" } }) {
        auto list = paper(c.count);
        for (int i = 0; i < c.right; ++i)
            ns::cast<QuestionRecord>(list->objectAtIndex(NSUInteger(i)))->setObject(NSNumber::numberWithInteger(1), NSString("type"));
        auto result = TestResultViewController::create();
        result->setQuestions(list);
        EXPECT_EQ(result->scoreText(), NSString(c.score)) << c.count << " " << c.right;
        EXPECT_EQ(result->gradeImageName(), NSString(c.picture)) << c.count << " " << c.right;
    }
}

TEST_F(TheoryScreens, withNothingWrongThereIsNothingToReviewAndAnEmptyReviewShowsAnEmptyPage)
{
    auto list = paper(2);
    for (NSUInteger i = 0; i < 2; ++i)
        ns::cast<QuestionRecord>(list->objectAtIndex(i))->setObject(NSNumber::numberWithInteger(1), NSString("type"));
    auto result = TestResultViewController::create();
    result->setQuestions(list);
    push(result);
    EXPECT_FALSE(result->showErrBtn()->isEnabled());
    host->tap(result->showErrBtn());
    host->runUntilIdle();
    EXPECT_EQ(navigation->topViewController(), result);

    auto review = ShowErrViewController::create();
    review->setQuestions(list);
    review->setAnswerErrs(NSMutableArray::array());
    push(review);
    ASSERT_TRUE(review->emptyView());
    EXPECT_EQ(review->emptyView()->superview(), review->vScrollView());
    EXPECT_EQ(review->emptyView()->frame().origin, CGPointZero);
    host->tap(host->findViewWithText("下一题"));
    host->tap(host->findViewWithText("上一题"));
    host->runUntilIdle();
}

TEST_F(TheoryScreens, theNumberGridMarksAnswersAndTheStrictExamsRightOnesApart)
{
    auto list = paper(7);
    ns::cast<QuestionRecord>(list->objectAtIndex(0))->setObject(NSNumber::numberWithInteger(1), NSString("type"));
    ns::cast<QuestionRecord>(list->objectAtIndex(1))->setObject(NSNumber::numberWithInteger(2), NSString("type"));
    auto grid = QuestionChoiseView::create(CGRectMake(0, 0, 320, 568), list, 4, true);
    ASSERT_EQ(grid->cells().size(), 7u);
    EXPECT_EQ(grid->cells()[6]->frame().origin.x, 5);
    EXPECT_GT(grid->cells()[6]->frame().origin.y, grid->cells()[5]->frame().origin.y);
    EXPECT_TRUE(grid->cells()[0]->isSelected());
    EXPECT_TRUE(grid->cells()[1]->isSelected());
    EXPECT_FALSE(grid->cells()[2]->isSelected());
    EXPECT_NE(grid->cells()[0]->backgroundImageForState(UIControlStateSelected), grid->cells()[1]->backgroundImageForState(UIControlStateSelected));
    home->view()->addSubview(grid);
    host->runUntilIdle();
    EXPECT_TRUE(host->findViewWithText("5/7"));
    snapshot("question-grid");
}

TEST_F(TheoryScreens, pictureAndVideoReferencesNameTheDeliveredFiles)
{
    EXPECT_EQ(QuestionCardViewController::pictureNameForReference("tiku/sign_yield.png"), NSString("sign_yield.jpg"));
    EXPECT_EQ(QuestionCardViewController::pictureNameForReference("tiku/x1png.png"), NSString("x1png.jpg"));
    EXPECT_EQ(QuestionCardViewController::pictureNameForReference("abc.PNG"), NSString("abc.jpg"));
    EXPECT_EQ(QuestionCardViewController::pictureNameForReference("tiku/pngs.gif"), NSString("pngs.gif"));
    EXPECT_EQ(QuestionCardViewController::videoNameForReference("v/x.swf"), NSString("x.mp4"));
    // Every match, in any case and anywhere in the name.
    EXPECT_EQ(QuestionCardViewController::videoNameForReference("v/x.SWF"), NSString("x.mp4"));
    EXPECT_EQ(QuestionCardViewController::videoNameForReference("v/a.swf.Swf"), NSString("a.mp4.mp4"));
    EXPECT_EQ(QuestionCardViewController::videoNameForReference("v/a.swf_old"), NSString("a.mp4_old"));
    EXPECT_EQ(QuestionCardViewController::videoNameForReference("v/aswf"), NSString("aswf"));
    EXPECT_EQ(QuestionCardViewController::videoNameForReference("tiku/clip_fog.ogv"), NSString("clip_fog.ogv"));
}

TEST_F(TheoryScreens, aCardHearsOnlyItsOwnPlayer)
{
    auto practice = push(clipPractice());
    ASSERT_TRUE(practice->player());
    auto still = std::dynamic_pointer_cast<UIImageView>(practice->questionView()->viewWithTag(QuestionCardViewController::kVideoTag));
    auto mark = practice->questionView()->viewWithTag(QuestionCardViewController::kPlayTag);
    ASSERT_TRUE(still && mark);
    still->setImage(nullptr);
    mark->setHidden(true);

    auto picture = UIImage::imageNamed("play");
    auto info = ns::dictionary({ { MPMoviePlayerThumbnailImageKey, picture } });
    auto otherPlayer = MPMoviePlayerController::create();
    auto center = NSNotificationCenter::defaultCenter();
    center->postNotificationName(MPMoviePlayerThumbnailImageRequestDidFinishNotification, otherPlayer, info);
    center->postNotificationName(MPMoviePlayerPlaybackDidFinishNotification, otherPlayer, nullptr);
    EXPECT_FALSE(still->image());
    EXPECT_TRUE(mark->isHidden());
    center->postNotificationName(MPMoviePlayerThumbnailImageRequestDidFinishNotification, practice->player(), info);
    center->postNotificationName(MPMoviePlayerPlaybackDidFinishNotification, practice->player(), nullptr);
    EXPECT_EQ(still->image(), picture);
    EXPECT_FALSE(mark->isHidden());
}

// A clip whose change to playing is stuck in the media framework holds neither the card the
// learner leaves nor the window closed after.
TEST(TheoryStuckFilm, aClipQuestionLeftBehindAStuckFilmLetsTheWindowClose)
{
    EXPECT_TRUE(ScriptedMovieModule::passes("TheoryScreens.DISABLED_aClipQuestionLeftBehindAStuckFilmLetsTheWindowClose"));
}

TEST_F(TheoryScreens, DISABLED_aClipQuestionLeftBehindAStuckFilmLetsTheWindowClose)
{
    ScriptedMovieModule films;
    ASSERT_TRUE(films.bind());
    films.stickEveryFilmPlaying();
    auto practice = push(clipPractice());
    ASSERT_TRUE(practice->player());
    ASSERT_TRUE(practice->player()->isPreparedToPlay());
    auto mark = practice->questionView()->viewWithTag(QuestionCardViewController::kPlayTag);
    ASSERT_TRUE(mark);
    host->tap(mark);
    host->drainRunLoop();
    ASSERT_EQ(practice->player()->playbackState(), MPMoviePlaybackStatePlaying);

    EXPECT_TRUE(films.closesInTime([&] {
        navigation->popViewControllerAnimated(false);
        ApplicationTermination::terminateAndWait();
    }));
    films.releaseStuckChanges();
    practice.reset();
    EXPECT_TRUE(testing_support::runLoopUntil([&] { return films.liveDecoders() == 0; }));
}

TEST_F(TheoryScreens, aStillThatComesBeforeTheQuestionIsDrawnIsShown)
{
    auto practice = push(clipPractice());
    // Shown afresh and answered at once: the label has not drawn, so the still's view is not placed yet.
    practice->showQuestion();
    ASSERT_TRUE(practice->player());
    EXPECT_FALSE(practice->questionView()->viewWithTag(QuestionCardViewController::kVideoTag));
    auto picture = UIImage::imageNamed("play");
    NSNotificationCenter::defaultCenter()->postNotificationName(MPMoviePlayerThumbnailImageRequestDidFinishNotification, practice->player(),
        ns::dictionary({ { MPMoviePlayerThumbnailImageKey, picture } }));
    host->runUntilIdle();
    auto still = std::dynamic_pointer_cast<UIImageView>(practice->questionView()->viewWithTag(QuestionCardViewController::kVideoTag));
    ASSERT_TRUE(still);
    EXPECT_EQ(still->image(), picture);
}

TEST_F(TheoryScreens, theTheoryHomeTakesTheNextSubjectUpThenDownAndOneEntryAtATime)
{
    install({ { .quid = "a", .subject = "1", .qunum = 1 }, { .quid = "b", .subject = "3", .qunum = 2 }, { .quid = "c", .subject = "3", .qunum = 3 } });
    delegate->user()->setSubject("2");
    auto theory = push(StudentTheoryViewController::create());
    EXPECT_EQ(theory->subject(), 3) << "the learner's subject + 1 comes before - 1";
    EXPECT_EQ(theory->logicQuestArr()->count(), 13u);
    snapshot("theory-home");

    delegate->user()->setSubject("4");
    navigation->popViewControllerAnimated(false);
    theory = push(StudentTheoryViewController::create());
    EXPECT_EQ(theory->subject(), 3);

    // A second entry during the second of loading opens nothing more.
    host->tap(host->findViewWithText("顺序练习"));
    host->advance(0.3);
    host->tap(host->findViewWithText("未做题库"));
    host->advance(1.5);
    EXPECT_EQ(navigation->viewControllers().size(), 3u);
    auto practice = top<ExerciseViewController>();
    ASSERT_TRUE(practice);
    EXPECT_EQ(practice->title(), NSString("顺序练习"));
    EXPECT_EQ(practice->total(), 2);
    navigation->popViewControllerAnimated(false);
    host->runUntilIdle();

    host->tap(host->findViewWithText("我的错题"));
    host->advance(1.5);
    EXPECT_EQ(top<StudentTheoryViewController>(), theory);
    host->tap(host->findViewWithText("成绩统计"));
    host->advance(0.3);
    EXPECT_TRUE(host->findViewWithText("尚未开放，敬请期待"));
}

TEST_F(TheoryScreens, aPanFromTheLeftEdgeLeavesNoRunningExamAndThePracticeStillGoesBack)
{
    auto screen = exam(5, false);
    const auto edgePan = [&] {
        host->drag(CGPointMake(4, 40), CGPointMake(300, 40), 0.3);
        host->runUntilIdle();
    };
    edgePan();
    EXPECT_EQ(top<TestViewController>(), screen);
    EXPECT_TRUE(screen->isRunning());
    EXPECT_FALSE(alert());

    // The back button still asks, and the pan works again on the screens below once it is gone.
    host->tap(CGPointMake(20, 42));
    ASSERT_TRUE(alert());
    EXPECT_EQ(alert()->message(), NSString("您已经回答了：0题，还有5题未答，是否退出？"));
    ASSERT_TRUE(answerAlert("确定"));
    host->runUntilIdle();
    EXPECT_EQ(navigation->topViewController(), home);
    auto practice = ExerciseViewController::create();
    practice->setQuestions(paper(2));
    push(practice);
    edgePan();
    EXPECT_EQ(navigation->topViewController(), home);
}

TEST_F(TheoryScreens, theSpecialMenuGetsAFreshFlatHeaderEachTimeItAppears)
{
    auto special = SepcialExerciseViewController::create();
    special->setSubject(1);
    push(special);
    auto table = special->tableView();
    table->setTableHeaderView(UIView::create(CGRectMake(0, 0, table->bounds().size.width, 30)));
    const auto old = table->tableHeaderView();
    push(ExerciseViewController::create());
    navigation->popViewControllerAnimated(false);
    host->runUntilIdle();
    ASSERT_TRUE(table->tableHeaderView());
    EXPECT_NE(table->tableHeaderView(), old);
    EXPECT_DOUBLE_EQ(table->tableHeaderView()->frame().size.height, 0.01);
    EXPECT_DOUBLE_EQ(table->tableHeaderView()->frame().size.width, table->bounds().size.width);
}

TEST_F(TheoryScreens, theSpecialMenuNamesItsGroupsAndItsRowsFitTheirCells)
{
    auto special = SepcialExerciseViewController::create();
    special->setSubject(1);
    push(special);
    auto table = special->tableView();
    EXPECT_EQ(table->numberOfSections(), 3);
    auto header = [&](NSInteger section) {
        auto view = special->viewForHeaderInSection(*table, section);
        return std::dynamic_pointer_cast<UILabel>(view->subviews().at(0))->text();
    };
    EXPECT_EQ(header(0), NSString("按题目类型分"));
    EXPECT_EQ(header(1), NSString("按内容类型分"));
    EXPECT_EQ(header(2), NSString("按强化类型分"));
    auto cell = table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(1, 1));
    ASSERT_TRUE(cell);
    auto text = cell->contentView()->viewWithTag(101);
    auto badge = std::dynamic_pointer_cast<UILabel>(cell->contentView()->viewWithTag(100));
    ASSERT_TRUE(text && badge);
    EXPECT_EQ(badge->text(), NSString("5"));
    EXPECT_LE(CGRectGetMaxX(text->frame()), cell->bounds().size.width);
    snapshot("special-menu");

    // Two rows tapped within the loading second open one practice.
    host->tap(host->findViewWithText("单选题"));
    host->advance(0.2);
    host->tap(host->findViewWithText("判断题"));
    host->advance(1.5);
    EXPECT_EQ(navigation->viewControllers().size(), 3u);
    ASSERT_TRUE(top<ExerciseViewController>());
    EXPECT_EQ(top<ExerciseViewController>()->title(), NSString("单选题练习"));
}

TEST_F(TheoryScreens, movesStopAtBothEndsWithTheirToastsAndTheCounterFollows)
{
    auto practice = ExerciseViewController::create();
    practice->setTitle("顺序练习");
    practice->setQuestions(paper(10));
    push(practice);
    host->tap(host->findViewWithText("上一题"));
    EXPECT_TRUE(host->findViewWithText("已经是第一题了"));
    host->advance(2.0);
    host->tap(host->findViewWithText("下一题"));
    host->tap(host->findViewWithText("下一题"));
    EXPECT_EQ(practice->choiceBtn()->currentTitle(), NSString("3/10"));
    practice->clickAtIndex(9);
    EXPECT_EQ(practice->choiceBtn()->currentTitle(), NSString("10/10"));
    host->tap(host->findViewWithText("下一题"));
    EXPECT_TRUE(host->findViewWithText("已经是最后一题了"));
    EXPECT_EQ(practice->index(), 9);
}

TEST_F(TheoryScreens, answeringTheLastQuestionStaysAndCongratulatesOnlyWhenAllAreAnswered)
{
    auto screen = exam(2, false);
    screen->clickAtIndex(1);
    ASSERT_TRUE(tapRow(screen, 0));
    host->advance(0.6);
    EXPECT_EQ(screen->index(), 1);
    EXPECT_FALSE(host->findViewWithText("恭喜您，此次所有题目做完了！"));
    screen->clickAtIndex(0);
    ASSERT_TRUE(tapRow(screen, 0));
    host->advance(0.6);
    EXPECT_EQ(screen->index(), 1);
    ASSERT_TRUE(tapRow(screen, 1));
    EXPECT_TRUE(host->findViewWithText("恭喜您，此次所有题目做完了！"));
    host->advance(2.0);
    host->tap(host->findViewWithText("交卷"));
    auto submit = alert();
    ASSERT_TRUE(submit);
    EXPECT_EQ(submit->message(), NSString("您已经回答了：2题，还有0题未答，是否交卷？"));
    ASSERT_TRUE(answerAlert("确定"));
    auto result = top<TestResultViewController>();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->scoreText(), NSString("50"));
}

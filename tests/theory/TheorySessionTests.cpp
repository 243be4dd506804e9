// Scripted sessions of the learner in theory study against the stand-in and the delivered bank:
// practice marks that outlive a restart, the four exam modes and their papers, the clock that
// submits at zero, the result, the review and the retake.
#include "tests/app/ClientSession.h"

#include "app/theory/ExerciseViewController.h"
#include "app/theory/QuestionManager.h"
#include "app/theory/SepcialExerciseViewController.h"
#include "app/theory/ShowErrViewController.h"
#include "app/theory/SimulationViewController.h"
#include "app/theory/StudentTheoryViewController.h"
#include "app/theory/TestResultViewController.h"
#include "app/theory/TestViewController.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "platform/foundation/TypedValues.h"
#include "platform/uikit/UIAlertView.h"

#include <fstream>
#include <map>
#include <random>
#include <set>

namespace {

class TheorySession : public ClientSession {
protected:
    void SetUp() override
    {
        ClientSession::SetUp();
        // The same papers every run, so the pictures of them can be compared between runs.
        QuestionManager::shareInstance()->setRandomSource([engine = std::make_shared<std::mt19937>(2015)] { return (*engine)(); });
    }
    std::shared_ptr<StudentTheoryViewController> openTheoryHome(bool remembered = false)
    {
        if (remembered) {
            // The login screen of a restarted client holds the last login.
            host->tap(loginScreen()->loginBtn());
            EXPECT_TRUE(waitUntil([&] { return top<MainViewController>() != nullptr; }));
        } else {
            EXPECT_TRUE(logIn("学员", kLearner, "123456"));
        }
        auto tile = host->findViewWithText("理论学习");
        EXPECT_TRUE(tile);
        host->tap(tile);
        host->runUntilIdle();
        return top<StudentTheoryViewController>();
    }
    // Taps an entry whose questions load a second later, and lets them load.
    void tapAndLoad(const NSString& title)
    {
        auto entry = host->findViewWithText(title);
        ASSERT_TRUE(entry) << title.UTF8String();
        host->tap(entry);
        // Not runUntilIdle: an exam's clock would keep it turning.
        host->advance(1.5);
    }
    void back()
    {
        navigation()->popViewControllerAnimated(false);
        host->runUntilIdle();
    }
    static NSString quidAt(const std::shared_ptr<NSArray>& list, NSUInteger i)
    {
        return ns::stringForKey(ns::cast<NSDictionary>(list->objectAtIndex(i)), "quid");
    }
    static std::set<std::string> quids(const std::shared_ptr<NSArray>& list)
    {
        std::set<std::string> ids;
        for (NSUInteger i = 0; list && i < list->count(); ++i)
            ids.insert(quidAt(list, i).UTF8String());
        return ids;
    }
    // The option row that gives a right (or a wrong) answer to the question shown.
    std::size_t rowFor(const std::shared_ptr<QuestionCardViewController>& card, bool right)
    {
        const NSString answer = ns::stringForKey(card->quest(), "answer");
        const bool judge = ns::stringForKey(card->quest(), "qutype").isEqualToString("2");
        const char* tokens[] = { judge ? "Y" : "A", judge ? "N" : "B", "C", "D" };
        for (std::size_t i = 0; i < card->optionRows().size(); ++i) {
            if (NSString(tokens[i]).isEqualToString(answer) == right)
                return i;
        }
        return 0;
    }
    void answer(const std::shared_ptr<QuestionCardViewController>& card, bool right)
    {
        if (ns::stringForKey(card->quest(), "qutype").isEqualToString("1")) {
            const NSString letters = ns::stringForKey(card->quest(), "answer");
            const char* tokens[] = { "A", "B", "C", "D" };
            for (std::size_t i = 0; i < card->optionRows().size(); ++i) {
                const bool inAnswer = letters.rangeOfString(tokens[i]).location != NSNotFound;
                if (inAnswer == right || (!right && i == 0 && !inAnswer))
                    host->tap(card->optionRows()[i]);
                if (!right)
                    break;
            }
            host->tap(card->okBtn());
        } else {
            host->tap(card->optionRows()[rowFor(card, right)]);
        }
        host->drainRunLoop();
    }
    bool answerAlert(const char* title) { return tapAlertButton(title); }
};

} // namespace

TEST_F(TheorySession, practiceMarksWrongAnswersAndFavouritesAndTheyOutliveARestart)
{
    auto theory = openTheoryHome();
    ASSERT_TRUE(theory);
    EXPECT_EQ(theory->subject(), 2);
    EXPECT_EQ(theory->subjectArr()->count(), 3u);
    shot("theory-01-home");

    tapAndLoad("顺序练习");
    auto practice = top<ExerciseViewController>();
    ASSERT_TRUE(practice);
    ASSERT_GT(practice->total(), 100);
    shot("theory-02-practice");
    answer(practice, false);
    const NSString wrongQuid = ns::stringForKey(practice->quest(), "quid");
    EXPECT_FALSE(practice->resultView()->isHidden());
    shot("theory-03-practice-wrong");
    host->tap(host->findViewWithText("下一题"));
    host->runUntilIdle();
    answer(practice, true);
    EXPECT_EQ(practice->resultView()->text(), NSString("恭喜您，答对了！"));
    const NSString favouriteQuid = ns::stringForKey(practice->quest(), "quid");
    host->tap(practice->favoriteBtn());
    host->runUntilIdle();
    shot("theory-04-practice-favourite");

    // A picture question shows its drawing in the card.
    back();
    tapAndLoad("专项练习");
    ASSERT_TRUE(top<SepcialExerciseViewController>());
    shot("theory-05-special");
    tapAndLoad("图片题");
    auto pictures = top<ExerciseViewController>();
    ASSERT_TRUE(pictures);
    shot("theory-06-picture-question");
    back();
    back();
    // Video questions are in subject 3: the subject menu switches to it.
    host->tap(theory->m_viewNaviBar()->m_btnRight());
    host->runUntilIdle();
    shot("theory-07-subject-menu");
    host->tap(host->findViewWithText("科目三"));
    host->runUntilIdle();
    EXPECT_EQ(theory->subject(), 3);
    tapAndLoad("专项练习");
    tapAndLoad("视频题");
    auto videos = top<ExerciseViewController>();
    ASSERT_TRUE(videos);
    ASSERT_TRUE(videos->player());
    // The still at one second comes from the decoder; a tap on the mark plays the clip.
    auto still = std::dynamic_pointer_cast<UIImageView>(videos->questionView()->viewWithTag(QuestionCardViewController::kVideoTag));
    ASSERT_TRUE(still);
    EXPECT_TRUE(waitUntil([&] { return still->image() != nullptr && videos->player()->isPreparedToPlay(); }));
    shot("theory-08-video-question");
    auto playMark = videos->questionView()->viewWithTag(QuestionCardViewController::kPlayTag);
    ASSERT_TRUE(playMark);
    host->tap(playMark);
    host->advance(1.0);
    EXPECT_TRUE(playMark->isHidden());
    EXPECT_EQ(videos->player()->playbackState(), MPMoviePlaybackStatePlaying);
    shot("theory-08b-video-playing");
    back();
    back();

    // Restart: a new client over the same documents.
    application.reset();
    host.reset();
    launch();
    theory = openTheoryHome(true);
    ASSERT_TRUE(theory);
    tapAndLoad("我的错题");
    auto wrong = top<ExerciseViewController>();
    ASSERT_TRUE(wrong);
    EXPECT_EQ(quids(wrong->questions()), (std::set<std::string> { wrongQuid.UTF8String() }));
    shot("theory-09-wrong-answers");
    back();
    tapAndLoad("我的收藏");
    auto favourites = top<ExerciseViewController>();
    ASSERT_TRUE(favourites);
    EXPECT_EQ(quids(favourites->questions()), (std::set<std::string> { favouriteQuid.UTF8String() }));
    EXPECT_TRUE(favourites->favoriteBtn()->isSelected());
    back();
    tapAndLoad("未做题库");
    auto notDone = top<ExerciseViewController>();
    ASSERT_TRUE(notDone);
    EXPECT_EQ(quids(notDone->questions()).count(wrongQuid.UTF8String()), 0u);
    EXPECT_EQ(quids(notDone->questions()).count(favouriteQuid.UTF8String()), 0u);
}

TEST_F(TheorySession, eachExamModeAssemblesAPaperOfTheAnnouncedSizeInTheBlueprintsMix)
{
    ASSERT_TRUE(openTheoryHome());
    host->tap(CGPointMake(160, 64 + 70));
    host->runUntilIdle();
    auto exams = top<SimulationViewController>();
    ASSERT_TRUE(exams);
    EXPECT_EQ(exams->labelQuest()->text(), NSString("100题，45分钟"));
    shot("theory-10-exam-home");

    struct Mode {
        const char* title;
        bool asks;
        const char* shot;
    };
    for (const Mode& mode : { Mode { "仿真考试", true, "theory-11-exam-strict" }, Mode { "模拟考试", false, "theory-12-exam-practice" },
             Mode { "先考未做", false, "theory-13-exam-not-done-first" }, Mode { "先考错题", false, "theory-14-exam-wrong-first" } }) {
        auto button = host->findView([&](UIView& view) {
            auto control = dynamic_cast<UIButton*>(&view);
            return control && control->currentTitle().isEqualToString(mode.title) && control->frame().size.height == 40;
        });
        ASSERT_TRUE(button) << mode.title;
        host->tap(button);
        if (mode.asks) {
            EXPECT_EQ(alertMessage(),
                NSString("仿真考试不能修改答案，每做一题，系统会自动计算错误题数，如果答题错误数量累计到本次不及格标准(100题错11道)时，会自动提交答案。"));
            ASSERT_TRUE(answerAlert("确定"));
        }
        host->advance(1.5);
        auto exam = top<TestViewController>();
        ASSERT_TRUE(exam) << mode.title;
        ASSERT_EQ(exam->questions()->count(), 100u) << mode.title;
        EXPECT_EQ(quids(exam->questions()).size(), 100u) << "no question twice";
        // Rows in order: 10 single and 10 true/false of chapter 01, then 02, 03, 04, 05 as the blueprint asks.
        std::vector<std::pair<std::string, std::string>> rows;
        for (NSUInteger i = 0; i < 100; ++i) {
            auto question = ns::cast<NSDictionary>(exam->questions()->objectAtIndex(i));
            rows.emplace_back(ns::stringForKey(question, "examprojt").UTF8String(), ns::stringForKey(question, "qutype").UTF8String());
            EXPECT_EQ(ns::stringForKey(question, "trsubject"), NSString("2"));
        }
        const std::vector<std::tuple<std::string, int, std::string>> blueprint = { { "01", 10, "0" }, { "01", 10, "2" }, { "02", 10, "0" },
            { "03", 20, "0" }, { "03", 10, "2" }, { "04", 10, "0" }, { "04", 10, "2" }, { "05", 20, "0" } };
        std::size_t at = 0;
        for (const auto& [chapter, count, kind] : blueprint) {
            for (int i = 0; i < count; ++i, ++at)
                EXPECT_EQ(rows[at].first, chapter) << mode.title << " " << at;
        }
        shot(mode.shot);
        // Leave without a result.
        host->tap(exam->m_viewNaviBar()->m_btnLeft());
        EXPECT_EQ(alertMessage(), NSString("您已经回答了：0题，还有100题未答，是否退出？"));
        ASSERT_TRUE(answerAlert("确定"));
        host->runUntilIdle();
        ASSERT_EQ(top<SimulationViewController>(), exams);
    }

    // Subject 3 from the menu: 50 questions, the multiple-choice ones last.
    host->tap(exams->m_viewNaviBar()->m_btnRight());
    host->runUntilIdle();
    shot("theory-15-exam-subject-menu");
    host->tap(host->findViewWithText("科目三"));
    host->runUntilIdle();
    EXPECT_EQ(exams->labelQuest()->text(), NSString("50题，30分钟"));
    host->tap(host->findViewWithText("模拟考试"));
    host->advance(1.5);
    auto exam = top<TestViewController>();
    ASSERT_TRUE(exam);
    ASSERT_EQ(exam->questions()->count(), 50u);
    for (NSUInteger i = 45; i < 50; ++i)
        EXPECT_EQ(ns::stringForKey(ns::cast<NSDictionary>(exam->questions()->objectAtIndex(i)), "qutype"), NSString("1")) << i;
    EXPECT_EQ(exam->timeLabel()->text(), NSString("30:00"));
}

TEST_F(TheorySession, theClockSubmitsAtZeroAndTheReviewAndRetakeWorkOnTheSamePaper)
{
    ASSERT_TRUE(openTheoryHome());
    host->tap(CGPointMake(160, 64 + 70));
    host->runUntilIdle();
    auto simulation = host->findView([](UIView& view) {
        auto control = dynamic_cast<UIButton*>(&view);
        return control && control->currentTitle().isEqualToString("模拟考试") && control->frame().size.height == 40;
    });
    ASSERT_TRUE(simulation);
    host->tap(simulation);
    host->advance(1.5);
    auto exam = top<TestViewController>();
    ASSERT_TRUE(exam);
    EXPECT_EQ(exam->timeLabel()->text(), NSString("45:00"));
    const auto clock = [](NSInteger seconds) { return NSString::stringWithFormat("%02d:%02d", int(seconds / 60), int(seconds % 60)); };

    // Three right, two wrong, the rest left open.
    for (int i = 0; i < 5; ++i) {
        answer(exam, i < 3);
        host->advance(0.6);
    }
    EXPECT_EQ(exam->index(), 5);
    shot("theory-20-exam");
    host->tap(exam->choiceBtn());
    host->runUntilIdle();
    shot("theory-21-exam-grid");
    host->tap(host->findViewWithText("我的答题"));
    host->tap(CGPointMake(160, 80));
    host->runUntilIdle();

    EXPECT_EQ(exam->timeLabel()->text(), clock(exam->secondCountDown()));
    host->advance(double(exam->secondCountDown() - 1));
    EXPECT_EQ(exam->timeLabel()->text(), NSString("00:01"));
    host->advance(1);
    EXPECT_EQ(alertMessage(), NSString("对不起，时间到！系统自动交卷~"));
    ASSERT_TRUE(answerAlert("确定"));
    auto result = top<TestResultViewController>();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->scoreText(), NSString("3"));
    EXPECT_EQ(result->gradeImageName(), NSString("ks_top3"));
    EXPECT_EQ(result->durationText(), NSString("45:00"));
    EXPECT_TRUE(host->findViewWithText("陈小雨"));
    shot("theory-22-result");

    host->tap(result->showErrBtn());
    host->runUntilIdle();
    auto review = top<ShowErrViewController>();
    ASSERT_TRUE(review);
    ASSERT_EQ(review->answerErrs()->count(), 97u);
    // Exactly the wrong and unanswered questions, in paper order.
    auto paper = result->questions();
    std::vector<std::string> expected;
    for (NSUInteger i = 3; i < 100; ++i)
        expected.push_back(quidAt(paper, i).UTF8String());
    std::vector<std::string> listed;
    for (NSUInteger i = 0; i < 97; ++i)
        listed.push_back(quidAt(review->answerErrs(), i).UTF8String());
    EXPECT_EQ(listed, expected);
    shot("theory-23-review");

    host->tap(host->findViewWithText("重考"));
    host->runUntilIdle();
    auto retake = top<TestViewController>();
    ASSERT_TRUE(retake);
    EXPECT_NE(retake, exam);
    EXPECT_EQ(retake->questions(), paper);
    for (NSUInteger i = 0; i < 100; ++i)
        EXPECT_EQ(ns::integerForKey(ns::cast<NSDictionary>(paper->objectAtIndex(i)), "type"), 0);
    EXPECT_GT(retake->secondCountDown(), 2680);
    EXPECT_EQ(retake->timeLabel()->text(), clock(retake->secondCountDown()));
    EXPECT_TRUE(retake->optionRows().size() >= 2);
    shot("theory-24-retake");
}

TEST_F(TheorySession, aDamagedBankEndsInTheEmptyListMessageAndIsRestoredForTheNextEntry)
{
    auto theory = openTheoryHome();
    ASSERT_TRUE(theory);
    {
        std::ofstream damaged(QuestionManager::getDBPath().UTF8String(), std::ios::binary | std::ios::trunc);
        damaged << "not a question bank";
    }
    auto entry = host->findViewWithText("顺序练习");
    ASSERT_TRUE(entry);
    host->tap(entry);
    host->advance(1.1);
    EXPECT_EQ(hudText(), NSString("您暂无该类型题目，请选择其他类型"));
    shot("theory-30-damaged-bank");
    host->advance(1.5);
    EXPECT_EQ(top<StudentTheoryViewController>(), theory);

    tapAndLoad("顺序练习");
    auto practice = top<ExerciseViewController>();
    ASSERT_TRUE(practice);
    EXPECT_GT(practice->total(), 100);
}

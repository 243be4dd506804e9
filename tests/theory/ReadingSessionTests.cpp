// Scripted sessions of the reading lists and the exam information against the stand-in: the home
// strips of both roles open the lists and their pages, the learner's exams come as cards, a learner
// without exams and a stand-in that is gone both end on the empty view, whose button asks again.
#include "tests/app/ClientSession.h"

#include "app/theory/BaoDianViewController.h"
#include "app/theory/KaoInfoViewController.h"
#include "app/theory/WomenViewController.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "platform/foundation/TypedValues.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UITableViewCell.h"

namespace {

class ReadingSession : public ClientSession {
protected:
    static constexpr const char* kLearnerWithoutExams = "510104199808083456";

    void back()
    {
        navigation()->popViewControllerAnimated(false);
        host->runUntilIdle();
    }
    // Taps the strip and then a row of the list it opened, and checks the page that row opens.
    template <class List>
    void openArticle(const char* strip, NSInteger row, const char* page, const std::string& picture)
    {
        auto home = top<HomeScreen>();
        ASSERT_TRUE(home);
        std::shared_ptr<UIButton> button;
        for (const auto& candidate : home->strips())
            for (const auto& sub : candidate->subviews())
                if (auto label = std::dynamic_pointer_cast<UILabel>(sub); label && label->text().isEqualToString(strip))
                    button = candidate;
        ASSERT_TRUE(button) << strip;
        home->vScrollView()->scrollRectToVisible(button->frame(), false);
        host->runUntilIdle();
        ASSERT_TRUE(host->tap(button)) << strip;
        host->runUntilIdle();
        auto list = top<List>();
        ASSERT_TRUE(list) << strip;
        shot(picture + "-list");
        list->mTableView()->scrollToRowAtIndexPath(NSIndexPath::indexPathForRow(row, 0), UITableViewScrollPosition::None, false);
        host->runUntilIdle();
        auto cell = list->mTableView()->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(row, 0));
        ASSERT_TRUE(cell);
        ASSERT_TRUE(host->tap(cell));
        host->runUntilIdle();
        auto article = top<WebViewViewController>();
        ASSERT_TRUE(article);
        EXPECT_EQ(ns::stringForKey(article->data(), "url"), NSString(page));
        EXPECT_GT(article->pageText().length(), 0u);
        shot(picture + "-page");
        back();
        back();
    }
    std::shared_ptr<KaoInfoViewController> openExams()
    {
        auto home = top<MainViewController>();
        EXPECT_TRUE(home);
        if (!home)
            return nullptr;
        host->tap(home->tiles()[1]);
        host->runUntilIdle();
        auto screen = top<KaoInfoViewController>();
        EXPECT_TRUE(screen);
        EXPECT_TRUE(waitUntil([&] { return requestsUnderWay == 0 && hudText().isNil(); }));
        host->runUntilIdle();
        return screen;
    }
};

} // namespace

TEST_F(ReadingSession, bothHomesOpenTheReadingListsAndTheirPages)
{
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    openArticle<WomenViewController>("女士学车", 0, "women1", "reading-01-learner-women");
    openArticle<BaoDianViewController>("驾车宝典", 3, "wanmei", "reading-02-learner-handbook");
    openArticle<BaoDianViewController>("驾车法规", 2, "shoushixinghao", "reading-03-learner-rules");
    ASSERT_TRUE(top<MainViewController>());
}

TEST_F(ReadingSession, theOfficerHomeOpensTheSameLists)
{
    ASSERT_TRUE(logIn("运政", kOfficer, "654321"));
    openArticle<WomenViewController>("女士学车", 6, "women7", "reading-04-officer-women");
    openArticle<BaoDianViewController>("驾车法规", 0, "2014", "reading-05-officer-rules");
    openArticle<BaoDianViewController>("驾车宝典", 7, "fasheng", "reading-06-officer-handbook");
    ASSERT_TRUE(top<AdminHomeViewController>());
}

TEST_F(ReadingSession, theLearnersExamsComeAsScheduleAndHistoryCards)
{
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    standIn.clearRequests();
    auto screen = openExams();
    ASSERT_TRUE(screen);
    ASSERT_EQ(standIn.requestCount(), 1u);
    EXPECT_NE(standIn.requests()[0].body.find("METHOD=checkExamMethod"), std::string::npos);
    EXPECT_TRUE(screen->nothingView()->isHidden());
    ASSERT_EQ(screen->cards().size(), 2u);
    EXPECT_DOUBLE_EQ(screen->cards()[0]->getHeight(), 40.5 + 62);
    EXPECT_DOUBLE_EQ(screen->cards()[1]->getHeight(), 40.5 + 62 * 2);
    EXPECT_TRUE(host->findViewWithText("序号【0215】"));
    EXPECT_TRUE(host->findViewWithText("不合格"));
    EXPECT_TRUE(host->findViewWithText("考试时间  2015-04-20 09:00-09:45"));
    shot("exams-01-cards");
}

TEST_F(ReadingSession, noExamsOrNoServiceShowTheEmptyViewAndItsButtonAsksAgain)
{
    ASSERT_TRUE(logIn("学员", kLearnerWithoutExams, "123456"));
    auto screen = openExams();
    ASSERT_TRUE(screen);
    EXPECT_FALSE(screen->nothingView()->isHidden());
    EXPECT_TRUE(screen->cards().empty());
    shot("exams-02-none");

    // A second try while the first is answered asks nothing more.
    standIn.clearRequests();
    screen->loadData();
    screen->loadData();
    ASSERT_TRUE(waitUntil([&] { return requestsUnderWay == 0 && !screen->isLoading(); }));
    EXPECT_EQ(standIn.requestCount(), 1u);
    EXPECT_FALSE(screen->nothingView()->isHidden());

    standIn.stop();
    host->tap(screen->refreshButton());
    ASSERT_TRUE(waitUntil([&] { return requestsUnderWay == 0 && hudText().isNil(); }));
    host->runUntilIdle();
    EXPECT_FALSE(screen->nothingView()->isHidden());
    EXPECT_TRUE(screen->cards().empty());
    shot("exams-03-service-gone");
}

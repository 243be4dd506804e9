// The tutorial pager as the whole screen of the headless host, advancing on the manual clock.
#include "WidgetScreen.h"

#include "library/widgets/tutorial/TPTutorialController.h"
#include "library/widgets/tutorial/TPTutorialStyle.h"

#include <filesystem>

namespace {

class Watcher : public NSObject, public TPTutorialControllerDelegate {
    NS_OBJECT(Watcher, NSObject)
public:
    std::vector<std::pair<NSInteger, NSInteger>> moves;
    int lastPageReports { 0 };
    int rightTaps { 0 };
    void scrollingFromPageIndex(TPTutorialController&, NSInteger from, NSInteger to) override { moves.emplace_back(from, to); }
    void tutorialControllerDidReachLastPage(TPTutorialController&) override { ++lastPageReports; }
    void didClickOnRightButton(TPTutorialController&, UIButton&) override { ++rightTaps; }
};

class TutorialPagerTest : public WidgetScreenTest {
protected:
    void show(std::vector<TPTutorialPageRef> pages)
    {
        watcher = Watcher::create();
        tutorial = TPTutorialController::initWithPages(pages, watcher);
        host->showRootViewController(tutorial);
        host->runUntilIdle();
    }
    static std::vector<TPTutorialPageRef> threePages()
    {
        return {
            TPTutorialPage::initWithTitle("安全驾驶，从学车开始", "按时练习，每一课都记入学时", "tutorial/tutorial_road.png", 2),
            TPTutorialPage::initWithTitle("认识交通标志", "警告、禁令、指示标志一目了然", "tutorial/tutorial_signs.png", 2),
            TPTutorialPage::initWithTitle("", "模拟考试限时作答，自动交卷", "tutorial/tutorial_exam.png", 2),
        };
    }
    CGFloat offset() const { return tutorial->scrollView()->contentOffset().x; }
    void snapshot(const char* name)
    {
        std::filesystem::create_directories(CORVANE_SNAPSHOT_DIR);
        EXPECT_TRUE(host->writePNG(NSString(std::string(CORVANE_SNAPSHOT_DIR) + "/" + name + ".png")));
    }
    std::vector<UILabelRef> pageLabels() const
    {
        std::vector<UILabelRef> labels;
        for (const auto& view : tutorial->scrollView()->subviews())
            if (auto label = std::dynamic_pointer_cast<UILabel>(view))
                labels.push_back(label);
        return labels;
    }

    std::shared_ptr<Watcher> watcher;
    TPTutorialControllerRef tutorial;
};

TEST_F(TutorialPagerTest, advancesPageByPageAndLoopsBackWithAFade)
{
    show(threePages());
    snapshot("tutorial-page-1");
    tutorial->startScrolling();
    tutorial->startScrolling();
    host->advance(2.5);
    EXPECT_DOUBLE_EQ(offset(), 320) << "one step, however often started";
    host->advance(2.0);
    EXPECT_DOUBLE_EQ(offset(), 640);
    EXPECT_GT(watcher->lastPageReports, 0);
    EXPECT_EQ(tutorial->getCurrentState(), TPTutorialStateAdvancing);

    host->advance(1.5 + 0.01);
    EXPECT_EQ(tutorial->getCurrentState(), TPTutorialStateLooping);
    // The loop starts where the last picture stands fully shown.
    EXPECT_NEAR(tutorial->frontLayerView()->alpha(), 1.0, 0.02);
    EXPECT_NEAR(tutorial->backLayerView()->alpha(), 0.0, 0.02);
    host->advance(0.1);
    const CGFloat x = offset();
    ASSERT_GT(x, 0);
    ASSERT_LT(x, 640);
    EXPECT_NEAR(tutorial->frontLayerView()->alpha(), x / 640, 0.01);
    snapshot("tutorial-looping");
    host->advance(0.6);
    EXPECT_DOUBLE_EQ(offset(), 0);
    EXPECT_EQ(tutorial->getCurrentState(), TPTutorialStateAdvancing);
    EXPECT_EQ(tutorial->currentPageIndex(), 0);
    EXPECT_EQ(tutorial->pageControl()->currentPage(), 0);
    host->advance(2.0);
    EXPECT_DOUBLE_EQ(offset(), 320) << "and goes round again";
}

TEST_F(TutorialPagerTest, aDragStopsTheAdvanceForGood)
{
    show(threePages());
    tutorial->startScrolling();
    host->drag(CGPointMake(250, 300), CGPointMake(60, 300), 0.3);
    host->advance(1.0);
    EXPECT_EQ(tutorial->getCurrentState(), TPTutorialStateStopped);
    EXPECT_DOUBLE_EQ(offset(), 320);
    EXPECT_EQ(watcher->moves.front(), std::make_pair(NSInteger(0), NSInteger(1)));
    host->advance(10);
    EXPECT_DOUBLE_EQ(offset(), 320);
    tutorial->startScrolling();
    host->advance(10);
    EXPECT_DOUBLE_EQ(offset(), 320) << "a start does not leave the stopped state";

    tutorial->setAutoScrollEnabled(false);
    EXPECT_TRUE(host->tap(tutorial->rightButton()));
    EXPECT_EQ(watcher->rightTaps, 1);
}

TEST_F(TutorialPagerTest, picturesCrossFadeWithTheOffset)
{
    show(threePages());
    tutorial->scrollView()->setContentOffset(CGPointMake(80, 0));
    EXPECT_EQ(tutorial->currentPageIndex(), 0);
    EXPECT_NEAR(tutorial->backLayerView()->alpha(), 0.25, 1e-6);
    EXPECT_NEAR(tutorial->frontLayerView()->alpha(), 0.75, 1e-6);
    tutorial->scrollView()->setContentOffset(CGPointMake(160, 0));
    snapshot("tutorial-crossfade");
    tutorial->scrollView()->setContentOffset(CGPointMake(-64, 0));
    EXPECT_NEAR(tutorial->frontLayerView()->alpha(), 0.8, 1e-6) << "pulled past the first page";
    EXPECT_FALSE(tutorial->backLayerView()->image());
}

TEST_F(TutorialPagerTest, textsAndOverlayFollowTheSharedStyleAndLayout)
{
    show(threePages());
    const auto labels = pageLabels();
    ASSERT_EQ(labels.size(), 5u) << "the third page has no title";
    EXPECT_EQ(labels[0]->frame(), CGRectMake(0, 568 - 180, 320, 45));
    EXPECT_EQ(labels[0]->numberOfLines(), 1);
    EXPECT_EQ(labels[1]->frame(), CGRectMake(0, 568 - 150, 320, 45));
    EXPECT_EQ(labels[1]->numberOfLines(), 2);
    EXPECT_DOUBLE_EQ(labels[4]->frame().origin.x, 640);
    EXPECT_EQ(labels[0]->font()->fontName(), TPTutorialStyle::sharedInstance()->titleFont()->fontName());
    EXPECT_DOUBLE_EQ(labels[1]->font()->pointSize(), 15);

    EXPECT_EQ(tutorial->overlayTitle()->frame(), CGRectMake(54, 116, 212, 50));
    EXPECT_EQ(tutorial->gradientView()->frame(), CGRectMake(0, 568 - 200, 320, 200));
    EXPECT_EQ(tutorial->leftButton()->frame(), CGRectMake(20, 568 - 56, 130, 36));
    EXPECT_EQ(tutorial->rightButton()->frame(), CGRectMake(170, 568 - 56, 130, 36));
    EXPECT_EQ(tutorial->pageControl()->frame(), CGRectMake(140, 568 - 92, 40, 32));
}

TEST_F(TutorialPagerTest, noPagesOrOnePageNeverStall)
{
    show({});
    tutorial->startScrolling();
    host->advance(5);
    EXPECT_EQ(tutorial->numberOfPages(), 0);

    show({ TPTutorialPage::initWithTitle("欢迎", "", "tutorial/tutorial_road.png", 1) });
    tutorial->startScrolling();
    host->advance(1.5);
    EXPECT_EQ(tutorial->getCurrentState(), TPTutorialStateAdvancing) << "the loop of one page ends at once";
    EXPECT_DOUBLE_EQ(tutorial->frontLayerView()->alpha(), 1);
}

} // namespace

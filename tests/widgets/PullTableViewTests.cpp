// The pull table driven as a finger would: drags set the offset while the table is dragging,
// releases end the drag; the clock runs the inset animations.
#include "WidgetScreen.h"

#include "library/widgets/pulltable/PullTableView.h"

#include <filesystem>

namespace {

class ListScreen : public NSObject, public UITableViewDataSource, public UITableViewDelegate, public PullTableViewDelegate {
    NS_OBJECT(ListScreen, NSObject)
public:
    NSInteger rows { 30 };
    int refreshes { 0 };
    int loads { 0 };
    std::vector<NSInteger> selected;
    // What the header showed when this delegate heard the scroll.
    std::vector<int> headerStateSeen;

    NSInteger numberOfRowsInSection(UITableView&, NSInteger) override { return rows; }
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath) override
    {
        auto cell = table.dequeueReusableCellWithIdentifier("row");
        if (!cell)
            cell = UITableViewCell::create(UITableViewCellStyle::Default, NSString("row"));
        cell->textLabel()->setText(NSString::stringWithFormat("第 %ld 课 交通信号灯", long(indexPath->row() + 1)));
        return cell;
    }
    void didSelectRowAtIndexPath(UITableView&, const std::shared_ptr<NSIndexPath>& indexPath) override { selected.push_back(indexPath->row()); }
    void scrollViewDidScroll(UIScrollView& scrollView) override
    {
        headerStateSeen.push_back(static_cast<PullTableView&>(scrollView).refreshView()->state());
    }
    void pullTableViewDidTriggerRefresh(PullTableView&) override { ++refreshes; }
    void pullTableViewDidTriggerLoadMore(PullTableView&) override { ++loads; }
};

class PullTableViewTest : public WidgetScreenTest {
protected:
    void SetUp() override
    {
        WidgetScreenTest::SetUp();
        table = PullTableView::create(CGRectMake(0, 0, 320, 480));
        list = ListScreen::create();
        table->setDataSource(list);
        table->setDelegate(list);
        table->setPullDelegate(list);
        screen()->addSubview(table);
        table->reloadData();
        table->layoutIfNeeded();
    }
    // The finger holds the list at the offset.
    void dragTo(CGFloat y)
    {
        if (!table->isDragging()) {
            table->beginTracking();
            table->beginDragging();
        }
        table->setContentOffset(CGPointMake(0, y));
    }
    void release()
    {
        table->endDragging(CGPointZero);
        host->advance(0.5);
    }
    void snapshot(const char* name)
    {
        std::filesystem::create_directories(CORVANE_SNAPSHOT_DIR);
        EXPECT_TRUE(host->writePNG(NSString(std::string(CORVANE_SNAPSHOT_DIR) + "/" + name + ".png")));
    }

    PullTableViewRef table;
    std::shared_ptr<ListScreen> list;
};

TEST_F(PullTableViewTest, refreshTriggersAtSixtyFivePointsAndHoldsTheHeaderWhileLoading)
{
    auto header = table->refreshView();
    dragTo(-65);
    EXPECT_EQ(header->state(), PullRefreshNormal) << "the arrow turns only past 65";
    dragTo(-64.9);
    release();
    EXPECT_EQ(list->refreshes, 0);

    table->setPullLastRefreshDate(NSDate::dateWithTimeIntervalSinceNow(-7200));
    dragTo(-90);
    host->advance(0.3);
    snapshot("pulltable-pulling");
    dragTo(-65.1);
    EXPECT_EQ(header->state(), PullRefreshPulling);
    EXPECT_EQ(header->statusLabel()->text(), NSString("松开刷新..."));
    dragTo(-65);
    release();
    EXPECT_EQ(list->refreshes, 1);
    EXPECT_TRUE(table->pullTableIsRefreshing());
    EXPECT_EQ(header->state(), PullRefreshLoading);
    EXPECT_EQ(header->statusLabel()->text(), NSString("加载中..."));
    EXPECT_DOUBLE_EQ(table->contentInset().top, 60);
    snapshot("pulltable-refreshing");

    // Pulled again while loading: the inset follows the finger, nothing triggers twice.
    dragTo(-30);
    EXPECT_DOUBLE_EQ(table->contentInset().top, 30);
    dragTo(-120);
    EXPECT_DOUBLE_EQ(table->contentInset().top, 60);
    release();
    EXPECT_EQ(list->refreshes, 1);
    EXPECT_EQ(header->state(), PullRefreshLoading);

    table->setPullTableIsRefreshing(false);
    host->advance(0.5);
    EXPECT_EQ(header->state(), PullRefreshNormal);
    EXPECT_DOUBLE_EQ(table->contentInset().top, 0);
    EXPECT_FALSE(table->pullTableIsRefreshing());
}

TEST_F(PullTableViewTest, refreshingFromCodeStartsAndFinishesOnceWithoutTellingTheDelegate)
{
    table->setPullTableIsRefreshing(true);
    host->advance(0.5);
    EXPECT_DOUBLE_EQ(table->contentOffset().y, -65) << "the header scrolled into view from rest";
    table->setContentOffset(CGPointMake(0, -40));
    table->setPullTableIsRefreshing(true);
    host->advance(0.5);
    EXPECT_DOUBLE_EQ(table->contentOffset().y, -40) << "a second start does not scroll again";
    EXPECT_EQ(list->refreshes, 0);
    table->setPullTableIsRefreshing(false);
    table->setPullTableIsRefreshing(false);
    host->advance(0.5);
    EXPECT_EQ(table->refreshView()->state(), PullRefreshNormal);
    EXPECT_FALSE(table->refreshView()->isLoading());
}

TEST_F(PullTableViewTest, loadMoreCountsFromTheLastRowOrFromTheTopOfShortContent)
{
    auto footer = table->loadMoreView();
    const CGFloat end = 30 * 44 - 480;
    EXPECT_DOUBLE_EQ(footer->frame().origin.y, 30 * 44);
    dragTo(end + 64);
    release();
    EXPECT_EQ(list->loads, 0);
    dragTo(end + 66);
    EXPECT_EQ(footer->state(), PullRefreshPulling);
    release();
    EXPECT_EQ(list->loads, 1);
    EXPECT_EQ(footer->statusLabel()->text(), NSString("加载中..."));
    EXPECT_DOUBLE_EQ(table->contentInset().bottom, 60);
    table->setPullTableIsLoadingMore(false);
    host->advance(0.5);

    list->rows = 3;
    table->reloadData();
    table->setContentOffset(CGPointZero);
    table->layoutIfNeeded();
    EXPECT_DOUBLE_EQ(footer->frame().origin.y, 480) << "short content: the footer sits at the bottom edge";
    EXPECT_DOUBLE_EQ(LoadMoreTableFooterView::scrollViewOffsetFromBottom(*table), 0);
    dragTo(65);
    release();
    EXPECT_EQ(list->loads, 2);
    host->advance(0.5);
    snapshot("pulltable-loading-more-short");
    EXPECT_DOUBLE_EQ(table->contentInset().bottom, 480 - 3 * 44 + 60);
}

TEST_F(PullTableViewTest, switchedOffBandsIgnorePulls)
{
    table->setHasRefresh(false);
    table->setHasLoadMore(false);
    EXPECT_TRUE(table->refreshView()->isHidden());
    dragTo(-200);
    release();
    dragTo(30 * 44 - 480 + 200);
    release();
    EXPECT_EQ(list->refreshes + list->loads, 0);
    EXPECT_EQ(table->refreshView()->state(), PullRefreshNormal);
    EXPECT_EQ(table->loadMoreView()->state(), PullRefreshNormal);
    EXPECT_DOUBLE_EQ(table->contentInset().top, 0);
    EXPECT_DOUBLE_EQ(table->contentInset().bottom, 0);
}

TEST_F(PullTableViewTest, lastUpdatedLineCountsWholeMinutesHoursAndDays)
{
    auto header = table->refreshView();
    const CGFloat height = header->bounds().size.height;
    const std::pair<NSTimeInterval, const char*> cases[] = {
        { -3599, "在 59 分钟之前更新" },
        { -7200, "在 2 小时之前更新" },
        { -3 * 86400 - 10, "在 3 天之前更新" },
        { -5, "在 0 分钟之前更新" },
        { 600, "在 0 分钟之前更新" },
    };
    for (const auto& [interval, text] : cases) {
        table->setPullLastRefreshDate(NSDate::dateWithTimeIntervalSinceNow(interval));
        EXPECT_EQ(header->lastUpdatedLabel()->text(), NSString(text)) << interval;
        EXPECT_DOUBLE_EQ(header->statusLabel()->frame().origin.y, height - 48);
    }
    table->setPullLastRefreshDate(nullptr);
    EXPECT_EQ(header->lastUpdatedLabel()->text().length(), 0u);
    EXPECT_DOUBLE_EQ(header->statusLabel()->frame().origin.y, height - 38) << "no date drops the caption 10 points";
}

TEST_F(PullTableViewTest, theScreenStaysTheTableDelegateAfterTheBandsSawTheScroll)
{
    auto later = ListScreen::create();
    table->setDelegate(later);
    EXPECT_EQ(table->delegate(), later);
    dragTo(-80);
    ASSERT_FALSE(later->headerStateSeen.empty());
    EXPECT_EQ(later->headerStateSeen.back(), PullRefreshPulling);
    EXPECT_TRUE(list->headerStateSeen.empty());
    table->endDragging(CGPointZero);
    table->setPullTableIsRefreshing(false);
    host->runUntilIdle();

    EXPECT_TRUE(host->tap(table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(2, 0))));
    EXPECT_EQ(later->selected, std::vector<NSInteger> { 2 });
}

TEST_F(PullTableViewTest, aTableMadeWithoutAFrameGrowsItsBandsWithIt)
{
    auto bare = PullTableView::create();
    EXPECT_EQ(bare->refreshView()->bounds().size.width, 0);
    bare->setFrame(CGRectMake(0, 0, 320, 400));
    screen()->addSubview(bare);
    bare->layoutIfNeeded();
    EXPECT_DOUBLE_EQ(bare->refreshView()->frame().size.width, 320);
    EXPECT_DOUBLE_EQ(bare->loadMoreView()->frame().size.width, 320);
    EXPECT_LT(bare->refreshView()->statusLabel()->frame().origin.y, 0) << "placed from the header's bottom edge";
}

} // namespace

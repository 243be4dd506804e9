// The reading lists and the exam information on the headless host: rows and badges, tables shrunk
// to their rows, pages opened from a row, the split of exams into schedule and history with the
// cards' heights, and the empty view inside its scroll view.
#include "app/screens/base/UIColor_Addition.h"
#include "app/screens/home/HomeScreen.h"
#include "app/screens/settings/WebViewViewController.h"
#include "app/services/ServerUrlManger.h"
#include "app/theory/BaoDianViewController.h"
#include "app/theory/KaoInfoViewController.h"
#include "app/theory/WomenViewController.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/foundation/TypedValues.h"
#include "platform/host/HeadlessHost.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UITableViewCell.h"

#include <gtest/gtest.h>

#include <filesystem>

#ifndef CORVANE_SNAPSHOT_DIR
#define CORVANE_SNAPSHOT_DIR "theory-snapshots"
#endif

namespace {

std::shared_ptr<NSMutableArray> items(int count, bool withColor = true)
{
    auto list = NSMutableArray::array();
    for (int i = 0; i < count; ++i) {
        auto row = ns::mutableDictionary({ { "title", NSString::stringWithFormat("第%d篇 新手上路最容易犯的错", i + 1) }, { "url", NSString("xinshou") } });
        if (withColor)
            row->setObject(UIColor_Addition::colorWithHexString("3f9fed"), NSString("color"));
        list->addObject(row);
    }
    return list;
}

std::shared_ptr<NSMutableDictionary> exam(const char* subject, const char* result, const char* state)
{
    auto row = ns::mutableDictionary({ { "SUBJECT", NSString(subject) }, { "EXAMSEQNO", NSString("0215") },
        { "EXAMDATE", NSString("2015-07-16") }, { "EXAMSTARTTIME", NSString("08:30") }, { "EXAMENDTIME", NSString("11:30") } });
    if (result)
        row->setObject(NSString(result), NSString("EXAMRESULT"));
    if (state)
        row->setObject(NSString(state), NSString("EXAMSTATE"));
    return row;
}

class ReadingLists : public testing::Test {
protected:
    void SetUp() override
    {
        // The exam screen asks the main service when it loads; here nothing answers.
        NSUserDefaults::standardUserDefaults()->setObject(NSString("http://127.0.0.1:9/"), kHttpUrlKey);
        host = HeadlessHost::create();
        home = UIViewController::create();
        navigation = UINavigationController::create(home);
        navigation->setNavigationBarHidden(true);
        host->showRootViewController(navigation);
    }
    void TearDown() override
    {
        host->runUntilIdle();
        NSUserDefaults::standardUserDefaults()->removeObjectForKey(kHttpUrlKey);
    }
    template <class T>
    std::shared_ptr<T> push(const std::shared_ptr<T>& screen)
    {
        navigation->pushViewController(screen, false);
        host->runUntilIdle();
        return screen;
    }
    std::shared_ptr<BaoDianViewController> list(const std::shared_ptr<NSMutableArray>& rows)
    {
        auto screen = BaoDianViewController::create();
        screen->setItemArray(rows);
        screen->setTitle("驾车宝典");
        return push(screen);
    }
    static std::shared_ptr<UITableViewCell> cellOf(const std::shared_ptr<UITableView>& table, NSInteger row)
    {
        return table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(row, 0));
    }
    static std::shared_ptr<UILabel> labelOf(const std::shared_ptr<UITableView>& table, NSInteger row, NSInteger tag)
    {
        auto cell = table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(row, 0));
        return cell ? std::dynamic_pointer_cast<UILabel>(cell->contentView()->viewWithTag(tag)) : nullptr;
    }
    std::vector<std::shared_ptr<UILabel>> labelsIn(const std::shared_ptr<UIView>& view)
    {
        std::vector<std::shared_ptr<UILabel>> found;
        for (const auto& sub : view->subviews())
            if (auto label = std::dynamic_pointer_cast<UILabel>(sub))
                found.push_back(label);
        return found;
    }
    bool hasText(const std::shared_ptr<UIView>& view, const char* text)
    {
        for (const auto& label : labelsIn(view))
            if (label->text().isEqualToString(text))
                return true;
        return false;
    }
    void snapshot(const char* name)
    {
        std::filesystem::create_directories(CORVANE_SNAPSHOT_DIR);
        EXPECT_TRUE(host->writePNG(NSString(std::string(CORVANE_SNAPSHOT_DIR) + "/" + name + ".png")));
    }

    std::shared_ptr<HeadlessHost> host;
    std::shared_ptr<UIViewController> home;
    std::shared_ptr<UINavigationController> navigation;
};

} // namespace

TEST_F(ReadingLists, theNumberedListShrinksToItsRowsAndNumbersThemFromOne)
{
    auto screen = list(items(8));
    EXPECT_DOUBLE_EQ(screen->mTableView()->frame().size.height, 456);
    EXPECT_EQ(labelOf(screen->mTableView(), 0, 100)->text(), NSString("1"));
    EXPECT_EQ(labelOf(screen->mTableView(), 7, 101)->text(), NSString("第8篇 新手上路最容易犯的错"));
    snapshot("reading-list");

    // More rows than fit keep the table's full height; two-digit numbers stay in their circle.
    auto longer = list(items(14, false));
    const CGFloat full = longer->view()->bounds().size.height - longer->getNaviBarRect().size.height;
    EXPECT_DOUBLE_EQ(longer->mTableView()->frame().size.height, full);
    longer->mTableView()->scrollToRowAtIndexPath(NSIndexPath::indexPathForRow(10, 0), UITableViewScrollPosition::Bottom, false);
    host->runUntilIdle();
    auto badge = labelOf(longer->mTableView(), 10, 100);
    ASSERT_TRUE(badge);
    EXPECT_EQ(badge->text(), NSString("11"));
    EXPECT_EQ(badge->frame().size.width, 30);
    EXPECT_FALSE(badge->backgroundColor());

    auto empty = list(NSMutableArray::array());
    EXPECT_DOUBLE_EQ(empty->mTableView()->frame().size.height, 0);
    EXPECT_DOUBLE_EQ(empty->mTableView()->frame().origin.y, empty->getNaviBarRect().size.height);
}

TEST_F(ReadingLists, aTappedRowOpensItsPageUnderItsTitle)
{
    auto screen = list(HomeScreen::baoDianList());
    ASSERT_TRUE(host->tap(cellOf(screen->mTableView(), 2)));
    host->runUntilIdle();
    auto page = std::dynamic_pointer_cast<WebViewViewController>(navigation->topViewController());
    ASSERT_TRUE(page);
    EXPECT_EQ(ns::stringForKey(page->data(), "url"), NSString("cheliang"));
    EXPECT_GT(page->pageText().length(), 0u);
    EXPECT_FALSE(screen->mTableView()->indexPathForSelectedRow());
}

TEST_F(ReadingLists, theWomenDriversListShowsItsSevenArticlesWithPicturesAndOpensThem)
{
    auto screen = push(WomenViewController::create());
    ASSERT_EQ(screen->itemArray()->count(), 7u);
    EXPECT_DOUBLE_EQ(screen->mTableView()->frame().size.height,
        std::min<CGFloat>(700, screen->view()->bounds().size.height - screen->getNaviBarRect().size.height));
    const char* urls[] = { "women1", "women2", "women3", "women4", "women5", "women6", "women7" };
    for (NSUInteger i = 0; i < 7; ++i) {
        auto row = ns::dictionaryValue(screen->itemArray()->objectAtIndex(i));
        EXPECT_EQ(ns::stringForKey(row, "url"), NSString(urls[i]));
        EXPECT_EQ(ns::stringForKey(row, "title"), NSString("女士学车"));
    }
    EXPECT_EQ(labelOf(screen->mTableView(), 0, 101)->text(), NSString("女士安全驾驶技巧多 用车常识需谨记"));
    auto cell = screen->mTableView()->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(0, 0));
    auto thumbnail = std::dynamic_pointer_cast<UIImageView>(cell->contentView()->viewWithTag(100));
    ASSERT_TRUE(thumbnail && thumbnail->image());
    EXPECT_DOUBLE_EQ(thumbnail->image()->size().width, 100);
    snapshot("women-list");

    for (NSUInteger i = 0; i < 7; ++i) {
        screen->mTableView()->scrollToRowAtIndexPath(NSIndexPath::indexPathForRow(NSInteger(i), 0), UITableViewScrollPosition::Bottom, false);
        host->runUntilIdle();
        ASSERT_TRUE(host->tap(cellOf(screen->mTableView(), NSInteger(i))));
        host->runUntilIdle();
        auto page = std::dynamic_pointer_cast<WebViewViewController>(navigation->topViewController());
        ASSERT_TRUE(page);
        EXPECT_GT(page->pageText().length(), 500u) << urls[i];
        navigation->popViewControllerAnimated(false);
        host->runUntilIdle();
    }
}

TEST_F(ReadingLists, examsSplitIntoScheduleAndHistoryWithTheStateDecidingAndCardsStacked)
{
    auto screen = push(KaoInfoViewController::create());
    auto rows = NSMutableArray::array();
    rows->addObject(exam("2", "", "1"));   // no result yet: ahead
    rows->addObject(exam("1", "0", "0"));  // the state wins: ahead
    rows->addObject(exam("3", "1", nullptr));
    rows->addObject(exam("1", "0", "2"));
    rows->addObject(exam("7", "1", "1"));
    screen->initViews(rows);
    ASSERT_EQ(screen->cards().size(), 2u);
    auto schedule = screen->cards()[0];
    auto history = screen->cards()[1];
    EXPECT_DOUBLE_EQ(schedule->frame().origin.y, 10);
    EXPECT_DOUBLE_EQ(schedule->getHeight(), 40.5 + 62 * 2);
    EXPECT_DOUBLE_EQ(history->getHeight(), 226.5);
    EXPECT_DOUBLE_EQ(history->frame().origin.y, 10 + schedule->getHeight() + 10);
    EXPECT_TRUE(hasText(schedule, "考试安排"));
    EXPECT_TRUE(hasText(schedule, "序号【0215】"));
    EXPECT_TRUE(hasText(schedule, "未考"));
    EXPECT_TRUE(hasText(schedule, "考试时间  2015-07-16 08:30-11:30"));
    EXPECT_TRUE(hasText(history, "不合格"));
    EXPECT_TRUE(hasText(history, "合格"));
    EXPECT_TRUE(hasText(history, "考试"));
    EXPECT_FALSE(hasText(history, "序号【0215】"));
    EXPECT_FALSE(hasText(history, "未考"));
    // Each line starts right of its badge and stays inside the card.
    for (const auto& label : labelsIn(history))
        EXPECT_LE(CGRectGetMaxX(label->frame()), history->frame().size.width);
    EXPECT_DOUBLE_EQ(screen->vScrollView()->contentSize().height,
        std::max<CGFloat>(screen->vScrollView()->bounds().size.height, 10 + schedule->getHeight() + 10 + 226.5 + 10));
    snapshot("exam-information");
}

TEST_F(ReadingLists, aHugeExamReplyShowsABoundedNumberOfShortRows)
{
    auto screen = push(KaoInfoViewController::create());
    auto rows = NSMutableArray::array();
    const NSString longDate = NSString(std::string(20000, '9'));
    for (int i = 0; i < 8000; ++i) {
        auto row = exam("1", i % 2 ? "0" : "", nullptr);
        row->setObject(longDate, NSString("EXAMDATE"));
        rows->addObject(row);
    }
    screen->initViews(rows);
    ASSERT_EQ(screen->cards().size(), 2u);
    std::size_t views = 0;
    for (const auto& card : screen->cards()) {
        EXPECT_DOUBLE_EQ(card->getHeight(), KaoInfoItemView::kTitleHeight + KaoInfoItemView::kRowHeight * KaoInfoViewController::kMaxRows);
        views += card->subviews().size();
        for (const auto& label : labelsIn(card))
            EXPECT_LE(label->text().length(), 60u);
    }
    EXPECT_LE(views, 2 * (3 + 4 * KaoInfoViewController::kMaxRows));
}

TEST_F(ReadingLists, onlyHistoryMakesOneCardAtTheTopAndTheEmptyViewFillsItsScrollView)
{
    auto screen = push(KaoInfoViewController::create());
    // Inside the scroll view, which itself starts below the bar.
    EXPECT_EQ(screen->nothingView()->superview().get(), screen->vScrollView().get());
    EXPECT_DOUBLE_EQ(screen->nothingView()->frame().origin.y, 0);
    EXPECT_DOUBLE_EQ(screen->nothingView()->frame().size.height, screen->vScrollView()->bounds().size.height);
    const CGRect button = screen->refreshButton()->frame();
    EXPECT_DOUBLE_EQ(button.origin.y + button.size.height / 2, screen->nothingView()->frame().size.height / 2);

    auto rows = NSMutableArray::array();
    rows->addObject(exam("1", "0", nullptr));
    screen->initViews(rows);
    ASSERT_EQ(screen->cards().size(), 1u);
    EXPECT_DOUBLE_EQ(screen->cards()[0]->frame().origin.y, 10);
    EXPECT_TRUE(hasText(screen->cards()[0], "考试历史"));
    EXPECT_TRUE(hasText(screen->cards()[0], "科目一考试"));
}

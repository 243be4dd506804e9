#include "platform/foundation/NSException.h"
#include "platform/host/HeadlessHost.h"
#include "platform/host/ScreenDriver.h"
#include "platform/layers/LayerCompositor.h"
#include "platform/graphics/CGBitmapContext.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "tests/graphics/GraphicsTestSupport.h"
#include "platform/uikit/UITableView.h"
#include "tests/uikit/ScrollTestSupport.h"

#include "tests/support/ManualClockTest.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Rows of text in sections, shown in reused cells; counts the cells it had to make.
class RowsSource : public UITableViewDataSource, public UITableViewDelegate {
public:
    NSInteger numberOfRowsInSection(UITableView&, NSInteger section) override { return NSInteger(rows[size_t(section)].size()); }
    std::optional<NSInteger> numberOfSectionsInTableView(UITableView&) override { return NSInteger(rows.size()); }
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath) override
    {
        if (answerNil)
            return nullptr;
        auto cell = table.dequeueReusableCellWithIdentifier("row");
        if (!cell) {
            cell = UITableViewCell::create(style, "row");
            ++created;
        }
        cell->textLabel()->setText(rows[size_t(indexPath->section())][size_t(indexPath->row())]);
        return cell;
    }
    NSString titleForHeaderInSection(UITableView&, NSInteger section) override
    {
        return size_t(section) < headerTitles.size() ? headerTitles[size_t(section)] : NSString();
    }
    NSString titleForFooterInSection(UITableView&, NSInteger section) override
    {
        return size_t(section) < footerTitles.size() ? footerTitles[size_t(section)] : NSString();
    }
    std::optional<CGFloat> heightForRowAtIndexPath(UITableView&, const std::shared_ptr<NSIndexPath>& indexPath) override
    {
        if (!rowHeight)
            return std::nullopt;
        ++heightQuestions;
        return rowHeight(indexPath->section(), indexPath->row());
    }
    void willDisplayCell(UITableView&, const std::shared_ptr<UITableViewCell>&, const std::shared_ptr<NSIndexPath>&) override { ++displayed; }
    void didSelectRowAtIndexPath(UITableView&, const std::shared_ptr<NSIndexPath>& indexPath) override
    {
        selections.push_back(indexPath->row());
    }

    static std::vector<NSString> numbered(int count, const char* prefix = "Row")
    {
        std::vector<NSString> texts;
        for (int i = 0; i < count; ++i)
            texts.push_back(NSString::stringWithFormat("%s %d", prefix, i));
        return texts;
    }

    std::vector<std::vector<NSString>> rows;
    std::vector<NSString> headerTitles;
    std::vector<NSString> footerTitles;
    std::function<CGFloat(NSInteger, NSInteger)> rowHeight;
    UITableViewCellStyle style { UITableViewCellStyle::Default };
    bool answerNil { false };
    int created { 0 };
    int displayed { 0 };
    int heightQuestions { 0 };
    std::vector<NSInteger> selections;
};

class UITableViewTest : public testing_support::ManualClockTest<1000> {
protected:
    void SetUp() override
    {
        ManualClockTest::SetUp();
        source = std::make_shared<RowsSource>();
        table = UITableView::create(CGRectMake(0, 0, 320, 568), UITableViewStyle::Plain);
        table->setDataSource(source);
        table->setDelegate(source);
    }

    // Every visible cell shows the text of its row and sits where the row is.
    void expectVisibleCellsRight()
    {
        table->layoutIfNeeded();
        const auto paths = table->indexPathsForVisibleRows();
        const auto cells = table->visibleCells();
        ASSERT_EQ(paths.size(), cells.size());
        for (size_t i = 0; i < paths.size(); ++i) {
            const auto& path = paths[i];
            EXPECT_EQ(cells[i]->textLabel()->text(), source->rows[size_t(path->section())][size_t(path->row())]) << path->description().UTF8String();
            EXPECT_EQ(cells[i]->frame(), table->rectForRowAtIndexPath(path));
            EXPECT_EQ(cells[i]->superview(), table);
            EXPECT_EQ(table->cellForRowAtIndexPath(path), cells[i]);
        }
    }

    template <class Action>
    static bool raises(const char* name, Action&& action)
    {
        try {
            action();
        } catch (const NSException& exception) {
            return exception.name() == NSString(name);
        }
        return false;
    }

    std::shared_ptr<RowsSource> source;
    std::shared_ptr<UITableView> table;
};

}

TEST_F(UITableViewTest, tenThousandRowsScrollTopToBottomInAScreenfulOfCells)
{
    source->rows = { RowsSource::numbered(10000) };
    table->layoutIfNeeded();
    EXPECT_EQ(table->contentSize(), CGSizeMake(320, 440000));
    EXPECT_EQ(table->visibleCells().size(), 13u);
    const CGFloat end = table->maximumContentOffset().y;
    for (CGFloat y = 0; y < end; y += 97) {
        table->setContentOffset(CGPointMake(0, y));
        expectVisibleCellsRight();
    }
    table->setContentOffset(CGPointMake(0, end));
    expectVisibleCellsRight();
    EXPECT_EQ(table->indexPathsForVisibleRows().back()->row(), 9999);
    EXPECT_LE(source->created, 15);
    EXPECT_GT(source->displayed, 9000);
    // Rows out of view have no cell.
    EXPECT_EQ(table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(0, 0)), nullptr);
}

TEST_F(UITableViewTest, aDragScrollsTheTableAndItDeceleratesOverFreshRows)
{
    source->rows = { RowsSource::numbered(10000) };
    table->layoutIfNeeded();
    table->beginTracking();
    table->beginDragging();
    table->dragBy(CGPointMake(0, -300));
    table->endDragging(CGPointMake(0, -3000));
    for (int frame = 0; frame < 600 && table->isDecelerating(); ++frame) {
        advance(1.0 / 60);
        expectVisibleCellsRight();
    }
    EXPECT_FALSE(table->isDecelerating());
    EXPECT_NEAR(table->contentOffset().y, 300 + 3 * 499.5, 1);
    EXPECT_LE(source->created, 15);
}

TEST_F(UITableViewTest, insertingAndDeletingRowsKeepsTheVisibleCellsRight)
{
    source->rows = { RowsSource::numbered(40) };
    table->setContentOffset(CGPointMake(0, 100));
    expectVisibleCellsRight();
    const auto cellOfRow5 = table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(5, 0));

    auto& rows = source->rows[0];
    rows.insert(rows.begin() + 3, "New A");
    rows.insert(rows.begin() + 4, "New B");
    table->insertRowsAtIndexPaths({ NSIndexPath::indexPathForRow(3, 0), NSIndexPath::indexPathForRow(4, 0) }, UITableViewRowAnimation::None);
    expectVisibleCellsRight();
    // The cell of a row that moved moves with it.
    EXPECT_EQ(table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(7, 0)), cellOfRow5);

    rows.erase(rows.begin() + 2);
    rows.erase(rows.begin() + 8);
    table->deleteRowsAtIndexPaths({ NSIndexPath::indexPathForRow(9, 0), NSIndexPath::indexPathForRow(2, 0) }, UITableViewRowAnimation::Fade);
    expectVisibleCellsRight();
    advance(1);
    expectVisibleCellsRight();

    // A batch: a reload, an insertion and a deletion together.
    table->beginUpdates();
    rows[6] = "Changed";
    table->reloadRowsAtIndexPaths({ NSIndexPath::indexPathForRow(6, 0) }, UITableViewRowAnimation::Automatic);
    rows.erase(rows.begin() + 4);
    table->deleteRowsAtIndexPaths({ NSIndexPath::indexPathForRow(4, 0) }, UITableViewRowAnimation::Automatic);
    rows.insert(rows.begin(), "First");
    table->insertRowsAtIndexPaths({ NSIndexPath::indexPathForRow(0, 0) }, UITableViewRowAnimation::Automatic);
    table->endUpdates();
    expectVisibleCellsRight();
    advance(1);
    expectVisibleCellsRight();
    EXPECT_EQ(table->numberOfRowsInSection(0), 40);
}

TEST_F(UITableViewTest, deletingTheLastRowsPullsTheOffsetBackInside)
{
    source->rows = { RowsSource::numbered(30) };
    table->setContentOffset(CGPointMake(0, table->maximumContentOffset().y));
    table->layoutIfNeeded();
    source->rows[0].resize(5);
    std::vector<std::shared_ptr<NSIndexPath>> gone;
    for (int row = 5; row < 30; ++row)
        gone.push_back(NSIndexPath::indexPathForRow(row, 0));
    table->deleteRowsAtIndexPaths(gone, UITableViewRowAnimation::None);
    EXPECT_EQ(table->contentOffset(), CGPointZero);
    expectVisibleCellsRight();
    EXPECT_EQ(table->visibleCells().size(), 5u);
}

TEST_F(UITableViewTest, sectionsComeAndGoInBatches)
{
    source->rows = { RowsSource::numbered(3, "A"), RowsSource::numbered(3, "B") };
    table->layoutIfNeeded();
    source->rows.insert(source->rows.begin() + 1, RowsSource::numbered(2, "N"));
    table->insertSections({ 1 }, UITableViewRowAnimation::None);
    expectVisibleCellsRight();
    source->rows.erase(source->rows.begin());
    table->deleteSections({ 0 }, UITableViewRowAnimation::Fade);
    expectVisibleCellsRight();
    source->rows[1] = RowsSource::numbered(4, "C");
    table->reloadSections({ 1 }, UITableViewRowAnimation::None);
    expectVisibleCellsRight();
    EXPECT_EQ(table->numberOfSections(), 2);
    EXPECT_EQ(table->numberOfRowsInSection(1), 4);
}

TEST_F(UITableViewTest, updatesThatDisagreeWithTheDataSourceRaise)
{
    source->rows = { RowsSource::numbered(10) };
    table->layoutIfNeeded();
    // The data source still has ten rows.
    EXPECT_TRUE(raises(NSInternalInconsistencyException, [&] {
        table->insertRowsAtIndexPaths({ NSIndexPath::indexPathForRow(0, 0) }, UITableViewRowAnimation::None);
    }));
    // A section appeared without being inserted.
    source->rows.push_back({});
    EXPECT_TRUE(raises(NSInternalInconsistencyException, [&] {
        table->reloadRowsAtIndexPaths({ NSIndexPath::indexPathForRow(0, 0) }, UITableViewRowAnimation::None);
    }));
    source->rows.pop_back();
    EXPECT_TRUE(raises(NSRangeException, [&] {
        table->deleteRowsAtIndexPaths({ NSIndexPath::indexPathForRow(10, 0) }, UITableViewRowAnimation::None);
    }));
    EXPECT_TRUE(raises(NSInvalidArgumentException, [&] { table->deleteRowsAtIndexPaths({ nullptr }, UITableViewRowAnimation::None); }));
    // The table is still usable and shows what it showed.
    expectVisibleCellsRight();
}

TEST_F(UITableViewTest, indexPathsOutOfRangeRaiseRangeExceptions)
{
    source->rows = { RowsSource::numbered(10), RowsSource::numbered(2) };
    table->layoutIfNeeded();
    const auto beyond = NSIndexPath::indexPathForRow(10, 0);
    const auto noSection = NSIndexPath::indexPathForRow(0, 7);
    const auto negative = NSIndexPath::indexPathForRow(-1, 0);
    EXPECT_TRUE(raises(NSRangeException, [&] { table->scrollToRowAtIndexPath(beyond, UITableViewScrollPosition::Top, false); }));
    EXPECT_TRUE(raises(NSRangeException, [&] { table->scrollToRowAtIndexPath(noSection, UITableViewScrollPosition::Top, true); }));
    EXPECT_TRUE(raises(NSRangeException, [&] { table->rectForRowAtIndexPath(negative); }));
    EXPECT_TRUE(raises(NSRangeException, [&] { table->selectRowAtIndexPath(beyond, false, UITableViewScrollPosition::None); }));
    EXPECT_TRUE(raises(NSRangeException, [&] { table->rectForSection(2); }));
    EXPECT_TRUE(raises(NSRangeException, [&] { table->rectForHeaderInSection(-1); }));
    EXPECT_TRUE(raises(NSInvalidArgumentException, [&] { table->scrollToRowAtIndexPath(nullptr, UITableViewScrollPosition::Top, false); }));
    // Questions about rows that do not exist answer nil, as on the platform.
    EXPECT_EQ(table->cellForRowAtIndexPath(beyond), nullptr);
    EXPECT_EQ(table->cellForRowAtIndexPath(nullptr), nullptr);
    EXPECT_EQ(table->headerViewForSection(9), nullptr);
    table->deselectRowAtIndexPath(beyond, false);
    EXPECT_EQ(table->contentOffset(), CGPointZero);
}

TEST_F(UITableViewTest, aNilCellFromTheDataSourceRaises)
{
    source->rows = { RowsSource::numbered(3) };
    source->answerNil = true;
    EXPECT_TRUE(raises(NSInternalInconsistencyException, [&] { table->layoutIfNeeded(); }));
}

TEST_F(UITableViewTest, findsRowsByPointAndRect)
{
    source->rows = { RowsSource::numbered(100) };
    table->setContentOffset(CGPointMake(0, 1000));
    table->layoutIfNeeded();
    EXPECT_EQ(table->indexPathForRowAtPoint(CGPointMake(10, 1000))->row(), 22);
    EXPECT_EQ(table->indexPathForRowAtPoint(CGPointMake(10, 44 * 100 + 1)), nullptr);
    EXPECT_EQ(table->indexPathForRowAtPoint(CGPointMake(-1, 1000)), nullptr);
    const auto inRect = table->indexPathsForRowsInRect(CGRectMake(0, 0, 320, 100));
    ASSERT_EQ(inRect.size(), 3u);
    EXPECT_EQ(inRect[2]->row(), 2);
    const auto paths = table->indexPathsForVisibleRows();
    EXPECT_EQ(paths.front()->row(), 22);
    EXPECT_EQ(paths.back()->row(), 35);
    const auto cell = table->cellForRowAtIndexPath(paths[1]);
    EXPECT_EQ(table->indexPathForCell(cell)->row(), 23);
    EXPECT_EQ(table->indexPathForCell(UITableViewCell::create(UITableViewCellStyle::Default, "x")), nullptr);
}

TEST_F(UITableViewTest, scrollsARowToEachPosition)
{
    source->rows = { RowsSource::numbered(100) };
    table->setContentInset(UIEdgeInsetsMake(64, 0, 0, 0));
    table->layoutIfNeeded();
    const auto row = NSIndexPath::indexPathForRow(50, 0);
    table->scrollToRowAtIndexPath(row, UITableViewScrollPosition::Top, false);
    EXPECT_EQ(table->contentOffset().y, 50 * 44 - 64);
    table->scrollToRowAtIndexPath(row, UITableViewScrollPosition::Bottom, false);
    EXPECT_EQ(table->contentOffset().y, 51 * 44 - 568);
    table->scrollToRowAtIndexPath(row, UITableViewScrollPosition::Middle, false);
    EXPECT_EQ(table->contentOffset().y, 50 * 44 + 22 - (568 - 64) / 2.0 - 64);
    // Already in view: None leaves it; out of view: the nearest edge.
    table->scrollToRowAtIndexPath(NSIndexPath::indexPathForRow(52, 0), UITableViewScrollPosition::None, false);
    EXPECT_EQ(table->contentOffset().y, 50 * 44 + 22 - (568 - 64) / 2.0 - 64);
    table->scrollToRowAtIndexPath(NSIndexPath::indexPathForRow(90, 0), UITableViewScrollPosition::None, false);
    EXPECT_EQ(table->contentOffset().y, 91 * 44 - 568);
    // Clamped at both ends; animated ends on the row.
    table->scrollToRowAtIndexPath(NSIndexPath::indexPathForRow(99, 0), UITableViewScrollPosition::Top, false);
    EXPECT_EQ(table->contentOffset().y, 100 * 44 - 568);
    table->scrollToRowAtIndexPath(NSIndexPath::indexPathForRow(0, 0), UITableViewScrollPosition::Top, true);
    advance(1);
    EXPECT_EQ(table->contentOffset().y, -64);
    expectVisibleCellsRight();
}

TEST_F(UITableViewTest, heightsComeFromTheDelegateOncePerReload)
{
    source->rows = { RowsSource::numbered(50) };
    source->rowHeight = [](NSInteger, NSInteger row) { return row % 2 ? 80.0 : 30.0; };
    table->layoutIfNeeded();
    EXPECT_EQ(source->heightQuestions, 50);
    EXPECT_EQ(table->contentSize().height, 25 * 80 + 25 * 30);
    EXPECT_EQ(table->rectForRowAtIndexPath(NSIndexPath::indexPathForRow(3, 0)), CGRectMake(0, 30 + 80 + 30, 320, 80));
    table->setContentOffset(CGPointMake(0, 500));
    expectVisibleCellsRight();
    EXPECT_EQ(source->heightQuestions, 50);
    table->reloadData();
    table->layoutIfNeeded();
    EXPECT_EQ(source->heightQuestions, 100);
    // The automatic dimension means the table's row height.
    source->rowHeight = [](NSInteger, NSInteger) { return UITableViewAutomaticDimension; };
    table->setRowHeight(50);
    table->layoutIfNeeded();
    EXPECT_EQ(table->contentSize().height, 50 * 50);
}

TEST_F(UITableViewTest, reloadDataReturnsTheCellsToThePoolAndClearsTheSelection)
{
    source->rows = { RowsSource::numbered(20) };
    table->layoutIfNeeded();
    const int made = source->created;
    table->selectRowAtIndexPath(NSIndexPath::indexPathForRow(2, 0), false, UITableViewScrollPosition::None);
    EXPECT_TRUE(table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(2, 0))->isSelected());
    source->rows[0][1] = "Other";
    table->reloadData();
    expectVisibleCellsRight();
    EXPECT_EQ(source->created, made);
    EXPECT_EQ(table->indexPathForSelectedRow(), nullptr);
    for (const auto& cell : table->visibleCells())
        EXPECT_FALSE(cell->isSelected());
    // Fewer rows: the spare cells wait in the pool.
    source->rows[0].resize(2);
    table->reloadData();
    table->layoutIfNeeded();
    EXPECT_EQ(table->visibleCells().size(), 2u);
    int pooled = 0;
    while (table->dequeueReusableCellWithIdentifier("row"))
        ++pooled;
    EXPECT_EQ(pooled, made - 2);
    EXPECT_EQ(table->dequeueReusableCellWithIdentifier(nullptr), nullptr);
}

TEST_F(UITableViewTest, selectionFollowsTheSingleOrMultipleMode)
{
    source->rows = { RowsSource::numbered(20) };
    table->layoutIfNeeded();
    const auto first = NSIndexPath::indexPathForRow(1, 0);
    const auto second = NSIndexPath::indexPathForRow(4, 0);
    table->selectRowAtIndexPath(first, false, UITableViewScrollPosition::None);
    table->selectRowAtIndexPath(second, false, UITableViewScrollPosition::None);
    EXPECT_EQ(table->indexPathsForSelectedRows().size(), 1u);
    EXPECT_FALSE(table->cellForRowAtIndexPath(first)->isSelected());
    table->setAllowsMultipleSelection(true);
    table->selectRowAtIndexPath(first, false, UITableViewScrollPosition::None);
    EXPECT_EQ(table->indexPathsForSelectedRows().size(), 2u);
    EXPECT_EQ(table->indexPathForSelectedRow()->row(), 1);
    table->deselectRowAtIndexPath(first, true);
    EXPECT_EQ(table->indexPathForSelectedRow()->row(), 4);
    // A selected row keeps its state when it scrolls away and back in another cell.
    table->setContentOffset(CGPointMake(0, 2000));
    table->layoutIfNeeded();
    table->setContentOffset(CGPointZero);
    table->layoutIfNeeded();
    EXPECT_TRUE(table->cellForRowAtIndexPath(second)->isSelected());
    EXPECT_FALSE(table->cellForRowAtIndexPath(first)->isSelected());
    table->selectRowAtIndexPath(NSIndexPath::indexPathForRow(19, 0), false, UITableViewScrollPosition::Bottom);
    EXPECT_EQ(table->contentOffset().y, 20 * 44 - 568);
    table->setAllowsSelection(false);
    EXPECT_TRUE(table->indexPathsForSelectedRows().empty());
}

TEST_F(UITableViewTest, sectionHeadersTakeTheirTitlesAndFloatInPlainTables)
{
    source->rows = { RowsSource::numbered(20, "A"), RowsSource::numbered(20, "B") };
    source->headerTitles = { "First", "Second" };
    table->layoutIfNeeded();
    EXPECT_EQ(table->rectForHeaderInSection(0), CGRectMake(0, 0, 320, 22));
    EXPECT_EQ(table->rectForRowAtIndexPath(NSIndexPath::indexPathForRow(0, 1)).origin.y, 22 + 20 * 44 + 22);
    const auto header = table->headerViewForSection(0);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->superview(), table);
    auto label = std::dynamic_pointer_cast<UILabel>(header->subviews().front());
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), NSString("First"));
    // Scrolled into the first section, its header stays at the top of the view...
    table->setContentOffset(CGPointMake(0, 300));
    table->layoutIfNeeded();
    EXPECT_EQ(header->frame().origin.y, 300);
    // ...until the second section pushes it up.
    table->setContentOffset(CGPointMake(0, 22 + 20 * 44 - 10));
    table->layoutIfNeeded();
    EXPECT_EQ(header->frame().origin.y, 20 * 44);
    EXPECT_EQ(table->headerViewForSection(1)->frame().origin.y, 22 + 20 * 44);
    // Far below, the first header leaves the view.
    table->setContentOffset(CGPointMake(0, 1300));
    table->layoutIfNeeded();
    EXPECT_EQ(header->superview(), nullptr);
    expectVisibleCellsRight();
}

TEST_F(UITableViewTest, groupedTablesKeepTheirHeadersInPlaceAndTakeTableHeaderAndFooterViews)
{
    table = UITableView::create(CGRectMake(0, 0, 320, 568), UITableViewStyle::Grouped);
    table->setDataSource(source);
    source->rows = { RowsSource::numbered(3), RowsSource::numbered(3) };
    source->headerTitles = { "Title" };
    table->setTableHeaderView(UIView::create(CGRectMake(0, 0, 100, 50)));
    table->setTableFooterView(UIView::create(CGRectMake(0, 0, 100, 30)));
    table->layoutIfNeeded();
    EXPECT_EQ(table->style(), UITableViewStyle::Grouped);
    EXPECT_EQ(table->tableHeaderView()->frame(), CGRectMake(0, 0, 320, 50));
    EXPECT_EQ(table->rectForHeaderInSection(0), CGRectMake(0, 50, 320, 38));
    EXPECT_EQ(table->rectForHeaderInSection(1).size.height, 10);
    const CGFloat sections = 38 + 3 * 44 + 10 + 10 + 3 * 44 + 10;
    EXPECT_EQ(table->tableFooterView()->frame(), CGRectMake(0, 50 + sections, 320, 30));
    EXPECT_EQ(table->contentSize().height, 50 + sections + 30);
    table->setContentOffset(CGPointMake(0, 60));
    table->layoutIfNeeded();
    EXPECT_EQ(table->headerViewForSection(0)->frame().origin.y, 50);
}

TEST_F(UITableViewTest, theSelectionMovesWithItsRowThroughUpdates)
{
    source->rows = { RowsSource::numbered(30) };
    table->layoutIfNeeded();
    table->selectRowAtIndexPath(NSIndexPath::indexPathForRow(5, 0), false, UITableViewScrollPosition::None);
    source->rows[0].insert(source->rows[0].begin(), "New");
    table->insertRowsAtIndexPaths({ NSIndexPath::indexPathForRow(0, 0) }, UITableViewRowAnimation::Fade);
    EXPECT_EQ(table->indexPathForSelectedRow()->row(), 6);
    EXPECT_TRUE(table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(6, 0))->isSelected());
    EXPECT_FALSE(table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(5, 0))->isSelected());
    table->setContentOffset(CGPointMake(0, 800));
    table->scrollToNearestSelectedRowAtScrollPosition(UITableViewScrollPosition::Top, false);
    EXPECT_EQ(table->contentOffset().y, 6 * 44);
    source->rows[0].erase(source->rows[0].begin() + 6);
    table->deleteRowsAtIndexPaths({ NSIndexPath::indexPathForRow(6, 0) }, UITableViewRowAnimation::None);
    EXPECT_EQ(table->indexPathForSelectedRow(), nullptr);
    advance(1);
    expectVisibleCellsRight();
}

TEST_F(UITableViewTest, footersBackgroundAndSeparatorsFollowTheTable)
{
    source->rows = { RowsSource::numbered(3), RowsSource::numbered(3) };
    source->footerTitles = { "Foot" };
    table->setSectionFooterHeight(30);
    auto background = UIView::create(CGRectZero);
    table->setBackgroundView(background);
    table->layoutIfNeeded();
    EXPECT_EQ(table->rectForFooterInSection(0), CGRectMake(0, 3 * 44, 320, 30));
    EXPECT_EQ(table->rectForSection(1), CGRectMake(0, 3 * 44 + 30, 320, 3 * 44));
    EXPECT_EQ(table->footerViewForSection(0)->frame(), CGRectMake(0, 3 * 44, 320, 30));
    EXPECT_EQ(table->footerViewForSection(1), nullptr);
    EXPECT_EQ(table->footerViewForSection(7), nullptr);
    // The background fills the view wherever it scrolls, behind the rows.
    table->setContentOffset(CGPointMake(0, 40));
    table->layoutIfNeeded();
    EXPECT_EQ(background->frame(), table->bounds());
    EXPECT_EQ(table->subviews().front(), background);
    EXPECT_FALSE(background->isUserInteractionEnabled());
    // A wider table widens its rows.
    table->setFrame(CGRectMake(0, 0, 400, 568));
    table->layoutIfNeeded();
    EXPECT_EQ(table->contentSize().width, 400);
    EXPECT_EQ(table->visibleCells().front()->frame().size.width, 400);
    // Without separators no cell shows one.
    table->setSeparatorStyle(UITableViewCellSeparatorStyle::None);
    table->setSeparatorColor(UIColor::redColor());
    table->layoutIfNeeded();
    for (const auto& cell : table->visibleCells())
        for (const auto& subview : cell->subviews())
            EXPECT_TRUE(subview->isHidden() || subview->frame().size.height > 1);
    table->setSectionHeaderHeight(5);
    table->setBackgroundView(nullptr);
    EXPECT_EQ(background->superview(), nullptr);
    expectVisibleCellsRight();
}

TEST_F(UITableViewTest, cellsLayOutTheirStyles)
{
    auto subtitle = UITableViewCell::create(UITableViewCellStyle::Subtitle, "s");
    subtitle->setFrame(CGRectMake(0, 0, 320, 60));
    subtitle->textLabel()->setText("Title");
    subtitle->detailTextLabel()->setText("Detail");
    subtitle->layoutIfNeeded();
    EXPECT_EQ(subtitle->textLabel()->frame().origin.x, 15);
    EXPECT_LT(subtitle->textLabel()->frame().origin.y, subtitle->detailTextLabel()->frame().origin.y);
    EXPECT_GE(subtitle->detailTextLabel()->frame().origin.y, subtitle->textLabel()->frame().origin.y + subtitle->textLabel()->frame().size.height);

    auto value1 = UITableViewCell::create(UITableViewCellStyle::Value1, "v");
    value1->setFrame(CGRectMake(0, 0, 320, 44));
    value1->textLabel()->setText("Key");
    value1->detailTextLabel()->setText("Value");
    value1->setAccessoryType(UITableViewCellAccessoryType::DisclosureIndicator);
    value1->layoutIfNeeded();
    EXPECT_EQ(value1->contentView()->frame().size.width, 287);
    const CGRect detail = value1->detailTextLabel()->frame();
    EXPECT_EQ(detail.origin.x + detail.size.width, 287 - 15);
    EXPECT_LE(value1->textLabel()->frame().origin.x + value1->textLabel()->frame().size.width, detail.origin.x);

    auto plain = UITableViewCell::create(UITableViewCellStyle::Default, "d");
    EXPECT_EQ(plain->detailTextLabel(), nullptr);
    auto accessory = UIView::create(CGRectMake(0, 0, 40, 20));
    plain->setAccessoryView(accessory);
    plain->setAccessoryType(UITableViewCellAccessoryType::Checkmark);
    plain->layoutIfNeeded();
    EXPECT_EQ(accessory->frame(), CGRectMake(320 - 15 - 40, 12, 40, 20));
    EXPECT_EQ(plain->contentView()->frame().size.width, 320 - 15 - 40 - 10);

    auto value2 = UITableViewCell::create(UITableViewCellStyle::Value2, "v2");
    value2->textLabel()->setText("Name");
    value2->detailTextLabel()->setText("Text");
    value2->layoutIfNeeded();
    EXPECT_LT(value2->textLabel()->frame().origin.x + value2->textLabel()->frame().size.width, value2->detailTextLabel()->frame().origin.x);
}

TEST_F(UITableViewTest, highlightAndSelectionShowTheSelectedBackground)
{
    auto cell = UITableViewCell::create(UITableViewCellStyle::Default, "c");
    cell->textLabel()->setText("Row");
    cell->setHighlighted(true);
    EXPECT_EQ(cell->selectedBackgroundView()->superview(), cell);
    EXPECT_TRUE(cell->textLabel()->isHighlighted());
    cell->setHighlighted(false);
    EXPECT_EQ(cell->selectedBackgroundView()->superview(), nullptr);
    cell->setSelected(true, true);
    EXPECT_EQ(cell->selectedBackgroundView()->superview(), cell);
    cell->prepareForReuse();
    EXPECT_FALSE(cell->isSelected());
    EXPECT_FALSE(cell->textLabel()->isHighlighted());
    cell->setSelectionStyle(UITableViewCellSelectionStyle::None);
    cell->setSelected(true);
    EXPECT_EQ(cell->selectedBackgroundView()->superview(), nullptr);
}

TEST_F(UITableViewTest, separatorsFollowTheTableAndCellsKeepTheirOwnInsets)
{
    source->rows = { RowsSource::numbered(3) };
    table->setSeparatorInset(UIEdgeInsetsZero);
    table->layoutIfNeeded();
    auto cell = table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(0, 0));
    EXPECT_EQ(cell->separatorInset(), UIEdgeInsetsZero);
    cell->setSeparatorInset(UIEdgeInsetsMake(0, 40, 0, 0));
    table->setSeparatorInset(UIEdgeInsetsMake(0, 10, 0, 0));
    table->layoutIfNeeded();
    EXPECT_EQ(cell->separatorInset(), UIEdgeInsetsMake(0, 40, 0, 0));
    EXPECT_EQ(table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(1, 0))->separatorInset(), UIEdgeInsetsMake(0, 10, 0, 0));
}

TEST_F(UITableViewTest, aTableWithoutDataSourceIsEmpty)
{
    auto empty = UITableView::create(CGRectMake(0, 0, 320, 568), UITableViewStyle::Plain);
    empty->layoutIfNeeded();
    EXPECT_EQ(empty->numberOfSections(), 0);
    EXPECT_EQ(empty->numberOfRowsInSection(0), 0);
    EXPECT_TRUE(empty->visibleCells().empty());
    EXPECT_EQ(empty->contentSize().height, 0);
    // A data source that goes away leaves the table empty at the next reload.
    source->rows = { RowsSource::numbered(3) };
    table->layoutIfNeeded();
    source.reset();
    table->reloadData();
    table->layoutIfNeeded();
    EXPECT_TRUE(table->visibleCells().empty());
}

namespace {

// A table filling a screen of the headless host.
class TableScreenTest : public testing::Test {
protected:
    void SetUp() override
    {
        host = HeadlessHost::create();
        source = std::make_shared<RowsSource>();
        source->rows = { RowsSource::numbered(1000) };
        auto controller = UIViewController::create();
        table = UITableView::create(controller->view()->bounds(), UITableViewStyle::Plain);
        table->setDataSource(source);
        table->setDelegate(source);
        controller->view()->addSubview(table);
        host->showRootViewController(controller);
        host->runUntilIdle();
    }

    CGPoint centreOfRow(NSInteger row)
    {
        const auto cell = table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(row, 0));
        const auto point = cell ? ScreenDriver::screenPointOfView(cell) : std::nullopt;
        return point.value_or(CGPointZero);
    }

    std::shared_ptr<HeadlessHost> host;
    std::shared_ptr<RowsSource> source;
    std::shared_ptr<UITableView> table;
};

}

TEST_F(TableScreenTest, aTapHighlightsThenSelectsTheRowUnderTheFinger)
{
    const auto row = NSIndexPath::indexPathForRow(3, 0);
    const auto cell = table->cellForRowAtIndexPath(row);
    host->touchDown(centreOfRow(3));
    EXPECT_TRUE(cell->isHighlighted());
    EXPECT_TRUE(source->selections.empty());
    host->advance(0.05);
    host->touchUp(centreOfRow(3));
    EXPECT_FALSE(cell->isHighlighted());
    EXPECT_TRUE(cell->isSelected());
    EXPECT_EQ(source->selections, std::vector<NSInteger> { 3 });
    EXPECT_EQ(table->indexPathForSelectedRow()->row(), 3);
    // Another tap moves the selection; deselecting clears it.
    host->tap(centreOfRow(5));
    EXPECT_FALSE(cell->isSelected());
    EXPECT_EQ(source->selections, (std::vector<NSInteger> { 3, 5 }));
    table->deselectRowAtIndexPath(NSIndexPath::indexPathForRow(5, 0), true);
    EXPECT_EQ(table->indexPathForSelectedRow(), nullptr);
}

TEST_F(TableScreenTest, aDragTakesTheTouchFromTheRowAndSelectsNothing)
{
    const auto cell = table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(6, 0));
    const CGPoint start = centreOfRow(6);
    host->touchDown(start);
    EXPECT_TRUE(cell->isHighlighted());
    for (int step = 1; step <= 5; ++step) {
        host->advance(1.0 / 60);
        host->touchMove(CGPointMake(start.x, start.y - 12 * step));
    }
    EXPECT_FALSE(cell->isHighlighted());
    host->touchUp(CGPointMake(start.x, start.y - 60));
    host->runUntilIdle();
    EXPECT_TRUE(source->selections.empty());
    EXPECT_GT(table->contentOffset().y, 0);
}

TEST_F(TableScreenTest, aTouchThatStopsTheMovingTableSelectsNothing)
{
    host->swipe(CGPointMake(160, 400), UISwipeDirectionHint::Up);
    host->advance(0.1);
    ASSERT_TRUE(table->isDecelerating());
    host->tap(CGPointMake(160, 300));
    EXPECT_FALSE(table->isDecelerating());
    EXPECT_TRUE(source->selections.empty());
    // The next tap selects again.
    host->tap(CGPointMake(160, 300));
    EXPECT_EQ(source->selections.size(), 1u);
}

TEST_F(TableScreenTest, swipesScrollOverFreshRowsInReusedCells)
{
    for (int swipe = 0; swipe < 2; ++swipe) {
        host->swipe(CGPointMake(160, 450), UISwipeDirectionHint::Up);
        host->runUntilIdle();
        table->layoutIfNeeded();
        for (const auto& cell : table->visibleCells()) {
            const auto path = table->indexPathForCell(cell);
            ASSERT_TRUE(path);
            EXPECT_EQ(cell->textLabel()->text(), source->rows[0][size_t(path->row())]);
            EXPECT_EQ(host->findViewWithText(cell->textLabel()->text()), cell->textLabel());
        }
    }
    EXPECT_GT(table->indexPathsForVisibleRows().front()->row(), 20);
    EXPECT_LE(source->created, 16);
}

TEST_F(TableScreenTest, aDragShiftsFramesWithoutLayingOutTheRowsThatStayAndMatchesFullFrames)
{
    const auto& screen = host->screen();
    const auto& compositor = screen->compositor();
    const auto frameWords = [&] {
        const CGContextRef& frame = compositor->bitmapContext();
        const auto* data = static_cast<const std::uint8_t*>(CGBitmapContextGetData(frame));
        const std::size_t width = CGBitmapContextGetWidth(frame), height = CGBitmapContextGetHeight(frame);
        std::vector<std::uint32_t> words(width * height);
        for (std::size_t y = 0; y < height; ++y)
            std::memcpy(words.data() + y * width, data + y * CGBitmapContextGetBytesPerRow(frame), width * 4);
        return words;
    };
    CGFloat y = 500;
    host->touchDown(CGPointMake(160, y));
    y -= 20;
    host->advance(1.0 / 60);
    host->touchMove(CGPointMake(160, y));
    screen->renderFrameIfNeeded();
    const auto framesBefore = compositor->frameCount();
    const auto shiftedBefore = compositor->shiftedFrameCount();
    int differingFrames = 0;
    int moves = 0;
    for (int move = 0; move < 30; ++move, ++moves) {
        y -= 10;
        SystemClock::advance(1.0 / 60);
        UIApplication::sharedApplication()->sendTouch(0, UITouchPhase::Moved, CGPointMake(160, y), HeadlessHost::now());
        screen->renderFrameIfNeeded();
        // Rows that stayed in view ask for no layout of their own.
        for (const auto& cell : table->visibleCells())
            EXPECT_FALSE(cell->layer()->needsLayout()) << move;
        const auto shifted = frameWords();
        compositor->layerTreeDidChange();
        compositor->renderFrame();
        differingFrames += shifted != frameWords();
        if (y < 120)
            break;
    }
    // Each move drew two frames: the scroll's, shifted, and the full one compared with it.
    EXPECT_EQ(compositor->frameCount() - framesBefore, NSUInteger(2 * moves));
    EXPECT_EQ(compositor->shiftedFrameCount() - shiftedBefore, NSUInteger(moves));
    EXPECT_EQ(differingFrames, 0);
    host->touchUp(CGPointMake(160, y));
    host->runUntilIdle();
}

namespace {

// The cell drawn alone at scale 1 on white; answers the colour at a point.
std::array<int, 3> colourAt(const std::shared_ptr<UITableViewCell>& cell, CGPoint point)
{
    cell->layoutIfNeeded();
    const CGSize size = cell->bounds().size;
    auto context = CGBitmapContext::createImageContext(size, true, 1);
    CGContextSetRGBFillColor(context, 1, 1, 1, 1);
    CGContextFillRect(context, CGRectMake(0, 0, size.width, size.height));
    cell->layer()->renderInContext(context);
    const Pixel pixel = pixelAt(context, int(point.x), int(point.y));
    return { pixel.r, pixel.g, pixel.b };
}

using RGB = std::array<int, 3>;

}

TEST(UITableViewCellDrawing, accessoriesDrawTheirMarksAtTheRightEdge)
{
    auto cell = UITableViewCell::create(UITableViewCellStyle::Default, "c");
    cell->setFrame(CGRectMake(0, 0, 320, 44));
    cell->setAccessoryType(UITableViewCellAccessoryType::DisclosureIndicator);
    // The chevron's point, 15 points from the right edge, is grey.
    const auto chevron = colourAt(cell, CGPointMake(320 - 15 - 2, 22));
    EXPECT_LT(chevron[0], 235);
    EXPECT_NEAR(chevron[0], chevron[1], 2);
    EXPECT_EQ(colourAt(cell, CGPointMake(320 - 15 - 8 - 4, 22)), (RGB { 255, 255, 255 }));
    cell->setAccessoryType(UITableViewCellAccessoryType::Checkmark);
    const auto check = colourAt(cell, CGPointMake(320 - 15 - 14 + 5, 22 + 4));
    EXPECT_GT(check[2], check[0] + 60);
    cell->setAccessoryType(UITableViewCellAccessoryType::DetailButton);
    const auto ring = colourAt(cell, CGPointMake(320 - 15 - 22 + 1, 22));
    EXPECT_GT(ring[2], ring[0] + 60);
    cell->setAccessoryType(UITableViewCellAccessoryType::DetailDisclosureButton);
    cell->layoutIfNeeded();
    EXPECT_EQ(cell->contentView()->frame().size.width, 320 - 15 - 45 - 10);
    const auto both = colourAt(cell, CGPointMake(320 - 15 - 45 + 1, 22));
    EXPECT_GT(both[2], both[0] + 60);
    cell->setAccessoryType(UITableViewCellAccessoryType::None);
    cell->layoutIfNeeded();
    EXPECT_EQ(cell->contentView()->frame().size.width, 320);
    EXPECT_EQ(colourAt(cell, CGPointMake(320 - 15 - 2, 22)), (RGB { 255, 255, 255 }));
}

TEST(UITableViewCellDrawing, backgroundsAndTheSelectedBackgroundShowInTurn)
{
    auto cell = UITableViewCell::create(CGRectMake(0, 0, 320, 50));
    EXPECT_EQ(cell->reuseIdentifier().length(), 0u);
    EXPECT_EQ(cell->frame(), CGRectMake(0, 0, 320, 50));
    auto background = UIView::create(CGRectZero);
    background->setBackgroundColor(UIColor::redColor());
    cell->setBackgroundView(background);
    EXPECT_EQ(colourAt(cell, CGPointMake(100, 25)), (RGB { 255, 0, 0 }));
    EXPECT_EQ(background->frame(), cell->bounds());
    auto selected = UIView::create(CGRectZero);
    selected->setBackgroundColor(UIColor::blueColor());
    cell->setHighlighted(true);
    // Replacing the selected background while it shows puts the new one in its place.
    cell->setSelectedBackgroundView(selected);
    EXPECT_EQ(colourAt(cell, CGPointMake(100, 25)), (RGB { 0, 0, 255 }));
    cell->setHighlighted(false);
    EXPECT_EQ(colourAt(cell, CGPointMake(100, 25)), (RGB { 255, 0, 0 }));
    cell->setBackgroundView(nullptr);
    EXPECT_EQ(background->superview(), nullptr);
    cell->setSeparator(UIColor::blackColor(), true, UIEdgeInsetsMake(0, 15, 0, 0));
    EXPECT_LT(colourAt(cell, CGPointMake(100, 49.5))[0], 160);
    EXPECT_EQ(colourAt(cell, CGPointMake(5, 49.5)), (RGB { 255, 255, 255 }));
    cell->setSeparator(UIColor::blackColor(), false, UIEdgeInsetsZero);
    EXPECT_EQ(colourAt(cell, CGPointMake(100, 49.5)), (RGB { 255, 255, 255 }));
}

TEST(UITableViewCellDrawing, anImagePushesTheTextToTheRight)
{
    auto context = CGBitmapContext::createImageContext(CGSizeMake(30, 30), false, 2);
    auto image = UIImage::imageWithCGImage(CGBitmapContextCreateImage(context), 2);
    auto cell = UITableViewCell::create(UITableViewCellStyle::Subtitle, "i");
    cell->textLabel()->setText("Title");
    cell->imageView()->setImage(image);
    cell->layoutIfNeeded();
    EXPECT_EQ(cell->imageView()->frame(), CGRectMake(15, 7, 30, 30));
    EXPECT_EQ(cell->textLabel()->frame().origin.x, 15 + 30 + 15);
    cell->imageView()->setImage(nullptr);
    cell->setNeedsLayout();
    cell->layoutIfNeeded();
    EXPECT_EQ(cell->imageView()->frame(), CGRectZero);
    EXPECT_EQ(cell->textLabel()->frame().origin.x, 15);
}

#include "WidgetScreen.h"

#include "library/widgets/foldingtable/FolderTableView.h"
#include "library/widgets/foldingtable/PullAndExpandTableView.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"

#include <filesystem>

namespace {

class Rows : public NSObject, public UITableViewDataSource {
    NS_OBJECT(Rows, NSObject)
public:
    NSInteger numberOfRowsInSection(UITableView&, NSInteger) override { return 30; }
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath) override
    {
        auto cell = table.dequeueReusableCellWithIdentifier("row");
        if (!cell)
            cell = UITableViewCell::create(UITableViewCellStyle::Default, NSString("row"));
        cell->textLabel()->setText(NSString::stringWithFormat("第 %ld 章 道路交通信号", long(indexPath->row() + 1)));
        return cell;
    }
};

class FoldingTableTest : public WidgetScreenTest {
protected:
    void SetUp() override
    {
        WidgetScreenTest::SetUp();
        rows = Rows::create();
        table = FolderTableView::create(CGRectMake(0, 0, 320, 480));
        table->setDataSource(rows);
        screen()->addSubview(table);
        table->reloadData();
        table->layoutIfNeeded();
    }
    UIViewRef folder(CGFloat height)
    {
        auto view = UIView::create(CGRectMake(0, 0, 320, height));
        view->setBackgroundColor(UIColor::colorWithRed(0.16, 0.36, 0.6, 1));
        auto label = UILabel::create(CGRectMake(20, 10, 280, 30));
        label->setText("本章共 12 题，已完成 8 题");
        label->setTextColor(UIColor::whiteColor());
        view->addSubview(label);
        return view;
    }
    static std::shared_ptr<NSIndexPath> row(NSInteger r) { return NSIndexPath::indexPathForRow(r, 0); }
    void snapshot(const char* name)
    {
        std::filesystem::create_directories(CORVANE_SNAPSHOT_DIR);
        EXPECT_TRUE(host->writePNG(NSString(std::string(CORVANE_SNAPSHOT_DIR) + "/" + name + ".png")));
    }

    std::shared_ptr<Rows> rows;
    FolderTableViewRef table;
};

TEST_F(FoldingTableTest, theHalvesPartAroundTheContentAndATapClosesOnce)
{
    int opened = 0, closed = 0, completed = 0;
    auto content = folder(120);
    ASSERT_TRUE(table->openFolderAtIndexPath(row(2), content,
        [&](const UIViewRef&, CFTimeInterval duration, const CAMediaTimingFunctionRef&) { opened += duration == 0.4; },
        [&](const UIViewRef&, CFTimeInterval, const CAMediaTimingFunctionRef&) { ++closed; },
        [&] { ++completed; }));
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(table->top()->frame(), CGRectMake(0, 0, 320, 131));
    EXPECT_DOUBLE_EQ(content->frame().origin.y, 131);
    EXPECT_FALSE(table->openFolderAtIndexPath(row(5), folder(50), nullptr, nullptr, nullptr)) << "one folder at a time";
    host->advance(0.5);
    EXPECT_DOUBLE_EQ(table->bottom()->frame().origin.y, 131 + 120);
    EXPECT_DOUBLE_EQ(table->top()->frame().origin.y, 0);
    auto tip = std::dynamic_pointer_cast<UIImageView>(table->top()->subviews().back());
    ASSERT_TRUE(tip && tip->image());
    EXPECT_DOUBLE_EQ(tip->center().x, 40) << "without a folder delegate";
    snapshot("folder-open");

    EXPECT_TRUE(host->tap(CGPointMake(160, 400)));
    table->performClose();
    EXPECT_EQ(closed, 1) << "a second close while closing does nothing";
    host->advance(0.2);
    snapshot("folder-closing");
    host->advance(0.4);
    EXPECT_EQ(completed, 1);
    EXPECT_FALSE(table->top());
    EXPECT_FALSE(content->superview());
    EXPECT_TRUE(table->openFolderAtIndexPath(row(5), folder(50), nullptr, nullptr, nullptr)) << "open again once closed";
}

TEST_F(FoldingTableTest, aRowCutByTheBottomEdgeScrollsIntoViewAndBack)
{
    ASSERT_TRUE(table->openFolderAtIndexPath(row(10), folder(60), nullptr, nullptr, nullptr));
    EXPECT_DOUBLE_EQ(table->offsetY(), 10 * 44 + 44 - 1 - 480);
    EXPECT_DOUBLE_EQ(table->contentOffset().y, table->offsetY());
    host->advance(0.5);
    table->performClose();
    host->advance(0.5);
    EXPECT_DOUBLE_EQ(table->contentOffset().y, 0);
}

TEST_F(FoldingTableTest, aTallFolderEndsAtTheVisibleBottomAndPushesTheUpperHalfUp)
{
    auto content = folder(120);
    ASSERT_TRUE(table->openFolderAtIndexPath(row(9), content, nullptr, nullptr, nullptr));
    EXPECT_DOUBLE_EQ(content->frame().origin.y, 360);
    host->advance(0.5);
    EXPECT_DOUBLE_EQ(table->top()->frame().origin.y, -(439 - 360));
    snapshot("folder-open-tall");
}

TEST_F(FoldingTableTest, rowsOffScreenGetNoFolder)
{
    EXPECT_FALSE(table->openFolderAtIndexPath(row(25), folder(60), nullptr, nullptr, nullptr));
    EXPECT_FALSE(table->top());
    EXPECT_EQ(table->contentOffset().y, 0);
}

TEST_F(FoldingTableTest, thePullTableClosesItsFolderFromCodeAndStillPulls)
{
    auto pull = PullAndExpandTableView::create(CGRectMake(0, 0, 320, 480));
    pull->setDataSource(rows);
    screen()->addSubview(pull);
    pull->reloadData();
    pull->layoutIfNeeded();
    ASSERT_TRUE(pull->openFolderAtIndexPath(row(1), folder(80), nullptr, nullptr, nullptr));
    host->advance(0.5);
    pull->closeFolder();
    host->advance(0.5);
    EXPECT_FALSE(pull->top());
    pull->beginTracking();
    pull->beginDragging();
    pull->setContentOffset(CGPointMake(0, -70));
    EXPECT_EQ(pull->refreshView()->state(), PullRefreshPulling);
    pull->endDragging(CGPointZero);
    EXPECT_TRUE(pull->pullTableIsRefreshing());
}

} // namespace

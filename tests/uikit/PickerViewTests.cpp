#include "platform/host/HeadlessHost.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIPickerView.h"
#include "platform/uikit/UIScrollView.h"
#include "tests/uikit/PickerTurnSpacings.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

namespace {

class Regions : public UIPickerViewDataSource, public UIPickerViewDelegate {
public:
    NSInteger numberOfComponentsInPickerView(UIPickerView&) override { return NSInteger(rows.size()); }
    NSInteger pickerViewNumberOfRowsInComponent(UIPickerView&, NSInteger component) override
    {
        return rows[std::size_t(component)];
    }
    std::optional<NSString> pickerViewTitleForRow(UIPickerView&, NSInteger row, NSInteger component) override
    {
        if (!titles)
            return std::nullopt;
        return NSString(prefix + std::to_string(component) + "-" + std::to_string(row));
    }
    std::optional<CGFloat> pickerViewWidthForComponent(UIPickerView&, NSInteger component) override
    {
        if (widths.empty())
            return std::nullopt;
        return widths[std::size_t(component)];
    }
    std::optional<CGFloat> pickerViewRowHeightForComponent(UIPickerView&, NSInteger) override { return rowHeight; }
    std::optional<std::shared_ptr<UIView>> pickerViewViewForRow(UIPickerView&, NSInteger row, NSInteger component,
        const std::shared_ptr<UIView>& reusing) override
    {
        if (!views || component != 1)
            return std::nullopt;
        auto label = std::dynamic_pointer_cast<UILabel>(reusing);
        if (!label)
            label = UILabel::create();
        else
            ++reused;
        label->setText(NSString("视图" + std::to_string(row)));
        return label;
    }
    void pickerViewDidSelectRow(UIPickerView&, NSInteger row, NSInteger component) override
    {
        selections.push_back(std::to_string(component) + ":" + std::to_string(row));
    }

    std::vector<NSInteger> rows { 20, 5 };
    std::vector<CGFloat> widths;
    std::optional<CGFloat> rowHeight;
    std::string prefix { "行" };
    bool titles { true };
    bool views { false };
    int reused { 0 };
    std::vector<std::string> selections;
};

class PickerScreen : public testing::Test {
protected:
    void SetUp() override
    {
        host = HeadlessHost::create();
        root = UIViewController::create();
        host->showRootViewController(root);
        root->view()->setBackgroundColor(UIColor::whiteColor());
        regions = std::make_shared<Regions>();
        picker = UIPickerView::create(CGRectMake(0, 352, 320, 216));
        picker->setDataSource(regions);
        picker->setDelegate(regions);
        root->view()->addSubview(picker);
        host->runUntilIdle();
    }

    CGFloat wheelOffset(NSInteger component)
    {
        return std::static_pointer_cast<UIScrollView>(picker->wheelForComponent(component))->contentOffset().y;
    }
    // The offset at which the row rests in the band of a wheel with 32-point rows.
    static CGFloat restingOffset(NSInteger row) { return CGFloat(row) * 32 - 92; }

    // Turns the first wheel down from its first row a frame's worth of times at each spacing:
    // every turn is one row on when the clock has moved, and the wheel and its delegate end on
    // the last of them.
    void expectEveryTurnMovesOneRow(const std::function<bool()>& turn)
    {
        constexpr int turns = picker_turns::kTurnsAcrossAFrame;
        regions->rows = { turns + 10, 5 };
        picker->reloadAllComponents();
        for (const double spacing : picker_turns::kSpacings) {
            SCOPED_TRACE(testing::Message() << "turns " << spacing << " s apart");
            picker->selectRow(0, 0, false);
            host->runUntilIdle();
            regions->selections.clear();
            std::vector<int> lost;
            for (int turned = 1; turned <= turns; ++turned) {
                ASSERT_TRUE(turn());
                host->advance(picker_turns::after(spacing, turned));
                if (picker->selectedRowInComponent(0) != turned - NSInteger(lost.size()))
                    lost.push_back(turned);
            }
            EXPECT_EQ(lost, std::vector<int> {}) << "turns that moved nothing";
            host->runUntilIdle();
            EXPECT_EQ(picker->selectedRowInComponent(0), turns);
            EXPECT_DOUBLE_EQ(wheelOffset(0), restingOffset(turns));
            ASSERT_FALSE(regions->selections.empty());
            EXPECT_EQ(regions->selections.back(), "0:" + std::to_string(turns));
            const auto row = [](const std::string& told) { return std::stoi(told.substr(2)); };
            const auto& told = regions->selections;
            EXPECT_EQ(std::adjacent_find(told.begin(), told.end(), [&](const auto& a, const auto& b) { return row(a) >= row(b); }),
                told.end())
                << "a row told twice or one going back";
        }
    }

    std::shared_ptr<HeadlessHost> host;
    std::shared_ptr<UIViewController> root;
    std::shared_ptr<Regions> regions;
    UIPickerViewRef picker;
};

} // namespace

TEST_F(PickerScreen, aWheelDraggedByThreePointFourRowsSettlesOnAWholeRowAndReportsItOnce)
{
    ASSERT_EQ(picker->numberOfComponents(), 2);
    EXPECT_EQ(picker->selectedRowInComponent(0), 0);
    const CGPoint start = CGPointMake(80, 352 + 108);
    host->touchDown(start);
    // 3.4 rows of 32 points, the first few points of the pan not moving the content.
    const CGFloat distance = 3.4 * 32 + 10;
    for (int step = 1; step <= 20; ++step) {
        host->advance(1.0 / 60);
        host->touchMove(CGPointMake(start.x, start.y - distance * step / 20));
    }
    host->advance(0.2); // held still: no flick
    host->touchUp(CGPointMake(start.x, start.y - distance));
    host->runUntilIdle();
    EXPECT_EQ(picker->selectedRowInComponent(0), 3);
    EXPECT_DOUBLE_EQ(wheelOffset(0), restingOffset(3));
    EXPECT_EQ(regions->selections, std::vector<std::string> { "0:3" });
    EXPECT_EQ(picker->selectedRowInComponent(1), 0) << "the other wheel stayed";
}

TEST_F(PickerScreen, aFlickDeceleratesAndStillRestsOnARow)
{
    host->drag(CGPointMake(80, 500), CGPointMake(80, 380), 0.1);
    host->runUntilIdle();
    const NSInteger row = picker->selectedRowInComponent(0);
    EXPECT_GT(row, 4) << "the flick carried the wheel further than the finger";
    EXPECT_DOUBLE_EQ(wheelOffset(0), restingOffset(row));
    EXPECT_EQ(regions->selections, std::vector<std::string> { "0:" + std::to_string(row) });

    // Flung past the end it comes back to the last row.
    for (int flick = 0; flick < 4; ++flick)
        host->drag(CGPointMake(80, 560), CGPointMake(80, 360), 0.05);
    host->runUntilIdle();
    EXPECT_EQ(picker->selectedRowInComponent(0), 19);
    EXPECT_DOUBLE_EQ(wheelOffset(0), restingOffset(19));
    EXPECT_EQ(regions->selections.back(), "0:19");
}

TEST_F(PickerScreen, aTapOnARowBelowTheBandTurnsTheWheelToIt)
{
    host->tap(CGPointMake(240, 352 + 108 + 32));
    host->runUntilIdle();
    EXPECT_EQ(picker->selectedRowInComponent(1), 1);
    EXPECT_DOUBLE_EQ(wheelOffset(1), restingOffset(1));
    EXPECT_EQ(regions->selections, std::vector<std::string> { "1:1" });
}

TEST_F(PickerScreen, selectingInCodeTurnsTheWheelWithoutTellingTheDelegate)
{
    picker->selectRow(7, 0, false);
    EXPECT_EQ(picker->selectedRowInComponent(0), 7);
    EXPECT_DOUBLE_EQ(wheelOffset(0), restingOffset(7));
    picker->selectRow(2, 0, true);
    EXPECT_EQ(picker->selectedRowInComponent(0), 2);
    host->advance(0.05);
    EXPECT_GT(wheelOffset(0), restingOffset(2)) << "an animated turn takes time";
    host->runUntilIdle();
    EXPECT_DOUBLE_EQ(wheelOffset(0), restingOffset(2));
    picker->selectRow(99, 1, false);
    EXPECT_EQ(picker->selectedRowInComponent(1), 4);
    picker->selectRow(1, 5, false);
    EXPECT_EQ(picker->selectedRowInComponent(5), -1);
    EXPECT_TRUE(regions->selections.empty());
    EXPECT_EQ(picker->viewForRow(2, 0)->visibleText(), NSString("行0-2"));
}

TEST_F(PickerScreen, selectingInCodeUnderADraggingFingerLeavesTheWheelWithItAndTellsWhereItRests)
{
    const CGPoint start = CGPointMake(80, 352 + 108);
    const auto dragTo = [&](CGFloat rows, int fromStep, int toStep) {
        for (int step = fromStep; step <= toStep; ++step) {
            host->advance(1.0 / 60);
            host->touchMove(CGPointMake(start.x, start.y - (rows * 32 + 10) * step / toStep));
        }
    };
    host->touchDown(start);
    dragTo(2, 1, 10);
    const CGFloat held = wheelOffset(0);
    picker->selectRow(7, 0, true);
    host->advance(0.1);
    EXPECT_DOUBLE_EQ(wheelOffset(0), held) << "the wheel stays with the finger";
    dragTo(4, 6, 12);
    host->advance(0.2);
    host->touchUp(CGPointMake(start.x, start.y - 4 * 32 - 10));
    host->runUntilIdle();
    EXPECT_EQ(picker->selectedRowInComponent(0), 4);
    EXPECT_DOUBLE_EQ(wheelOffset(0), restingOffset(4));
    EXPECT_EQ(regions->selections, std::vector<std::string> { "0:4" });
}

TEST_F(PickerScreen, reloadingAsksAgainAndKeepsSelectionsThatStillFit)
{
    picker->selectRow(15, 0, false);
    picker->selectRow(3, 1, false);
    regions->rows = { 10, 5, 3 };
    regions->prefix = "新";
    picker->reloadComponent(0);
    EXPECT_EQ(picker->selectedRowInComponent(0), 9);
    EXPECT_EQ(picker->viewForRow(9, 0)->visibleText(), NSString("新0-9"));
    EXPECT_EQ(picker->numberOfComponents(), 2) << "reloading one component does not add others";
    picker->reloadAllComponents();
    EXPECT_EQ(picker->numberOfComponents(), 3);
    EXPECT_EQ(picker->selectedRowInComponent(1), 3);
    EXPECT_EQ(picker->numberOfRowsInComponent(2), 3);
    EXPECT_EQ(picker->numberOfRowsInComponent(3), 0);
    regions->rows = { 4 };
    picker->reloadAllComponents();
    EXPECT_EQ(picker->numberOfComponents(), 1);
    EXPECT_EQ(picker->selectedRowInComponent(0), 3);
}

TEST_F(PickerScreen, rowsShowTheDelegatesViewsTitlesOrAQuestionMarkInItsWidthsAndHeights)
{
    regions->widths = { 100, 60 };
    regions->rowHeight = 40;
    regions->views = true;
    regions->titles = false;
    picker->reloadAllComponents();
    picker->layoutIfNeeded();
    EXPECT_EQ(picker->rowSizeForComponent(1), CGSizeMake(60, 40));
    EXPECT_EQ(picker->rowSizeForComponent(4), CGSizeZero);
    // 164 points of components centred in 320.
    EXPECT_DOUBLE_EQ(picker->wheelForComponent(0)->frame().origin.x, 78);
    EXPECT_DOUBLE_EQ(picker->wheelForComponent(1)->frame().origin.x, 182);
    EXPECT_EQ(picker->viewForRow(0, 0)->visibleText(), NSString("?"));
    EXPECT_EQ(picker->viewForRow(1, 1)->visibleText(), NSString("视图1"));
    picker->selectRow(4, 1, false);
    EXPECT_GT(regions->reused, 0) << "rows leaving the wheel are offered again";
}

TEST(PickerWithoutData, hasNoComponents)
{
    auto host = HeadlessHost::create();
    auto picker = UIPickerView::create();
    EXPECT_EQ(picker->frame().size, CGSizeMake(320, 216));
    EXPECT_EQ(picker->numberOfComponents(), 0);
    EXPECT_EQ(picker->selectedRowInComponent(0), -1);
    EXPECT_FALSE(picker->viewForRow(0, 0));
    picker->selectRow(3, 0, false);
    auto regions = std::make_shared<Regions>();
    picker->setDataSource(regions);
    EXPECT_EQ(picker->selectedRowInComponent(0), 3) << "a row chosen before the data came is kept";
}

TEST_F(PickerScreen, aFlickedWheelReportsTheRowInItsBandAndRestsTheMomentItLooksStill)
{
    host->drag(CGPointMake(80, 500), CGPointMake(80, 380), 0.1);
    const auto rowInBand = [&] { return std::clamp<NSInteger>(std::lround((wheelOffset(0) + 92) / 32), 0, 19); };
    CGFloat previous = wheelOffset(0);
    bool sawItTurn = false;
    for (int frame = 0; frame < 120; ++frame) {
        host->advance(1.0 / 60);
        const CGFloat offset = wheelOffset(0);
        EXPECT_EQ(picker->selectedRowInComponent(0), rowInBand()) << "frame " << frame;
        sawItTurn = sawItTurn || rowInBand() != 0;
        const CGFloat step = std::abs(offset - previous);
        previous = offset;
        if (!regions->selections.empty()) {
            EXPECT_EQ(regions->selections, std::vector<std::string> { "0:" + std::to_string(rowInBand()) });
            EXPECT_DOUBLE_EQ(offset, restingOffset(rowInBand())) << "told while it still turns";
            break;
        }
        // Creeping less than a tenth of a point a frame, that close to a row: it looks still.
        EXPECT_FALSE(step < 0.1 && std::abs(offset - restingOffset(rowInBand())) < 0.1) << "still but untold, frame " << frame;
    }
    EXPECT_TRUE(sawItTurn);
    ASSERT_EQ(regions->selections.size(), 1u) << "still turning after two seconds";
    const CGFloat rest = wheelOffset(0);
    EXPECT_DOUBLE_EQ(rest, restingOffset(rowInBand()));
    host->advance(2);
    EXPECT_DOUBLE_EQ(wheelOffset(0), rest) << "nothing moves once it is told";
    EXPECT_EQ(regions->selections.size(), 1u);
}

TEST_F(PickerScreen, aTapThatStopsASpinningWheelLetsItRestOnTheRowInTheBandNotTheRowTapped)
{
    host->drag(CGPointMake(80, 540), CGPointMake(80, 380), 0.08);
    host->advance(0.1);
    // A finger on the row below the band stops the wheel where it is.
    const CGPoint below = CGPointMake(80, 352 + 108 + 32);
    host->touchDown(below);
    const auto inBand = NSInteger(std::lround((wheelOffset(0) + 92) / 32));
    host->advance(0.05);
    host->touchUp(below);
    host->runUntilIdle();
    EXPECT_GT(inBand, 0);
    EXPECT_EQ(picker->selectedRowInComponent(0), inBand);
    EXPECT_DOUBLE_EQ(wheelOffset(0), restingOffset(inBand));
    EXPECT_EQ(regions->selections, std::vector<std::string> { "0:" + std::to_string(inBand) });
}

TEST_F(PickerScreen, everyDownArrowTurnsTheWheelOneRowHoweverFarApartThePressesCome)
{
    expectEveryTurnMovesOneRow([&] { return host->pressKey(UIKeyboardKey::DownArrow); });
}

TEST_F(PickerScreen, everyNotchOfTheMouseWheelTurnsTheWheelOneRowHoweverFarApartTheNotchesCome)
{
    expectEveryTurnMovesOneRow([&] { return host->scrollWheelNotches(CGPointMake(80, 352 + 108), CGPointMake(0, 1)); });
}

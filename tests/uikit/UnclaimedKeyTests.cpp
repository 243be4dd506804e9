#include "platform/host/HeadlessHost.h"
#include "platform/uikit/UIActionSheet.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIPickerView.h"
#include "platform/uikit/UITableView.h"
#include "platform/uikit/UITextField.h"

#include <gtest/gtest.h>

namespace {

class Wheels : public UIPickerViewDataSource, public UIPickerViewDelegate {
public:
    NSInteger numberOfComponentsInPickerView(UIPickerView&) override { return components; }
    NSInteger pickerViewNumberOfRowsInComponent(UIPickerView&, NSInteger) override { return 12; }
    void pickerViewDidSelectRow(UIPickerView&, NSInteger row, NSInteger component) override
    {
        selections.push_back(std::to_string(component) + ":" + std::to_string(row));
    }
    NSInteger components { 2 };
    std::vector<std::string> selections;
};

class Rows : public UITableViewDataSource {
public:
    NSInteger numberOfRowsInSection(UITableView&, NSInteger) override { return 30; }
    UITableViewCellRef cellForRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>&) override
    {
        auto cell = table.dequeueReusableCellWithIdentifier("row");
        return cell ? cell : UITableViewCell::create(UITableViewCellStyle::Default, "row");
    }
};

class SheetLog : public UIActionSheetDelegate {
public:
    void actionSheetClickedButtonAtIndex(UIActionSheet&, NSInteger index) override { clicked.push_back(index); }
    std::vector<NSInteger> clicked;
};

class UnclaimedKeys : public testing::Test {
protected:
    void SetUp() override
    {
        host = HeadlessHost::create();
        first = UIViewController::create();
        second = UIViewController::create();
        navigation = UINavigationController::create(first);
        host->showRootViewController(navigation);
        second->setAutomaticallyAdjustsScrollViewInsets(false);
        navigation->pushViewController(second, false);
        host->runUntilIdle();
    }

    std::shared_ptr<UIPickerView> addPicker(CGRect frame)
    {
        auto picker = UIPickerView::create(frame);
        picker->setDataSource(wheels);
        picker->setDelegate(wheels);
        second->view()->addSubview(picker);
        host->runUntilIdle();
        return picker;
    }

    std::shared_ptr<HeadlessHost> host;
    std::shared_ptr<UIViewController> first, second;
    std::shared_ptr<UINavigationController> navigation;
    std::shared_ptr<Wheels> wheels { std::make_shared<Wheels>() };
};

} // namespace

TEST_F(UnclaimedKeys, escapeOrAltLeftGoesBackWhileTheBarShowsABackButton)
{
    EXPECT_FALSE(host->pressKey(UIKeyboardKey::Escape, UIKeyModifierShift));
    EXPECT_FALSE(host->pressKey(UIKeyboardKey::LeftArrow));
    second->navigationItem()->setHidesBackButton(true);
    EXPECT_FALSE(host->pressKey(UIKeyboardKey::Escape));
    second->navigationItem()->setHidesBackButton(false);
    navigation->setNavigationBarHidden(true);
    EXPECT_FALSE(host->pressKey(UIKeyboardKey::Escape));
    navigation->setNavigationBarHidden(false);
    EXPECT_EQ(navigation->topViewController(), second);

    EXPECT_TRUE(host->pressKey(UIKeyboardKey::Escape));
    // A key pressed again while the screens slide is not a second step back.
    EXPECT_FALSE(host->pressKey(UIKeyboardKey::Escape));
    host->runUntilIdle();
    EXPECT_EQ(navigation->topViewController(), first);
    EXPECT_FALSE(host->pressKey(UIKeyboardKey::Escape)) << "the root has no back button";

    navigation->pushViewController(second, false);
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::LeftArrow, UIKeyModifierAlternate));
    host->runUntilIdle();
    EXPECT_EQ(navigation->topViewController(), first);
}

TEST_F(UnclaimedKeys, escapeInAFieldPutsItsKeyboardAwayBeforeItGoesBack)
{
    auto field = UITextField::create(CGRectMake(10, 100, 300, 30));
    second->view()->addSubview(field);
    ASSERT_TRUE(field->becomeFirstResponder());
    // The field's own arrows stay its own.
    field->setText("科目");
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::LeftArrow, UIKeyModifierAlternate));
    EXPECT_EQ(navigation->topViewController(), second);

    EXPECT_TRUE(host->pressKey(UIKeyboardKey::Escape));
    EXPECT_FALSE(field->isFirstResponder());
    host->runUntilIdle();
    EXPECT_EQ(navigation->topViewController(), second);
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::Escape));
    host->runUntilIdle();
    EXPECT_EQ(navigation->topViewController(), first);
}

TEST_F(UnclaimedKeys, escapeCancelsTheSheetOnTopAndLeavesTheScreenBelow)
{
    auto log = std::make_shared<SheetLog>();
    auto sheet = UIActionSheet::create(NSString("分享到"), log, NSString("取消"), NSString(), std::vector<NSString> { "微信" });
    sheet->showInView(second->view());
    host->runUntilIdle();
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::Escape));
    host->runUntilIdle();
    EXPECT_EQ(log->clicked, (std::vector<NSInteger> { sheet->cancelButtonIndex() }));
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(navigation->topViewController(), second);

    // Without a cancel button the sheet stays, and keeps the key from the screen.
    auto bare = UIActionSheet::create(NSString(), log, NSString(), NSString(), std::vector<NSString> { "微信" });
    bare->showInView(second->view());
    host->runUntilIdle();
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::Escape));
    host->runUntilIdle();
    EXPECT_TRUE(bare->isVisible());
    EXPECT_EQ(navigation->topViewController(), second);
}

TEST_F(UnclaimedKeys, arrowsTurnTheFrontPickersWheelsARowAndPassBetweenThem)
{
    auto table = UITableView::create(CGRectMake(0, 64, 320, 300), UITableViewStyle::Plain);
    auto rows = std::make_shared<Rows>();
    table->setDataSource(rows);
    second->view()->addSubview(table);
    auto picker = addPicker(CGRectMake(0, 352, 320, 216));

    EXPECT_TRUE(host->pressKey(UIKeyboardKey::DownArrow));
    host->runUntilIdle();
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::DownArrow));
    host->runUntilIdle();
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::RightArrow));
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::DownArrow));
    host->runUntilIdle();
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::LeftArrow));
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::UpArrow));
    host->runUntilIdle();
    EXPECT_EQ(wheels->selections, (std::vector<std::string> { "0:1", "0:2", "1:1", "0:1" }));
    EXPECT_EQ(picker->selectedRowInComponent(0), 1);
    EXPECT_EQ(table->contentOffset().y, 0) << "the list behind the picker stays";

    // At the first row an up arrow moves nothing and tells nothing.
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::UpArrow));
    host->runUntilIdle();
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::UpArrow));
    host->runUntilIdle();
    EXPECT_EQ(wheels->selections.size(), 5U);
    EXPECT_EQ(picker->selectedRowInComponent(0), 0);
    // Keys with modifiers are not the picker's.
    EXPECT_FALSE(host->pressKey(UIKeyboardKey::DownArrow, UIKeyModifierShift));
}

TEST_F(UnclaimedKeys, aLoneWheelLetsLeftAndRightGoByAndAWheelTouchedTakesTheArrows)
{
    wheels->components = 1;
    addPicker(CGRectMake(0, 352, 320, 216));
    EXPECT_FALSE(host->pressKey(UIKeyboardKey::RightArrow));

    wheels->components = 3;
    auto picker = addPicker(CGRectMake(0, 100, 320, 216));
    // The third wheel, tapped a row below the band, becomes the one the arrows turn.
    host->tap(CGPointMake(300, 100 + 108 + 32));
    host->runUntilIdle();
    EXPECT_EQ(picker->keyComponent(), 2);
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::DownArrow));
    host->runUntilIdle();
    EXPECT_EQ(picker->selectedRowInComponent(2), 2);
}

TEST_F(UnclaimedKeys, aWheelNotchTurnsAPickerOneRowWhateverItsRowHeight)
{
    auto picker = addPicker(CGRectMake(0, 352, 320, 216));
    const CGPoint over = CGPointMake(80, 352 + 108);
    EXPECT_TRUE(host->scrollWheelNotches(over, CGPointMake(0, 1)));
    host->advance(1);
    EXPECT_EQ(picker->selectedRowInComponent(0), 1);
    // Two notches at once, then two quickly one after the other: two rows each time.
    EXPECT_TRUE(host->scrollWheelNotches(over, CGPointMake(0, 2)));
    host->advance(1);
    EXPECT_EQ(picker->selectedRowInComponent(0), 3);
    host->scrollWheelNotches(over, CGPointMake(0, 1));
    host->scrollWheelNotches(over, CGPointMake(0, 1));
    host->advance(1);
    EXPECT_EQ(picker->selectedRowInComponent(0), 5);
    host->scrollWheelNotches(over, CGPointMake(0, -1));
    host->advance(1);
    EXPECT_EQ(picker->selectedRowInComponent(0), 4);
    EXPECT_EQ(wheels->selections, (std::vector<std::string> { "0:1", "0:3", "0:5", "0:4" }));
}

TEST_F(UnclaimedKeys, arrowsBringTheNextRowOfTheFrontListIntoView)
{
    auto table = UITableView::create(CGRectMake(0, 64, 320, 300), UITableViewStyle::Plain);
    auto rows = std::make_shared<Rows>();
    table->setDataSource(rows);
    second->view()->addSubview(table);
    host->runUntilIdle();
    // 300 points show six rows of 44 and part of a seventh: Down shows the seventh whole.
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::DownArrow));
    EXPECT_DOUBLE_EQ(table->contentOffset().y, 7 * 44 - 300);
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::DownArrow));
    EXPECT_DOUBLE_EQ(table->contentOffset().y, 8 * 44 - 300);
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::UpArrow));
    EXPECT_DOUBLE_EQ(table->contentOffset().y, 44);
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::UpArrow));
    EXPECT_DOUBLE_EQ(table->contentOffset().y, 0);
    // A notch of the wheel still scrolls a list by its points.
    EXPECT_TRUE(host->scrollWheelNotches(CGPointMake(160, 200), CGPointMake(0, 1)));
    host->advance(1);
    EXPECT_DOUBLE_EQ(table->contentOffset().y, UIResponder::wheelNotch);
    // A list with nothing more to show lets the arrows go by.
    table->setFrame(CGRectMake(0, 64, 320, 30 * 44));
    table->setContentOffset(CGPointZero);
    EXPECT_FALSE(host->pressKey(UIKeyboardKey::DownArrow));
}

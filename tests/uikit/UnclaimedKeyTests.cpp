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
    template <class View>
    std::shared_ptr<View> add(const std::shared_ptr<View>& view)
    {
        second->view()->addSubview(view);
        host->runUntilIdle();
        return view;
    }
    std::shared_ptr<UIPickerView> addPicker(CGRect frame)
    {
        auto picker = UIPickerView::create(frame);
        picker->setDataSource(wheels);
        picker->setDelegate(wheels);
        return add(picker);
    }
    std::shared_ptr<UITableView> addList()
    {
        auto table = UITableView::create(CGRectMake(0, 64, 320, 300), UITableViewStyle::Plain);
        table->setDataSource(rows);
        return add(table);
    }
    bool back(UIKeyboardKey key = UIKeyboardKey::Escape, UIKeyModifierFlags modifiers = UIKeyModifierNone)
    {
        const bool taken = host->pressKey(key, modifiers);
        host->runUntilIdle();
        return taken;
    }

    std::shared_ptr<HeadlessHost> host;
    std::shared_ptr<UIViewController> first, second;
    std::shared_ptr<UINavigationController> navigation;
    std::shared_ptr<Wheels> wheels { std::make_shared<Wheels>() };
    std::shared_ptr<Rows> rows { std::make_shared<Rows>() };
};

} // namespace

TEST_F(UnclaimedKeys, escapeOrAltLeftGoesBackWhileTheBarShowsABackButton)
{
    EXPECT_FALSE(back(UIKeyboardKey::Escape, UIKeyModifierShift));
    EXPECT_FALSE(back(UIKeyboardKey::LeftArrow));
    second->navigationItem()->setHidesBackButton(true);
    EXPECT_FALSE(back());
    second->navigationItem()->setHidesBackButton(false);

    EXPECT_TRUE(host->pressKey(UIKeyboardKey::Escape));
    // A key pressed again while the screens slide is not a second step back.
    EXPECT_FALSE(back());
    EXPECT_EQ(navigation->topViewController(), first);
    EXPECT_FALSE(back()) << "the root has no back button";
    navigation->pushViewController(second, false);
    EXPECT_TRUE(back(UIKeyboardKey::LeftArrow, UIKeyModifierAlternate));
    EXPECT_EQ(navigation->topViewController(), first);
}

TEST_F(UnclaimedKeys, escapeInAFieldPutsItsKeyboardAwayBeforeItGoesBack)
{
    auto field = add(UITextField::create(CGRectMake(10, 100, 300, 30)));
    ASSERT_TRUE(field->becomeFirstResponder());
    // The field's own arrows stay its own.
    field->setText("科目");
    EXPECT_TRUE(back(UIKeyboardKey::LeftArrow, UIKeyModifierAlternate));
    EXPECT_TRUE(back());
    EXPECT_FALSE(field->isFirstResponder());
    EXPECT_EQ(navigation->topViewController(), second);
    EXPECT_TRUE(back());
    EXPECT_EQ(navigation->topViewController(), first);
}

TEST_F(UnclaimedKeys, escapeCancelsTheSheetOnTopAndLeavesTheScreenBelow)
{
    auto log = std::make_shared<SheetLog>();
    auto sheet = UIActionSheet::create(NSString("分享到"), log, NSString("取消"), NSString(), std::vector<NSString> { "微信" });
    sheet->showInView(second->view());
    host->runUntilIdle();
    EXPECT_TRUE(back());
    EXPECT_EQ(log->clicked, (std::vector<NSInteger> { sheet->cancelButtonIndex() }));
    EXPECT_FALSE(sheet->isVisible());
    // Without a cancel button the sheet stays, and keeps the key from the screen.
    auto bare = UIActionSheet::create(NSString(), log, NSString(), NSString(), std::vector<NSString> { "微信" });
    bare->showInView(second->view());
    host->runUntilIdle();
    EXPECT_TRUE(back());
    EXPECT_TRUE(bare->isVisible());
    EXPECT_EQ(navigation->topViewController(), second);
}

TEST_F(UnclaimedKeys, arrowsTurnTheFrontPickersWheelsARowAndPassBetweenThem)
{
    auto table = addList();
    wheels->components = 1;
    addPicker(CGRectMake(0, 352, 320, 216));
    EXPECT_FALSE(back(UIKeyboardKey::RightArrow)) << "a lone wheel lets left and right go by";
    wheels->components = 2;
    auto picker = addPicker(CGRectMake(0, 352, 320, 216));

    for (auto key : { UIKeyboardKey::DownArrow, UIKeyboardKey::DownArrow, UIKeyboardKey::RightArrow, UIKeyboardKey::DownArrow,
             UIKeyboardKey::LeftArrow, UIKeyboardKey::UpArrow, UIKeyboardKey::UpArrow, UIKeyboardKey::UpArrow })
        EXPECT_TRUE(back(key));
    // At the first row an up arrow moves nothing and tells nothing.
    EXPECT_EQ(wheels->selections, (std::vector<std::string> { "0:1", "0:2", "1:1", "0:1", "0:0" }));
    EXPECT_EQ(table->contentOffset().y, 0) << "the list behind the picker stays";
    EXPECT_FALSE(back(UIKeyboardKey::DownArrow, UIKeyModifierShift));

    // A wheel tapped a row below the band becomes the one the arrows turn.
    host->tap(CGPointMake(300, 352 + 108 + 32));
    host->runUntilIdle();
    EXPECT_EQ(picker->keyComponent(), 1);
    EXPECT_TRUE(back(UIKeyboardKey::DownArrow));
    EXPECT_EQ(picker->selectedRowInComponent(1), 3);
}

TEST_F(UnclaimedKeys, aWheelNotchTurnsAPickerOneRowWhateverItsRowHeight)
{
    auto picker = addPicker(CGRectMake(0, 352, 320, 216));
    const CGPoint over = CGPointMake(80, 352 + 108);
    // One notch, two at once, two in quick turn, one back: a row a notch.
    for (const auto& turn : std::vector<std::vector<CGFloat>> { { 1 }, { 2 }, { 1, 1 }, { -1 } }) {
        for (const CGFloat notches : turn)
            EXPECT_TRUE(host->scrollWheelNotches(over, CGPointMake(0, notches)));
        host->advance(1);
    }
    EXPECT_EQ(picker->selectedRowInComponent(0), 4);
    EXPECT_EQ(wheels->selections, (std::vector<std::string> { "0:1", "0:3", "0:5", "0:4" }));
}

TEST_F(UnclaimedKeys, arrowsBringTheNextRowOfTheFrontListIntoView)
{
    auto table = addList();
    // 300 points show six rows of 44 and part of a seventh: Down shows the seventh whole.
    for (const auto& [key, offset] : { std::pair { UIKeyboardKey::DownArrow, 7 * 44 - 300 },
             std::pair { UIKeyboardKey::DownArrow, 8 * 44 - 300 }, std::pair { UIKeyboardKey::UpArrow, 44 },
             std::pair { UIKeyboardKey::UpArrow, 0 } }) {
        EXPECT_TRUE(back(key));
        EXPECT_DOUBLE_EQ(table->contentOffset().y, offset);
    }
    // A notch of the wheel still scrolls a list by its points.
    EXPECT_TRUE(host->scrollWheelNotches(CGPointMake(160, 200), CGPointMake(0, 1)));
    host->advance(1);
    EXPECT_DOUBLE_EQ(table->contentOffset().y, UIResponder::wheelNotch);
    // A list with nothing more to show lets the arrows go by.
    table->setFrame(CGRectMake(0, 64, 320, 30 * 44));
    table->setContentOffset(CGPointZero);
    EXPECT_FALSE(back(UIKeyboardKey::DownArrow));
}

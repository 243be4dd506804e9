// The desktop's clicks and keys on the client's screens, through scripted sessions against the
// stand-in: a choice row's whole width, and Escape and Alt+Left going back a screen.
#include "tests/app/ClientSession.h"

#include "library/widgets/keyboard/KMActionSheetPickerView.h"
#include "tests/uikit/PickerTurnSpacings.h"

namespace {

class DesktopKeys : public ClientSession {
protected:
    // Where the row holding the label lies on the screen.
    static CGRect rowOnScreen(const std::shared_ptr<UIView>& label)
    {
        auto row = label->superview();
        return row->convertRectToView(row->bounds(), nullptr);
    }
    bool sheetGone(const std::shared_ptr<ViewController>& login)
    {
        host->advance(1);
        return waitUntil([&] {
            auto sheet = login->openSheet();
            return !sheet || !sheet->window();
        });
    }
};

} // namespace

TEST_F(DesktopKeys, theRegionAndRoleRowsAnswerAClickAnywhereOnThem)
{
    auto login = loginScreen();
    ASSERT_TRUE(login);
    // On the region's icon, left of its text.
    const CGRect region = rowOnScreen(login->areaLab());
    host->tap(CGPointMake(CGRectGetMinX(region) + 6, CGRectGetMidY(region)));
    ASSERT_TRUE(waitUntil([&] { return login->openSheet() && login->openSheet()->window(); }));
    shot("desktop-01-region-row-clicked");
    // Escape is the sheet's 取消.
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::Escape));
    ASSERT_TRUE(sheetGone(login));
    EXPECT_EQ(login->areaLab()->text(), NSString("请选择地区"));
    // Alt+Left under the sheet is its 取消 too, never a step back behind it.
    host->tap(login->areaLab());
    ASSERT_TRUE(waitUntil([&] { return login->openSheet() && login->openSheet()->window(); }));
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::LeftArrow, UIKeyModifierAlternate));
    ASSERT_TRUE(sheetGone(login));

    // In the room right of the role's text, near the row's end.
    const CGRect role = rowOnScreen(login->roleLab());
    ASSERT_LT(CGRectGetMaxX(login->roleLab()->convertRectToView(login->roleLab()->bounds(), nullptr)), CGRectGetMaxX(role) - 4);
    host->tap(CGPointMake(CGRectGetMaxX(role) - 3, CGRectGetMaxY(role) - 2));
    ASSERT_TRUE(waitUntil([&] { return login->openSheet() && login->openSheet()->window(); }));
    // The down arrow turns the sheet's wheel a row; Return is its 确定.
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::DownArrow));
    host->advance(1);
    EXPECT_TRUE(host->pressReturn());
    ASSERT_TRUE(sheetGone(login));
    EXPECT_EQ(login->roleSelectIndex(), 1);
    EXPECT_EQ(login->roleLab()->text(), NSString("学员"));
}

TEST_F(DesktopKeys, everyArrowOnTheRegionSheetTurnsItARowSoFiveDownsFromTheTopChooseTheFifthRegion)
{
    auto login = loginScreen();
    ASSERT_TRUE(login);
    ASSERT_TRUE(host->tap(login->areaLab()));
    ASSERT_TRUE(waitUntil([&] { return login->openSheet() && login->openSheet()->window(); }));
    auto sheet = login->openSheet();
    const auto& regions = sheet->titlesForComponenets().at(0);
    ASSERT_GT(regions.size(), 5u);
    ASSERT_EQ(regions[5], NSString("成都市"));
    const auto wheel = sheet->pickerView();
    ASSERT_EQ(wheel->selectedRowInComponent(0), 0);

    // Between the top and the fifth region and back at each spacing, then down from the top.
    std::vector<int> lost;
    int pressed = 0;
    NSInteger row = 0, direction = 1;
    const auto press = [&](NSInteger by, double spacing, int turn) {
        EXPECT_TRUE(host->pressKey(by > 0 ? UIKeyboardKey::DownArrow : UIKeyboardKey::UpArrow));
        row += by;
        ++pressed;
        host->advance(picker_turns::after(spacing, turn));
        if (wheel->selectedRowInComponent(0) != row) {
            lost.push_back(pressed);
            row = wheel->selectedRowInComponent(0);
        }
    };
    for (const double spacing : picker_turns::kSpacings) {
        for (int turn = 1; turn <= picker_turns::kTurnsAcrossAFrame; ++turn) {
            direction = row == 5 ? -1 : row == 0 ? 1 : direction;
            press(direction, spacing, turn);
        }
    }
    while (row > 0)
        press(-1, 1.2, 0);
    for (int turn = 1; turn <= 5; ++turn)
        press(1, 1.2, turn);
    EXPECT_EQ(lost, std::vector<int> {}) << "presses that moved nothing, of " << pressed;
    EXPECT_TRUE(host->pressReturn());
    ASSERT_TRUE(sheetGone(login));
    EXPECT_EQ(login->areaLab()->text(), NSString("成都市"));
    EXPECT_EQ(login->areaCode(), NSString("510100"));
}

TEST_F(DesktopKeys, escapeAndAltLeftGoBackWhereTheBarHasABackButtonAndNowhereElse)
{
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    auto home = top<MainViewController>();
    ASSERT_TRUE(home);
    // Home's bar has no back button: the keys leave it where it is.
    EXPECT_FALSE(host->pressKey(UIKeyboardKey::Escape));
    EXPECT_FALSE(host->pressKey(UIKeyboardKey::LeftArrow, UIKeyModifierAlternate));
    host->runUntilIdle();
    EXPECT_EQ(top<MainViewController>(), home);

    for (const auto& [key, modifiers] : { std::pair { UIKeyboardKey::Escape, UIKeyModifierNone },
             std::pair { UIKeyboardKey::LeftArrow, UIKeyModifierAlternate } }) {
        host->tap(home->m_viewNaviBar()->m_btnRight());
        host->runUntilIdle();
        ASSERT_TRUE(top<SetupViewController>());
        EXPECT_TRUE(host->pressKey(key, modifiers));
        host->runUntilIdle();
        EXPECT_EQ(top<MainViewController>(), home);
    }
}

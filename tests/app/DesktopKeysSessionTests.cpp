// The desktop's clicks and keys on the client's screens, through scripted sessions against the
// stand-in: a choice row's whole width, and Escape and Alt+Left going back a screen.
#include "tests/app/ClientSession.h"

#include "library/widgets/keyboard/KMActionSheetPickerView.h"

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

// The alert's members no screen uses yet: field traits by index, a field's own theme (animated or
// not), the content view's height, and its controller's window-level and rotation helpers.
#include "WidgetScreen.h"

#include "library/widgets/alert/TAAlertViewController.h"
#include "platform/uikit/UIDevice.h"
#include "platform/uikit/UIScreen.h"

TEST_F(WidgetScreenTest, anAlertSetsItsFieldsTraitsAndThemesByIndex)
{
    auto alert = TAAlertView::create("网络设置", NSString(), nullptr, "取消", std::vector<NSString> { "确定" });
    alert->setAlertViewStyle(3);
    alert->setKeyboardType(UIKeyboardType::NumberPad, 1);
    EXPECT_EQ(alert->textFieldAtIndex(1)->keyboardType(), UIKeyboardType::NumberPad);
    auto picker = UIView::create(CGRectMake(0, 0, 320, 216));
    alert->setInputView(picker, 0);
    EXPECT_EQ(alert->textFieldAtIndex(0)->inputView(), picker);
    alert->setKeyboardType(UIKeyboardType::NumberPad, 5); // no such field: nothing

    auto big = TAAlertViewTextFieldTheme::theme();
    big->font = UIFont::systemFontOfSize(30);
    big->textAlignment = NSTextAlignmentLeft;
    const CGFloat before = alert->alertHeight();
    alert->setCustomTextFieldTheme(big, 0, true);
    EXPECT_EQ(alert->themeForTextFieldAtIndex(0), big);
    EXPECT_EQ(alert->textFieldAtIndex(0)->textAlignment(), NSTextAlignmentLeft);
    EXPECT_DOUBLE_EQ(alert->textFieldAtIndex(0)->font()->pointSize(), 30);
    EXPECT_EQ(alert->alertHeight(), before);
    alert->setCustomTextFieldTheme(nullptr, 0);
    EXPECT_EQ(alert->themeForTextFieldAtIndex(0), alert->theme()->textFieldTheme);
    EXPECT_EQ(alert->textFieldAtIndex(0)->textAlignment(), alert->theme()->textFieldTheme->textAlignment);

    EXPECT_EQ(alert->contentViewHeight(), 0);
    alert->setContentView(UIView::create(CGRectMake(0, 0, 100, 60)));
    EXPECT_EQ(alert->contentViewHeight(), 60);
    EXPECT_GE(alert->alertHeight(), before + 60);
}

TEST_F(WidgetScreenTest, theAlertControllerFindsWindowsByLevelAndHidesItsWindowWhileTurning)
{
    auto controller = TAAlertViewController::sharedController();
    std::vector<std::shared_ptr<UIWindow>> high;
    for (int i = 0; i < 2; ++i) {
        high.push_back(UIWindow::create(UIScreen::mainScreen()->bounds()));
        high.back()->setWindowLevel(1234);
        high.back()->setHidden(false);
    }
    EXPECT_EQ(TAAlertViewController::firstWindowWithLevel(1234), high[0]);
    EXPECT_EQ(TAAlertViewController::lastWindowWithLevel(1234), high[1]);
    EXPECT_FALSE(TAAlertViewController::firstWindowWithLevel(4321));
    int found = 0;
    TAAlertViewController::windowsWithLevel(1234, [&](const std::shared_ptr<UIWindow>&) { ++found; });
    TAAlertViewController::windowsWithLevel(1234, nullptr);
    EXPECT_EQ(found, 2);
    for (const auto& window : high)
        window->setHidden(true);

    const CGRect screen = UIScreen::mainScreen()->bounds();
    EXPECT_TRUE(CGRectEqualToRect(TAAlertViewController::frameForOrientation(UIInterfaceOrientation::LandscapeLeft), screen));
    const NSString saved = UIDevice::currentDevice()->systemVersion();
    UIDevice::currentDevice()->setSystemVersion("7.1");
    EXPECT_TRUE(CGRectEqualToRect(TAAlertViewController::frameForOrientation(UIInterfaceOrientation::LandscapeRight),
        CGRectMake(0, 0, screen.size.height, screen.size.width)));
    UIDevice::currentDevice()->setSystemVersion(saved);

    auto alert = TAAlertView::create("提示", "内容", nullptr, "确定", std::vector<NSString> {});
    alert->show();
    host->advance(0.5);
    controller->willRotateToInterfaceOrientation(UIInterfaceOrientation::Portrait, 0.3);
    EXPECT_EQ(controller->alertWindow()->alpha(), 0);
    controller->didRotateFromInterfaceOrientation(UIInterfaceOrientation::Portrait);
    EXPECT_EQ(controller->alertWindow()->alpha(), 1);
    alert->dismissWithClickedButtonIndex(0, false);
    host->advance(1);
}

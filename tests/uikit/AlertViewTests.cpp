#include "platform/foundation/NSException.h"
#include "platform/host/HeadlessHost.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UITextField.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

class AlertRecorder : public UIAlertViewDelegate {
public:
    void alertViewClickedButtonAtIndex(UIAlertView& alert, NSInteger index) override
    {
        log.push_back("clicked " + std::to_string(index) + " tag " + std::to_string(alert.tag()));
    }
    void willPresentAlertView(UIAlertView& alert) override { log.push_back("willPresent " + alert.title().UTF8String()); }
    void didPresentAlertView(UIAlertView& alert) override { log.push_back("didPresent " + alert.title().UTF8String()); }
    void alertViewWillDismissWithButtonIndex(UIAlertView& alert, NSInteger index) override
    {
        log.push_back("willDismiss " + alert.title().UTF8String() + " " + std::to_string(index));
    }
    void alertViewDidDismissWithButtonIndex(UIAlertView& alert, NSInteger index) override
    {
        log.push_back("didDismiss " + alert.title().UTF8String() + " " + std::to_string(index));
    }
    std::optional<bool> alertViewShouldEnableFirstOtherButton(UIAlertView& alert) override
    {
        if (!answersEnable)
            return std::nullopt;
        return alert.textFieldAtIndex(0)->text().length() >= 2;
    }

    std::vector<std::string> log;
    bool answersEnable { false };
};

class AlertScreen : public testing::Test {
protected:
    void SetUp() override
    {
        host = HeadlessHost::create();
        root = UIViewController::create();
        host->showRootViewController(root);
        root->view()->setBackgroundColor(UIColor::whiteColor());
        auto below = UIButton::buttonWithType(UIButtonTypeCustom);
        below->setFrame(root->view()->bounds());
        below->addTarget(nullptr, UIControl::Action([this](UIControl&, const UIEventRef&) { ++screenTaps; }),
            UIControlEventTouchUpInside);
        root->view()->addSubview(below);
        recorder = std::make_shared<AlertRecorder>();
    }

    UIAlertViewRef makeAlert(const NSString& title, NSInteger tag)
    {
        auto alert = UIAlertView::create(title, NSString("网络不可用，请检查网络设置"), recorder, NSString("取消"),
            std::vector<NSString> { "确定" });
        alert->setTag(tag);
        return alert;
    }

    std::shared_ptr<HeadlessHost> host;
    std::shared_ptr<UIViewController> root;
    std::shared_ptr<AlertRecorder> recorder;
    int screenTaps { 0 };
};

// The alert example of docs/platform.md, kept compiling and true.
class SettingsPrompt : public UIViewController, public UIAlertViewDelegate {
    NS_OBJECT(SettingsPrompt, UIViewController)
public:
    void ask()
    {
        auto alert = UIAlertView::create(NSString("提示"), NSString("网络不可用"), self(), NSString("取消"),
            std::vector<NSString> { "设置" });
        alert->setTag(2);
        alert->show(); // the delegate hears alertViewClickedButtonAtIndex(alert, 1) for "设置"
    }
    void alertViewClickedButtonAtIndex(UIAlertView& alert, NSInteger index) override
    {
        clicked = { alert.tag(), index };
    }
    std::pair<NSInteger, NSInteger> clicked { -1, -1 };
};

} // namespace

TEST(AlertDocumentation, theSettingsPromptHearsItsButton)
{
    auto host = HeadlessHost::create();
    auto screen = SettingsPrompt::create();
    host->showRootViewController(screen);
    screen->ask();
    host->runUntilIdle();
    ASSERT_TRUE(host->tap(host->findViewWithText("设置")));
    host->runUntilIdle();
    EXPECT_EQ(screen->clicked, (std::pair<NSInteger, NSInteger> { 2, 1 }));
}

TEST_F(AlertScreen, takesTheTouchesAndReportsTheTappedButtonWithItsTag)
{
    host->tap(CGPointMake(160, 60));
    EXPECT_EQ(screenTaps, 1);

    makeAlert("提示", 3)->show();
    host->runUntilIdle();
    host->tap(CGPointMake(160, 60));
    host->tap(CGPointMake(160, 520));
    EXPECT_EQ(screenTaps, 1) << "the screen below the alert took a touch";

    ASSERT_TRUE(host->tap(host->findViewWithText("确定")));
    host->runUntilIdle();
    EXPECT_EQ(recorder->log, (std::vector<std::string> { "willPresent 提示", "didPresent 提示", "clicked 1 tag 3",
                                 "willDismiss 提示 1", "didDismiss 提示 1" }));
    EXPECT_FALSE(host->findViewWithText("确定"));
    host->tap(CGPointMake(160, 60));
    EXPECT_EQ(screenTaps, 2) << "the screen takes touches again once the alert is gone";
    EXPECT_EQ(host->keyWindow(), UIApplication::sharedApplication()->keyWindow());
}

TEST_F(AlertScreen, aSecondAlertWaitsUntilTheFirstIsGone)
{
    auto first = makeAlert("第一", 1);
    auto second = makeAlert("第二", 2);
    first->show();
    second->show();
    second->show(); // shown twice, still one place in line
    host->runUntilIdle();
    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(second->isVisible());
    EXPECT_FALSE(host->findViewWithText("第二"));

    ASSERT_TRUE(host->tap(host->findViewWithText("取消")));
    host->runUntilIdle();
    EXPECT_TRUE(second->isVisible());
    ASSERT_TRUE(host->tap(host->findViewWithText("取消")));
    host->runUntilIdle();
    EXPECT_EQ(recorder->log, (std::vector<std::string> { "willPresent 第一", "didPresent 第一", "clicked 0 tag 1",
                                 "willDismiss 第一 0", "didDismiss 第一 0", "willPresent 第二", "didPresent 第二",
                                 "clicked 0 tag 2", "willDismiss 第二 0", "didDismiss 第二 0" }));
    EXPECT_EQ(UIApplication::sharedApplication()->windows().size(), 1u) << "the alert window stays up";
}

TEST_F(AlertScreen, aSecondTapWhileDismissingIsIgnored)
{
    makeAlert("提示", 0)->show();
    host->runUntilIdle();
    auto button = host->findViewWithText("确定");
    host->tap(button);
    host->tap(button); // within the fade
    host->runUntilIdle();
    EXPECT_EQ(std::count(recorder->log.begin(), recorder->log.end(), "clicked 1 tag 0"), 1);
    EXPECT_EQ(std::count(recorder->log.begin(), recorder->log.end(), "didDismiss 提示 1"), 1);
}

TEST_F(AlertScreen, dismissingInCodeSkipsTheClickAndTakesAWaitingAlertOutOfLine)
{
    auto first = makeAlert("第一", 1);
    auto second = makeAlert("第二", 2);
    first->show();
    second->show();
    host->runUntilIdle();
    second->dismissWithClickedButtonIndex(1, true);
    first->dismissWithClickedButtonIndex(0, false);
    host->runUntilIdle();
    EXPECT_EQ(recorder->log, (std::vector<std::string> { "willPresent 第一", "didPresent 第一", "willDismiss 第二 1",
                                 "didDismiss 第二 1", "willDismiss 第一 0", "didDismiss 第一 0" }));
    EXPECT_FALSE(second->isVisible());
    EXPECT_EQ(UIApplication::sharedApplication()->windows().size(), 1u);
}

TEST_F(AlertScreen, anAlertForgottenByItsMakerOutlivesItsDelegate)
{
    makeAlert("提示", 0)->show();
    host->runUntilIdle();
    recorder.reset(); // the delegate is not kept by the alert
    ASSERT_TRUE(host->tap(host->findViewWithText("确定")));
    host->runUntilIdle();
    EXPECT_FALSE(host->findViewWithText("提示"));
}

TEST_F(AlertScreen, aPlainTextInputAlertTakesTypedText)
{
    recorder->answersEnable = true;
    auto alert = makeAlert("输入", 0);
    alert->setAlertViewStyle(UIAlertViewStyle::PlainTextInput);
    alert->show();
    host->runUntilIdle();
    const auto ok = alert->buttonAtIndex(alert->firstOtherButtonIndex());
    EXPECT_FALSE(ok->isEnabled());
    host->typeText("科目");
    EXPECT_EQ(alert->textFieldAtIndex(0)->text(), NSString("科目"));
    EXPECT_TRUE(ok->isEnabled());
    host->typeText("一");
    EXPECT_THROW(alert->textFieldAtIndex(1), NSException);
    ASSERT_TRUE(host->tap(ok));
    host->runUntilIdle();
    EXPECT_EQ(recorder->log.back(), "didDismiss 输入 1");
    EXPECT_EQ(alert->textFieldAtIndex(0)->text(), NSString("科目一"));
    EXPECT_EQ(host->keyWindow(), UIApplication::sharedApplication()->keyWindow()) << "the screen's window is key again";
}

TEST_F(AlertScreen, returnTapsTheButtonThatGoesAheadAndEscapeTheCancelButton)
{
    const auto answered = [&](const UIAlertViewRef& alert, UIKeyboardKey key) {
        alert->show();
        host->runUntilIdle();
        const bool taken = host->pressKey(key);
        host->runUntilIdle();
        return taken ? recorder->log[recorder->log.size() - 3] : std::string("not taken");
    };
    EXPECT_EQ(answered(makeAlert("确认", 1), UIKeyboardKey::Return), "clicked 1 tag 1");
    EXPECT_EQ(answered(makeAlert("确认", 2), UIKeyboardKey::Escape), "clicked 0 tag 2");
    auto lone = UIAlertView::create(NSString("提示"), NSString("取消约车成功!"), recorder, NSString("确定"), std::vector<NSString> {});
    lone->setTag(3);
    EXPECT_EQ(answered(lone, UIKeyboardKey::Return), "clicked 0 tag 3");
    // Escape leaves a field for the alert's cancel button too.
    auto asking = makeAlert("输入", 4);
    asking->setAlertViewStyle(UIAlertViewStyle::PlainTextInput);
    EXPECT_EQ(answered(asking, UIKeyboardKey::Escape), "clicked 0 tag 4");
    EXPECT_EQ(screenTaps, 0);
}

TEST_F(AlertScreen, loginAndPasswordFieldsTakeTurnsOnReturn)
{
    auto alert = makeAlert("登录", 0);
    alert->setAlertViewStyle(UIAlertViewStyle::LoginAndPasswordInput);
    alert->show();
    host->runUntilIdle();
    host->typeText("user");
    host->pressReturn();
    host->typeText("secret");
    EXPECT_EQ(alert->textFieldAtIndex(0)->text(), NSString("user"));
    EXPECT_EQ(alert->textFieldAtIndex(1)->text(), NSString("secret"));
    EXPECT_TRUE(alert->textFieldAtIndex(1)->isSecureTextEntry());
    EXPECT_FALSE(alert->textFieldAtIndex(0)->isSecureTextEntry());
    host->pressReturn(); // Return in the last field taps the first other button
    host->runUntilIdle();
    EXPECT_EQ(recorder->log.back(), "didDismiss 登录 1");
}

TEST_F(AlertScreen, aFreshDeviceForgetsTheAlertsOfTheOldOne)
{
    makeAlert("旧", 0)->show();
    makeAlert("等待", 0)->show();
    host->runUntilIdle();
    host = HeadlessHost::create();
    host->showRootViewController(UIViewController::create());
    auto fresh = makeAlert("新", 0);
    fresh->show();
    host->runUntilIdle();
    EXPECT_TRUE(fresh->isVisible()) << "not in line behind an alert of the old device";
    EXPECT_TRUE(host->tap(host->findViewWithText("取消")));
    host->runUntilIdle();
    EXPECT_EQ(recorder->log.back(), "didDismiss 新 0");
}

TEST(AlertButtons, areNumberedCancelFirstThenOthersInOrder)
{
    auto host = HeadlessHost::create();
    auto alert = UIAlertView::create(NSString("标题"), NSString(), nullptr, NSString(), std::vector<NSString> { "甲", "乙" });
    EXPECT_EQ(alert->cancelButtonIndex(), -1);
    EXPECT_EQ(alert->firstOtherButtonIndex(), 0);
    EXPECT_EQ(alert->addButtonWithTitle("丙"), 2);
    alert->setCancelButtonIndex(2);
    EXPECT_EQ(alert->numberOfButtons(), 3);
    EXPECT_EQ(alert->buttonTitleAtIndex(1), NSString("乙"));
    EXPECT_TRUE(alert->buttonTitleAtIndex(3).isNil());
    alert->setCancelButtonIndex(9);
    EXPECT_EQ(alert->cancelButtonIndex(), -1);

    // Stacked: the cancel button sits at the bottom.
    alert->setCancelButtonIndex(0);
    alert->setFrame(CGRectMake(0, 0, UIAlertView::kWidth, alert->sizeThatFits(CGSizeZero).height));
    alert->layoutIfNeeded();
    EXPECT_GT(alert->buttonAtIndex(0)->frame().origin.y, alert->buttonAtIndex(2)->frame().origin.y);
    EXPECT_GT(alert->buttonAtIndex(2)->frame().origin.y, alert->buttonAtIndex(1)->frame().origin.y);
    EXPECT_FALSE(alert->buttonAtIndex(3));
}

TEST_F(AlertScreen, looksLikeAnAlertOverADimmedScreen)
{
    auto alert = makeAlert("提示", 0);
    alert->show();
    host->runUntilIdle();
    const auto path = std::filesystem::temp_directory_path() / "corvane-alert.png";
    ASSERT_TRUE(host->writePNG(path.string()));

    const auto corner = host->pixelAt(CGPointMake(10, 30));
    EXPECT_NEAR(corner[0], 153, 4) << "white dimmed by 40 % black";
    const CGRect frame = alert->frame();
    const auto panel = host->pixelAt(CGPointMake(CGRectGetMinX(frame) + 4, CGRectGetMidY(frame)));
    EXPECT_NEAR(panel[0], 247, 3);
    // The title is dark ink on the panel; "确定" is the platform's blue.
    bool dark = false, blue = false;
    for (CGFloat x = frame.origin.x; x < CGRectGetMaxX(frame); x += 1) {
        for (CGFloat y = frame.origin.y + 20; y < frame.origin.y + 40; y += 1)
            dark = dark || host->pixelAt(CGPointMake(x, y))[0] < 80;
        const auto pixel = host->pixelAt(CGPointMake(x, CGRectGetMaxY(frame) - 22));
        blue = blue || (pixel[2] > 200 && pixel[0] < 120);
    }
    EXPECT_TRUE(dark);
    EXPECT_TRUE(blue);
}

#include "WidgetScreen.h"

#include "library/widgets/hud/STProgressHUD.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/text/UIStringDrawing.h"
#include "platform/uikit/UITapGestureRecognizer.h"

#include <cmath>

namespace {

class ProgressHUD : public WidgetScreenTest {
protected:
    static std::shared_ptr<STProgressHUD> hud() { return STProgressHUD::sharedView(); }
    static bool panelShown() { return hud()->superview() && hud()->alpha() == 1; }
    static NSString panelText() { return hud()->stringLabel()->text(); }
};

TEST_F(ProgressHUD, fadesInShowsASuccessTextAndIsGoneOneSecondLater)
{
    STProgressHUD::showInView(screen(), "正在提交...");
    EXPECT_EQ(hud()->superview(), screen());
    EXPECT_TRUE(networkIndicatorOn());
    EXPECT_TRUE(hud()->spinnerView()->isAnimating());
    host->advance(0.2);
    EXPECT_TRUE(panelShown());
    EXPECT_EQ(hud()->center().x, 160);
    EXPECT_EQ(hud()->center().y, std::floor(screen()->bounds().size.height / 2));

    STProgressHUD::dismissWithSuccess("提交成功", 1.0);
    EXPECT_FALSE(networkIndicatorOn());
    EXPECT_EQ(panelText(), "提交成功");
    EXPECT_FALSE(hud()->spinnerView()->isAnimating());
    EXPECT_FALSE(hud()->imageView()->isHidden());
    EXPECT_NE(hud()->imageView()->image(), nullptr); // the rendered drawing from the bundle
    host->advance(0.95);
    EXPECT_TRUE(panelShown());
    host->advance(0.1);  // the timer fires at 1.0 s
    host->advance(0.2);  // and the fade of 0.15 s ends
    EXPECT_EQ(hud()->superview(), nullptr);
}

TEST_F(ProgressHUD, panelWidthFollowsTheTextAndTheSpinnerCentresWithoutOne)
{
    hud()->setStatus(NSString());
    EXPECT_EQ(hud()->bounds().size.width, 100);
    EXPECT_EQ(hud()->spinnerView()->center().y, 50.5);
    const NSString longText = "正在出题，请稍候...正在出题";
    const CGFloat width = UIStringDrawing::sizeWithFont(longText, UIFont::boldSystemFontOfSize(16)).width;
    hud()->setStatus(longText);
    ASSERT_GT(width + 28, 100);
    EXPECT_EQ(hud()->bounds().size.width, 2 * std::ceil((width + 28) / 2));
    EXPECT_EQ(hud()->spinnerView()->center().y, 40.5);
    EXPECT_EQ(hud()->stringLabel()->frame(), CGRectMake(0, 66, hud()->bounds().size.width, 20));
}

TEST_F(ProgressHUD, showWithoutAViewSitsALittleAboveTheMiddleOfTheRootView)
{
    STProgressHUD::show();
    const CGFloat h = screen()->bounds().size.height;
    EXPECT_EQ(hud()->superview(), screen());
    EXPECT_EQ(hud()->center().y, std::floor(h / 2) - std::floor(h / 18));
}

TEST_F(ProgressHUD, twoRequestsOnOneScreenKeepTheSecondsErrorText)
{
    STProgressHUD::showInView(screen());            // request A
    STProgressHUD::showInView(screen(), "加载中");   // request B
    host->advance(0.2);
    STProgressHUD::dismiss();                       // A answers
    EXPECT_TRUE(networkIndicatorOn()) << "B still waits";
    host->advance(0.3);
    EXPECT_EQ(hud()->superview(), nullptr);

    STProgressHUD::dismissWithError("网络连接失败", 1.0); // B fails after the panel went
    EXPECT_FALSE(networkIndicatorOn());
    host->advance(0.2);
    EXPECT_TRUE(panelShown());
    EXPECT_EQ(panelText(), "网络连接失败");
    EXPECT_NE(host->findViewWithText("网络连接失败"), nullptr);
    host->advance(1.2);
    EXPECT_EQ(hud()->superview(), nullptr);
}

TEST_F(ProgressHUD, aShowSoonAfterADismissKeepsThePanelAndAShowCancelsAWaitingResult)
{
    STProgressHUD::showInView(screen());
    host->advance(0.2);
    STProgressHUD::dismiss();
    host->advance(0.05);
    STProgressHUD::showInView(screen(), "再来");
    host->advance(0.5);
    EXPECT_TRUE(panelShown());

    STProgressHUD::dismissWithError("失败", 1.0);
    STProgressHUD::showInView(screen(), "重试中");
    EXPECT_EQ(hud()->fadeOutTimer(), nullptr);
    EXPECT_TRUE(hud()->imageView()->isHidden());
    host->advance(2);
    EXPECT_TRUE(panelShown());
    EXPECT_EQ(panelText(), "重试中");
}

TEST_F(ProgressHUD, aResultWithNothingEverShownShowsNothing)
{
    STProgressHUD::dismissWithError("失败", 1.0);
    EXPECT_FALSE(networkIndicatorOn());
    host->advance(2);
    EXPECT_EQ(hud()->superview(), nullptr);
}

TEST_F(ProgressHUD, theIndicatorForgetsShowsWhoseScreenHasGone)
{
    auto other = UIView::create(CGRectMake(0, 0, 320, 568));
    screen()->addSubview(other);
    STProgressHUD::showInView(other);
    other->removeFromSuperview();
    other.reset();
    STProgressHUD::showInView(screen());
    STProgressHUD::dismiss();
    EXPECT_FALSE(networkIndicatorOn());
}

TEST_F(ProgressHUD, memoryWarningReleasesOnlyAHiddenPanelWithNothingPending)
{
    const auto first = hud();
    STProgressHUD::showInView(screen());
    NSNotificationCenter::defaultCenter()->postNotificationName(UIApplicationDidReceiveMemoryWarningNotification, nullptr);
    EXPECT_EQ(hud(), first) << "a panel on screen stays";

    STProgressHUD::dismissWithError("失败", 1.0);
    STProgressHUD::dismiss();
    host->advance(0.3);
    ASSERT_EQ(first->superview(), nullptr);
    ASSERT_NE(first->fadeOutTimer(), nullptr);
    NSNotificationCenter::defaultCenter()->postNotificationName(UIApplicationDidReceiveMemoryWarningNotification, nullptr);
    EXPECT_EQ(hud(), first) << "a panel waiting for its timer is kept, so no second one appears";

    host->advance(1.5);
    NSNotificationCenter::defaultCenter()->postNotificationName(UIApplicationDidReceiveMemoryWarningNotification, nullptr);
    EXPECT_NE(hud(), first);
}

TEST_F(ProgressHUD, maskTwoDimsAndBlocksTheViewUntilTheDismissEnds)
{
    int taps = 0;
    auto button = UIView::create(CGRectMake(0, 0, 320, 100));
    button->addGestureRecognizer(UITapGestureRecognizer::create([&](UIGestureRecognizer&) { ++taps; }));
    screen()->addSubview(button);
    hud()->showInViewStatus(screen(), "请稍候", true, 300, 2);
    host->advance(0.2);
    host->tap(CGPointMake(160, 50));
    EXPECT_EQ(taps, 0);
    const auto veil = host->pixelAt(CGPointMake(10, 500));
    EXPECT_LT(veil[0], 140);
    STProgressHUD::dismiss();
    host->advance(0.3);
    host->tap(CGPointMake(160, 50));
    EXPECT_EQ(taps, 1);
}

} // namespace

#include "app/screens/base/UtilityFunc.h"

#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIDevice.h"
#include "platform/uikit/UIScreen.h"

#include <algorithm>

bool UtilityFunc::is4InchScreen()
{
    static const bool fourInch = UIScreen::mainScreen()->bounds().size.height == 568;
    return fourInch;
}

void UtilityFunc::label(const std::shared_ptr<UILabel>& label, double setMiniFontSize, NSInteger)
{
    if (!label)
        return;
    label->setAdjustsFontSizeToFitWidth(true);
    const CGFloat pointSize = label->font() ? label->font()->pointSize() : 0;
    if (pointSize > 0)
        label->setMinimumScaleFactor(setMiniFontSize / pointSize);
    // Letter spacing shrinks too only below version 7.0, which this platform never reports.
}

void UtilityFunc::cancelPerformRequestAndNotification(const NSObject* object)
{
    if (!object)
        return;
    DelayedPerform::cancelPreviousPerformRequestsWithTarget(object);
    NSNotificationCenter::defaultCenter()->removeObserver(object);
}

void UtilityFunc::resetScrlView(const std::shared_ptr<UIScrollView>& scrollView, bool contentInsetWithNaviBar, bool tabBar,
    NSInteger iOS7ContentInsetStatusBarHeight, NSInteger inidcatorInsetStatusBarHeight)
{
    if (!scrollView)
        return;
    const CGRect statusBar = UIApplication::sharedApplication()->statusBarFrame();
    const CGFloat s = std::min(statusBar.size.height, statusBar.size.width);
    CGFloat top = (contentInsetWithNaviBar ? 44 : 0) + s;
    CGFloat indicatorTop = top;
    if (UIDevice::currentDevice()->systemVersion().floatValue() >= 7.0f) {
        top += CGFloat(iOS7ContentInsetStatusBarHeight) * s;
        indicatorTop += CGFloat(inidcatorInsetStatusBarHeight) * s;
    }
    const CGFloat bottom = tabBar ? 49 : 0;
    UIEdgeInsets inset = scrollView->contentInset();
    UIEdgeInsets indicators = scrollView->scrollIndicatorInsets();
    inset.top += top;
    inset.bottom += bottom;
    indicators.top += indicatorTop;
    indicators.bottom += bottom;
    scrollView->setContentInset(inset);
    scrollView->setScrollIndicatorInsets(indicators);
    CGPoint offset = scrollView->contentOffset();
    offset.y -= top;
    scrollView->setContentOffset(offset);
}

// The members of the screen base that no screen uses yet: dragging back, the text bar button,
// laying the bar and its search out again, the shared utility operations and the four spare bases.
#include "app/screens/base/CustomNaviBarSearchController.h"
#include "app/screens/base/CustomNavigationController.h"
#include "app/screens/base/CustomViewController.h"
#include "app/screens/base/NoXibSlideMenuViewController.h"
#include "app/screens/base/UnderlayNavigationBar.h"
#include "app/screens/base/UtilityFunc.h"
#include "app/screens/base/XibViewController.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/TypedValues.h"
#include "platform/host/HeadlessHost.h"
#include "platform/text/UIFont.h"
#include "platform/text/UIStringDrawing.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIDevice.h"
#include "platform/uikit/UIScreen.h"

#include <gtest/gtest.h>

namespace {

class PlainScreen : public NoXibViewController {
    NS_OBJECT(PlainScreen, NoXibViewController)
};

class TextSizeScreen : public NoXibSlideMenuViewController {
    NS_OBJECT(TextSizeScreen, NoXibSlideMenuViewController)
public:
    void contentSizeDidChange(const NSString& category) override { categories.push_back(category); }
    std::vector<NSString> categories;
};

class ScreenBaseMembers : public testing::Test {
protected:
    void SetUp() override { host = HeadlessHost::create(); }
    std::shared_ptr<HeadlessHost> host;
};

} // namespace

TEST_F(ScreenBaseMembers, aScreenSwitchesTheEdgeSwipeBackOfItsNavigationController)
{
    auto root = PlainScreen::create();
    auto navigation = CustomNavigationController::create(root);
    host->showRootViewController(navigation);
    auto second = PlainScreen::create();
    navigation->pushViewController(second, false);
    host->runUntilIdle();
    second->navigationCanDragBack(false);
    EXPECT_FALSE(navigation->interactivePopGestureRecognizer()->isEnabled());
    second->navigationCanDragBack(true);
    EXPECT_TRUE(navigation->interactivePopGestureRecognizer()->isEnabled());
    PlainScreen::create()->navigationCanDragBack(false); // on no stack: nothing
}

TEST_F(ScreenBaseMembers, theTextButtonStandsLeftOfTheRightPlaceAndTheBarLaysItselfOutAgain)
{
    auto button = CustomNaviBarView::createNormalNaviBarBtnByTxt("完成");
    const CGFloat textWidth = UIStringDrawing::sizeWithFont("完成", UIFont::systemFontOfSize(13)).width;
    EXPECT_DOUBLE_EQ(button->frame().origin.x, 275);
    EXPECT_DOUBLE_EQ(button->frame().origin.y, 24);
    EXPECT_DOUBLE_EQ(button->frame().size.width, textWidth);
    EXPECT_DOUBLE_EQ(button->frame().size.height, 30);

    auto bar = CustomNaviBarView::create(CGRectMake(0, 0, 320, 64));
    auto wide = UIButton::buttonWithType(UIButtonTypeCustom);
    wide->setFrame(CGRectMake(0, 0, 50, 30));
    bar->setRightBtn(wide);
    bar->setFrame(CGRectMake(0, 0, 100, 64));
    bar->m_labelTitle()->setFrame(CGRectZero);
    wide->setFrame(CGRectMake(0, 0, 50, 30));
    const CGRect left = bar->m_btnLeft()->frame();
    bar->inViewsFrameAtOrientation();
    EXPECT_DOUBLE_EQ(bar->frame().size.width, 320);
    EXPECT_TRUE(CGRectEqualToRect(bar->m_labelTitle()->frame(), CustomNaviBarView::titleViewFrame()));
    EXPECT_TRUE(CGRectEqualToRect(wide->frame(), CGRectMake(255, 24, 50, 30)));
    EXPECT_TRUE(CGRectEqualToRect(bar->m_btnLeft()->frame(), left));
}

TEST_F(ScreenBaseMembers, theSearchStripLaysItselfOutAgainForEachMode)
{
    auto screen = PlainScreen::create();
    host->showRootViewController(screen);
    auto search = CustomNaviBarSearchController::create(std::static_pointer_cast<ParentViewController>(screen));
    search->showTempSearchCtrl();
    host->runUntilIdle();
    search->searchBar()->setFrame(CGRectZero);
    search->inViewsFrameAtOrientation();
    const CGRect right = CustomNaviBarView::rightBtnFrame();
    EXPECT_TRUE(CGRectEqualToRect(search->searchBar()->frame(), CGRectMake(0, 0, right.origin.x - 2, 44)));
    EXPECT_TRUE(CGRectEqualToRect(search->cancelButton()->frame(), CGRectMake(right.origin.x, 0, right.size.width, 44)));
    search->endWorking();
    search->searchBar()->setFrame(CGRectZero);
    search->inViewsFrameAtOrientation();
    EXPECT_DOUBLE_EQ(search->searchBar()->frame().size.width, 320);
    search->removeSearchCtrl();
}

TEST_F(ScreenBaseMembers, utilityOperationsShrinkLabelsCleanUpAfterAScreenAndMakeRoomForBars)
{
    UtilityFunc::label(nullptr, 8, 1);
    auto label = UILabel::create(CGRectMake(0, 0, 30, 20));
    label->setFont(UIFont::systemFontOfSize(12));
    UtilityFunc::label(label, 8, 1);
    EXPECT_TRUE(label->adjustsFontSizeToFitWidth());
    EXPECT_DOUBLE_EQ(label->minimumScaleFactor(), 8.0 / 12.0);

    // A screen's delayed performs and observations end with it.
    auto target = NSObject::create();
    int performed = 0, heard = 0;
    DelayedPerform::performSelector(target, "tick", nullptr, 0.5, [&] { ++performed; });
    NSNotificationCenter::defaultCenter()->addObserver(target, [&](const std::shared_ptr<NSNotification>&) { ++heard; }, "ping", nullptr);
    UtilityFunc::cancelPerformRequestAndNotification(target.get());
    UtilityFunc::cancelPerformRequestAndNotification(nullptr);
    host->advance(1);
    NSNotificationCenter::defaultCenter()->postNotificationName("ping", nullptr);
    EXPECT_EQ(performed, 0);
    EXPECT_EQ(heard, 0);

    const CGRect status = UIApplication::sharedApplication()->statusBarFrame();
    const CGFloat s = std::min(status.size.width, status.size.height);
    auto scroll = UIScrollView::create(CGRectMake(0, 0, 320, 480));
    scroll->setScrollIndicatorInsets(UIEdgeInsetsMake(1, 0, 0, 0));
    UtilityFunc::resetScrlView(scroll, true, true);
    EXPECT_DOUBLE_EQ(scroll->contentInset().top, 44 + s);
    EXPECT_DOUBLE_EQ(scroll->contentInset().bottom, 49);
    EXPECT_DOUBLE_EQ(scroll->scrollIndicatorInsets().top, 1 + 44 + s);
    EXPECT_DOUBLE_EQ(scroll->contentOffset().y, -(44 + s));
    UtilityFunc::resetScrlView(nullptr, true, true);

    auto saved = UIDevice::currentDevice()->systemVersion();
    UIDevice::currentDevice()->setSystemVersion("7.0");
    auto plain = UIScrollView::create(CGRectMake(0, 0, 320, 480));
    UtilityFunc::resetScrlView(plain, false, false, 1, 2);
    EXPECT_DOUBLE_EQ(plain->contentInset().top, 2 * s);
    EXPECT_DOUBLE_EQ(plain->scrollIndicatorInsets().top, 3 * s);
    UIDevice::currentDevice()->setSystemVersion(saved);
}

TEST_F(ScreenBaseMembers, theSpareBasesLayOutHearTextSizesAndKeepTheUnderlayBehindTheItems)
{
    auto custom = CustomViewController::create();
    EXPECT_TRUE(custom->wantsFullScreenLayout());
    host->showRootViewController(custom);
    EXPECT_FALSE(custom->view()->subviews().empty());
    auto xib = XibViewController::create();
    EXPECT_EQ(xib->edgesForExtendedLayout(), NSUInteger(UIRectEdgeAll));
    host->showRootViewController(xib);
    EXPECT_FALSE(xib->view()->subviews().empty());

    auto screen = TextSizeScreen::create();
    host->showRootViewController(screen);
    NSNotificationCenter::defaultCenter()->postNotificationName(NoXibSlideMenuViewController::kContentSizeCategoryDidChangeNotification,
        nullptr, ns::dictionary({ { NoXibSlideMenuViewController::kContentSizeCategoryNewValueKey, NSString("UICTContentSizeCategoryL") } }));
    ASSERT_EQ(screen->categories.size(), 1u);
    EXPECT_EQ(screen->categories[0], NSString("UICTContentSizeCategoryL"));

    auto bar = UnderlayNavigationBar::create(CGRectMake(0, 0, 320, 44));
    auto first = UIView::create(CGRectZero);
    auto second = UIView::create(CGRectZero);
    bar->addSubview(first);
    bar->addSubview(second);
    const auto& underlay = bar->underlayView();
    EXPECT_TRUE(CGRectEqualToRect(underlay->frame(), CGRectMake(0, -20, 320, 64)));
    EXPECT_NEAR(underlay->alpha(), 0.36, 1e-6);
    EXPECT_FALSE(underlay->isUserInteractionEnabled());
    const auto subviews = bar->subviews();
    ASSERT_GE(subviews.size(), 3u);
    EXPECT_EQ(subviews[1], underlay);
    EXPECT_EQ(subviews.back(), second);
}

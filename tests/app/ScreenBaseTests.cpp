#include "app/AppDelegate.h"
#include "app/screens/base/CustomNaviBarSearchController.h"
#include "app/screens/base/DesktopViewCell.h"
#include "app/screens/base/InsetsLabel.h"
#include "app/screens/base/ParentViewController.h"
#include "app/screens/base/ScreenImages.h"
#include "app/screens/settings/WebViewViewController.h"
#include "app/services/ServiceRoad.h"
#include "library/payment/OrbipaySDK.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/TypedValues.h"
#include "platform/host/HeadlessHost.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIImage.h"

#include <gtest/gtest.h>

namespace {

void expectRect(CGRect actual, CGRect expected)
{
    EXPECT_DOUBLE_EQ(actual.origin.x, expected.origin.x);
    EXPECT_DOUBLE_EQ(actual.origin.y, expected.origin.y);
    EXPECT_DOUBLE_EQ(actual.size.width, expected.size.width);
    EXPECT_DOUBLE_EQ(actual.size.height, expected.size.height);
}

class Screen : public NoXibViewController {
    NS_OBJECT(Screen, NoXibViewController)
};

class ScreenBase : public testing::Test {
protected:
    void SetUp() override { host = HeadlessHost::create(); }
    std::shared_ptr<HeadlessHost> host;
};

std::shared_ptr<UIAlertView> shownAlert(HeadlessHost& host)
{
    host.advance(0.5);
    return std::dynamic_pointer_cast<UIAlertView>(host.findView([](UIView& view) { return dynamic_cast<UIAlertView*>(&view) != nullptr; }));
}

} // namespace

TEST_F(ScreenBase, theBarsFramesOnAPortraitPhoneAndItsButtonsPlaces)
{
    expectRect(CustomNaviBarView::rightBtnFrame(), CGRectMake(285, 24, 30, 30));
    expectRect(CustomNaviBarView::leftBtnFrame(), CGRectMake(5, 27, 30, 30));
    expectRect(CustomNaviBarView::titleViewFrame(), CGRectMake(35, 24, 250, 36));

    auto bar = CustomNaviBarView::create(CGRectMake(0, 0, 320, 64));
    auto wide = UIButton::buttonWithType(UIButtonTypeCustom);
    wide->setFrame(CGRectMake(0, 0, 50, 30));
    bar->setRightBtn(wide);
    expectRect(wide->frame(), CGRectMake(255, 24, 50, 30));
    auto narrow = UIButton::buttonWithType(UIButtonTypeCustom);
    narrow->setFrame(CGRectMake(0, 0, 20, 20));
    bar->setRightBtn(narrow);
    expectRect(narrow->frame(), CGRectMake(285, 24, 30, 30));
    EXPECT_FALSE(wide->superview());

    bar->setLeftBtn(nullptr);
    EXPECT_FALSE(bar->m_btnLeft());
    EXPECT_FALSE(bar->m_btnBack()->superview());
    bar->setRightBtn(nullptr);
    EXPECT_FALSE(narrow->superview());
}

TEST_F(ScreenBase, factoryButtonsCentreTheirPictureWithInsetsOnlyForGapsOfTwoOrMore)
{
    // 20 points: a gap of 5 each side, halved.
    auto icon = CustomNaviBarView::createImgNaviBarBtnByImgNormal("cv_adm_ico0", NSString(), NSString());
    EXPECT_DOUBLE_EQ(icon->imageEdgeInsets().left, 2.5);
    EXPECT_DOUBLE_EQ(icon->imageEdgeInsets().top, 2.5);
    EXPECT_DOUBLE_EQ(icon->titleEdgeInsets().left, -20);
    // 30 points: no gap at all.
    auto full = CustomNaviBarView::createImgNaviBarBtnByImgNormal("setup_nor", NSString(), NSString());
    EXPECT_DOUBLE_EQ(full->imageEdgeInsets().left, 0);
    // Without a highlight picture the normal one shows when pressed.
    EXPECT_EQ(full->imageForState(UIControlStateHighlighted), full->imageForState(UIControlStateNormal));
    auto titled = CustomNaviBarView::createNormalNaviBarBtnByTitle("取消");
    EXPECT_EQ(titled->titleForState(UIControlStateNormal), NSString("取消"));
}

TEST_F(ScreenBase, theBackButtonPopsItsScreenAndDoesNothingWithoutOne)
{
    auto bar = CustomNaviBarView::create(CGRectMake(0, 0, 320, 64));
    UIButton& back = *bar->m_btnBack();
    bar->btnBack(back); // no owning screen: nothing happens

    auto root = Screen::create();
    auto navigation = CustomNavigationController::create(root);
    host->showRootViewController(navigation);
    EXPECT_TRUE(navigation->navigationBar()->isHidden());
    auto second = Screen::create();
    navigation->pushViewController(second, false);
    host->runUntilIdle();
    ASSERT_TRUE(host->tap(second->m_viewNaviBar()->m_btnBack()));
    host->runUntilIdle();
    EXPECT_EQ(navigation->topViewController(), root);
}

TEST_F(ScreenBase, aHiddenBarGivesContentTheWholeScreenAndCoverViewsHideTheItems)
{
    auto screen = Screen::create();
    host->showRootViewController(screen);
    expectRect(screen->getNaviBarRect(), CGRectMake(0, 0, 320, 64));
    auto bar = screen->m_viewNaviBar();
    screen->naviBarAddCoverView(nullptr);
    EXPECT_FALSE(bar->m_labelTitle()->isHidden());
    auto cover = UIView::create(CGRectMake(0, 20, 320, 44));
    screen->naviBarAddCoverView(cover);
    EXPECT_TRUE(bar->m_labelTitle()->isHidden());
    EXPECT_TRUE(bar->m_btnLeft()->isHidden());
    screen->naviBarRemoveCoverView(cover);
    EXPECT_FALSE(bar->m_labelTitle()->isHidden());
    EXPECT_FALSE(cover->superview());
    screen->naviBarAddCoverViewOnTitleView(cover);
    expectRect(cover->frame(), CustomNaviBarView::titleViewFrame());
    screen->hideNaviBar(true);
    expectRect(screen->getNaviBarRect(), CGRectZero);
    screen->hideStatusBar(true);
    EXPECT_TRUE(screen->prefersStatusBarHidden());
}

TEST_F(ScreenBase, aHomeTilePlacesItsIconAndNameAsOneCentredBlock)
{
    auto cell = DesktopViewCell::create();
    cell->setName("查学时");
    cell->initUI(CGRectMake(10, 10, 100, 100));
    expectRect(cell->iconView()->frame(), CGRectMake(20, 7, 60, 60));
    expectRect(cell->nameView()->frame(), CGRectMake(1, 72, 98, 21));
    EXPECT_EQ(cell->nameView()->text(), NSString("查学时"));
    cell->setIcon("ico01");
    EXPECT_TRUE(cell->iconView()->image());
    auto label = InsetsLabel::create(CGRectMake(0, 0, 100, 21), UIEdgeInsetsMake(0, 10, 0, 10));
    EXPECT_DOUBLE_EQ(label->insets().left, 10);
}

TEST_F(ScreenBase, callBackQueriesBecomeTheResultAndOnlyAPendingPaymentIsAnswered)
{
    auto result = OrbipaySDK::resultDictionaryFromURL(
        NSURL::URLWithString("corvaneOrbipayCallback://payresult?resultStatus=9000&memo=%E5%B7%B2%E6%94%AF%E4%BB%98+ok&flag&bad=%25E"));
    EXPECT_EQ(ns::stringForKey(result, "resultStatus"), NSString("9000"));
    EXPECT_EQ(ns::stringForKey(result, "memo"), NSString("已支付 ok"));
    EXPECT_EQ(ns::stringForKey(result, "flag"), NSString(""));
    EXPECT_EQ(ns::stringForKey(result, "bad"), NSString("%E"));
    EXPECT_EQ(OrbipaySDK::resultDictionaryFromURL(nullptr)->count(), 0u);

    auto sdk = OrbipaySDK::create();
    int standby = 0, started = 0;
    auto url = NSURL::URLWithString("corvaneOrbipayCallback://payresult?resultStatus=9000");
    sdk->processOrderWithPaymentResult(url, [&](const std::shared_ptr<NSDictionary>&) { ++standby; });
    EXPECT_EQ(standby, 0);
    sdk->beginPayment([&](const std::shared_ptr<NSDictionary>&) { ++started; });
    sdk->processOrderWithPaymentResult(url, [&](const std::shared_ptr<NSDictionary>&) { ++standby; });
    EXPECT_EQ(started, 1);
    EXPECT_EQ(standby, 0);
    EXPECT_FALSE(sdk->isPaymentPending());
    // An authorisation goes to the standby block when nothing waits for it.
    sdk->processAuthResult(NSURL::URLWithString("corvaneOrbipayCallback://authresult?resultStatus=9000"),
        [&](const std::shared_ptr<NSDictionary>&) { ++standby; });
    EXPECT_EQ(standby, 1);
}

TEST_F(ScreenBase, forcedReloginTellsTimeOutFromLoginElsewhereAndPaymentResultsEndInAlerts)
{
    auto application = AppDelegate::create();
    ASSERT_TRUE(host->launch(application));
    host->runUntilIdle();
    auto center = NSNotificationCenter::defaultCenter();
    center->postNotificationName(kCorvaneRestartNotification, ns::number(-3));
    auto alert = shownAlert(*host);
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->message(), NSString("长时间未操作，请重新登录！"));
    alert->dismissWithClickedButtonIndex(0, false);
    center->postNotificationName(kCorvaneRestartNotification, nullptr);
    alert = shownAlert(*host);
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->message(), NSString("您的账户从其他地方登录，请重新登录！"));
    alert->dismissWithClickedButtonIndex(0, false);
    host->runUntilIdle();

    application->payResult(ns::dictionary({ { "resultStatus", NSString("9000") }, { "memo", NSString("x") } }));
    alert = shownAlert(*host);
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->message(), NSString("充值成功"));
    alert->dismissWithClickedButtonIndex(0, false);
    host->runUntilIdle();
    application->payResult(ns::dictionary({ { "resultStatus", NSString("4000") }, { "memo", NSString("订单支付失败") } }));
    alert = shownAlert(*host);
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->message(), NSString("订单支付失败"));
    // Any other host is answered YES and changes nothing.
    EXPECT_EQ(application->openURL(*UIApplication::sharedApplication(), NSURL::URLWithString("corvaneOrbipayCallback://other"), "x", nullptr),
        std::optional<bool>(true));
}

// A stretchable picture is drawn again at its view's size; at the picture's own size that would
// only hold its pixels twice.
TEST_F(ScreenBase, aPictureShownAtItsOwnSizeIsNotCopiedIntoAStretchableOne)
{
    auto banner = UIImage::imageNamed("ic_photo1");
    ASSERT_TRUE(banner);
    EXPECT_FALSE(imageNamedForSize("ic_photo1", banner->size())->isResizable());
    EXPECT_TRUE(imageNamedForSize("ic_photo1", CGSizeMake(banner->size().width + 55, banner->size().height))->isResizable());
    EXPECT_FALSE(imageNamedForSize("no-such-picture", CGSizeMake(10, 10)));
}

TEST_F(ScreenBase, aLocalPageLoadsEachTimeItShowsAndAMissingOneSaysSo)
{
    auto page = WebViewViewController::create();
    page->setData(ns::dictionary({ { "title", NSString("驾车宝典") }, { "url", NSString("xinshou") } }));
    host->showRootViewController(page);
    host->runUntilIdle();
    EXPECT_EQ(page->m_viewNaviBar()->m_labelTitle()->text(), NSString("驾车宝典"));
    EXPECT_NE(page->pageText().UTF8String().find("新手上路最容易犯的错"), std::string::npos);

    auto missing = WebViewViewController::create();
    missing->setData(ns::dictionary({ { "title", NSString("驾车法规") }, { "url", NSString("no-such-page") } }));
    host->showRootViewController(missing);
    host->advance(0.3);
    EXPECT_TRUE(missing->pageText().isNil());
    EXPECT_TRUE(host->findViewWithText("加载失败!"));
}

namespace {

class SearchDelegate : public NSObject, public CustomNaviBarSearchControllerDelegate {
    NS_OBJECT(SearchDelegate, NSObject)
public:
    void naviBarSearchCtrlSearchKeyword(CustomNaviBarSearchController&, const NSString& keyword) override { keywords.push_back(keyword); }
    void naviBarSearchCtrlCancel(CustomNaviBarSearchController&) override { ++cancels; }
    void naviBarSearchCtrlClearKeywordRecord(CustomNaviBarSearchController&) override { ++clears; }
    std::vector<NSString> keywords;
    int cancels { 0 };
    int clears { 0 };
};

} // namespace

TEST_F(ScreenBase, theBarSearchHandsOnTrimmedKeywordsAndShowsRecentOnesOnlyWhenThereAreAny)
{
    auto screen = Screen::create();
    host->showRootViewController(screen);
    auto search = CustomNaviBarSearchController::create(std::static_pointer_cast<ParentViewController>(screen));
    auto delegate = SearchDelegate::create();
    search->setDelegate(delegate);

    // No recent keywords: cover and cancel button, no list.
    search->showTempSearchCtrl();
    host->runUntilIdle();
    EXPECT_TRUE(search->isWorking());
    EXPECT_FALSE(search->cancelButton()->isHidden());
    EXPECT_TRUE(search->cover()->superview());
    EXPECT_FALSE(search->tableView());

    // Blanks only: the field empties and the search stays open.
    search->setKeyword("   ");
    search->searchBarSearchButtonClicked(*search->searchBar());
    EXPECT_TRUE(search->isWorking());
    EXPECT_TRUE(delegate->keywords.empty());
    search->setKeyword("  科目一 ");
    search->searchBarSearchButtonClicked(*search->searchBar());
    ASSERT_EQ(delegate->keywords.size(), 1u);
    EXPECT_EQ(delegate->keywords[0], NSString("科目一"));
    EXPECT_FALSE(search->isWorking());
    EXPECT_FALSE(search->cover()->superview());

    const std::vector<NSString> recent { "科目一", "倒车入库" };
    search->setRecentKeyword(&recent);
    search->startSearch();
    host->runUntilIdle();
    ASSERT_TRUE(search->tableView());
    EXPECT_EQ(search->numberOfRowsInSection(*search->tableView(), 0), 2);
    search->didSelectRowAtIndexPath(*search->tableView(), NSIndexPath::indexPathForRow(1, 0));
    EXPECT_EQ(search->searchBar()->text(), NSString("倒车入库"));
    EXPECT_TRUE(delegate->keywords.size() == 1);
    search->setRecentKeyword(nullptr);
    EXPECT_EQ(search->numberOfRowsInSection(*search->tableView(), 0), 0);
    search->btnClearSearchRecord(*search->cancelButton());
    EXPECT_EQ(delegate->clears, 1);
    search->btnCancel(*search->cancelButton());
    EXPECT_EQ(delegate->cancels, 1);
    EXPECT_FALSE(search->tableView());
    EXPECT_EQ(search->searchBar()->text().length(), 0u);
    search->removeSearchCtrl();
    EXPECT_FALSE(screen->m_viewNaviBar()->m_labelTitle()->isHidden());

    // A delegate that is gone hears nothing and nothing fails.
    delegate.reset();
    search->startSearch();
    search->handleTapToClose();
    EXPECT_FALSE(search->isWorking());
}

#include "WidgetPictures.h"
#include "WidgetScreen.h"

#include "library/widgets/drawer/DWDrawerBarButtonItem.h"
#include "library/widgets/drawer/DWDrawerController.h"
#include "library/widgets/drawer/DWDrawerVisualState.h"
#include "library/widgets/drawer/UIViewController_DWDrawerController.h"
#include "platform/foundation/NSKeyedArchiver.h"
#include "platform/foundation/NSKeyedUnarchiver.h"
#include "platform/graphics/CGDataProvider.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UINavigationItem.h"

#include <cmath>

namespace {

class Screen : public UIViewController {
    NS_OBJECT(Screen, UIViewController)
public:
    void menuEvent() { ++menuTaps; }
    int menuTaps { 0 };
    void willRotateToInterfaceOrientation(UIInterfaceOrientation, NSTimeInterval) override { rotations.push_back("will"); }
    void willAnimateRotationToInterfaceOrientation(UIInterfaceOrientation, NSTimeInterval) override { rotations.push_back("animate"); }
    void didRotateFromInterfaceOrientation(UIInterfaceOrientation) override { rotations.push_back("did"); }
    std::vector<std::string> rotations;

protected:
    void init(const NSString& title, const UIColorRef& colour)
    {
        UIViewController::init();
        setTitle(title);
        m_colour = colour;
    }
    void loadView() override
    {
        UIViewController::loadView();
        view()->setBackgroundColor(m_colour);
        auto label = UILabel::create(CGRectMake(20, 100, 240, 30));
        label->setText(title());
        label->setFont(UIFont::boldSystemFontOfSize(20));
        view()->addSubview(label);
    }

private:
    UIColorRef m_colour;
};

class DrawerTest : public testing::Test {
protected:
    void SetUp() override
    {
        host = HeadlessHost::create();
        content = Screen::create("学习首页", UIColor::whiteColor());
        centre = UINavigationController::create(content);
        left = Screen::create("左侧菜单", UIColor::colorWithRed(0.16, 0.2, 0.26, 1));
        right = Screen::create("右侧设置", UIColor::colorWithRed(0.9, 0.55, 0.2, 1));
        drawer = DWDrawerController::create(centre, left, right);
        host->showRootViewController(drawer);
        host->runUntilIdle();
    }
    CGFloat centreX() const { return drawer->centerContainerView()->frame().origin.x; }

    std::shared_ptr<HeadlessHost> host;
    std::shared_ptr<Screen> content, left, right;
    std::shared_ptr<UINavigationController> centre;
    std::shared_ptr<DWDrawerController> drawer;
};

TEST_F(DrawerTest, aNewDrawerStartsClosedWithItsDefaults)
{
    EXPECT_EQ(drawer->maximumLeftDrawerWidth(), 280);
    EXPECT_EQ(drawer->maximumRightDrawerWidth(), 280);
    EXPECT_EQ(drawer->animationVelocity(), 840);
    EXPECT_TRUE(drawer->showsShadow());
    EXPECT_TRUE(drawer->shouldStretchDrawer());
    EXPECT_EQ(drawer->openDrawerGestureModeMask(), 0);
    EXPECT_EQ(drawer->closeDrawerGestureModeMask(), 0);
    EXPECT_EQ(drawer->centerHiddenInteractionMode(), DWDrawerOpenCenterInteractionModeNavigationBarOnly);
    EXPECT_EQ(drawer->openSide(), DWDrawerSideNone);
    EXPECT_EQ(DWDrawerController_Category::dw_drawerController(*content), drawer);
    EXPECT_TRUE(content->hasAppeared());
    EXPECT_FALSE(left->hasAppeared());
    auto single = DWDrawerController::create(Screen::create("中", UIColor::whiteColor()), left, DWDrawerSideLeft);
    EXPECT_EQ(single->maximumRightDrawerWidth(), 0);
}

TEST_F(DrawerTest, theMenuButtonOpensAndClosesTheLeftDrawerOverTime)
{
    auto protectedDrawer = drawer;
    auto button = DWDrawerBarButtonItem::create(content, &Screen::menuEvent);
    EXPECT_FALSE(button->buttonView());
    button->setAction([protectedDrawer](UIBarButtonItem&) { protectedDrawer->toggleDrawerSide(DWDrawerSideLeft, true, nullptr); });
    content->navigationItem()->setLeftBarButtonItem(button);
    host->runUntilIdle();
    drawer->setDrawerVisualStateBlock(DWDrawerVisualState::slideAndScaleVisualStateBlock());

    host->tap(CGPointMake(30, 42));
    EXPECT_TRUE(drawer->isAnimatingDrawer());
    EXPECT_FALSE(drawer->view()->isUserInteractionEnabled());
    host->advance(0.15);
    writeWidgetPicture(*host, "drawer-opening-midway");
    host->advance(0.15);
    EXPECT_TRUE(drawer->isAnimatingDrawer());  // 280 / 840 s
    host->advance(0.05);
    EXPECT_FALSE(drawer->isAnimatingDrawer());
    EXPECT_EQ(drawer->openSide(), DWDrawerSideLeft);
    EXPECT_EQ(centreX(), 280);
    EXPECT_TRUE(left->hasAppeared());
    EXPECT_TRUE(drawer->view()->isUserInteractionEnabled());
    writeWidgetPicture(*host, "drawer-left-open");
    // The centre's left edge shows at the right, its shadow falling on the drawer.
    EXPECT_GT(host->pixelAt(CGPointMake(300, 300))[0], 240);
    EXPECT_LT(host->pixelAt(CGPointMake(100, 300))[0], 120);

    // With the drawer open only the navigation bar takes touches: the button closes it.
    host->tap(CGPointMake(280 + 30, 42));
    host->advance(0.4);
    EXPECT_EQ(drawer->openSide(), DWDrawerSideNone);
    EXPECT_EQ(centreX(), 0);
    EXPECT_FALSE(left->hasAppeared());
}

TEST_F(DrawerTest, durationsFollowTheVelocityWithAFloor)
{
    EXPECT_NEAR(drawer->animationDurationForAnimationDistance(280), 1.0 / 3.0, 1e-9);
    EXPECT_NEAR(drawer->animationDurationForAnimationDistance(100), 0.15, 1e-6);
    drawer->openDrawerSide(DWDrawerSideLeft, false, nullptr);
    host->drainRunLoop();
    drawer->centerContainerView()->setFrame(CGRectOffset(drawer->centerContainerView()->frame(), -180, 0));
    bool closed = false;
    drawer->closeDrawerAnimated(true, [&closed](bool finished) { closed = finished; });
    host->advance(0.14);
    EXPECT_FALSE(closed);
    host->advance(0.05);
    EXPECT_TRUE(closed);
}

TEST_F(DrawerTest, requestsThatCannotBeMetAnswerNoAndASideWithoutDrawerIsNotOpened)
{
    drawer->openDrawerSide(DWDrawerSideLeft, false, nullptr);
    host->drainRunLoop();
    std::optional<bool> answer;
    drawer->toggleDrawerSide(DWDrawerSideRight, true, [&answer](bool finished) { answer = finished; });
    EXPECT_EQ(answer, false);
    answer.reset();
    drawer->bouncePreviewForDrawerSide(DWDrawerSideLeft, [&answer](bool finished) { answer = finished; });
    EXPECT_EQ(answer, false);
    drawer->closeDrawerAnimated(false, nullptr);
    host->drainRunLoop();

    auto lonely = DWDrawerController::create(Screen::create("中", UIColor::whiteColor()), left, DWDrawerSideLeft);
    lonely->view();
    bool called = false;
    lonely->openDrawerSide(DWDrawerSideRight, true, [&called](bool) { called = true; });
    EXPECT_FALSE(called);
    EXPECT_FALSE(lonely->isAnimatingDrawer());
    lonely->openDrawerSide(DWDrawerSideLeft, false, [&called](bool) { called = true; });
    host->drainRunLoop();
    EXPECT_TRUE(called);
    EXPECT_EQ(lonely->openSide(), DWDrawerSideLeft);
}

TEST_F(DrawerTest, aBezelPanOpensTheDrawerWithTheFingerAndSettlesByPosition)
{
    host->drag(CGPointMake(10, 300), CGPointMake(200, 300), 0.5);
    host->runUntilIdle();
    EXPECT_EQ(drawer->openSide(), DWDrawerSideNone);  // both masks 0

    drawer->setOpenDrawerGestureModeMask(DWOpenDrawerGestureModeBezelPanningCenterView);
    drawer->setCloseDrawerGestureModeMask(DWCloseDrawerGestureModePanningCenterView | DWCloseDrawerGestureModeTapCenterView);
    drawer->setDrawerVisualStateBlock(DWDrawerVisualState::swingingDoorVisualStateBlock());
    host->drag(CGPointMake(30, 300), CGPointMake(200, 300), 0.5);
    host->runUntilIdle();
    EXPECT_EQ(centreX(), 0);

    host->touchDown(CGPointMake(10, 300));
    for (int step = 1; step <= 10; ++step) {
        host->advance(0.03);
        host->touchMove(CGPointMake(10 + 14 * step, 300));
    }
    host->advance(0.3);
    host->touchMove(CGPointMake(150, 300));
    EXPECT_EQ(drawer->openSide(), DWDrawerSideLeft);
    EXPECT_NEAR(centreX(), 140, 1);
    writeWidgetPicture(*host, "drawer-pan-midway");
    host->touchUp(CGPointMake(150, 300));
    // Touches wait for the finishing animation.
    EXPECT_FALSE(drawer->view()->isUserInteractionEnabled());
    host->runUntilIdle();
    EXPECT_TRUE(drawer->view()->isUserInteractionEnabled());
    EXPECT_EQ(centreX(), 280);

    // A tap on the centre's content closes it.
    host->tap(CGPointMake(300, 300));
    host->runUntilIdle();
    EXPECT_EQ(drawer->openSide(), DWDrawerSideNone);
}

TEST_F(DrawerTest, aPanThatBeginsDuringAnAnimationIsCancelledAndTheNextOneWorks)
{
    drawer->setOpenDrawerGestureModeMask(DWOpenDrawerGestureModePanningCenterView);
    drawer->setCloseDrawerGestureModeMask(DWCloseDrawerGestureModePanningCenterView);
    drawer->openDrawerSide(DWDrawerSideLeft, true, nullptr);
    // The view takes no touches while animating; the recogniser is asked directly.
    drawer->view()->setUserInteractionEnabled(true);
    host->drag(CGPointMake(300, 300), CGPointMake(310, 300), 0.1);
    drawer->setAnimatingDrawer(false);
    host->runUntilIdle();
    EXPECT_TRUE(drawer->panGestureRecognizer()->isEnabled());
    EXPECT_EQ(drawer->openSide(), DWDrawerSideLeft);
    host->drag(CGPointMake(300, 300), CGPointMake(60, 300), 0.5);
    host->runUntilIdle();
    EXPECT_EQ(drawer->openSide(), DWDrawerSideNone);
}

TEST_F(DrawerTest, draggingPastTheDrawerStretchesWithRisingResistance)
{
    EXPECT_EQ(drawer->roundedOriginXForDrawerConstriants(281), 281);
    EXPECT_EQ(drawer->roundedOriginXForDrawerConstriants(300), 283);
    EXPECT_EQ(drawer->roundedOriginXForDrawerConstriants(-300), -283);
    EXPECT_EQ(drawer->roundedOriginXForDrawerConstriants(100), 100);
    drawer->setShouldStretchDrawer(false);
    EXPECT_EQ(drawer->roundedOriginXForDrawerConstriants(300), 280);
}

TEST_F(DrawerTest, aReleaseClosesOrOpensByVelocityAndPosition)
{
    drawer->openDrawerSide(DWDrawerSideLeft, false, nullptr);
    host->drainRunLoop();
    drawer->centerContainerView()->setFrame(CGRectOffset(drawer->view()->bounds(), 100, 0));
    drawer->finishAnimationForPanGestureWithXVelocity(50, nullptr);
    host->runUntilIdle();
    EXPECT_EQ(drawer->openSide(), DWDrawerSideNone);

    drawer->openDrawerSide(DWDrawerSideLeft, false, nullptr);
    host->drainRunLoop();
    drawer->centerContainerView()->setFrame(CGRectOffset(drawer->view()->bounds(), 100, 0));
    drawer->finishAnimationForPanGestureWithXVelocity(250, nullptr);
    // 180 points at the fling velocity of 400: 0.45 s.
    host->advance(0.4);
    EXPECT_TRUE(drawer->isAnimatingDrawer());
    host->advance(0.1);
    EXPECT_EQ(centreX(), 280);
}

TEST_F(DrawerTest, aBouncePreviewSwingsTheCentreAndComesBackToRest)
{
    bool done = false;
    drawer->bouncePreviewForDrawerSide(DWDrawerSideRight, [&done](bool finished) { done = finished; });
    host->advance(0.1);
    writeWidgetPicture(*host, "drawer-bounce-preview");
    host->advance(0.8);
    EXPECT_TRUE(done);
    EXPECT_EQ(drawer->openSide(), DWDrawerSideNone);
    EXPECT_FALSE(right->hasAppeared());
}

TEST_F(DrawerTest, restorationReopensTheSavedSideWithoutAnimation)
{
    UIStateRestoration::setRestorationIdentifier(left, "menu");
    UIStateRestoration::setRestorationIdentifier(centre, "home");
    drawer->openDrawerSide(DWDrawerSideLeft, false, nullptr);
    host->drainRunLoop();
    auto state = UIStateRestoration::archiveRestorableState(*drawer);
    drawer->closeDrawerAnimated(false, nullptr);
    host->drainRunLoop();

    auto restored = DWDrawerController::create();
    host->showRootViewController(restored);
    ASSERT_TRUE(UIStateRestoration::restoreState(*restored, state));
    EXPECT_EQ(restored->leftDrawerViewController(), left);
    EXPECT_EQ(restored->centerViewController(), centre);
    EXPECT_FALSE(restored->isAnimatingDrawer());
    host->drainRunLoop();
    EXPECT_EQ(restored->openSide(), DWDrawerSideLeft);
    EXPECT_EQ(restored->centerContainerView()->frame().origin.x, 280);
    EXPECT_FALSE(UIStateRestoration::restoreState(*restored, NSData::dataWithBytes("no", 2)));
}

TEST_F(DrawerTest, withTheDrawerOpenOnlyTheNavigationBarTakesTouches)
{
    drawer->openDrawerSide(DWDrawerSideRight, false, nullptr);
    host->drainRunLoop();
    auto container = drawer->centerContainerView();
    EXPECT_TRUE(container->hitTest(CGPointMake(100, 40), nullptr));
    EXPECT_FALSE(container->hitTest(CGPointMake(100, 300), nullptr));
    drawer->setCenterHiddenInteractionMode(DWDrawerOpenCenterInteractionModeFull);
    EXPECT_TRUE(container->hitTest(CGPointMake(100, 300), nullptr));
    drawer->setCenterHiddenInteractionMode(DWDrawerOpenCenterInteractionModeNone);
    EXPECT_FALSE(container->hitTest(CGPointMake(100, 40), nullptr));
}

TEST_F(DrawerTest, theStockLooksPlaceTheDrawerAtEitherEnd)
{
    drawer->openDrawerSide(DWDrawerSideLeft, false, nullptr);
    host->drainRunLoop();
    const auto& look = DWDrawerVisualState::slideAndScaleVisualStateBlock();
    look(*drawer, DWDrawerSideLeft, 0);
    const CATransform3D hidden = left->view()->layer()->transform();
    EXPECT_NEAR(hidden.m11, 0.9, 1e-9);
    EXPECT_NEAR(hidden.m41, 50, 1e-9);
    EXPECT_EQ(left->view()->alpha(), 0);
    look(*drawer, DWDrawerSideLeft, 1);
    EXPECT_TRUE(CATransform3DIsIdentity(left->view()->layer()->transform()));
    EXPECT_EQ(left->view()->alpha(), 1);
    DWDrawerVisualState::parallaxVisualStateBlockWithParallaxFactor(2)(*drawer, DWDrawerSideLeft, 0.5);
    EXPECT_NEAR(left->view()->layer()->transform().m41, -70, 1e-9);
}

TEST(DrawerMenuButton, barsAndIconSitWhereDrawn)
{
    auto host = HeadlessHost::create();
    auto screen = UIViewController::create();
    host->showRootViewController(screen);
    screen->view()->setBackgroundColor(UIColor::colorWithRed(0.2, 0.3, 0.5, 1));
    auto button = DWDrawerMenuButtonView::create(CGRectMake(100, 100, 26, 26));
    screen->view()->addSubview(button);
    host->advance(0.05);
    // Bars of 20.8 x 4.16 at x 2.6 and y 3.12, 10.4, 17.68: white inside, the backdrop between.
    for (CGFloat y : { 3.12 + 2.08, 10.4 + 2.08, 17.68 + 2.08 })
        EXPECT_GT(host->pixelAt(CGPointMake(113, 100 + y))[0], 200) << y;
    EXPECT_LT(host->pixelAt(CGPointMake(113, 100 + 8.5))[0], 120);
    button->setMenuButtonColor(UIColor::redColor(), UIControlStateSelected);
    EXPECT_FALSE(button->menuButtonColorForState(UIControlStateSelected));

    const auto& icon = DWDrawerBarButtonItem::drawerButtonItemImage();
    EXPECT_EQ(icon, DWDrawerBarButtonItem::drawerButtonItemImage());
    const auto bytes = CGDataProviderCopyData(CGImageGetDataProvider(icon->CGImage()));
    const std::size_t row = CGImageGetBytesPerRow(icon->CGImage());
    const CGFloat scale = icon->scale();
    auto opaque = [&](CGFloat x, CGFloat y) { return bytes[std::size_t(y * scale) * row + std::size_t(x * scale) * 4 + 3] > 200; };
    EXPECT_TRUE(opaque(13, 6));
    EXPECT_TRUE(opaque(13, 12));
    EXPECT_TRUE(opaque(13, 18));
    EXPECT_FALSE(opaque(13, 9));
    EXPECT_FALSE(opaque(2, 12));
}

} // namespace

namespace {

TEST_F(DrawerTest, aNewCentreReplacesTheOldOneBehindTheClosingDrawer)
{
    drawer->openDrawerSide(DWDrawerSideLeft, false, nullptr);
    host->drainRunLoop();
    auto next = Screen::create("考试记录", UIColor::whiteColor());
    bool done = false;
    drawer->setCenterViewControllerWithCloseAnimation(next, true, [&done](bool finished) { done = finished; });
    EXPECT_EQ(drawer->centerViewController(), next);
    EXPECT_FALSE(centre->parentViewController());
    host->runUntilIdle();
    EXPECT_TRUE(done);
    EXPECT_TRUE(next->hasAppeared());
    EXPECT_FALSE(centre->hasAppeared());
    EXPECT_EQ(drawer->openSide(), DWDrawerSideNone);

    drawer->openDrawerSide(DWDrawerSideRight, false, nullptr);
    host->drainRunLoop();
    done = false;
    drawer->setCenterViewControllerWithFullCloseAnimation(content, true, [&done](bool finished) { done = finished; });
    EXPECT_TRUE(drawer->isAnimatingDrawer());
    host->runUntilIdle();
    EXPECT_TRUE(done);
    EXPECT_FALSE(drawer->isAnimatingDrawer());
    EXPECT_EQ(drawer->centerViewController(), content);
    EXPECT_TRUE(content->hasAppeared());
    EXPECT_FALSE(next->hasAppeared());
    EXPECT_EQ(centreX(), 0);
    EXPECT_EQ(right->view()->frame().origin.x, 320 - 280);
}

TEST_F(DrawerTest, aNarrowerDrawerMovesAnOpenCentreAndItsOwnFrame)
{
    drawer->openDrawerSide(DWDrawerSideRight, false, nullptr);
    host->drainRunLoop();
    EXPECT_EQ(drawer->visibleRightDrawerWidth(), 280);
    EXPECT_EQ(drawer->visibleLeftDrawerWidth(), 0);
    bool done = false;
    drawer->setMaximumRightDrawerWidth(200, true, [&done](bool finished) { done = finished; });
    host->runUntilIdle();
    EXPECT_TRUE(done);
    EXPECT_EQ(centreX(), -200);
    EXPECT_EQ(drawer->visibleRightDrawerWidth(), 200);
    EXPECT_EQ(DWDrawerController_Category::dw_visibleDrawerFrame(*right), CGRectMake(120, 0, 200, 568));
    drawer->setMaximumLeftDrawerWidth(240);
    EXPECT_EQ(left->view()->frame().size.width, 240);
    EXPECT_TRUE(CGRectIsNull(DWDrawerController_Category::dw_visibleDrawerFrame(*content)));
}

TEST_F(DrawerTest, theShadowAndTheStatusBarBackingFollowTheirSwitches)
{
    const auto& layer = drawer->centerContainerView()->layer();
    ASSERT_TRUE(layer->shadowPath());
    EXPECT_EQ(CGPathGetBoundingBox(layer->shadowPath()), drawer->centerContainerView()->bounds());
    EXPECT_FLOAT_EQ(layer->shadowOpacity(), 0.8f);
    drawer->setShowsShadow(false);
    EXPECT_FALSE(layer->shadowPath());
    EXPECT_TRUE(layer->masksToBounds());

    drawer->setShowsStatusBarBackgroundView(true);
    EXPECT_TRUE(drawer->showsStatusBarBackgroundView());
    EXPECT_FALSE(drawer->dummyStatusBarView()->isHidden());
    EXPECT_EQ(drawer->childControllerContainerView()->frame(), CGRectMake(0, 20, 320, 548));
    drawer->setShowsStatusBarBackgroundView(false);
    EXPECT_TRUE(drawer->dummyStatusBarView()->isHidden());
    EXPECT_EQ(drawer->childControllerContainerView()->frame(), CGRectMake(0, 0, 320, 568));
}

TEST_F(DrawerTest, aDrawerSwappedWhileOpenShowsAtOnceAndTheOldOneLeaves)
{
    drawer->openDrawerSide(DWDrawerSideLeft, false, nullptr);
    host->drainRunLoop();
    auto replacement = Screen::create("新菜单", UIColor::darkGrayColor());
    drawer->setLeftDrawerViewController(replacement);
    EXPECT_FALSE(left->parentViewController());
    EXPECT_FALSE(left->hasAppeared());
    EXPECT_TRUE(replacement->hasAppeared());
    EXPECT_FALSE(replacement->view()->isHidden());
    const auto& subviews = drawer->childControllerContainerView()->subviews();
    EXPECT_EQ(subviews.back(), drawer->centerContainerView());
}

} // namespace

namespace {

TEST_F(DrawerTest, theSwingingDoorLeavesNothingAboveTheTurnedDrawer)
{
    drawer->setDrawerVisualStateBlock(DWDrawerVisualState::swingingDoorVisualStateBlock());
    drawer->openDrawerSide(DWDrawerSideLeft, false, nullptr);
    host->runUntilIdle();
    CGRect frame = drawer->centerContainerView()->frame();
    frame.origin.x = 140;
    drawer->centerContainerView()->setFrame(frame);
    drawer->updateDrawerVisualStateForDrawerSide(DWDrawerSideLeft, 0.5);
    host->runUntilIdle();
    expectWidgetMatchesReference(*host, drawer->view(), "drawer-swinging-half");
    // Half turned, the drawer's top edge runs from about (0, 39) down to (140, 0): above it, at
    // the left, there is only the window's black.
    int stray = 0;
    for (CGFloat x = 0.5; x < 60; x += 0.5)
        for (CGFloat y = 0.25; y < 39 - x * 39 / 140 - 3; y += 0.5)
            stray += host->pixelAt(CGPointMake(x, y))[0] > 8 ? 1 : 0;
    EXPECT_EQ(stray, 0);
    // The turned drawer itself is there, in its dark blue.
    const auto inside = host->pixelAt(CGPointMake(60, 300));
    EXPECT_GT(inside[2], inside[0]);
    EXPECT_GT(inside[2], 40);
}

} // namespace

namespace {

TEST_F(DrawerTest, rotationCallsReachTheCentreAndBothDrawers)
{
    auto plainCentre = Screen::create("学习首页", UIColor::whiteColor());
    auto plainLeft = Screen::create("左侧菜单", UIColor::blackColor());
    auto plainRight = Screen::create("右侧设置", UIColor::blackColor());
    auto plain = DWDrawerController::create(plainCentre, plainLeft, plainRight);
    plain->view();
    plain->willRotateToInterfaceOrientation(UIInterfaceOrientation::LandscapeLeft, 0.3);
    plain->willAnimateRotationToInterfaceOrientation(UIInterfaceOrientation::LandscapeLeft, 0.3);
    plain->didRotateFromInterfaceOrientation(UIInterfaceOrientation::Portrait);
    const std::vector<std::string> all { "will", "animate", "did" };
    EXPECT_EQ(plainCentre->rotations, all);
    EXPECT_EQ(plainLeft->rotations, all);
    EXPECT_EQ(plainRight->rotations, all);
}

} // namespace

namespace {

// A drawer's owner as an archive keeps it.
class ArchivedOwner : public NSObject, public NSCoding {
    NS_OBJECT(ArchivedOwner, NSObject)
public:
    void toggle() { ++toggles; }
    void encodeWithCoder(NSCoder&) const override { }
    int toggles { 0 };

protected:
    void init(NSCoder&) { }
};

// An owner that holds its item, as a screen holds its bar's: the item's link back to it is read
// while the owner is still being read.
class HoldingOwner : public NSObject, public NSCoding {
    NS_OBJECT(HoldingOwner, NSObject)
public:
    void toggle() { ++toggles; }
    void encodeWithCoder(NSCoder& coder) const override { coder.encodeObject(item, "item"); }
    std::shared_ptr<DWDrawerBarButtonItem> item;
    int toggles { 0 };

protected:
    void init(NSCoder& coder)
    {
        coder.registerDecodingObject(self());
        item = coder.decodeObjectOfClass<DWDrawerBarButtonItem>("item");
    }
};

// The owner and its item in one archive, as a screen's archive holds both, read back.
std::shared_ptr<NSArray> archivedTogether(const id& owner, const id& item)
{
    auto graph = NSMutableArray::array();
    graph->addObject(owner);
    graph->addObject(item);
    return std::dynamic_pointer_cast<NSArray>(NSKeyedUnarchiver::unarchiveObjectWithData(NSKeyedArchiver::archivedDataWithRootObject(graph)));
}

// An owner of a class derived from the one its action is registered for.
class DerivedOwner : public ArchivedOwner {
    NS_OBJECT(DerivedOwner, ArchivedOwner)
};

TEST(DrawerBarButtonItemArchive, aTargetOfADerivedClassGetsTheActionRegisteredForItsBase)
{
    NSCoder::registerClass<DerivedOwner>();
    DWDrawerBarButtonItem::registerAction("toggle", &ArchivedOwner::toggle);
    auto owner = DerivedOwner::create();
    auto item = DWDrawerBarButtonItem::create(std::shared_ptr<ArchivedOwner>(owner), &ArchivedOwner::toggle);
    EXPECT_EQ(item->actionName(), "toggle");

    auto restored = archivedTogether(owner, item);
    ASSERT_TRUE(restored && restored->count() == 2);
    auto restoredOwner = std::dynamic_pointer_cast<DerivedOwner>(restored->objectAtIndex(0));
    auto restoredItem = std::dynamic_pointer_cast<DWDrawerBarButtonItem>(restored->objectAtIndex(1));
    ASSERT_TRUE(restoredOwner && restoredItem);
    EXPECT_EQ(restoredItem->target(), restoredOwner);
    EXPECT_EQ(restoredItem->actionName(), "toggle");
    restoredItem->sendAction();
    EXPECT_EQ(restoredOwner->toggles, 1);
}

TEST(DrawerBarButtonItemArchive, anItemItsTargetHoldsComesBackPointingAtIt)
{
    NSCoder::registerClass<HoldingOwner>();
    DWDrawerBarButtonItem::registerAction("toggle", &HoldingOwner::toggle);
    auto owner = HoldingOwner::create();
    owner->item = DWDrawerBarButtonItem::create(owner, &HoldingOwner::toggle);
    auto restored = std::dynamic_pointer_cast<HoldingOwner>(NSKeyedUnarchiver::unarchiveObjectWithData(NSKeyedArchiver::archivedDataWithRootObject(owner)));
    ASSERT_TRUE(restored && restored->item);
    EXPECT_EQ(restored->item->target(), restored);
    restored->item->sendAction();
    EXPECT_EQ(restored->toggles, 1);
}

TEST(DrawerBarButtonItemArchive, aRestoredItemKeepsItsTargetAndAction)
{
    NSCoder::registerClass<ArchivedOwner>();
    DWDrawerBarButtonItem::registerAction("toggle", &ArchivedOwner::toggle);
    auto owner = ArchivedOwner::create();
    auto item = DWDrawerBarButtonItem::create(owner, &ArchivedOwner::toggle);
    EXPECT_EQ(item->actionName(), "toggle");

    auto restored = archivedTogether(owner, item);
    ASSERT_TRUE(restored && restored->count() == 2);
    auto restoredOwner = std::dynamic_pointer_cast<ArchivedOwner>(restored->objectAtIndex(0));
    auto restoredItem = std::dynamic_pointer_cast<DWDrawerBarButtonItem>(restored->objectAtIndex(1));
    ASSERT_TRUE(restoredOwner && restoredItem);
    EXPECT_EQ(restoredItem->target(), restoredOwner);
    EXPECT_EQ(restoredItem->image(), DWDrawerBarButtonItem::drawerButtonItemImage());
    restoredItem->sendAction();
    EXPECT_EQ(restoredOwner->toggles, 1);
    EXPECT_EQ(owner->toggles, 0);

    // Archived without its owner, the item comes back with neither.
    auto alone = std::dynamic_pointer_cast<DWDrawerBarButtonItem>(NSKeyedUnarchiver::unarchiveObjectWithData(NSKeyedArchiver::archivedDataWithRootObject(item)));
    ASSERT_TRUE(alone);
    EXPECT_FALSE(alone->target());
    EXPECT_FALSE(alone->hasAction());
}

} // namespace

TEST_F(DrawerTest, escapeClosesAnOpenDrawerAndOnlyThen)
{
    host->runUntilIdle();
    EXPECT_FALSE(host->pressKey(UIKeyboardKey::Escape));
    drawer->openDrawerSide(DWDrawerSideLeft, false, nullptr);
    host->runUntilIdle();
    ASSERT_EQ(drawer->openSide(), DWDrawerSideLeft);
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::Escape));
    host->advance(0.5);
    EXPECT_EQ(drawer->openSide(), DWDrawerSideNone);
    EXPECT_EQ(centreX(), 0);
}

TEST_F(DrawerTest, withTheDrawersClosedEscapeGoesBackInTheCentre)
{
    auto next = Screen::create("下一页", UIColor::whiteColor());
    centre->pushViewController(next, false);
    host->runUntilIdle();
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::Escape));
    host->runUntilIdle();
    EXPECT_EQ(centre->topViewController(), content);
}

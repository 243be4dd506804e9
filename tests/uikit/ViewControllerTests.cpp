#include "tests/uikit/UIKitTestSupport.h"

#include "platform/uikit/UIScrollView.h"

#include <gtest/gtest.h>

namespace {

class NavigationLog : public UINavigationControllerDelegate {
public:
    explicit NavigationLog(Log& log) : m_log(log) { }
    void willShowViewController(UINavigationController&, UIViewController& controller, bool) override
    {
        m_log.push_back("willShow." + static_cast<RecordingController&>(controller).name);
    }
    void didShowViewController(UINavigationController&, UIViewController& controller, bool) override
    {
        m_log.push_back("didShow." + static_cast<RecordingController&>(controller).name);
    }

private:
    Log& m_log;
};

class ViewControllerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        host = HeadlessHost::create();
        a = RecordingController::named("A", log);
        b = RecordingController::named("B", log);
        c = RecordingController::named("C", log);
        navigation = UINavigationController::create(a);
        host->showRootViewController(navigation);
        log.clear();
    }

    Log log;
    std::shared_ptr<HeadlessHost> host;
    std::shared_ptr<RecordingController> a, b, c;
    std::shared_ptr<UINavigationController> navigation;
};

} // namespace

TEST(ViewControllerLoading, theViewLoadsOnceOnFirstUse)
{
    auto host = HeadlessHost::create();
    Log log;
    auto controller = RecordingController::named("A", log);
    EXPECT_FALSE(controller->isViewLoaded());
    auto view = controller->view();
    EXPECT_TRUE(controller->isViewLoaded());
    EXPECT_EQ(controller->view(), view);
    EXPECT_EQ(log, (Log { "A.viewDidLoad" }));
    EXPECT_EQ(view->frame(), UIScreen::mainScreen()->bounds());
}

TEST(ViewControllerLoading, aWindowShowsItsRootWithTheAppearanceCalls)
{
    auto host = HeadlessHost::create();
    Log log;
    auto controller = RecordingController::named("A", log);
    auto window = UIWindow::create(UIScreen::mainScreen()->bounds());
    window->setRootViewController(controller);
    EXPECT_EQ(log, (Log { "A.viewDidLoad" }));
    window->makeKeyAndVisible();
    EXPECT_EQ(log, (Log { "A.viewDidLoad", "A.willAppear", "A.didAppear" }));
    EXPECT_EQ(controller->view()->superview(), window);
    window->setHidden(true);
    EXPECT_EQ(log.back(), "A.didDisappear");
}

TEST_F(ViewControllerTest, pushAndPopWithoutAnimationCallAppearanceInOrder)
{
    auto delegate = std::make_shared<NavigationLog>(log);
    navigation->setDelegate(delegate);
    navigation->pushViewController(b, false);
    navigation->pushViewController(c, false);
    EXPECT_EQ(log, (Log { "B.viewDidLoad", "A.willDisappear", "willShow.B", "B.willAppear", "A.didDisappear", "B.didAppear",
                        "didShow.B", "C.viewDidLoad", "B.willDisappear", "willShow.C", "C.willAppear", "B.didDisappear",
                        "C.didAppear", "didShow.C" }));
    EXPECT_EQ(navigation->viewControllers(), (std::vector<UIViewControllerRef> { a, b, c }));
    EXPECT_EQ(b->navigationController(), navigation);

    log.clear();
    EXPECT_EQ(navigation->popViewControllerAnimated(false), c);
    EXPECT_EQ(log, (Log { "C.willDisappear", "willShow.B", "B.willAppear", "C.didDisappear", "B.didAppear", "didShow.B" }));
    EXPECT_EQ(c->parentViewController(), nullptr);
    EXPECT_EQ(c->viewIfLoaded()->superview(), nullptr);

    log.clear();
    navigation->pushViewController(c, false);
    log.clear();
    const auto popped = navigation->popToRootViewControllerAnimated(false);
    EXPECT_EQ(popped, (std::vector<UIViewControllerRef> { b, c }));
    // The controller in between never appears.
    EXPECT_EQ(log, (Log { "C.willDisappear", "willShow.A", "A.willAppear", "C.didDisappear", "A.didAppear", "didShow.A" }));
    EXPECT_EQ(navigation->popViewControllerAnimated(false), nullptr);
}

TEST_F(ViewControllerTest, animatedPushAndPopFinishOnTheClock)
{
    navigation->pushViewController(b, true);
    EXPECT_EQ(log, (Log { "B.viewDidLoad", "A.willDisappear", "B.willAppear" }));
    EXPECT_TRUE(navigation->isTransitioning());
    EXPECT_TRUE(UIApplication::sharedApplication()->isIgnoringInteractionEvents());
    host->advance(0.2);
    EXPECT_EQ(log.size(), 3u);
    host->advance(0.2);
    EXPECT_EQ(log, (Log { "B.viewDidLoad", "A.willDisappear", "B.willAppear", "A.didDisappear", "B.didAppear" }));
    EXPECT_FALSE(UIApplication::sharedApplication()->isIgnoringInteractionEvents());
    EXPECT_EQ(a->viewIfLoaded()->superview(), nullptr);
    EXPECT_EQ(b->view()->frame(), navigation->view()->bounds());

    navigation->pushViewController(c, true);
    host->runUntilIdle();
    log.clear();
    navigation->popViewControllerAnimated(true);
    host->runUntilIdle();
    EXPECT_EQ(log, (Log { "C.willDisappear", "B.willAppear", "C.didDisappear", "B.didAppear" }));
    navigation->popToViewController(a, true);
    host->runUntilIdle();
    EXPECT_EQ(navigation->topViewController(), a);
    EXPECT_EQ(a->view()->superview(), navigation->view());
    EXPECT_EQ(navigation->popToViewController(b, true).size(), 0u);
}

TEST_F(ViewControllerTest, aControllerPoppedDuringItsPushEndsCleanly)
{
    std::weak_ptr<RecordingController> weakB = b;
    navigation->pushViewController(b, true);
    host->advance(0.1);
    EXPECT_EQ(navigation->popViewControllerAnimated(true), b);
    b.reset();
    host->runUntilIdle();
    EXPECT_EQ(navigation->viewControllers(), (std::vector<UIViewControllerRef> { a }));
    EXPECT_TRUE(a->hasAppeared());
    EXPECT_EQ(a->view()->superview(), navigation->view());
    // The screen and the navigation bar.
    EXPECT_EQ(navigation->view()->subviews().size(), 2u);
    EXPECT_TRUE(weakB.expired());
    EXPECT_FALSE(UIApplication::sharedApplication()->isIgnoringInteractionEvents());
    EXPECT_EQ(std::count(log.begin(), log.end(), "A.didAppear"), 1);
}

TEST_F(ViewControllerTest, aModalControllerCoversTheScreenAndItsDismissalRunsTheCompletion)
{
    Log modalLog;
    auto modal = RecordingController::named("M", log);
    bool presented = false;
    a->presentViewController(modal, true, [&] { presented = true; });
    EXPECT_EQ(log, (Log { "M.viewDidLoad", "A.willDisappear", "M.willAppear" }));
    host->runUntilIdle();
    EXPECT_TRUE(presented);
    EXPECT_EQ(log, (Log { "M.viewDidLoad", "A.willDisappear", "M.willAppear", "M.didAppear", "A.didDisappear" }));
    EXPECT_EQ(navigation->presentedViewController(), modal);
    EXPECT_EQ(modal->presentingViewController(), navigation);
    EXPECT_EQ(modal->view()->frame(), UIScreen::mainScreen()->bounds());
    EXPECT_EQ(modal->view()->window(), host->keyWindow());
    EXPECT_EQ(navigation->view()->window(), nullptr);

    log.clear();
    bool dismissed = false;
    modal->dismissViewControllerAnimated(true, [&] { dismissed = true; });
    EXPECT_FALSE(dismissed);
    host->runUntilIdle();
    EXPECT_TRUE(dismissed);
    EXPECT_EQ(log, (Log { "M.willDisappear", "A.willAppear", "M.didDisappear", "A.didAppear" }));
    EXPECT_EQ(navigation->presentedViewController(), nullptr);
    EXPECT_EQ(modal->view()->superview(), nullptr);
    EXPECT_EQ(navigation->view()->window(), host->keyWindow());
}

TEST_F(ViewControllerTest, presentingTwiceOrOutsideAWindowDoesNothing)
{
    auto first = RecordingController::named("M", log);
    auto second = RecordingController::named("N", log);
    navigation->presentViewController(first, false);
    navigation->presentViewController(second, false);
    EXPECT_EQ(navigation->presentedViewController(), first);
    EXPECT_EQ(second->presentingViewController(), nullptr);
    auto lonely = RecordingController::named("L", log);
    lonely->presentViewController(second, false);
    EXPECT_EQ(lonely->presentedViewController(), nullptr);
    navigation->dismissViewControllerAnimated(false);
    EXPECT_EQ(navigation->presentedViewController(), nullptr);
}

TEST_F(ViewControllerTest, aGoneDelegateIsNotCalled)
{
    auto delegate = std::make_shared<NavigationLog>(log);
    navigation->setDelegate(delegate);
    delegate.reset();
    navigation->pushViewController(b, false);
    EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const auto& e) { return e.rfind("willShow", 0) == 0; }), 0);
}

TEST_F(ViewControllerTest, theEdgePanPopsTheTopController)
{
    navigation->pushViewController(b, false);
    EXPECT_TRUE(navigation->interactivePopGestureRecognizer()->isEnabled());
    host->drag(CGPointMake(5, 300), CGPointMake(250, 300), 0.3);
    host->runUntilIdle();
    EXPECT_EQ(navigation->topViewController(), a);
    // Away from the edge, nothing.
    navigation->pushViewController(b, false);
    host->drag(CGPointMake(100, 300), CGPointMake(300, 300), 0.3);
    host->runUntilIdle();
    EXPECT_EQ(navigation->topViewController(), b);
}

namespace {
class Child : public RecordingController {
    NS_OBJECT(Child, RecordingController)
public:
    void willMoveToParentViewController(const UIViewControllerRef& parent) override { note(parent ? "willMove" : "willLeave"); }
    void didMoveToParentViewController(const UIViewControllerRef& parent) override { note(parent ? "didMove" : "didLeave"); }
};
} // namespace

TEST_F(ViewControllerTest, childControllersHearTheirMoves)
{
    auto child = Child::create();
    child->name = "K";
    child->log = &log;
    a->addChildViewController(child);
    a->view()->addSubview(child->view());
    child->didMoveToParentViewController(a);
    EXPECT_EQ(child->parentViewController(), a);
    child->willMoveToParentViewController(nullptr);
    child->removeFromParentViewController();
    EXPECT_EQ(log, (Log { "K.willMove", "K.viewDidLoad", "K.didMove", "K.willLeave", "K.didLeave" }));
    EXPECT_TRUE(a->childViewControllers().empty());
}

TEST_F(ViewControllerTest, theHiddenBarFlagIsKeptAndTheBarPlacedWhenThereIsOne)
{
    navigation->setNavigationBarHidden(true);
    EXPECT_TRUE(navigation->isNavigationBarHidden());
    auto bar = UIView::create();
    navigation->setNavigationBar(bar);
    navigation->setNavigationBarHidden(false);
    navigation->view()->layoutIfNeeded();
    EXPECT_EQ(bar->frame(), CGRectMake(0, 20, 320, 44));
    EXPECT_FALSE(bar->isHidden());
    a->setEdgesForExtendedLayout(UIRectEdgeNone);
    navigation->view()->setNeedsLayout();
    navigation->view()->layoutIfNeeded();
    EXPECT_EQ(a->view()->frame(), CGRectMake(0, 64, 320, 504));
}

namespace {
class ListController : public RecordingController {
    NS_OBJECT(ListController, RecordingController)
public:
    void loadView() override { setView(UIScrollView::create(UIScreen::mainScreen()->bounds())); }
    std::shared_ptr<UIScrollView> scrollView() { return std::static_pointer_cast<UIScrollView>(view()); }
};
} // namespace

TEST_F(ViewControllerTest, aScrollViewUnderTheBarsGetsRoomForThemOnceUnlessTheControllerDeclines)
{
    auto list = ListController::create();
    navigation->pushViewController(list, false);
    EXPECT_EQ(list->scrollView()->contentInset().top, 64);
    EXPECT_EQ(list->scrollView()->scrollIndicatorInsets().top, 64);
    EXPECT_EQ(list->scrollView()->contentOffset().y, -64);
    navigation->view()->setNeedsLayout();
    navigation->view()->layoutIfNeeded();
    EXPECT_EQ(list->scrollView()->contentInset().top, 64);
    navigation->setNavigationBarHidden(true);
    navigation->view()->layoutIfNeeded();
    EXPECT_EQ(list->scrollView()->contentInset().top, 20);
    EXPECT_EQ(list->scrollView()->contentOffset().y, -20);

    auto declining = ListController::create();
    declining->setAutomaticallyAdjustsScrollViewInsets(false);
    navigation->pushViewController(declining, false);
    EXPECT_EQ(declining->scrollView()->contentInset().top, 0);
    auto below = ListController::create();
    below->setEdgesForExtendedLayout(UIRectEdgeNone);
    navigation->pushViewController(below, false);
    EXPECT_EQ(below->scrollView()->contentInset().top, 0);
}

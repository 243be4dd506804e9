#include "tests/uikit/UIKitTestSupport.h"

#include "platform/graphics/UIGraphics.h"

#include <gtest/gtest.h>
#include <cmath>

namespace {

class UIViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        host = HeadlessHost::create();
        root = UIViewController::create();
        window = host->showRootViewController(root);
    }
    std::shared_ptr<HeadlessHost> host;
    std::shared_ptr<UIViewController> root;
    std::shared_ptr<UIWindow> window;
};

void expectPoint(CGPoint actual, CGPoint expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-9);
    EXPECT_NEAR(actual.y, expected.y, 1e-9);
}

class LayoutCountingView : public UIView {
    NS_OBJECT(LayoutCountingView, UIView)
public:
    void layoutSubviews() override { ++layouts; }
    int layouts { 0 };
};

class SquareView : public UIView {
    NS_OBJECT(SquareView, UIView)
public:
    void drawRect(CGRect) override
    {
        auto context = UIGraphicsGetCurrentContext();
        CGContextSetRGBFillColor(context, 1, 0, 0, 1);
        CGContextFillRect(context, CGRectMake(0, 0, 10, 10));
        ++draws;
    }
    int draws { 0 };
};

class FirstResponderView : public UIView {
    NS_OBJECT(FirstResponderView, UIView)
public:
    bool canBecomeFirstResponder() const override { return true; }
};

} // namespace

TEST_F(UIViewTest, subviewsKeepTheirOrderInViewsAndLayers)
{
    auto parent = UIView::create(CGRectMake(0, 0, 100, 100));
    auto a = UIView::create(), b = UIView::create(), c = UIView::create();
    parent->addSubview(a);
    parent->addSubview(b);
    parent->insertSubview(c, 0);
    parent->bringSubviewToFront(c);
    parent->sendSubviewToBack(b);
    ASSERT_EQ(parent->subviews(), (std::vector<UIViewRef> { b, a, c }));
    const auto sublayers = parent->layer()->sublayers();
    ASSERT_EQ(sublayers.size(), 3u);
    EXPECT_EQ(sublayers[0], b->layer());
    EXPECT_EQ(sublayers[2], c->layer());

    auto other = UIView::create();
    other->addSubview(a);
    EXPECT_EQ(parent->subviews().size(), 2u);
    EXPECT_EQ(a->superview(), other);
    // A view cannot take its own ancestor.
    a->addSubview(other);
    EXPECT_EQ(other->superview(), nullptr);
    a->addSubview(a);
    EXPECT_TRUE(a->subviews().empty());
}

TEST_F(UIViewTest, viewWithTagSearchesDepthFirstFromTheViewItself)
{
    auto parent = UIView::create();
    auto child = UIView::create();
    auto grandchild = UIView::create();
    parent->addSubview(child);
    child->addSubview(grandchild);
    grandchild->setTag(7);
    parent->setTag(3);
    EXPECT_EQ(parent->viewWithTag(7), grandchild);
    EXPECT_EQ(parent->viewWithTag(3), parent);
    EXPECT_EQ(parent->viewWithTag(9), nullptr);
}

TEST_F(UIViewTest, autoresizingSharesTheChangeAmongFlexibleParts)
{
    auto parent = UIView::create(CGRectMake(0, 0, 200, 100));
    auto stretch = UIView::create(CGRectMake(10, 10, 180, 80));
    stretch->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    auto pinned = UIView::create(CGRectMake(150, 10, 40, 20));
    pinned->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin);
    auto centred = UIView::create(CGRectMake(50, 0, 100, 10));
    centred->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin | UIViewAutoresizingFlexibleRightMargin);
    parent->addSubview(stretch);
    parent->addSubview(pinned);
    parent->addSubview(centred);

    parent->setFrame(CGRectMake(0, 0, 300, 150));
    EXPECT_EQ(stretch->frame(), CGRectMake(10, 10, 280, 130));
    EXPECT_EQ(pinned->frame(), CGRectMake(250, 10, 40, 20));
    EXPECT_EQ(centred->frame(), CGRectMake(100, 0, 100, 10));

    parent->setAutoresizesSubviews(false);
    parent->setFrame(CGRectMake(0, 0, 100, 100));
    EXPECT_EQ(stretch->frame(), CGRectMake(10, 10, 280, 130));
}

TEST_F(UIViewTest, layoutRunsOnceForEachMarkAndAfterSizeChanges)
{
    auto view = LayoutCountingView::create(CGRectMake(0, 0, 50, 50));
    view->layoutIfNeeded();
    const int start = view->layouts;
    view->setNeedsLayout();
    view->setNeedsLayout();
    view->layoutIfNeeded();
    view->layoutIfNeeded();
    EXPECT_EQ(view->layouts, start + 1);
    view->setCenter(CGPointMake(80, 80));
    view->layoutIfNeeded();
    EXPECT_EQ(view->layouts, start + 1);
    view->setFrame(CGRectMake(0, 0, 60, 50));
    view->layoutIfNeeded();
    EXPECT_EQ(view->layouts, start + 2);
}

TEST_F(UIViewTest, conversionsGoThroughBoundsOriginsAndTransforms)
{
    auto outer = UIView::create(CGRectMake(100, 100, 100, 100));
    outer->setBounds(CGRectMake(10, 0, 100, 100));
    auto inner = UIView::create(CGRectMake(0, 0, 40, 20));
    inner->setCenter(CGPointMake(50, 50));
    inner->setTransform(CGAffineTransformMakeRotation(M_PI / 2));
    outer->addSubview(inner);
    root->view()->addSubview(outer);

    // The inner view's top-left corner turns a quarter about its centre.
    expectPoint(inner->convertPointToView(CGPointZero, outer), CGPointMake(60, 30));
    expectPoint(inner->convertPointToView(CGPointZero, nullptr), CGPointMake(150, 130));
    expectPoint(inner->convertPointFromView(CGPointMake(150, 130), nullptr), CGPointZero);
    expectPoint(outer->convertPointFromView(CGPointZero, inner), CGPointMake(60, 30));

    const CGRect box = inner->convertRectToView(inner->bounds(), outer);
    EXPECT_NEAR(box.origin.x, 40, 1e-9);
    EXPECT_NEAR(box.origin.y, 30, 1e-9);
    EXPECT_NEAR(box.size.width, 20, 1e-9);
    EXPECT_NEAR(box.size.height, 40, 1e-9);

    // A nested scale: points double on the way out.
    auto scaled = UIView::create(CGRectMake(0, 0, 10, 10));
    scaled->setTransform(CGAffineTransformMakeScale(2, 2));
    scaled->setCenter(CGPointMake(20, 20));
    inner->addSubview(scaled);
    const CGPoint corner = scaled->convertPointToView(CGPointMake(10, 10), inner);
    expectPoint(corner, CGPointMake(30, 30));
    expectPoint(scaled->convertPointFromView(inner->convertPointToView(corner, nullptr), nullptr), CGPointMake(10, 10));
}

TEST_F(UIViewTest, hitTestingSkipsHiddenTransparentAndDisabledViewsAndClipsToBounds)
{
    auto parent = UIView::create(CGRectMake(0, 0, 100, 100));
    auto child = UIView::create(CGRectMake(10, 10, 50, 50));
    auto overhang = UIView::create(CGRectMake(80, 80, 50, 50));
    parent->addSubview(child);
    parent->addSubview(overhang);
    root->view()->addSubview(parent);

    EXPECT_EQ(parent->hitTest(CGPointMake(20, 20), nullptr), child);
    child->setHidden(true);
    EXPECT_EQ(parent->hitTest(CGPointMake(20, 20), nullptr), parent);
    child->setHidden(false);
    child->setAlpha(0.005);
    EXPECT_EQ(parent->hitTest(CGPointMake(20, 20), nullptr), parent);
    child->setAlpha(0.01);
    EXPECT_EQ(parent->hitTest(CGPointMake(20, 20), nullptr), child);
    child->setUserInteractionEnabled(false);
    EXPECT_EQ(parent->hitTest(CGPointMake(20, 20), nullptr), parent);
    // The part of a subview outside its superview gets no touches, clipped or not.
    EXPECT_EQ(parent->hitTest(CGPointMake(90, 90), nullptr), overhang);
    EXPECT_EQ(parent->hitTest(CGPointMake(110, 110), nullptr), nullptr);
    EXPECT_EQ(window->hitTest(CGPointMake(110, 110), nullptr), root->view());
}

TEST_F(UIViewTest, hiddenTransparentOrDisabledViewsGetNoTouch)
{
    Log log;
    auto target = RecordingView::create(CGRectMake(0, 100, 100, 100));
    target->log = &log;
    root->view()->addSubview(target);

    host->tap(CGPointMake(50, 150));
    EXPECT_EQ(log, (Log { "view.began", "view.ended" }));
    log.clear();
    for (int variant = 0; variant < 3; ++variant) {
        target->setHidden(variant == 0);
        target->setAlpha(variant == 1 ? 0 : 1);
        target->setUserInteractionEnabled(variant != 2);
        host->tap(CGPointMake(50, 150));
        EXPECT_TRUE(log.empty()) << "variant " << variant;
    }
}

TEST_F(UIViewTest, drawRectDrawsWithTheOriginAtTheTopLeftOnlyWhenMarked)
{
    auto view = SquareView::create(CGRectMake(0, 40, 100, 100));
    view->setBackgroundColor(UIColor::whiteColor());
    root->view()->addSubview(view);
    view->setNeedsDisplay();
    host->advance(0.02);
    EXPECT_EQ(view->draws, 1);
    EXPECT_EQ(host->pixelAt(CGPointMake(2, 42)), (std::array<uint8_t, 4> { 255, 0, 0, 255 }));
    EXPECT_EQ(host->pixelAt(CGPointMake(2, 135)), (std::array<uint8_t, 4> { 255, 255, 255, 255 }));
    host->advance(0.1);
    EXPECT_EQ(view->draws, 1);

    view->setContentMode(UIViewContentMode::Redraw);
    view->setFrame(CGRectMake(0, 40, 120, 100));
    host->advance(0.02);
    EXPECT_EQ(view->draws, 2);
}

TEST_F(UIViewTest, leavingTheWindowTakesTheFirstResponderAlong)
{
    auto container = UIView::create(CGRectMake(0, 0, 100, 100));
    auto field = FirstResponderView::create(CGRectMake(0, 0, 10, 10));
    container->addSubview(field);
    EXPECT_FALSE(field->becomeFirstResponder());
    root->view()->addSubview(container);
    EXPECT_TRUE(field->becomeFirstResponder());
    EXPECT_TRUE(field->isFirstResponder());
    container->removeFromSuperview();
    EXPECT_FALSE(field->isFirstResponder());
    EXPECT_EQ(window->firstResponder(), nullptr);
}

TEST_F(UIViewTest, endEditingResignsTheFirstResponderInside)
{
    auto field = FirstResponderView::create(CGRectMake(0, 0, 10, 10));
    root->view()->addSubview(field);
    ASSERT_TRUE(field->becomeFirstResponder());
    auto unrelated = UIView::create();
    root->view()->addSubview(unrelated);
    EXPECT_TRUE(unrelated->endEditing(false));
    EXPECT_TRUE(field->isFirstResponder());
    EXPECT_TRUE(root->view()->endEditing(false));
    EXPECT_FALSE(field->isFirstResponder());
}

TEST_F(UIViewTest, responderChainRunsThroughControllerSuperviewWindowAndApplication)
{
    auto child = UIView::create();
    root->view()->addSubview(child);
    EXPECT_EQ(child->nextResponder(), root->view());
    EXPECT_EQ(root->view()->nextResponder(), root);
    EXPECT_EQ(root->nextResponder(), window);
    EXPECT_EQ(window->nextResponder(), UIApplication::sharedApplication());
}

namespace {
class Fitting : public UIView {
    NS_OBJECT(Fitting, UIView)
public:
    CGSize sizeThatFits(CGSize) const override { return CGSizeMake(33, 44); }
};
} // namespace

TEST_F(UIViewTest, sizeToFitKeepsTheOriginAndTakesTheFittingSize)
{
    auto view = Fitting::create(CGRectMake(5, 6, 1, 1));
    view->sizeToFit();
    EXPECT_EQ(view->frame(), CGRectMake(5, 6, 33, 44));
}

namespace {
class HookView : public UIView {
    NS_OBJECT(HookView, UIView)
public:
    void didAddSubview(const UIViewRef&) override { log.push_back("didAdd"); }
    void willRemoveSubview(const UIViewRef&) override { log.push_back("willRemove"); }
    void willMoveToSuperview(const UIViewRef& view) override { log.push_back(view ? "willMoveTo" : "willMoveToNil"); }
    void didMoveToSuperview() override { log.push_back("didMove"); }
    void willMoveToWindow(const std::shared_ptr<UIWindow>& window) override { log.push_back(window ? "willWindow" : "willNoWindow"); }
    void didMoveToWindow() override { log.push_back("didWindow"); }
    void tintColorDidChange() override { log.push_back("tint"); }
    Log log;
};
} // namespace

TEST_F(UIViewTest, treeChangesAreAnnouncedAroundThemInOrder)
{
    auto parent = HookView::create();
    auto child = HookView::create();
    parent->addSubview(child);
    EXPECT_EQ(parent->log, (Log { "didAdd" }));
    EXPECT_EQ(child->log, (Log { "willMoveTo", "didMove" }));
    child->log.clear();
    root->view()->addSubview(parent);
    EXPECT_EQ(child->log, (Log { "willWindow", "didWindow" }));
    child->log.clear();
    parent->log.clear();
    child->removeFromSuperview();
    EXPECT_EQ(parent->log, (Log { "willRemove" }));
    EXPECT_EQ(child->log, (Log { "willMoveToNil", "willNoWindow", "didMove", "didWindow" }));
    child->removeFromSuperview();
    EXPECT_EQ(child->log.size(), 4u);

    child->log.clear();
    parent->addSubview(child);
    parent->setTintColor(UIColor::redColor());
    parent->setTintColor(UIColor::redColor());
    EXPECT_EQ(std::count(child->log.begin(), child->log.end(), "tint"), 1);
    EXPECT_TRUE(child->tintColor()->isEqual(UIColor::redColor()));
    EXPECT_TRUE(UIView::create()->tintColor()->isEqual(UIColor::colorWithRed(0, 122.0 / 255, 1, 1)));
}

TEST_F(UIViewTest, aDimmedTintReachesTheViewsBelowThatTakeTheirParents)
{
    auto parent = HookView::create();
    auto child = HookView::create();
    auto own = HookView::create();
    parent->addSubview(child);
    parent->addSubview(own);
    own->setTintAdjustmentMode(UIViewTintAdjustmentMode::Normal);
    EXPECT_EQ(child->tintAdjustmentMode(), UIViewTintAdjustmentMode::Normal);
    child->log.clear();
    parent->setTintAdjustmentMode(UIViewTintAdjustmentMode::Dimmed);
    parent->setTintAdjustmentMode(UIViewTintAdjustmentMode::Dimmed);
    EXPECT_EQ(child->tintAdjustmentMode(), UIViewTintAdjustmentMode::Dimmed);
    EXPECT_EQ(own->tintAdjustmentMode(), UIViewTintAdjustmentMode::Normal);
    EXPECT_EQ(std::count(child->log.begin(), child->log.end(), "tint"), 1);
    // Back to automatic at the top is normal again.
    parent->setTintAdjustmentMode(UIViewTintAdjustmentMode::Automatic);
    EXPECT_EQ(child->tintAdjustmentMode(), UIViewTintAdjustmentMode::Normal);
    EXPECT_EQ(std::count(child->log.begin(), child->log.end(), "tint"), 2);
}

TEST_F(UIViewTest, siblingsFindTheirPlacesAndIndexesAreChecked)
{
    auto parent = UIView::create();
    auto a = UIView::create(), b = UIView::create(), c = UIView::create(), stranger = UIView::create();
    parent->addSubview(a);
    parent->insertSubviewAboveSubview(b, a);
    parent->insertSubviewBelowSubview(c, a);
    EXPECT_EQ(parent->subviews(), (std::vector<UIViewRef> { c, a, b }));
    parent->exchangeSubviewAtIndex(0, 2);
    EXPECT_EQ(parent->subviews(), (std::vector<UIViewRef> { b, a, c }));
    parent->exchangeSubviewAtIndex(0, 7);
    parent->exchangeSubviewAtIndex(-1, 1);
    EXPECT_EQ(parent->subviews(), (std::vector<UIViewRef> { b, a, c }));
    EXPECT_EQ(parent->layer()->sublayers().front(), b->layer());
    auto d = UIView::create(), e = UIView::create();
    parent->insertSubviewAboveSubview(d, stranger);
    parent->insertSubviewBelowSubview(e, stranger);
    EXPECT_EQ(parent->subviews().back(), d);
    EXPECT_EQ(parent->subviews().front(), e);
    parent->insertSubview(stranger, -5);
    EXPECT_EQ(parent->subviews().front(), stranger);
    parent->bringSubviewToFront(UIView::create());
    parent->insertSubview(a, 1);
    EXPECT_EQ(parent->subviews()[1], a);
    EXPECT_FALSE(a->isDescendantOfView(nullptr));
    EXPECT_TRUE(a->isDescendantOfView(parent));
}

TEST_F(UIViewTest, appearanceSettersReachTheLayer)
{
    auto view = UIView::create(CGRectMake(0, 0, 10, 10));
    view->setClipsToBounds(true);
    view->setOpaque(true);
    view->setAlpha(3);
    view->setContentMode(UIViewContentMode::BottomRight);
    view->setContentMode(UIViewContentMode::BottomRight);
    view->setBackgroundColor(nullptr);
    view->setNeedsDisplayInRect(CGRectMake(0, 0, 1, 1));
    view->setTag(4);
    view->setHidden(true);
    EXPECT_TRUE(view->layer()->masksToBounds());
    EXPECT_TRUE(view->isOpaque());
    EXPECT_EQ(view->alpha(), 1);
    EXPECT_TRUE(view->layer()->contentsGravity().isEqualToString(kCAGravityBottomRight));
    EXPECT_FALSE(view->layer()->backgroundColor());
    EXPECT_TRUE(view->layer()->needsDisplay());
    const std::string text = view->description().UTF8String();
    EXPECT_NE(text.find("frame = {{0, 0}, {10, 10}}"), std::string::npos);
    EXPECT_NE(text.find("hidden = YES"), std::string::npos);
    EXPECT_NE(text.find("tag = 4"), std::string::npos);
    EXPECT_EQ(view->intrinsicContentSize(), CGSizeMake(-1, -1));
    view->invalidateIntrinsicContentSize();
    EXPECT_EQ(UIView::create(CGRectMake(0, 0, 7, 8))->sizeThatFits(CGSizeZero), CGSizeMake(7, 8));
}

TEST_F(UIViewTest, windowsConvertThroughTheScreen)
{
    auto other = UIWindow::create(CGRectMake(0, 100, 320, 200));
    other->setHidden(false);
    EXPECT_EQ(other->convertPointToWindow(CGPointMake(10, 10), window), CGPointMake(10, 110));
    EXPECT_EQ(other->convertPointFromWindow(CGPointMake(10, 110), window), CGPointMake(10, 10));
    EXPECT_EQ(other->convertPointToWindow(CGPointMake(1, 1), nullptr), CGPointMake(1, 101));
    EXPECT_EQ(other->convertPointFromWindow(CGPointMake(1, 101), nullptr), CGPointMake(1, 1));
    other->setWindowLevel(UIWindowLevelAlert);
    EXPECT_EQ(UIApplication::sharedApplication()->windows().back(), other);
    other->setWindowLevel(UIWindowLevelNormal - 1);
    EXPECT_EQ(UIApplication::sharedApplication()->windows().front(), other);
    // A new root replaces the old one's view.
    auto second = UIViewController::create();
    window->setRootViewController(second);
    EXPECT_EQ(root->view()->superview(), nullptr);
    EXPECT_EQ(second->view()->superview(), window);
    window->setRootViewController(nullptr);
    EXPECT_EQ(second->view()->superview(), nullptr);
}

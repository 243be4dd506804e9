#include "platform/host/HeadlessHost.h"
#include "platform/uikit/UIPageControl.h"
#include "platform/uikit/UIProgressView.h"
#include "platform/uikit/UISegmentedControl.h"
#include "platform/uikit/UISlider.h"
#include "platform/uikit/UISwitch.h"
#include "WidgetTestSupport.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

using Pixel = std::array<uint8_t, 4>;
constexpr Pixel kWhite { 255, 255, 255, 255 };

class ControlScreen : public testing::Test {
protected:
    void SetUp() override
    {
        host = HeadlessHost::create();
        root = UIViewController::create();
        host->showRootViewController(root);
        root->view()->setBackgroundColor(UIColor::whiteColor());
    }

    // Counts value-changed events and notes what the control showed at each.
    template <class Control>
    std::shared_ptr<Control> add(std::shared_ptr<Control> control, std::function<void(Control&)> onChange = nullptr)
    {
        control->addTarget(nullptr, UIControl::Action([this, onChange](UIControl& sender, const UIEventRef&) {
            ++changes;
            if (onChange)
                onChange(static_cast<Control&>(sender));
        }), UIControlEventValueChanged);
        root->view()->addSubview(control);
        return control;
    }

    static bool near(Pixel a, Pixel b, int tolerance = 12)
    {
        for (size_t i = 0; i < 4; ++i) {
            if (std::abs(int(a[i]) - int(b[i])) > tolerance)
                return false;
        }
        return true;
    }

    std::shared_ptr<HeadlessHost> host;
    std::shared_ptr<UIViewController> root;
    int changes { 0 };
};

const Pixel kTint { 0, 122, 255, 255 };

} // namespace

TEST_F(ControlScreen, aSwitchFlipsByTapAndByDragAndReportsOnlyRealChanges)
{
    auto toggle = add(UISwitch::create(CGRectMake(100, 100, 200, 200)));
    EXPECT_EQ(toggle->frame(), CGRectMake(100, 100, 51, 31));
    EXPECT_FALSE(toggle->isOn());

    host->tap(toggle);
    EXPECT_TRUE(toggle->isOn());
    EXPECT_EQ(changes, 1);
    host->runUntilIdle();
    EXPECT_EQ(toggle->knobOffset(), 22);
    EXPECT_TRUE(near(host->pixelAt(CGPointMake(106, 115)), { 76, 217, 100, 255 }));

    host->tap(toggle);
    host->runUntilIdle();
    EXPECT_FALSE(toggle->isOn());
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(toggle->knobOffset(), 2);
    EXPECT_EQ(host->pixelAt(CGPointMake(140, 115)), kWhite);

    // Dragged across, the side where the finger lets go decides.
    host->drag(CGPointMake(115, 115), CGPointMake(145, 115));
    host->runUntilIdle();
    EXPECT_TRUE(toggle->isOn());
    EXPECT_EQ(changes, 3);
    // Dragged a little and back, it stays as it was.
    host->drag(CGPointMake(140, 115), CGPointMake(134, 115));
    host->runUntilIdle();
    EXPECT_TRUE(toggle->isOn());
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(toggle->knobOffset(), 22);

    // In code, no event; disabled, taps do nothing.
    toggle->setOn(false, true);
    host->runUntilIdle();
    EXPECT_EQ(toggle->knobOffset(), 2);
    toggle->setEnabled(false);
    host->tap(toggle);
    EXPECT_FALSE(toggle->isOn());
    EXPECT_EQ(changes, 3);
}

TEST_F(ControlScreen, aSwitchAnimatesItsKnobOnTheClock)
{
    auto toggle = add(UISwitch::create(CGRectMake(100, 100, 0, 0)));
    toggle->setOn(true, true);
    EXPECT_EQ(toggle->knobOffset(), 22);
    host->advance(0.1);
    const CGFloat shown = toggle->subviews().back()->layer()->presentationLayer()->position().x;
    EXPECT_GT(shown, 2 + 13.5);
    EXPECT_LT(shown, 22 + 13.5);
    host->runUntilIdle();
    EXPECT_EQ(toggle->subviews().back()->layer()->presentationLayer()->position().x, 22 + 13.5);
}

TEST_F(ControlScreen, aSliderFollowsTheThumbAndSendsValueChangedWhileTracking)
{
    std::vector<float> seen;
    auto slider = add(UISlider::create(CGRectMake(20, 100, 280, 34)), std::function<void(UISlider&)>([&](UISlider& s) {
        seen.push_back(s.value());
    }));
    slider->setMinimumValue(0);
    slider->setMaximumValue(100);
    // The thumb's centre is at 20 + 14 at the minimum; the travel is 280 - 28.
    host->drag(CGPointMake(34, 117), CGPointMake(160, 117), 0.3);
    EXPECT_NEAR(slider->value(), 50, 0.01);
    ASSERT_GT(seen.size(), 2u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_NEAR(seen.back(), 50, 0.01);

    // Where the finger takes the thumb does not make it jump.
    seen.clear();
    host->drag(CGPointMake(168, 117), CGPointMake(168 + 63, 117), 0.3);
    EXPECT_NEAR(slider->value(), 75, 0.01);
    // Past the end it stops at the maximum.
    host->drag(CGPointMake(223, 117), CGPointMake(319, 117), 0.3);
    EXPECT_EQ(slider->value(), 100);

    // A touch on the bare track does nothing.
    const int before = changes;
    host->drag(CGPointMake(40, 117), CGPointMake(100, 117), 0.3);
    EXPECT_EQ(slider->value(), 100);
    EXPECT_EQ(changes, before);

    // Not continuous: one event when the finger lifts.
    slider->setContinuous(false);
    host->drag(CGPointMake(286, 117), CGPointMake(160, 117), 0.3);
    EXPECT_EQ(changes, before + 1);
    EXPECT_NEAR(slider->value(), 50, 0.01);
}

TEST_F(ControlScreen, aSliderKeepsItsValueInItsRangeAndItsImagesPerState)
{
    auto slider = add(UISlider::create(CGRectMake(20, 100, 280, 34)));
    slider->setValue(5);
    EXPECT_EQ(slider->value(), 1);
    slider->setValue(NAN);
    EXPECT_EQ(slider->value(), 1);
    slider->setMaximumValue(0.5);
    EXPECT_EQ(slider->value(), 0.5f);
    slider->setMinimumValue(2);
    EXPECT_EQ(slider->maximumValue(), 2);
    EXPECT_EQ(slider->value(), 2);
    slider->setMaximumValue(10);
    slider->setValue(6);

    auto normal = solidImage(20, 20, 0xFF0000FF);
    auto held = solidImage(20, 20, 0x00FF00FF);
    slider->setThumbImage(normal, UIControlStateNormal);
    slider->setThumbImage(held, UIControlStateHighlighted);
    slider->setMinimumTrackImage(solidImage(4, 4, 0x0000FFFF), UIControlStateNormal);
    EXPECT_EQ(slider->currentThumbImage(), normal);
    EXPECT_EQ(slider->thumbImageForState(UIControlStateDisabled), normal);
    const CGRect thumb = slider->thumbRectForBounds(slider->bounds(), slider->trackRectForBounds(slider->bounds()), slider->value());
    EXPECT_EQ(thumb.size, CGSizeMake(20, 20));
    // At 6 of 2...10, half way along the travel of 260.
    EXPECT_NEAR(thumb.origin.x, 130, 0.01);
    host->runUntilIdle();
    EXPECT_EQ(host->pixelAt(CGPointMake(20 + 140, 117)), (Pixel { 255, 0, 0, 255 }));
    EXPECT_EQ(host->pixelAt(CGPointMake(60, 117)), (Pixel { 0, 0, 255, 255 }));
    EXPECT_EQ(host->pixelAt(CGPointMake(260, 117)), (Pixel { 183, 183, 183, 255 }));

    host->touchDown(CGPointMake(160, 117));
    EXPECT_EQ(slider->currentThumbImage(), held);
    host->runUntilIdle();
    EXPECT_EQ(host->pixelAt(CGPointMake(160, 117)), (Pixel { 0, 255, 0, 255 }));
    host->touchUp(CGPointMake(160, 117));
    EXPECT_EQ(slider->currentThumbImage(), normal);
    slider->setThumbImage(nullptr, UIControlStateNormal);
    EXPECT_EQ(slider->currentThumbImage(), nullptr);
}

TEST_F(ControlScreen, theDefaultSliderDrawsATintedTrackAGreyTrackAndAWhiteThumb)
{
    auto slider = add(UISlider::create(CGRectMake(20, 100, 280, 34)));
    slider->setValue(0.5);
    host->runUntilIdle();
    EXPECT_TRUE(near(host->pixelAt(CGPointMake(60, 117)), kTint, 40));
    EXPECT_TRUE(near(host->pixelAt(CGPointMake(260, 117)), { 183, 183, 183, 255 }, 40));
    EXPECT_TRUE(near(host->pixelAt(CGPointMake(160, 112)), kWhite, 6));
    EXPECT_EQ(host->pixelAt(CGPointMake(60, 104)), kWhite);
}

TEST_F(ControlScreen, aSegmentedControlSelectsOnLiftAndSkipsDisabledSegments)
{
    std::vector<NSInteger> seen;
    auto segments = add(UISegmentedControl::create(std::vector<UISegmentedControl::Item> { NSString("科目一"), NSString("科目二"), NSString("科目三") }),
        std::function<void(UISegmentedControl&)>([&](UISegmentedControl& s) { seen.push_back(s.selectedSegmentIndex()); }));
    EXPECT_EQ(segments->numberOfSegments(), 3u);
    EXPECT_EQ(segments->frame().size.height, 29);
    EXPECT_GT(segments->frame().size.width, 3 * 39);
    segments->setFrame(CGRectMake(40, 200, 240, 29));
    EXPECT_EQ(segments->selectedSegmentIndex(), UISegmentedControlNoSegment);
    EXPECT_EQ(segments->rectForSegmentAtIndex(1), CGRectMake(80, 0, 80, 29));

    host->tap(CGPointMake(160, 214));
    EXPECT_EQ(segments->selectedSegmentIndex(), 1);
    host->tap(CGPointMake(160, 214));
    EXPECT_EQ(seen, (std::vector<NSInteger> { 1 }));

    segments->setEnabled(false, 2);
    host->tap(CGPointMake(250, 214));
    EXPECT_EQ(segments->selectedSegmentIndex(), 1);
    EXPECT_FALSE(segments->isEnabledForSegmentAtIndex(2));
    // Pressed on one segment and let go on another: nothing.
    host->drag(CGPointMake(60, 214), CGPointMake(160, 214));
    EXPECT_EQ(segments->selectedSegmentIndex(), 1);
    host->tap(CGPointMake(60, 214));
    EXPECT_EQ(seen, (std::vector<NSInteger> { 1, 0 }));

    host->runUntilIdle();
    EXPECT_EQ(host->pixelAt(CGPointMake(45, 204)), kTint);
    EXPECT_EQ(host->pixelAt(CGPointMake(150, 204)), kWhite);

    // In code: no event, and out of range selects none.
    segments->setSelectedSegmentIndex(7);
    EXPECT_EQ(segments->selectedSegmentIndex(), UISegmentedControlNoSegment);
    EXPECT_EQ(seen.size(), 2u);
}

TEST_F(ControlScreen, aMomentarySegmentedControlShowsTheSegmentOnlyDuringItsAction)
{
    std::vector<NSInteger> seen;
    auto segments = add(UISegmentedControl::create(std::vector<UISegmentedControl::Item> { NSString("上一题"), NSString("下一题") }),
        std::function<void(UISegmentedControl&)>([&](UISegmentedControl& s) { seen.push_back(s.selectedSegmentIndex()); }));
    segments->setFrame(CGRectMake(60, 200, 200, 29));
    segments->setMomentary(true);
    host->tap(CGPointMake(210, 214));
    host->tap(CGPointMake(210, 214));
    EXPECT_EQ(seen, (std::vector<NSInteger> { 1, 1 }));
    EXPECT_EQ(segments->selectedSegmentIndex(), UISegmentedControlNoSegment);
    host->runUntilIdle();
    EXPECT_EQ(host->pixelAt(CGPointMake(200, 204)), kWhite);
    host->touchDown(CGPointMake(100, 214));
    host->runUntilIdle();
    EXPECT_NE(host->pixelAt(CGPointMake(80, 204)), kWhite);
    host->touchUp(CGPointMake(100, 214));
    EXPECT_EQ(seen.back(), 0);
}

TEST_F(ControlScreen, segmentsAreInsertedRemovedAndRetitledAroundTheSelection)
{
    auto segments = UISegmentedControl::create(std::vector<UISegmentedControl::Item> { NSString("A"), solidImage(10, 10, 0xFF0000FF) });
    EXPECT_EQ(segments->titleForSegmentAtIndex(0), NSString("A"));
    EXPECT_TRUE(segments->imageForSegmentAtIndex(1));
    segments->setSelectedSegmentIndex(1);
    segments->insertSegmentWithTitle("Z", 0);
    EXPECT_EQ(segments->selectedSegmentIndex(), 2);
    segments->insertSegmentWithTitle("end", 99);
    EXPECT_EQ(segments->titleForSegmentAtIndex(3), NSString("end"));
    segments->removeSegmentAtIndex(2);
    EXPECT_EQ(segments->selectedSegmentIndex(), UISegmentedControlNoSegment);
    segments->removeSegmentAtIndex(42);
    segments->setTitle("B", 1);
    segments->setWidth(50, 0);
    EXPECT_EQ(segments->widthForSegmentAtIndex(0), 50);
    EXPECT_EQ(segments->titleForSegmentAtIndex(9), NSString());
    EXPECT_EQ(segments->visibleText(), NSString("Z B end"));
    segments->removeAllSegments();
    EXPECT_EQ(segments->numberOfSegments(), 0u);
}

TEST_F(ControlScreen, aPageControlTurnsOnePageForATapOnEitherHalf)
{
    std::vector<NSInteger> seen;
    auto pages = add(UIPageControl::create(CGRectMake(60, 400, 200, 37)),
        std::function<void(UIPageControl&)>([&](UIPageControl& p) { seen.push_back(p.currentPage()); }));
    root->view()->setBackgroundColor(UIColor::blackColor());
    pages->setNumberOfPages(3);
    host->tap(CGPointMake(230, 418));
    host->tap(CGPointMake(230, 418));
    host->tap(CGPointMake(230, 418));
    EXPECT_EQ(pages->currentPage(), 2);
    host->tap(CGPointMake(80, 418));
    EXPECT_EQ(seen, (std::vector<NSInteger> { 1, 2, 1 }));

    // Three dots of 7 with 9 between, centred: the current one white, the others dim.
    host->runUntilIdle();
    EXPECT_EQ(pages->sizeForNumberOfPages(3), CGSizeMake(39, 37));
    EXPECT_EQ(host->pixelAt(CGPointMake(160, 418)), kWhite);
    const Pixel other = host->pixelAt(CGPointMake(144, 418));
    EXPECT_GT(other[0], 20);
    EXPECT_LT(other[0], 90);

    pages->setCurrentPageIndicatorTintColor(UIColor::redColor());
    pages->setNumberOfPages(1);
    EXPECT_EQ(pages->currentPage(), 0);
    host->tap(CGPointMake(230, 418));
    EXPECT_EQ(seen.size(), 3u);
    host->runUntilIdle();
    EXPECT_EQ(host->pixelAt(CGPointMake(160, 418)), (Pixel { 255, 0, 0, 255 }));
    pages->setHidesForSinglePage(true);
    host->runUntilIdle();
    EXPECT_EQ(host->pixelAt(CGPointMake(160, 418)), (Pixel { 0, 0, 0, 255 }));
    pages->setNumberOfPages(-4);
    EXPECT_EQ(pages->numberOfPages(), 0);
    EXPECT_TRUE(pages->dotViews().empty());
}

TEST_F(ControlScreen, aPageControlOfNoSizeStillShowsItsDotsAroundItsOrigin)
{
    auto pages = add(UIPageControl::create(CGRectMake(160, 500, 0, 0)));
    pages->setNumberOfPages(2);
    pages->setCurrentPage(1);
    pages->setPageIndicatorTintColor(UIColor::whiteColor());
    pages->setCurrentPageIndicatorTintColor(UIColor::blueColor());
    root->view()->setBackgroundColor(UIColor::blackColor());
    host->runUntilIdle();
    EXPECT_EQ(host->pixelAt(CGPointMake(152, 500)), kWhite);
    EXPECT_EQ(host->pixelAt(CGPointMake(168, 500)), (Pixel { 0, 0, 255, 255 }));
    pages->setCurrentPage(9);
    EXPECT_EQ(pages->currentPage(), 1);
}

TEST_F(ControlScreen, aProgressViewFillsFromTheLeftAndSlidesWhenAnimated)
{
    auto progress = UIProgressView::create(UIProgressViewStyleDefault);
    progress->setFrame(CGRectMake(20, 300, 200, 2));
    root->view()->addSubview(progress);
    progress->setProgress(0.25);
    host->runUntilIdle();
    EXPECT_EQ(progress->fillFrame(), CGRectMake(0, 0, 50, 2));
    EXPECT_EQ(host->pixelAt(CGPointMake(40, 301)), kTint);
    EXPECT_EQ(host->pixelAt(CGPointMake(100, 301)), (Pixel { 183, 183, 183, 255 }));

    progress->setProgress(0.75, true);
    EXPECT_EQ(progress->fillFrame().size.width, 150);
    host->advance(0.05);
    const CGFloat shown = progress->subviews().back()->layer()->presentationLayer()->bounds().size.width;
    EXPECT_GT(shown, 50);
    EXPECT_LT(shown, 150);
    host->runUntilIdle();
    EXPECT_EQ(host->pixelAt(CGPointMake(160, 301)), kTint);

    progress->setProgress(3);
    EXPECT_EQ(progress->progress(), 1);
    progress->setProgress(NAN);
    EXPECT_EQ(progress->progress(), 1);
    progress->setProgress(-1);
    progress->setProgressTintColor(UIColor::redColor());
    progress->setTrackImage(solidImage(4, 2, 0x00FF00FF));
    host->runUntilIdle();
    EXPECT_EQ(host->pixelAt(CGPointMake(40, 301)), (Pixel { 0, 255, 0, 255 }));
    progress->setProgress(1);
    host->runUntilIdle();
    EXPECT_EQ(host->pixelAt(CGPointMake(40, 301)), (Pixel { 255, 0, 0, 255 }));
    EXPECT_EQ(progress->sizeThatFits(CGSizeZero), CGSizeMake(200, 2));
}

TEST_F(ControlScreen, controlsTakeTheirColoursAndImagesAndKeepTheirOwnSizes)
{
    auto toggle = add(UISwitch::create(CGRectMake(20, 20, 0, 0)));
    toggle->setFrame(CGRectMake(20, 20, 100, 100));
    EXPECT_EQ(toggle->frame(), CGRectMake(20, 20, 51, 31));
    EXPECT_EQ(toggle->sizeThatFits(CGSizeMake(500, 500)), CGSizeMake(51, 31));
    toggle->setOn(true);
    toggle->setOnTintColor(UIColor::redColor());
    toggle->setThumbTintColor(UIColor::blueColor());
    host->runUntilIdle();
    EXPECT_EQ(host->pixelAt(CGPointMake(26, 35)), (Pixel { 255, 0, 0, 255 }));
    EXPECT_EQ(host->pixelAt(CGPointMake(56, 35)), (Pixel { 0, 0, 255, 255 }));
    toggle->setOn(false);
    toggle->setOffRimColor(UIColor::greenColor());
    toggle->setOnTintColor(nullptr);
    toggle->setThumbTintColor(nullptr);
    host->runUntilIdle();
    EXPECT_EQ(host->pixelAt(CGPointMake(45, 20.5)), (Pixel { 0, 255, 0, 255 }));
    toggle->setOn(true);
    host->runUntilIdle();
    EXPECT_EQ(host->pixelAt(CGPointMake(26, 35)), (Pixel { 76, 217, 100, 255 }));
    EXPECT_EQ(host->pixelAt(CGPointMake(56, 35)), kWhite);

    auto slider = add(UISlider::create(CGRectMake(20, 100, 280, 34)));
    slider->setValue(0.5);
    slider->setMinimumTrackTintColor(UIColor::redColor());
    slider->setMaximumTrackTintColor(UIColor::greenColor());
    slider->setThumbTintColor(UIColor::blueColor());
    host->runUntilIdle();
    EXPECT_EQ(host->pixelAt(CGPointMake(40, 117)), (Pixel { 255, 0, 0, 255 }));
    EXPECT_EQ(host->pixelAt(CGPointMake(280, 117)), (Pixel { 0, 255, 0, 255 }));
    EXPECT_EQ(host->pixelAt(CGPointMake(160, 117)), (Pixel { 0, 0, 255, 255 }));
    slider->setMaximumTrackImage(solidImage(4, 6, 0xFFFF00FF), UIControlStateNormal);
    EXPECT_EQ(slider->trackRectForBounds(slider->bounds()).size.height, 6);
    EXPECT_EQ(slider->sizeThatFits(CGSizeZero), CGSizeMake(280, 34));
    host->runUntilIdle();
    EXPECT_EQ(host->pixelAt(CGPointMake(280, 119)), (Pixel { 255, 255, 0, 255 }));
    // A slider no wider than its thumb has nowhere to go.
    slider->setFrame(CGRectMake(20, 100, 20, 34));
    host->drag(CGPointMake(30, 117), CGPointMake(200, 117));
    EXPECT_EQ(slider->value(), 0);

    auto progress = UIProgressView::create(CGRectMake(20, 300, 200, 2));
    root->view()->addSubview(progress);
    progress->setProgressViewStyle(UIProgressViewStyleBar);
    EXPECT_EQ(progress->progressViewStyle(), UIProgressViewStyleBar);
    progress->setProgress(0.5);
    host->runUntilIdle();
    EXPECT_EQ(host->pixelAt(CGPointMake(180, 301)), kWhite);
    progress->setTrackTintColor(UIColor::greenColor());
    progress->setProgressImage(solidImage(2, 2, 0xFF0000FF));
    host->runUntilIdle();
    EXPECT_EQ(host->pixelAt(CGPointMake(180, 301)), (Pixel { 0, 255, 0, 255 }));
    EXPECT_EQ(host->pixelAt(CGPointMake(40, 301)), (Pixel { 255, 0, 0, 255 }));
    EXPECT_TRUE(progress->progressImage());
}

TEST_F(ControlScreen, aSwitchWhoseTouchIsTakenAwayStaysAsItWas)
{
    auto toggle = add(UISwitch::create(CGRectMake(100, 100, 0, 0)));
    host->touchDown(CGPointMake(115, 115));
    host->touchMove(CGPointMake(145, 115));
    EXPECT_GT(toggle->knobOffset(), 2);
    host->touchCancel();
    host->runUntilIdle();
    EXPECT_FALSE(toggle->isOn());
    EXPECT_EQ(toggle->knobOffset(), 2);
    EXPECT_EQ(changes, 0);
}

TEST_F(ControlScreen, segmentsOfImagesAndFixedWidthsAreLaidOutAndDrawn)
{
    auto segments = add(UISegmentedControl::create(std::vector<UISegmentedControl::Item> { NSString("甲"), NSString("乙") }));
    segments->setFont(UIFont::boldSystemFontOfSize(15));
    segments->setFont(nullptr);
    EXPECT_EQ(segments->font()->pointSize(), 13);
    segments->insertSegmentWithImage(solidImage(10, 10, 0xFF0000FF), 0);
    segments->setImage(solidImage(12, 12, 0x00FF00FF), 2);
    segments->setImage(nullptr, 7);
    segments->setTitle("x", 7);
    segments->setEnabled(false, 7);
    segments->setWidth(NAN, 0);
    segments->setWidth(100, 0);
    EXPECT_FALSE(segments->isEnabledForSegmentAtIndex(7));
    EXPECT_FALSE(segments->imageForSegmentAtIndex(7));
    EXPECT_EQ(segments->widthForSegmentAtIndex(7), 0);
    EXPECT_EQ(segments->titleForSegmentAtIndex(2), NSString());
    // The fixed one keeps its width, the others are as wide as the widest free one.
    const CGSize size = segments->sizeThatFits(CGSizeZero);
    segments->setFrame(CGRectMake(10, 400, size.width, size.height));
    EXPECT_EQ(segments->rectForSegmentAtIndex(0).size.width, 100);
    EXPECT_EQ(segments->rectForSegmentAtIndex(1).size.width, segments->rectForSegmentAtIndex(2).size.width);
    EXPECT_EQ(segments->rectForSegmentAtIndex(5), CGRectZero);
    EXPECT_EQ(segments->segmentAtPoint(CGPointMake(-5, 10)), UISegmentedControlNoSegment);
    host->runUntilIdle();
    EXPECT_EQ(host->pixelAt(CGPointMake(60, 414.5)), (Pixel { 255, 0, 0, 255 }));
    const CGRect third = segments->rectForSegmentAtIndex(2);
    EXPECT_EQ(host->pixelAt(CGPointMake(10 + CGRectGetMidX(third), 414.5)), (Pixel { 0, 255, 0, 255 }));

    // Selected after the removed one: the selection moves down with it.
    segments->setSelectedSegmentIndex(2);
    segments->removeSegmentAtIndex(0);
    EXPECT_EQ(segments->selectedSegmentIndex(), 1);
    // A touch taken away selects nothing.
    host->touchDown(CGPointMake(10 + CGRectGetMidX(segments->rectForSegmentAtIndex(0)), 414));
    host->touchCancel();
    EXPECT_EQ(segments->selectedSegmentIndex(), 1);
    EXPECT_EQ(changes, 0);
}

TEST_F(ControlScreen, aSliderSetAnimatedGlidesItsThumbOnTheClock)
{
    auto slider = add(UISlider::create(CGRectMake(20, 100, 280, 34)));
    host->runUntilIdle();
    slider->setValue(1, true);
    EXPECT_EQ(slider->value(), 1);
    EXPECT_EQ(slider->presentedValue(), 0);
    host->advance(0.05);
    EXPECT_GT(slider->presentedValue(), 0);
    EXPECT_LT(slider->presentedValue(), 1);
    host->runUntilIdle();
    EXPECT_EQ(slider->presentedValue(), 1);
    EXPECT_TRUE(near(host->pixelAt(CGPointMake(286, 112)), kWhite, 6));
    EXPECT_TRUE(near(host->pixelAt(CGPointMake(160, 117)), kTint, 40));
    EXPECT_EQ(changes, 0);

    // A new value in the middle of the glide starts from where the thumb is; a plain set ends it.
    slider->setValue(0, true);
    host->advance(0.05);
    const float between = slider->presentedValue();
    slider->setValue(0.5, true);
    host->advance(0.01);
    EXPECT_LT(std::abs(slider->presentedValue() - between), 0.2);
    slider->setValue(0.25);
    EXPECT_EQ(slider->presentedValue(), 0.25f);
    // Off the screen there is nothing to watch.
    auto loose = UISlider::create(CGRectMake(0, 0, 200, 34));
    loose->setValue(0.8f, true);
    EXPECT_EQ(loose->presentedValue(), 0.8f);
}

#include "TouchScript.h"
#include "WidgetTestSupport.h"

#include "platform/uikit/UIActivityIndicatorView.h"
#include "platform/uikit/UIImageView.h"

#include "tests/support/ManualClockTest.h"

#include <gtest/gtest.h>

namespace {

constexpr RGBA red = 0xFF0000FF, green = 0x00FF00FF, blue = 0x0000FFFF;

using UIImageViewTest = testing_support::ManualClockTest<>;
using UIActivityIndicatorViewTest = testing_support::ManualClockTest<>;

// The view's layer composited on its own, at scale 1.
CGImageRef rendered(const UIViewRef& view)
{
    view->layer()->displayIfNeeded();
    return drawnPicture(view->bounds().size, [&] { view->layer()->renderInContext(UIGraphicsGetCurrentContext()); });
}

} // namespace

TEST_F(UIImageViewTest, showsItsImageAsTheLayersContents)
{
    auto image = solidImage(40, 20, red, 2);
    auto view = UIImageView::create(image);
    EXPECT_EQ(view->frame(), CGRectMake(0, 0, 20, 10));
    EXPECT_FALSE(view->isUserInteractionEnabled());
    EXPECT_EQ(view->sizeThatFits(CGSizeZero), CGSizeMake(20, 10));
    view->layer()->displayIfNeeded();
    EXPECT_EQ(view->layer()->contents(), image->CGImage());
    EXPECT_EQ(view->layer()->contentsScale(), 2);
    EXPECT_EQ(pixelOf(rendered(view), 10, 5), red);

    view->setImage(nullptr);
    view->layer()->displayIfNeeded();
    EXPECT_FALSE(view->layer()->contents());
    EXPECT_EQ(view->intrinsicContentSize(), CGSizeMake(-1, -1));
    EXPECT_EQ(pixelOf(rendered(view), 10, 5) & 0xFF, 0u);
}

TEST_F(UIImageViewTest, nilImagesShowNothingAndNeverCrash)
{
    auto view = UIImageView::create(UIImageRef(), UIImageRef());
    EXPECT_EQ(view->frame(), CGRectZero);
    view->setFrame(CGRectMake(0, 0, 10, 10));
    view->setHighlighted(true);
    view->setAnimationImages({ nullptr, nullptr });
    view->startAnimating();
    EXPECT_FALSE(view->isAnimating());
    EXPECT_FALSE(view->displayedImage());
    EXPECT_EQ(view->sizeThatFits(CGSizeMake(5, 5)), CGSizeZero);
    EXPECT_EQ(pixelOf(rendered(view), 5, 5) & 0xFF, 0u);
}

TEST_F(UIImageViewTest, contentModesPlaceTheImage)
{
    auto view = UIImageView::create(CGRectMake(0, 0, 40, 20));
    view->setImage(solidImage(10, 10, red));
    view->setContentMode(UIViewContentMode::Center);
    auto centred = rendered(view);
    EXPECT_EQ(pixelOf(centred, 20, 10), red);
    EXPECT_EQ(pixelOf(centred, 2, 10) & 0xFF, 0u);
    view->setContentMode(UIViewContentMode::ScaleAspectFit);
    auto fitted = rendered(view);
    EXPECT_EQ(pixelOf(fitted, 11, 2), red);
    EXPECT_EQ(pixelOf(fitted, 5, 10) & 0xFF, 0u);
    view->setContentMode(UIViewContentMode::ScaleToFill);
    EXPECT_EQ(pixelOf(rendered(view), 2, 2), red);
}

TEST_F(UIImageViewTest, theHighlightedImageShowsWhileHighlighted)
{
    auto normal = solidImage(4, 4, red), highlighted = solidImage(4, 4, blue);
    auto view = UIImageView::create(normal, highlighted);
    EXPECT_EQ(view->displayedImage(), normal);
    view->setHighlighted(true);
    EXPECT_EQ(view->displayedImage(), highlighted);
    EXPECT_EQ(pixelOf(rendered(view), 2, 2), blue);
    view->setHighlightedImage(nullptr);
    EXPECT_EQ(view->displayedImage(), normal);
}

TEST_F(UIImageViewTest, resizableImagesAreDrawnAtTheViewsSize)
{
    auto framed = paintedImage(3, 3, 1, [](int x, int y) { return x == 1 && y == 1 ? blue : red; });
    auto view = UIImageView::create(CGRectMake(0, 0, 30, 12));
    view->setImage(framed->resizableImageWithCapInsets(UIEdgeInsetsMake(1, 1, 1, 1), UIImageResizingModeStretch));
    auto picture = rendered(view);
    EXPECT_EQ(pixelOf(picture, 0, 0), red);
    EXPECT_EQ(pixelOf(picture, 15, 6), blue);
    EXPECT_EQ(pixelOf(picture, 29, 6), red);
    // A new size draws again, so the caps stay one point wide.
    view->setFrame(CGRectMake(0, 0, 60, 12));
    EXPECT_TRUE(view->layer()->needsDisplay());
    auto wider = rendered(view);
    EXPECT_EQ(pixelOf(wider, 2, 6), blue);
    EXPECT_EQ(pixelOf(wider, 59, 6), red);
}

TEST_F(UIImageViewTest, animationImagesPlayTheirCountOfTimesOnTheClock)
{
    auto still = solidImage(2, 2, green);
    auto frames = std::vector<UIImageRef> { solidImage(2, 2, red), nullptr, solidImage(2, 2, blue) };
    auto view = UIImageView::create(still);
    view->startAnimating();
    EXPECT_FALSE(view->isAnimating());
    view->setAnimationImages(frames);
    ASSERT_EQ(view->animationImages().size(), 2u);
    view->setAnimationDuration(0.4);
    view->setAnimationRepeatCount(2);
    view->startAnimating();
    EXPECT_TRUE(view->isAnimating());
    EXPECT_EQ(view->displayedImage(), frames[0]);
    TouchScript::advance(0.2);
    EXPECT_EQ(view->displayedImage(), frames[2]);
    EXPECT_TRUE(view->layer()->needsDisplay());
    TouchScript::advance(0.2);
    EXPECT_EQ(view->displayedImage(), frames[0]);
    TouchScript::advance(0.2);
    EXPECT_EQ(view->displayedImage(), frames[2]);
    TouchScript::advance(0.2);
    EXPECT_FALSE(view->isAnimating());
    EXPECT_EQ(view->displayedImage(), still);
}

TEST_F(UIImageViewTest, stoppingShowsTheImageAgainAndAGoneViewStopsItsClock)
{
    auto still = solidImage(2, 2, green);
    auto view = UIImageView::create(still);
    view->setAnimationImages({ solidImage(2, 2, red), solidImage(2, 2, blue) });
    view->startAnimating();
    // No duration given: a thirtieth of a second per frame, without end.
    TouchScript::advance(1.0 / 30);
    EXPECT_EQ(view->displayedImage(), view->animationImages()[1]);
    TouchScript::advance(10);
    EXPECT_TRUE(view->isAnimating());
    view->stopAnimating();
    EXPECT_EQ(view->displayedImage(), still);
    view->startAnimating();
    view.reset();
    TouchScript::advance(1);
}

TEST_F(UIImageViewTest, anAnimatedImagePlaysWithoutEnd)
{
    auto animated = UIImage::animatedImageWithImages({ solidImage(2, 2, red), solidImage(2, 2, green), solidImage(2, 2, blue) }, 0.3);
    auto view = UIImageView::create(animated);
    EXPECT_EQ(view->displayedImage(), animated->images()[0]);
    TouchScript::advance(0.1);
    EXPECT_EQ(view->displayedImage(), animated->images()[1]);
    TouchScript::advance(0.3);
    EXPECT_EQ(view->displayedImage(), animated->images()[1]);
    EXPECT_FALSE(view->isAnimating());
    view->setImage(solidImage(2, 2, red));
    TouchScript::advance(1);
    EXPECT_EQ(view->displayedImage(), view->image());
}

TEST_F(UIActivityIndicatorViewTest, spinsOnTheClockAndHidesWhenStopped)
{
    auto spinner = UIActivityIndicatorView::create(UIActivityIndicatorViewStyleWhiteLarge);
    EXPECT_EQ(spinner->bounds().size, CGSizeMake(37, 37));
    EXPECT_TRUE(spinner->isHidden());
    EXPECT_FALSE(spinner->isAnimating());
    spinner->startAnimating();
    EXPECT_FALSE(spinner->isHidden());
    EXPECT_EQ(spinner->leadingSpoke(), 0);
    TouchScript::advance(0.25);
    EXPECT_EQ(spinner->leadingSpoke(), 3);
    TouchScript::advance(1);
    EXPECT_EQ(spinner->leadingSpoke(), 3);
    spinner->stopAnimating();
    EXPECT_TRUE(spinner->isHidden());
    TouchScript::advance(0.5);
    EXPECT_EQ(spinner->leadingSpoke(), 3);

    spinner->setHidesWhenStopped(false);
    EXPECT_FALSE(spinner->isHidden());
    spinner->setActivityIndicatorViewStyle(UIActivityIndicatorViewStyleGray);
    EXPECT_EQ(spinner->sizeThatFits(CGSizeZero), CGSizeMake(20, 20));
    EXPECT_EQ(spinner->bounds().size, CGSizeMake(20, 20));
    EXPECT_TRUE(ns::isEqual(spinner->color(), UIColor::grayColor()));
}

TEST_F(UIActivityIndicatorViewTest, drawsItsLeadingSpokeBrightest)
{
    auto spinner = UIActivityIndicatorView::create(UIActivityIndicatorViewStyleGray);
    spinner->setColor(UIColor::blueColor());
    spinner->setHidesWhenStopped(false);
    const auto picture = rendered(spinner);
    // Twelve o'clock leads; the spoke just before it, at eleven, fades most.
    const RGBA top = pixelOf(picture, 10, 3), left = pixelOf(picture, 3, 10);
    EXPECT_EQ(top & 0xFFFFFF00, 0x0000FF00u);
    EXPECT_GT(top & 0xFF, 0xC0u);
    EXPECT_LT(left & 0xFF, top & 0xFF);
    spinner.reset();
    TouchScript::advance(1);
}

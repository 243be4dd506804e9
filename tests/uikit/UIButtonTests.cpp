#include "WidgetTestSupport.h"

#include "platform/uikit/UIButton.h"

#include <gtest/gtest.h>

namespace {

constexpr RGBA red = 0xFF0000FF, blue = 0x0000FFFF;

UIButtonRef buttonWithImageAndTitle(CGRect frame)
{
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    button->setFrame(frame);
    button->setImage(solidImage(20, 20, red), UIControlStateNormal);
    button->setTitle("Title", UIControlStateNormal);
    button->layoutIfNeeded();
    return button;
}

} // namespace

TEST(UIButton, statesWithoutTheirOwnValueShowTheNormalOnes)
{
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    auto normal = solidImage(4, 4, red), selected = solidImage(4, 4, blue);
    button->setTitle("normal", UIControlStateNormal);
    button->setTitle("selected", UIControlStateSelected);
    button->setImage(normal, UIControlStateNormal);
    button->setImage(selected, UIControlStateSelected);
    button->setTitleColor(UIColor::redColor(), UIControlStateHighlighted);

    EXPECT_EQ(button->currentTitle(), NSString("normal"));
    EXPECT_TRUE(ns::isEqual(button->currentTitleColor(), UIColor::whiteColor()));
    button->setSelected(true);
    EXPECT_EQ(button->currentTitle(), NSString("selected"));
    EXPECT_EQ(button->currentImage(), selected);
    EXPECT_EQ(button->titleLabel()->text(), NSString("selected"));
    // Selected and highlighted together has no value of its own: the normal state's shows.
    button->setHighlighted(true);
    EXPECT_EQ(button->currentTitle(), NSString("normal"));
    EXPECT_EQ(button->currentImage(), normal);
    button->setSelected(false);
    EXPECT_TRUE(ns::isEqual(button->currentTitleColor(), UIColor::redColor()));
    EXPECT_TRUE(ns::isEqual(button->titleLabel()->textColor(), UIColor::redColor()));

    EXPECT_EQ(button->titleForState(UIControlStateHighlighted).isNil(), true);
    EXPECT_EQ(button->imageForState(UIControlStateSelected), selected);
    EXPECT_TRUE(ns::isEqual(button->titleColorForState(UIControlStateHighlighted), UIColor::redColor()));
    EXPECT_FALSE(button->titleColorForState(UIControlStateNormal));
    EXPECT_EQ(button->visibleText(), NSString("normal"));
}

TEST(UIButton, nilImagesAndTitlesClearTheState)
{
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    button->setFrame(CGRectMake(0, 0, 100, 40));
    button->setImage(nullptr, UIControlStateNormal);
    button->setBackgroundImage(nullptr, UIControlStateHighlighted);
    button->setTitle(NSString(), UIControlStateNormal);
    button->setHighlighted(true);
    button->layoutIfNeeded();
    EXPECT_FALSE(button->currentImage());
    EXPECT_FALSE(button->currentBackgroundImage());
    EXPECT_EQ(button->sizeThatFits(CGSizeZero), CGSizeZero);
    button->setImage(solidImage(4, 4, red), UIControlStateNormal);
    button->setImage(nullptr, UIControlStateNormal);
    EXPECT_FALSE(button->imageView()->image());
}

TEST(UIButton, imageSitsBeforeTheTitleAndBothAreCentred)
{
    auto button = buttonWithImageAndTitle(CGRectMake(0, 0, 200, 60));
    const CGRect image = button->imageView()->frame();
    const CGRect title = button->titleLabel()->frame();
    EXPECT_EQ(image.size, CGSizeMake(20, 20));
    EXPECT_EQ(image.origin.y, 20);
    EXPECT_DOUBLE_EQ(CGRectGetMaxX(image), title.origin.x);
    EXPECT_NEAR((image.origin.x + CGRectGetMaxX(title)) / 2, 100, 0.5);
    EXPECT_NEAR(CGRectGetMidY(title), 30, 0.5);
    const CGSize fits = button->sizeThatFits(CGSizeZero);
    EXPECT_EQ(fits.width, 20 + title.size.width);
    EXPECT_EQ(fits.height, std::max<CGFloat>(20, title.size.height));
}

TEST(UIButton, edgeInsetsMoveEachPartWithinItsOwnArea)
{
    auto plain = buttonWithImageAndTitle(CGRectMake(0, 0, 200, 60));
    const CGRect image = plain->imageView()->frame();
    const CGRect title = plain->titleLabel()->frame();

    // The platform's way of putting the image after the title.
    auto swapped = buttonWithImageAndTitle(CGRectMake(0, 0, 200, 60));
    swapped->setImageEdgeInsets(UIEdgeInsetsMake(0, title.size.width, 0, -title.size.width));
    swapped->setTitleEdgeInsets(UIEdgeInsetsMake(0, -image.size.width, 0, image.size.width));
    swapped->layoutIfNeeded();
    EXPECT_NEAR(swapped->titleLabel()->frame().origin.x, image.origin.x, 0.5);
    EXPECT_NEAR(CGRectGetMaxX(swapped->imageView()->frame()), CGRectGetMaxX(title), 0.5);

    // A one-sided inset shifts a centred part by half of it.
    auto shifted = buttonWithImageAndTitle(CGRectMake(0, 0, 200, 60));
    shifted->setTitleEdgeInsets(UIEdgeInsetsMake(20, 10, 0, 0));
    shifted->layoutIfNeeded();
    EXPECT_NEAR(shifted->titleLabel()->frame().origin.x, title.origin.x + 5, 0.5);
    EXPECT_NEAR(shifted->titleLabel()->frame().origin.y, title.origin.y + 10, 0.5);
    EXPECT_EQ(shifted->imageView()->frame(), image);

    // Content insets shrink the area both share and grow the fitting size.
    auto padded = buttonWithImageAndTitle(CGRectMake(0, 0, 200, 60));
    padded->setContentEdgeInsets(UIEdgeInsetsMake(0, 40, 0, 0));
    padded->layoutIfNeeded();
    EXPECT_NEAR(padded->imageView()->frame().origin.x, image.origin.x + 20, 0.5);
    EXPECT_EQ(padded->sizeThatFits(CGSizeZero).width, plain->sizeThatFits(CGSizeZero).width + 40);
}

TEST(UIButton, contentAlignmentsPlaceTheParts)
{
    auto button = buttonWithImageAndTitle(CGRectMake(0, 0, 200, 60));
    button->setContentHorizontalAlignment(UIControlContentHorizontalAlignmentLeft);
    button->setContentVerticalAlignment(UIControlContentVerticalAlignmentTop);
    button->layoutIfNeeded();
    EXPECT_EQ(button->imageView()->frame().origin, CGPointZero);
    EXPECT_EQ(button->titleLabel()->frame().origin.y, 0);
    button->setContentHorizontalAlignment(UIControlContentHorizontalAlignmentRight);
    button->setContentVerticalAlignment(UIControlContentVerticalAlignmentBottom);
    button->layoutIfNeeded();
    EXPECT_NEAR(CGRectGetMaxX(button->titleLabel()->frame()), 200, 0.5);
    EXPECT_EQ(CGRectGetMaxY(button->imageView()->frame()), 60);
    button->setContentHorizontalAlignment(UIControlContentHorizontalAlignmentFill);
    button->setContentVerticalAlignment(UIControlContentVerticalAlignmentFill);
    button->layoutIfNeeded();
    EXPECT_EQ(CGRectGetMaxX(button->titleLabel()->frame()), 200);
    EXPECT_EQ(button->titleLabel()->frame().size.height, 60);

    // A title too long for the button is cut to the room beside the image.
    button->setTitle("A title far too long to fit in a button this narrow", UIControlStateNormal);
    button->setContentHorizontalAlignment(UIControlContentHorizontalAlignmentCenter);
    button->layoutIfNeeded();
    EXPECT_EQ(button->titleLabel()->frame().origin.x, 20);
    EXPECT_EQ(button->titleLabel()->frame().size.width, 180);
}

TEST(UIButton, customButtonsDarkenTheirImagesWhileHighlighted)
{
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    button->setFrame(CGRectMake(0, 0, 40, 40));
    button->setImage(solidImage(10, 10, 0xFFFFFFFF), UIControlStateNormal);
    button->setBackgroundImage(solidImage(10, 10, 0xFFFFFFFF)->resizableImageWithCapInsets(UIEdgeInsetsMake(2, 2, 2, 2)),
        UIControlStateNormal);
    button->setHighlighted(true);
    const RGBA darkened = pixelOf(button->imageView()->image()->CGImage(), 5, 5);
    EXPECT_NEAR(int(darkened >> 24), 171, 2);
    EXPECT_EQ(darkened & 0xFF, 0xFFu);
    EXPECT_TRUE(button->currentBackgroundImage()->isResizable());

    button->setAdjustsImageWhenHighlighted(false);
    EXPECT_EQ(pixelOf(button->imageView()->image()->CGImage(), 5, 5), 0xFFFFFFFFu);
    // An image of its own for the highlighted state is shown as it is.
    button->setAdjustsImageWhenHighlighted(true);
    auto own = solidImage(10, 10, red);
    button->setImage(own, UIControlStateHighlighted);
    EXPECT_EQ(button->imageView()->image(), own);
    button->setHighlighted(false);
    EXPECT_EQ(pixelOf(button->imageView()->image()->CGImage(), 5, 5), 0xFFFFFFFFu);
}

TEST(UIButton, systemButtonsUseTheTintAndDimWhileHighlighted)
{
    auto button = UIButton::buttonWithType(UIButtonTypeSystem);
    EXPECT_EQ(button->buttonType(), UIButtonTypeSystem);
    button->setTitle("OK", UIControlStateNormal);
    EXPECT_TRUE(ns::isEqual(button->titleLabel()->textColor(), button->tintColor()));
    button->setTintColor(UIColor::redColor());
    EXPECT_TRUE(ns::isEqual(button->titleLabel()->textColor(), UIColor::redColor()));
    button->setHighlighted(true);
    EXPECT_LT(button->titleLabel()->alpha(), 0.5);
    button->setHighlighted(false);
    EXPECT_EQ(button->titleLabel()->alpha(), 1);
    button->setEnabled(false);
    EXPECT_FALSE(ns::isEqual(button->titleLabel()->textColor(), UIColor::redColor()));
}

TEST(UIButton, theBackgroundFillsTheBoundsBehindTheRest)
{
    auto button = buttonWithImageAndTitle(CGRectMake(0, 0, 120, 44));
    button->setBackgroundImage(solidImage(10, 60, blue), UIControlStateNormal);
    button->layoutIfNeeded();
    ASSERT_GE(button->subviews().size(), 3u);
    auto background = std::dynamic_pointer_cast<UIImageView>(button->subviews().front());
    ASSERT_TRUE(background);
    EXPECT_EQ(background->frame(), button->bounds());
    EXPECT_EQ(button->subviews().back(), button->titleLabel());
    // The fitting size is at least the background image's.
    EXPECT_EQ(button->sizeThatFits(CGSizeZero).height, 60);
}

TEST(UIButton, showsATouchGlowAtItsCentreWhileHighlighted)
{
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    button->setFrame(CGRectMake(0, 0, 100, 60));
    button->setHighlighted(true);
    EXPECT_EQ(button->subviews().size(), 0u);
    button->setShowsTouchWhenHighlighted(true);
    ASSERT_EQ(button->subviews().size(), 1u);
    auto glow = button->subviews().back();
    button->layoutIfNeeded();
    EXPECT_FALSE(glow->isHidden());
    EXPECT_EQ(glow->center(), CGPointMake(50, 30));
    // Above a title added later, and gone when the finger lifts.
    button->setTitle("Go", UIControlStateNormal);
    EXPECT_EQ(button->subviews().back(), glow);
    button->setHighlighted(false);
    EXPECT_TRUE(glow->isHidden());
}

#include "platform/graphics/CGBitmapContext.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIGeometry.h"

#include <gtest/gtest.h>

TEST(UIColor, componentsComeBackInTheirOwnSpaceAndClamp)
{
    CGFloat r = -1, g = -1, b = -1, a = -1, w = -1;
    auto orange = UIColor::colorWithRed(1, 0.5, 0, 0.25);
    EXPECT_TRUE(orange->getRed(&r, &g, &b, &a));
    EXPECT_EQ(std::vector<CGFloat>({ r, g, b, a }), std::vector<CGFloat>({ 1, 0.5, 0, 0.25 }));
    EXPECT_FALSE(orange->getWhite(&w, &a));
    EXPECT_TRUE(UIColor::colorWithWhite(0.3, 1)->getWhite(&w, &a));
    EXPECT_DOUBLE_EQ(w, 0.3);
    EXPECT_TRUE(UIColor::colorWithWhite(0.3, 1)->getRed(&r, &g, &b, nullptr));
    EXPECT_DOUBLE_EQ(g, 0.3);
    auto clamped = UIColor::colorWithRed(2, -1, NAN, 5);
    clamped->getRed(&r, &g, &b, &a);
    EXPECT_EQ(std::vector<CGFloat>({ r, g, b, a }), std::vector<CGFloat>({ 1, 0, 0, 1 }));
    EXPECT_DOUBLE_EQ(orange->colorWithAlphaComponent(0.8)->alpha(), 0.8);
    EXPECT_EQ(UIColor::colorWithCGColor(nullptr), nullptr);
    EXPECT_TRUE(UIColor::colorWithCGColor(orange->CGColor())->isEqual(orange));
    EXPECT_FALSE(orange->isEqual(UIColor::redColor()));
    EXPECT_EQ(orange->hash(), UIColor::colorWithRed(1, 0.5, 0, 0.25)->hash());
    EXPECT_EQ(orange->copy(), orange);
    EXPECT_FALSE(orange->description().isNil());
}

TEST(UIColor, hueSaturationAndBrightnessGoBothWays)
{
    for (CGFloat hue : { 0.0, 0.1, 0.3, 0.45, 0.6, 0.75, 0.95, 1.0 }) {
        auto color = UIColor::colorWithHue(hue, 0.8, 0.6, 1);
        CGFloat h, s, v, a;
        ASSERT_TRUE(color->getHue(&h, &s, &v, &a));
        EXPECT_NEAR(h, hue >= 1 ? 0 : hue, 1e-9) << hue;
        EXPECT_NEAR(s, 0.8, 1e-9);
        EXPECT_NEAR(v, 0.6, 1e-9);
    }
    CGFloat h = -1, s = -1;
    UIColor::grayColor()->getHue(&h, &s, nullptr, nullptr);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(s, 0);
    CGFloat r, g, b;
    UIColor::colorWithHue(0, 1, 1, 1)->getRed(&r, &g, &b, nullptr);
    EXPECT_EQ(std::vector<CGFloat>({ r, g, b }), std::vector<CGFloat>({ 1, 0, 0 }));
}

TEST(UIColor, namedColoursAreTheirValues)
{
    CGFloat w, a, r, g, b;
    UIColor::clearColor()->getWhite(&w, &a);
    EXPECT_EQ(a, 0);
    UIColor::lightGrayColor()->getWhite(&w, nullptr);
    EXPECT_NEAR(w, 2.0 / 3, 1e-9);
    UIColor::darkGrayColor()->getWhite(&w, nullptr);
    EXPECT_NEAR(w, 1.0 / 3, 1e-9);
    for (const auto& [color, expected] : std::vector<std::pair<UIColorRef, std::array<CGFloat, 3>>> {
             { UIColor::redColor(), { 1, 0, 0 } }, { UIColor::greenColor(), { 0, 1, 0 } }, { UIColor::blueColor(), { 0, 0, 1 } },
             { UIColor::cyanColor(), { 0, 1, 1 } }, { UIColor::yellowColor(), { 1, 1, 0 } }, { UIColor::magentaColor(), { 1, 0, 1 } },
             { UIColor::orangeColor(), { 1, 0.5, 0 } }, { UIColor::purpleColor(), { 0.5, 0, 0.5 } },
             { UIColor::brownColor(), { 0.6, 0.4, 0.2 } } }) {
        color->getRed(&r, &g, &b, nullptr);
        EXPECT_EQ((std::array<CGFloat, 3> { r, g, b }), expected);
    }
    EXPECT_TRUE(UIColor::blackColor()->isEqual(UIColor::darkTextColor()));
    EXPECT_LT(UIColor::lightTextColor()->alpha(), 1);
    EXPECT_TRUE(UIColor::groupTableViewBackgroundColor()->getRed(&r, &g, &b, nullptr));
}

TEST(UIColor, setsTheCurrentContextsColours)
{
    UIColor::redColor()->set(); // no context: nothing happens
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(2, 2), false, 1);
    UIColor::blueColor()->setStroke();
    UIColor::greenColor()->setFill();
    CGContextFillRect(UIGraphicsGetCurrentContext(), CGRectMake(0, 0, 2, 2));
    CGFloat scale = 0;
    auto image = UIGraphicsGetCGImageFromCurrentImageContext(&scale);
    UIGraphicsEndImageContext();
    ASSERT_TRUE(image);
    EXPECT_EQ(CGImageGetWidth(image), 2u);
}

TEST(UIGeometry, insetsAndTheirTextsAreThePlatforms)
{
    EXPECT_EQ(UIEdgeInsetsInsetRect(CGRectMake(10, 10, 100, 50), UIEdgeInsetsMake(5, 10, 15, 20)), CGRectMake(20, 15, 70, 30));
    EXPECT_EQ(UIEdgeInsetsInsetRect(CGRectMake(110, 60, -100, -50), UIEdgeInsetsZero), CGRectMake(10, 10, 100, 50));
    EXPECT_TRUE(UIEdgeInsetsEqualToEdgeInsets(UIEdgeInsetsMake(1, 2, 3, 4), UIEdgeInsets { 1, 2, 3, 4 }));
    EXPECT_EQ(UIOffsetMake(1, 2), (UIOffset { 1, 2 }));
    EXPECT_EQ(NSStringFromCGPoint(CGPointMake(1.5, -0.0)).UTF8String(), "{1.5, 0}");
    EXPECT_EQ(NSStringFromCGSize(CGSizeMake(320, 568)).UTF8String(), "{320, 568}");
    EXPECT_EQ(NSStringFromCGRect(CGRectMake(0, 20, 320, 44)).UTF8String(), "{{0, 20}, {320, 44}}");
    EXPECT_EQ(NSStringFromUIEdgeInsets(UIEdgeInsetsMake(64, 0, 0, 0.5)).UTF8String(), "{64, 0, 0, 0.5}");
}

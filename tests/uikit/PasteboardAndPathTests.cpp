#include "WidgetTestSupport.h"

#include "platform/uikit/UIBezierPath.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIPasteboard.h"

#include <cmath>
#include <gtest/gtest.h>
#include <thread>

namespace {

constexpr RGBA kInk = 0x000000FF, kNothing = 0x00000000;

RGBA filled(const std::shared_ptr<UIBezierPath>& path, int x, int y)
{
    auto picture = drawnPicture(CGSizeMake(100, 100), [&] {
        UIColor::blackColor()->setFill();
        path->fill();
    });
    return pixelOf(picture, x, y);
}

} // namespace

TEST(Pasteboard, theGeneralPasteboardKeepsTheCopiedText)
{
    auto pasteboard = UIPasteboard::generalPasteboard();
    EXPECT_EQ(pasteboard, UIPasteboard::generalPasteboard());
    EXPECT_EQ(pasteboard->name(), NSString(UIPasteboardNameGeneral));
    const NSInteger before = pasteboard->changeCount();
    pasteboard->setString("科目一 第1题");
    EXPECT_EQ(pasteboard->string(), NSString("科目一 第1题"));
    EXPECT_EQ(pasteboard->changeCount(), before + 1);
    pasteboard->setStrings({ "甲", NSString(), "乙" });
    EXPECT_EQ(pasteboard->strings(), (std::vector<NSString> { "甲", "乙" }));
    EXPECT_EQ(pasteboard->string(), NSString("甲"));
    pasteboard->setString(NSString());
    EXPECT_TRUE(pasteboard->string().isNil());
    EXPECT_FALSE(pasteboard->hasStrings());

    // Copies from two threads at once leave one whole value.
    std::thread other([&] {
        for (int i = 0; i < 200; ++i)
            pasteboard->setStrings({ "a", "b" });
    });
    for (int i = 0; i < 200; ++i)
        pasteboard->setString("c");
    other.join();
    const auto last = pasteboard->strings();
    EXPECT_TRUE(last == std::vector<NSString> { "c" } || last == (std::vector<NSString> { "a", "b" }));
    EXPECT_EQ(pasteboard->changeCount(), before + 403);
}

TEST(BezierPath, roundedRectanglesRoundOnlyTheCornersAsked)
{
    const auto all = UIBezierPath::bezierPathWithRoundedRect(CGRectMake(10, 10, 80, 80), 20);
    EXPECT_EQ(filled(all, 11, 11), kNothing);
    EXPECT_EQ(filled(all, 50, 11), kInk);
    EXPECT_EQ(filled(all, 88, 88), kNothing);
    EXPECT_TRUE(all->containsPoint(CGPointMake(50, 50)));
    EXPECT_FALSE(all->containsPoint(CGPointMake(12, 12)));

    const auto one = UIBezierPath::bezierPathWithRoundedRect(CGRectMake(10, 10, 80, 80), UIRectCornerTopLeft, CGSizeMake(20, 20));
    EXPECT_EQ(filled(one, 11, 11), kNothing);
    EXPECT_EQ(filled(one, 88, 11), kInk);
    EXPECT_EQ(filled(one, 11, 88), kInk);
    // A radius beyond half the side makes a capsule, not a knot.
    const auto capsule = UIBezierPath::bezierPathWithRoundedRect(CGRectMake(10, 40, 80, 20), 500);
    EXPECT_EQ(filled(capsule, 50, 50), kInk);
    EXPECT_EQ(filled(capsule, 11, 41), kNothing);
    EXPECT_DOUBLE_EQ(capsule->bounds().size.width, 80);
}

TEST(BezierPath, arcsTurnClockwiseOnTheScreenWhenAsked)
{
    const auto slice = [](bool clockwise) {
        auto path = UIBezierPath::bezierPathWithArcCenter(CGPointMake(50, 50), 40, 0, M_PI_2, clockwise);
        path->addLineToPoint(CGPointMake(50, 50));
        path->closePath();
        return path;
    };
    // Clockwise from three o'clock to six o'clock covers the lower right.
    EXPECT_EQ(filled(slice(true), 70, 70), kInk);
    EXPECT_EQ(filled(slice(true), 70, 30), kNothing);
    EXPECT_EQ(filled(slice(false), 70, 30), kInk);
    EXPECT_EQ(filled(slice(false), 70, 70), kNothing);
    const CGPoint end = UIBezierPath::bezierPathWithArcCenter(CGPointMake(50, 50), 40, 0, M_PI_2, true)->currentPoint();
    EXPECT_NEAR(end.x, 50, 1e-9);
    EXPECT_NEAR(end.y, 90, 1e-9);
}

TEST(BezierPath, strokesFillsAndClipsWithItsOwnSettings)
{
    auto ring = UIBezierPath::bezierPathWithRect(CGRectMake(10, 10, 80, 80));
    ring->appendPath(UIBezierPath::bezierPathWithOvalInRect(CGRectMake(30, 30, 40, 40)));
    ring->setUsesEvenOddFillRule(true);
    EXPECT_EQ(filled(ring, 50, 50), kNothing);
    EXPECT_EQ(filled(ring, 15, 15), kInk);

    auto curves = UIBezierPath::bezierPath();
    curves->moveToPoint(CGPointMake(10, 90));
    curves->addQuadCurveToPoint(CGPointMake(90, 90), CGPointMake(50, 10));
    curves->addCurveToPoint(CGPointMake(10, 90), CGPointMake(70, 95), CGPointMake(30, 95));
    curves->closePath();
    EXPECT_EQ(filled(curves, 50, 60), kInk);
    EXPECT_EQ(filled(curves, 15, 20), kNothing);

    auto line = UIBezierPath::bezierPath();
    line->moveToPoint(CGPointMake(10, 50));
    line->addLineToPoint(CGPointMake(90, 50));
    line->setLineWidth(10);
    auto picture = drawnPicture(CGSizeMake(100, 100), [&] {
        UIColor::blackColor()->setStroke();
        line->stroke();
    });
    EXPECT_EQ(pixelOf(picture, 50, 46), kInk);
    EXPECT_EQ(pixelOf(picture, 50, 40), kNothing);

    auto clipped = drawnPicture(CGSizeMake(100, 100), [&] {
        auto oval = UIBezierPath::bezierPathWithOvalInRect(CGRectMake(0, 0, 100, 100));
        oval->setUsesEvenOddFillRule(true);
        oval->addClip();
        UIColor::blackColor()->setFill();
        UIBezierPath::bezierPathWithRect(CGRectMake(0, 0, 100, 100))->fill();
    });
    EXPECT_EQ(pixelOf(clipped, 2, 2), kNothing);
    EXPECT_EQ(pixelOf(clipped, 50, 50), kInk);

    // Copies and CGPaths taken out do not follow later changes.
    auto copy = std::static_pointer_cast<UIBezierPath>(line->copy());
    const auto taken = line->CGPath();
    line->removeAllPoints();
    EXPECT_TRUE(line->isEmpty());
    EXPECT_FALSE(copy->isEmpty());
    EXPECT_EQ(copy->lineWidth(), 10);
    EXPECT_FALSE(CGPathIsEmpty(taken));
    copy->applyTransform(CGAffineTransformMakeTranslation(0, 10));
    EXPECT_DOUBLE_EQ(copy->bounds().origin.y, 60);
    line->fill(); // no current context: nothing happens
    EXPECT_FALSE(UIBezierPath::bezierPathWithCGPath(taken)->isEmpty());
}

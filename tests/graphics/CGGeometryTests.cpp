#include "platform/graphics/CGAffineTransform.h"

#include <gtest/gtest.h>
#include <numbers>

TEST(CGGeometry, rectanglesStandardiseBeforeAnswering)
{
    const CGRect flipped = CGRectMake(10, 10, -4, -6);
    EXPECT_EQ(CGRectStandardize(flipped), CGRectMake(6, 4, 4, 6));
    EXPECT_EQ(CGRectGetMinX(flipped), 6);
    EXPECT_EQ(CGRectGetMaxY(flipped), 10);
    EXPECT_EQ(CGRectGetMidY(flipped), 7);
    EXPECT_EQ(CGRectGetWidth(flipped), 4);
    EXPECT_TRUE(CGRectEqualToRect(flipped, CGRectMake(6, 4, 4, 6)));
}

TEST(CGGeometry, containsPointIsHalfOpen)
{
    const CGRect rect = CGRectMake(0, 0, 10, 10);
    EXPECT_TRUE(CGRectContainsPoint(rect, { 0, 0 }));
    EXPECT_TRUE(CGRectContainsPoint(rect, { 9.999, 9.999 }));
    EXPECT_FALSE(CGRectContainsPoint(rect, { 10, 5 }));
    EXPECT_FALSE(CGRectContainsPoint(rect, { 5, 10 }));
    EXPECT_FALSE(CGRectContainsPoint(CGRectNull, { 0, 0 }));
    EXPECT_TRUE(CGRectContainsPoint(CGRectMake(10, 10, -10, -10), { 0, 0 }));
}

TEST(CGGeometry, intersectionAndUnionFollowNullSemantics)
{
    const CGRect a = CGRectMake(0, 0, 10, 10);
    EXPECT_TRUE(CGRectIsNull(CGRectIntersection(a, CGRectMake(20, 20, 5, 5))));
    EXPECT_EQ(CGRectIntersection(a, CGRectMake(10, 0, 5, 5)), CGRectMake(10, 0, 0, 5)) << "touching edges meet";
    EXPECT_FALSE(CGRectIsNull(CGRectIntersection(a, CGRectMake(10, 0, 5, 5))));
    EXPECT_EQ(CGRectIntersection(a, CGRectMake(5, 5, 10, 10)), CGRectMake(5, 5, 5, 5));
    EXPECT_EQ(CGRectUnion(a, CGRectNull), a);
    EXPECT_EQ(CGRectUnion(CGRectNull, CGRectMake(1, 1, -1, -1)), CGRectMake(0, 0, 1, 1));
    EXPECT_EQ(CGRectUnion(a, CGRectMake(20, -5, 1, 1)), CGRectMake(0, -5, 21, 15));
    EXPECT_TRUE(CGRectEqualToRect(CGRectNull, CGRectIntersection(CGRectNull, a)));
    EXPECT_TRUE(CGRectIsEmpty(CGRectNull));
    EXPECT_TRUE(CGRectIsEmpty(CGRectMake(3, 3, 0, 8)));
    EXPECT_TRUE(CGRectIntersectsRect(a, CGRectMake(9, 9, 5, 5)));
    EXPECT_TRUE(CGRectContainsRect(a, CGRectMake(2, 2, 8, 8)));
    EXPECT_FALSE(CGRectContainsRect(a, CGRectMake(2, 2, 9, 8)));
}

TEST(CGGeometry, insetIntegralAndDivide)
{
    EXPECT_EQ(CGRectInset(CGRectMake(0, 0, 10, 10), 2, 3), CGRectMake(2, 3, 6, 4));
    EXPECT_TRUE(CGRectIsNull(CGRectInset(CGRectMake(0, 0, 10, 10), 6, 0)));
    EXPECT_EQ(CGRectIntegral(CGRectMake(0.5, 1.2, 2.1, 2.9)), CGRectMake(0, 1, 3, 4));
    EXPECT_EQ(CGRectIntegral(CGRectMake(-0.5, -1.5, 1, 1)), CGRectMake(-1, -2, 2, 2));
    EXPECT_EQ(CGRectOffset(CGRectMake(0, 0, -2, 2), 1, 1), CGRectMake(-1, 1, 2, 2));

    CGRect slice, remainder;
    CGRectDivide(CGRectMake(0, 0, 100, 50), &slice, &remainder, 30, CGRectMinXEdge);
    EXPECT_EQ(slice, CGRectMake(0, 0, 30, 50));
    EXPECT_EQ(remainder, CGRectMake(30, 0, 70, 50));
    CGRectDivide(CGRectMake(0, 0, 100, 50), &slice, &remainder, 80, CGRectMaxYEdge);
    EXPECT_EQ(slice, CGRectMake(0, 0, 100, 50)) << "the amount is clamped to the rect";
    EXPECT_EQ(remainder, CGRectMake(0, 0, 100, 0));
}

TEST(CGAffineTransform, composesInThePlatformsOrder)
{
    // Scale first, then translate: the translation is not scaled.
    const CGAffineTransform scaleThenMove = CGAffineTransformConcat(CGAffineTransformMakeScale(2, 3), CGAffineTransformMakeTranslation(10, 20));
    EXPECT_EQ(CGPointApplyAffineTransform({ 1, 1 }, scaleThenMove), CGPointMake(12, 23));
    // Translate() prepends, so the translation is scaled.
    const CGAffineTransform t = CGAffineTransformTranslate(CGAffineTransformMakeScale(2, 3), 10, 20);
    EXPECT_EQ(CGPointApplyAffineTransform({ 1, 1 }, t), CGPointMake(22, 63));

    const CGPoint rotated = CGPointApplyAffineTransform({ 1, 0 }, CGAffineTransformMakeRotation(std::numbers::pi / 2));
    EXPECT_NEAR(rotated.x, 0, 1e-12);
    EXPECT_NEAR(rotated.y, 1, 1e-12);

    const CGAffineTransform inverse = CGAffineTransformInvert(t);
    const CGPoint back = CGPointApplyAffineTransform(CGPointApplyAffineTransform({ 5, -7 }, t), inverse);
    EXPECT_NEAR(back.x, 5, 1e-12);
    EXPECT_NEAR(back.y, -7, 1e-12);
    const CGAffineTransform singular = CGAffineTransformMakeScale(0, 1);
    EXPECT_EQ(CGAffineTransformInvert(singular), singular);

    EXPECT_EQ(CGRectApplyAffineTransform(CGRectMake(0, 0, 2, 1), CGAffineTransformMakeScale(-1, 2)), CGRectMake(-2, 0, 2, 2));
}

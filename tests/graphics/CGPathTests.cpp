#include "platform/graphics/CGPath.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>
#include <numbers>

namespace {
constexpr double pi = std::numbers::pi;
}

TEST(CGPath, elementsAreRecordedAfterTheirTransform)
{
    auto path = CGPathCreateMutable();
    const CGAffineTransform move = CGAffineTransformMakeTranslation(10, 0);
    CGPathAddLineToPoint(path, nullptr, 5, 5);
    EXPECT_TRUE(CGPathIsEmpty(path)) << "a line without a current point is ignored";
    CGPathMoveToPoint(path, &move, 0, 0);
    CGPathAddLineToPoint(path, &move, 5, 5);
    CGPathAddQuadCurveToPoint(path, nullptr, 1, 2, 3, 4);
    CGPathCloseSubpath(path);

    std::vector<CGPathElementType> types;
    CGPathApply(path, [&](const CGPathElement& e) { types.push_back(e.type); });
    EXPECT_EQ(types, (std::vector<CGPathElementType> { kCGPathElementMoveToPoint, kCGPathElementAddLineToPoint,
                         kCGPathElementAddQuadCurveToPoint, kCGPathElementCloseSubpath }));
    EXPECT_EQ(path->elements()[1].points[0], CGPointMake(15, 5));
    EXPECT_EQ(CGPathGetCurrentPoint(path), CGPointMake(10, 0)) << "closing returns to the subpath's start";

    auto copy = CGPathCreateCopy(path);
    EXPECT_TRUE(CGPathEqualToPath(copy, path));
    CGPathAddLineToPoint(path, nullptr, 1, 1);
    EXPECT_FALSE(CGPathEqualToPath(copy, path));
}

TEST(CGPath, arcDirectionFollowsAngles)
{
    // Counter-clockwise (increasing angle) from 0 to π/2 passes through 45°.
    auto ccw = CGPathCreateMutable();
    CGPathAddArc(ccw, nullptr, 0, 0, 10, 0, pi / 2, false);
    CGRect box = CGPathGetPathBoundingBox(ccw);
    EXPECT_NEAR(box.origin.x, 0, 1e-9);
    EXPECT_NEAR(box.origin.y, 0, 1e-9);
    EXPECT_NEAR(box.size.width, 10, 1e-9);
    EXPECT_NEAR(box.size.height, 10, 1e-9);

    // Clockwise from 0 to π/2 goes the long way round, three quarters.
    auto cw = CGPathCreateMutable();
    CGPathAddArc(cw, nullptr, 0, 0, 10, 0, pi / 2, true);
    box = CGPathGetPathBoundingBox(cw);
    EXPECT_NEAR(box.origin.x, -10, 1e-6);
    EXPECT_NEAR(box.origin.y, -10, 1e-6);
    EXPECT_NEAR(box.size.height, 20, 1e-6);
    const CGPoint end = CGPathGetCurrentPoint(cw);
    EXPECT_NEAR(end.x, 0, 1e-9);
    EXPECT_NEAR(end.y, 10, 1e-9);

    auto full = CGPathCreateMutable();
    CGPathAddArc(full, nullptr, 0, 0, 5, 0, 2 * pi, false);
    EXPECT_TRUE(CGPathContainsPoint(full, nullptr, { 4.9, 0.1 }, false));
    EXPECT_TRUE(CGPathContainsPoint(full, nullptr, { -4.9, 0 }, false));
}

TEST(CGPath, tangentArcRoundsTheCorner)
{
    auto path = CGPathCreateMutable();
    CGPathMoveToPoint(path, nullptr, 0, 0);
    CGPathAddArcToPoint(path, nullptr, 10, 0, 10, 10, 4);
    // The arc ends where it touches the second line, 4 below the corner.
    const CGPoint end = CGPathGetCurrentPoint(path);
    EXPECT_NEAR(end.x, 10, 1e-9);
    EXPECT_NEAR(end.y, 4, 1e-9);
    EXPECT_EQ(path->elements()[1].type, kCGPathElementAddLineToPoint);
    EXPECT_NEAR(path->elements()[1].points[0].x, 6, 1e-9);
    // Midpoint of the arc lies at distance 4 from the centre (6, 4).
    const CGRect box = CGPathGetPathBoundingBox(path);
    EXPECT_NEAR(CGRectGetMaxX(box), 10, 1e-9);

    // Collinear points and a zero radius degrade to a straight line to the first point.
    auto straight = CGPathCreateMutable();
    CGPathMoveToPoint(straight, nullptr, 0, 0);
    CGPathAddArcToPoint(straight, nullptr, 5, 0, 10, 0, 3);
    CGPathAddArcToPoint(straight, nullptr, 5, 5, 0, 5, 0);
    ASSERT_EQ(straight->elements().size(), 3u);
    EXPECT_EQ(straight->elements()[1].points[0], CGPointMake(5, 0));
    EXPECT_EQ(straight->elements()[2].points[0], CGPointMake(5, 5));
}

TEST(CGPath, cornersAtInfinityAndCountlessTurnsDrawNoCountlessCurves)
{
    const double huge = std::numeric_limits<double>::infinity();
    auto corner = CGPathCreateMutable();
    CGPathMoveToPoint(corner, nullptr, 0, 0);
    CGPathAddArcToPoint(corner, nullptr, huge, 0, huge, huge, 4);
    CGPathAddArcToPoint(corner, nullptr, 10, 0, 10, 10, std::nan(""));
    ASSERT_EQ(corner->elements().size(), 3u);
    EXPECT_EQ(corner->elements()[1].type, kCGPathElementAddLineToPoint);
    EXPECT_EQ(corner->elements()[2].points[0], CGPointMake(10, 0));

    auto turns = CGPathCreateMutable();
    CGPathAddRelativeArc(turns, nullptr, 0, 0, 10, 0, 1e300);
    EXPECT_LE(turns->elements().size(), 16u);
    EXPECT_NEAR(CGPathGetPathBoundingBox(turns).size.width, 20, 0.01);
    const std::size_t before = turns->elements().size();
    CGPathAddRelativeArc(turns, nullptr, 0, 0, huge, 0, pi);
    EXPECT_EQ(turns->elements().size(), before + 1) << "only the line to where it would start";
}

TEST(CGPath, ringContainsPointsByRule)
{
    auto ring = CGPathCreateMutable();
    CGPathAddEllipseInRect(ring, nullptr, CGRectMake(0, 0, 100, 100));
    CGPathAddEllipseInRect(ring, nullptr, CGRectMake(25, 25, 50, 50));
    EXPECT_TRUE(CGPathContainsPoint(ring, nullptr, { 50, 50 }, false)) << "same winding fills the hole";
    EXPECT_FALSE(CGPathContainsPoint(ring, nullptr, { 50, 50 }, true));
    EXPECT_TRUE(CGPathContainsPoint(ring, nullptr, { 10, 50 }, true));
    EXPECT_FALSE(CGPathContainsPoint(ring, nullptr, { 2, 2 }, false));

    const CGAffineTransform move = CGAffineTransformMakeTranslation(200, 0);
    EXPECT_TRUE(CGPathContainsPoint(ring, &move, { 210, 50 }, true));
}

TEST(CGPath, boundingBoxesWithAndWithoutControlPoints)
{
    auto path = CGPathCreateMutable();
    EXPECT_TRUE(CGRectIsNull(CGPathGetBoundingBox(path)));
    CGPathMoveToPoint(path, nullptr, 0, 0);
    CGPathAddCurveToPoint(path, nullptr, 0, 10, 10, 10, 10, 0);
    EXPECT_EQ(CGPathGetBoundingBox(path), CGRectMake(0, 0, 10, 10));
    const CGRect exact = CGPathGetPathBoundingBox(path);
    EXPECT_NEAR(exact.size.height, 7.5, 1e-9);

    CGRect rect;
    EXPECT_TRUE(CGPathIsRect(CGPathCreateWithRect(CGRectMake(1, 2, 3, 4), nullptr), &rect));
    EXPECT_EQ(rect, CGRectMake(1, 2, 3, 4));
    EXPECT_FALSE(CGPathIsRect(CGPathCreateWithEllipseInRect(CGRectMake(1, 2, 3, 4), nullptr), &rect));
}

TEST(CGPath, roundedRectKeepsItsCornersInside)
{
    auto path = CGPathCreateWithRoundedRect(CGRectMake(0, 0, 40, 20), 10, 10, nullptr);
    EXPECT_EQ(CGPathGetPathBoundingBox(path), CGRectMake(0, 0, 40, 20));
    EXPECT_FALSE(CGPathContainsPoint(path, nullptr, { 0.5, 0.5 }, false));
    EXPECT_TRUE(CGPathContainsPoint(path, nullptr, { 20, 0.5 }, false));
}

TEST(CGPath, strokedCopyCoversTheLineWidth)
{
    auto line = CGPathCreateMutable();
    CGPathMoveToPoint(line, nullptr, 0, 0);
    CGPathAddLineToPoint(line, nullptr, 10, 0);
    CGPathAddLineToPoint(line, nullptr, 10, 10);

    auto butt = CGPathCreateCopyByStrokingPath(line, nullptr, 2, kCGLineCapButt, kCGLineJoinMiter, 10);
    EXPECT_TRUE(CGPathContainsPoint(butt, nullptr, { 5, 0.9 }, false));
    EXPECT_FALSE(CGPathContainsPoint(butt, nullptr, { 5, 1.1 }, false));
    EXPECT_FALSE(CGPathContainsPoint(butt, nullptr, { -0.5, 0 }, false));
    EXPECT_TRUE(CGPathContainsPoint(butt, nullptr, { 10.9, -0.9 }, false)) << "the miter fills the outer corner";
    const CGRect box = CGPathGetPathBoundingBox(butt);
    EXPECT_NEAR(box.origin.x, 0, 1e-9);
    EXPECT_NEAR(CGRectGetMaxX(box), 11, 1e-9);

    auto bevel = CGPathCreateCopyByStrokingPath(line, nullptr, 2, kCGLineCapSquare, kCGLineJoinBevel, 10);
    EXPECT_FALSE(CGPathContainsPoint(bevel, nullptr, { 10.9, -0.9 }, false));
    EXPECT_TRUE(CGPathContainsPoint(bevel, nullptr, { -0.5, 0 }, false)) << "square caps extend by half the width";

    const CGFloat dashes[] = { 2, 3 };
    auto dashed = CGPathCreateCopyByDashingPath(line, nullptr, 0, dashes, 2);
    int subpaths = 0;
    CGPathApply(dashed, [&](const CGPathElement& e) { subpaths += e.type == kCGPathElementMoveToPoint; });
    EXPECT_EQ(subpaths, 4) << "dashes at 0, 5, 10 (through the corner) and 15";
}

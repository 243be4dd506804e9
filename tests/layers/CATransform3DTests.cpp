#include "platform/layers/CATransform3D.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void expectNear(const CATransform3D& a, const CATransform3D& b)
{
    const CGFloat* x = &a.m11;
    const CGFloat* y = &b.m11;
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(x[i], y[i], 1e-9) << "element " << i;
}

} // namespace

TEST(CATransform3D, rowVectorOrderAppliesTheFirstTransformFirst)
{
    const CATransform3D scaleThenMove = CATransform3DConcat(CATransform3DMakeScale(2, 2, 1), CATransform3DMakeTranslation(10, 0, 0));
    EXPECT_EQ(CATransform3DProjectPoint(scaleThenMove, { 1, 1 }), CGPointMake(12, 2));
    // Translate prepends: the translation happens before the scale.
    EXPECT_EQ(CATransform3DProjectPoint(CATransform3DTranslate(CATransform3DMakeScale(2, 2, 1), 10, 0, 0), { 1, 1 }), CGPointMake(22, 2));
    // A turn about z matches the affine rotation.
    const CATransform3D turn = CATransform3DMakeRotation(M_PI / 2, 0, 0, 1);
    EXPECT_TRUE(CATransform3DIsAffine(turn));
    const CGAffineTransform affine = CATransform3DGetAffineTransform(turn);
    const CGAffineTransform expected = CGAffineTransformMakeRotation(M_PI / 2);
    EXPECT_NEAR(affine.a, expected.a, 1e-12);
    EXPECT_NEAR(affine.b, expected.b, 1e-12);
    EXPECT_TRUE(CATransform3DIsIdentity(CATransform3DMakeRotation(1, 0, 0, 0)));
}

TEST(CATransform3D, invertUndoesAndSingularComesBackUnchanged)
{
    CATransform3D t = CATransform3DRotate(CATransform3DMakeTranslation(3, -4, 5), 0.7, 1, 2, 3);
    t.m34 = -1.0 / 500;
    expectNear(CATransform3DConcat(t, CATransform3DInvert(t)), CATransform3DIdentity);
    const CATransform3D flat = CATransform3DMakeScale(1, 0, 1);
    EXPECT_EQ(CATransform3DInvert(flat), flat);
}

TEST(CATransform3D, perspectiveMakesTheNearEdgeLonger)
{
    CATransform3D perspective = CATransform3DIdentity;
    perspective.m34 = -1.0 / 500;
    const CATransform3D t = CATransform3DConcat(CATransform3DMakeRotation(M_PI / 4, 0, 1, 0), perspective);
    EXPECT_FALSE(CATransform3DIsAffine(t));
    // Turned about y, one vertical edge comes towards the viewer and the other goes away.
    const CGFloat left = CATransform3DProjectPoint(t, { -50, 50 }).y - CATransform3DProjectPoint(t, { -50, -50 }).y;
    const CGFloat right = CATransform3DProjectPoint(t, { 50, 50 }).y - CATransform3DProjectPoint(t, { 50, -50 }).y;
    EXPECT_GT(std::abs(left - right), 5);
}

TEST(CATransform3D, interpolationTurnsThroughTheMiddleAngle)
{
    const CATransform3D half = CATransform3DInterpolate(CATransform3DIdentity, CATransform3DMakeRotation(M_PI / 2, 0, 0, 1), 0.5);
    expectNear(half, CATransform3DMakeRotation(M_PI / 4, 0, 0, 1));
    const CATransform3D scale = CATransform3DInterpolate(CATransform3DMakeScale(1, 1, 1), CATransform3DMakeScale(3, 1, 1), 0.5);
    EXPECT_NEAR(scale.m11, 2, 1e-12);
    const auto angles = CATransform3DGetEulerAngles(CATransform3DMakeRotation(M_PI / 3, 0, 1, 0));
    EXPECT_NEAR(angles[1], M_PI / 3, 1e-9);
    expectNear(CATransform3DWithEulerAngles(CATransform3DIdentity, { 0, 0, 0.5 }), CATransform3DMakeRotation(0.5, 0, 0, 1));
}

#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSString.h"
#include "platform/foundation/SystemClock.h"
#include "platform/graphics/CGColor.h"
#include "platform/graphics/CGPath.h"
#include "platform/layers/CAAnimationValue.h"
#include "platform/layers/CABasicAnimation.h"
#include "platform/layers/CALayer.h"
#include "platform/layers/CATransaction.h"
#include "platform/layers/NSValueGeometry.h"
#include "tests/layers/ManualClockLayerTest.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace NSValueGeometry;

namespace {

id number(double value) { return NSNumber::numberWithDouble(value); }
double numberOf(const id& value) { return ns::cast<NSNumber>(value)->doubleValue(); }

auto pathThrough(CGFloat offset)
{
    auto path = CGPath::create();
    path->moveTo({ offset, 0 });
    path->lineTo({ offset + 10, 0 });
    path->quadCurveTo({ offset + 10, 5 }, { offset + 10, 10 });
    path->curveTo({ offset, 10 }, { offset, 8 }, { offset, 6 });
    path->closeSubpath();
    return path;
}

} // namespace

TEST(CAAnimationValueTest, everyGeometryKindInterpolatesFromStartToTarget)
{
    // Each kind at the start, half-way and the end: a swapped field or a lost component shows here.
    const auto p = CAAnimationValue::interpolate(valueWithCGPoint({ 0, 10 }), valueWithCGPoint({ 20, 30 }), 0.5);
    EXPECT_TRUE(CGPointEqualToPoint(CGPointValue(p), CGPointMake(10, 20)));

    const auto s = CAAnimationValue::interpolate(valueWithCGSize({ 10, 100 }), valueWithCGSize({ 30, 0 }), 0.25);
    EXPECT_TRUE(CGSizeEqualToSize(CGSizeValue(s), CGSizeMake(15, 75)));

    const CGRect from = CGRectMake(0, 10, 100, 200), to = CGRectMake(40, 50, 0, 100);
    EXPECT_TRUE(CGRectEqualToRect(CGRectValue(CAAnimationValue::interpolate(valueWithCGRect(from), valueWithCGRect(to), 0.5)),
        CGRectMake(20, 30, 50, 150)));
    EXPECT_TRUE(CGRectEqualToRect(CGRectValue(CAAnimationValue::interpolate(valueWithCGRect(from), valueWithCGRect(to), 1)), to));
    EXPECT_TRUE(CGRectEqualToRect(CGRectValue(CAAnimationValue::interpolate(valueWithCGRect(from), valueWithCGRect(to), 0)), from));

    const auto t = CAAnimationValue::interpolate(valueWithCATransform3D(CATransform3DMakeTranslation(0, 0, 0)),
        valueWithCATransform3D(CATransform3DMakeTranslation(40, -20, 0)), 0.5);
    EXPECT_NEAR(CATransform3DValue(t).m41, 20, 1e-9);
    EXPECT_NEAR(CATransform3DValue(t).m42, -10, 1e-9);
    const auto end3D = CAAnimationValue::interpolate(valueWithCATransform3D(CATransform3DIdentity),
        valueWithCATransform3D(CATransform3DMakeScale(3, 2, 1)), 1);
    EXPECT_TRUE(CATransform3DEqualToTransform(CATransform3DValue(end3D), CATransform3DMakeScale(3, 2, 1)));

    const auto a = CAAnimationValue::interpolate(valueWithCGAffineTransform(CGAffineTransformMakeScale(1, 1)),
        valueWithCGAffineTransform(CGAffineTransformMake(3, 0, 0, 5, 8, -4)), 0.5);
    ASSERT_TRUE(ns::cast<NSValue>(a)->holds<CGAffineTransform>()) << "an affine transform stays affine";
    const CGAffineTransform half = CGAffineTransformValue(a);
    EXPECT_NEAR(half.a, 2, 1e-9);
    EXPECT_NEAR(half.d, 3, 1e-9);
    EXPECT_NEAR(half.tx, 4, 1e-9);
    EXPECT_NEAR(half.ty, -2, 1e-9);

    EXPECT_DOUBLE_EQ(numberOf(CAAnimationValue::interpolate(number(-2), number(6), 0.75)), 4);
}

TEST(CAAnimationValueTest, coloursInterpolateEveryChannelIncludingAlpha)
{
    const auto from = CGColorCreateGenericRGB(1, 0, 0.2, 0);
    const auto to = CGColorCreateGenericRGB(0, 1, 0.6, 1);
    const auto half = ns::cast<CGColor>(CAAnimationValue::interpolate(from, to, 0.5));
    ASSERT_TRUE(half);
    const auto c = half->rgba();
    EXPECT_NEAR(c[0], 0.5, 1e-9);
    EXPECT_NEAR(c[1], 0.5, 1e-9);
    EXPECT_NEAR(c[2], 0.4, 1e-9);
    EXPECT_NEAR(c[3], 0.5, 1e-9);
    EXPECT_TRUE(CGColorEqualToColor(ns::cast<CGColor>(CAAnimationValue::interpolate(from, to, 1)), to));
}

TEST(CAAnimationValueTest, pathsOfTheSameShapeMorphAndOthersJumpHalfWay)
{
    const auto morphed = ns::cast<CGPath>(CAAnimationValue::interpolate(pathThrough(0), pathThrough(20), 0.5));
    ASSERT_TRUE(morphed);
    const auto& elements = morphed->elements();
    const auto original = pathThrough(0);
    const auto& shape = original->elements();
    ASSERT_EQ(elements.size(), shape.size());
    for (std::size_t i = 0; i < elements.size(); ++i)
        EXPECT_EQ(elements[i].type, shape[i].type) << i;
    EXPECT_DOUBLE_EQ(elements[0].points[0].x, 10);
    EXPECT_DOUBLE_EQ(elements[3].points[2].x, 10) << "the curve's end point moves too";
    EXPECT_DOUBLE_EQ(elements[3].points[2].y, 6);

    // A different element count or kind cannot morph: the first path shows, then the target.
    auto shorter = CGPath::create();
    shorter->moveTo({ 0, 0 });
    auto otherKind = CGPath::create();
    otherKind->moveTo({ 0, 0 });
    otherKind->moveTo({ 5, 5 });
    auto line = CGPath::create();
    line->moveTo({ 0, 0 });
    line->lineTo({ 5, 5 });
    const id full = pathThrough(0);
    EXPECT_EQ(CAAnimationValue::interpolate(full, shorter, 0.4), full);
    EXPECT_EQ(CAAnimationValue::interpolate(full, shorter, 0.6), shorter);
    EXPECT_EQ(CAAnimationValue::interpolate(otherKind, line, 0.7), line);
}

TEST(CAAnimationValueTest, valuesThatCannotBlendJumpAtHalfWay)
{
    const id word = NSString("one"), other = NSString("two");
    EXPECT_EQ(CAAnimationValue::interpolate(word, other, 0.49), word);
    EXPECT_EQ(CAAnimationValue::interpolate(word, other, 0.5), other);
    const id point = valueWithCGPoint({ 1, 1 }), size = valueWithCGSize({ 2, 2 });
    EXPECT_EQ(CAAnimationValue::interpolate(point, size, 0.2), point) << "different kinds do not blend";
    EXPECT_EQ(CAAnimationValue::interpolate(nullptr, number(1), 0.2), nullptr);
    EXPECT_EQ(numberOf(CAAnimationValue::interpolate(nullptr, number(1), 0.8)), 1);
    EXPECT_EQ(CAAnimationValue::interpolate(number(1), nullptr, 1), nullptr);
}

TEST(CAAnimationValueTest, sumsAddScaledAndTransformsConcatenateOrUndo)
{
    EXPECT_DOUBLE_EQ(numberOf(CAAnimationValue::sum(number(1), number(2), -1.5)), -2);
    EXPECT_TRUE(CGPointEqualToPoint(CGPointValue(CAAnimationValue::sum(valueWithCGPoint({ 1, 2 }), valueWithCGPoint({ 10, 20 }), 2)),
        CGPointMake(21, 42)));
    EXPECT_TRUE(CGSizeEqualToSize(CGSizeValue(CAAnimationValue::sum(valueWithCGSize({ 1, 2 }), valueWithCGSize({ 3, 4 }))),
        CGSizeMake(4, 6)));
    EXPECT_TRUE(CGRectEqualToRect(CGRectValue(CAAnimationValue::sum(valueWithCGRect(CGRectMake(1, 2, 3, 4)),
                                      valueWithCGRect(CGRectMake(10, 20, 30, 40)), 0.5)),
        CGRectMake(6, 12, 18, 24)));

    const auto start = valueWithCATransform3D(CATransform3DMakeTranslation(5, 0, 0));
    const auto by = valueWithCATransform3D(CATransform3DMakeScale(2, 2, 1));
    const auto added = CAAnimationValue::sum(start, by);
    EXPECT_TRUE(CATransform3DEqualToTransform(CATransform3DValue(added),
        CATransform3DConcat(CATransform3DMakeTranslation(5, 0, 0), CATransform3DMakeScale(2, 2, 1))));
    const auto back = CATransform3DValue(CAAnimationValue::sum(added, by, -1));
    EXPECT_NEAR(back.m41, 5, 1e-9) << "subtracting undoes the addition";
    EXPECT_NEAR(back.m11, 1, 1e-9);

    EXPECT_EQ(CAAnimationValue::sum(number(1), valueWithCGPoint({ 1, 1 })), nullptr);
    EXPECT_EQ(CAAnimationValue::sum(CGColorCreateGenericRGB(0, 0, 0, 1), CGColorCreateGenericRGB(1, 1, 1, 1)), nullptr);
}

TEST(CAAnimationValueTest, distancesForPacedKeyframes)
{
    EXPECT_DOUBLE_EQ(CAAnimationValue::distance(number(3), number(-1)), 4);
    EXPECT_DOUBLE_EQ(CAAnimationValue::distance(valueWithCGPoint({ 0, 0 }), valueWithCGPoint({ 3, 4 })), 5);
    EXPECT_DOUBLE_EQ(CAAnimationValue::distance(valueWithCGSize({ 1, 1 }), valueWithCGSize({ 7, 9 })), 10);
    EXPECT_DOUBLE_EQ(CAAnimationValue::distance(valueWithCGRect(CGRectMake(0, 0, 1, 1)), valueWithCGRect(CGRectMake(5, 5, 1, 1))), 0);
    EXPECT_DOUBLE_EQ(CAAnimationValue::distance(NSString("a"), number(1)), 0);
}

class CAAnimationValueLayerTest : public ManualClockLayerTest {
protected:
    void animate(const CALayerRef& layer, const char* keyPath, const id& from, const id& to)
    {
        auto animation = CABasicAnimation::animationWithKeyPath(keyPath);
        animation->setFromValue(from);
        animation->setToValue(to);
        animation->setDuration(1);
        animation->setRemovedOnCompletion(false);
        animation->setFillMode(kCAFillModeForwards);
        layer->addAnimation(animation, keyPath);
    }
};

TEST_F(CAAnimationValueLayerTest, layerPropertiesOfEveryKindEndOnTheirTarget)
{
    auto layer = CALayer::layer();
    animate(layer, "position", valueWithCGPoint({ 0, 0 }), valueWithCGPoint({ 100, 50 }));
    animate(layer, "bounds", valueWithCGRect(CGRectMake(0, 0, 10, 10)), valueWithCGRect(CGRectMake(0, 0, 80, 40)));
    animate(layer, "backgroundColor", CGColorCreateGenericRGB(0, 0, 0, 0), CGColorCreateGenericRGB(1, 0.5, 0, 1));
    animate(layer, "transform", valueWithCATransform3D(CATransform3DIdentity), valueWithCATransform3D(CATransform3DMakeScale(2, 3, 1)));

    loop->advanceClock(0.5);
    auto shown = layer->presentationLayer();
    EXPECT_TRUE(CGPointEqualToPoint(shown->position(), CGPointMake(50, 25)));
    EXPECT_TRUE(CGSizeEqualToSize(shown->bounds().size, CGSizeMake(45, 25)));
    EXPECT_NEAR(shown->backgroundColor()->rgba()[3], 0.5, 1e-9);

    loop->advanceClock(1);
    shown = layer->presentationLayer();
    EXPECT_TRUE(CGPointEqualToPoint(shown->position(), CGPointMake(100, 50)));
    EXPECT_TRUE(CGSizeEqualToSize(shown->bounds().size, CGSizeMake(80, 40)));
    EXPECT_TRUE(CGColorEqualToColor(shown->backgroundColor(), CGColorCreateGenericRGB(1, 0.5, 0, 1)));
    EXPECT_TRUE(CATransform3DEqualToTransform(shown->transform(), CATransform3DMakeScale(2, 3, 1)));
}

#include "platform/foundation/NSException.h"
#include "platform/foundation/NSNumber.h"
#include "platform/layers/CALayer.h"
#include "platform/layers/CATransaction.h"
#include "platform/layers/NSValueGeometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

CALayerRef layerWithFrame(CGRect frame)
{
    auto layer = CALayer::layer();
    layer->setFrame(frame);
    return layer;
}

void expectPointNear(CGPoint a, CGPoint b)
{
    EXPECT_NEAR(a.x, b.x, 1e-9);
    EXPECT_NEAR(a.y, b.y, 1e-9);
}

} // namespace

TEST(CALayerGeometry, anchorPointPositionAndFrameStayConsistent)
{
    auto layer = layerWithFrame(CGRectMake(10, 20, 100, 50));
    EXPECT_EQ(layer->position(), CGPointMake(60, 45));
    EXPECT_EQ(layer->bounds(), CGRectMake(0, 0, 100, 50));
    layer->setAnchorPoint({ 0, 0 });
    EXPECT_EQ(layer->position(), CGPointMake(60, 45)) << "moving the anchor keeps the position";
    EXPECT_EQ(layer->frame(), CGRectMake(60, 45, 100, 50));
    layer->setBounds(CGRectMake(5, 5, 40, 40));
    EXPECT_EQ(layer->frame(), CGRectMake(60, 45, 40, 40)) << "the bounds origin does not move the frame";
}

TEST(CALayerGeometry, frameUnderAQuarterTurnIsTheRotatedBox)
{
    auto layer = layerWithFrame(CGRectMake(0, 0, 100, 40));
    layer->setTransform(CATransform3DMakeRotation(M_PI / 2, 0, 0, 1));
    const CGRect frame = layer->frame();
    EXPECT_NEAR(frame.size.width, 40, 1e-9);
    EXPECT_NEAR(frame.size.height, 100, 1e-9);
    // Setting the frame under the turn picks bounds whose turned box is the frame.
    layer->setFrame(CGRectMake(0, 0, 60, 200));
    EXPECT_NEAR(layer->bounds().size.width, 200, 1e-9);
    EXPECT_NEAR(layer->bounds().size.height, 60, 1e-9);
    EXPECT_NEAR(layer->frame().origin.x, 0, 1e-9);
    EXPECT_NEAR(layer->frame().origin.y, 0, 1e-9);
}

TEST(CALayerGeometry, convertPointFollowsTheWholeTransformedChain)
{
    auto root = layerWithFrame(CGRectMake(0, 0, 320, 480));
    auto parent = layerWithFrame(CGRectMake(100, 100, 100, 100));
    parent->setBounds(CGRectMake(10, 0, 100, 100));
    parent->setTransform(CATransform3DMakeRotation(M_PI / 2, 0, 0, 1));
    auto child = layerWithFrame(CGRectMake(10, 0, 20, 20));
    root->addSublayer(parent);
    parent->addSublayer(child);
    // The child's origin is the parent's bounds origin: its top-left corner, turned a quarter
    // clockwise about the parent's centre (150, 150), lands at the top-right corner.
    expectPointNear(child->convertPointToLayer({ 0, 0 }, root), { 200, 100 });
    expectPointNear(root->convertPointToLayer({ 200, 100 }, child), { 0, 0 });
    expectPointNear(child->convertPointFromLayer({ 200, 100 }, nullptr), { 0, 0 });
    const CGRect r = root->convertRectFromLayer(child->bounds(), child);
    EXPECT_NEAR(r.origin.x, 180, 1e-9);
    EXPECT_NEAR(r.size.height, 20, 1e-9);
}

TEST(CALayerGeometry, sublayerTransformTurnsSublayersAboutTheCentre)
{
    auto parent = layerWithFrame(CGRectMake(0, 0, 100, 100));
    auto child = layerWithFrame(CGRectMake(0, 0, 10, 10));
    parent->addSublayer(child);
    parent->setSublayerTransform(CATransform3DMakeScale(2, 2, 1));
    expectPointNear(child->convertPointToLayer({ 0, 0 }, parent), { -50, -50 });
}

TEST(CALayerTree, insertionClampsMovesAndRefusesCycles)
{
    auto root = CALayer::layer();
    auto a = CALayer::layer(), b = CALayer::layer(), c = CALayer::layer();
    root->addSublayer(a);
    root->insertSublayer(b, 99);
    root->insertSublayerBelow(c, b);
    EXPECT_EQ(root->sublayers(), (std::vector<CALayerRef> { a, c, b }));
    root->addSublayer(a);
    EXPECT_EQ(root->sublayers(), (std::vector<CALayerRef> { c, b, a }));
    auto other = CALayer::layer();
    other->addSublayer(c);
    EXPECT_EQ(root->sublayers().size(), 2u);
    EXPECT_EQ(c->superlayer(), other);
    EXPECT_THROW(c->addSublayer(other), NSException);
    root->replaceSublayer(b, c);
    EXPECT_EQ(root->sublayers(), (std::vector<CALayerRef> { c, a }));
    EXPECT_EQ(b->superlayer(), nullptr);

    auto mask = CALayer::layer();
    a->setMask(mask);
    EXPECT_EQ(mask->superlayer(), a) << "a mask's superlayer is the layer it masks";
    mask->removeFromSuperlayer();
    EXPECT_EQ(a->mask(), nullptr);
}

TEST(CALayerHitTest, answersTheDeepestVisibleLayerAndRespectsZOrder)
{
    auto root = layerWithFrame(CGRectMake(0, 0, 300, 300));
    auto back = layerWithFrame(CGRectMake(0, 0, 200, 200));
    auto front = layerWithFrame(CGRectMake(100, 100, 200, 200));
    auto inner = layerWithFrame(CGRectMake(10, 10, 20, 20));
    root->addSublayer(back);
    root->addSublayer(front);
    front->addSublayer(inner);
    EXPECT_EQ(root->hitTest({ 150, 150 }), front);
    EXPECT_EQ(root->hitTest({ 115, 115 }), inner);
    EXPECT_EQ(root->hitTest({ 50, 50 }), back);
    back->setZPosition(1);
    EXPECT_EQ(root->hitTest({ 150, 150 }), back) << "a higher zPosition is on top";
    back->setHidden(true);
    EXPECT_EQ(root->hitTest({ 150, 150 }), front);
    EXPECT_EQ(root->hitTest({ 400, 400 }), nullptr);
    front->setTransform(CATransform3DMakeScale(0.5, 0.5, 1));
    EXPECT_EQ(root->hitTest({ 120, 120 }), root) << "the shrunk layer no longer covers the point";
}

TEST(CALayerKeyValue, keyPathsReachIntoStructuresAndCustomKeysAreKept)
{
    auto layer = layerWithFrame(CGRectMake(0, 0, 100, 100));
    layer->setValueForKeyPath(NSNumber::numberWithDouble(7), "position.x");
    EXPECT_EQ(layer->position().x, 7);
    layer->setValueForKeyPath(NSNumber::numberWithDouble(30), "bounds.size.width");
    EXPECT_EQ(layer->bounds().size.width, 30);
    layer->setValueForKeyPath(NSNumber::numberWithDouble(0.5), "transform.scale.y");
    EXPECT_NEAR(layer->transform().m22, 0.5, 1e-12);
    EXPECT_NEAR(ns::cast<NSNumber>(layer->valueForKeyPath("transform.scale.y"))->doubleValue(), 0.5, 1e-12);
    layer->setValue(NSString("close"), "animationType");
    EXPECT_EQ(NSString::fromId(layer->valueForKey("animationType")), "close");
}

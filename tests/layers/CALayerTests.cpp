#include "platform/foundation/NSException.h"
#include "platform/foundation/NSNumber.h"
#include "platform/layers/CAGradientLayer.h"
#include "platform/layers/CALayer.h"
#include "platform/layers/CAShapeLayer.h"
#include "platform/layers/CATextLayer.h"
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

TEST(CALayerPresentation, aCopyCarriesEveryPropertyOfTheLayerAndItsClass)
{
    const CGColorRef red = CGColorCreateGenericRGB(1, 0, 0, 1);
    const CGColorRef blue = CGColorCreateGenericRGB(0, 0, 1, 0.5);
    const CGPathRef path = CGPathCreateWithEllipseInRect(CGRectMake(0, 0, 10, 10), nullptr);
    const CGImageRef image = CGImageCreate(1, 1, 8, 32, 4, CGColorSpaceCreateDeviceRGB(),
        CGBitmapInfo(kCGImageAlphaPremultipliedFirst) | kCGBitmapByteOrder32Little,
        CGDataProviderCreateWithCFData(std::vector<std::uint8_t>(4, 0xFF)), nullptr, true, kCGRenderingIntentDefault);
    auto mask = CALayer::layer();
    auto configure = [&](CALayer& layer) {
        layer.setBounds(CGRectMake(1, 2, 30, 40));
        layer.setPosition(CGPointMake(5, 6));
        layer.setZPosition(3);
        layer.setAnchorPoint(CGPointMake(0.25, 0.75));
        layer.setAnchorPointZ(2);
        layer.setTransform(CATransform3DMakeScale(2, 3, 1));
        layer.setSublayerTransform(CATransform3DMakeTranslation(4, 0, 0));
        layer.setHidden(true);
        layer.setOpacity(0.5f);
        layer.setMasksToBounds(true);
        layer.setMask(mask);
        layer.setCornerRadius(6);
        layer.setBorderWidth(2);
        layer.setBorderColor(red);
        layer.setBackgroundColor(blue);
        layer.setShadowColor(red);
        layer.setShadowOpacity(0.3f);
        layer.setShadowOffset(CGSizeMake(1, 1));
        layer.setShadowRadius(7);
        layer.setShadowPath(path);
        layer.setOpaque(true);
        layer.setDoubleSided(false);
        layer.setShouldRasterize(true);
        layer.setRasterizationScale(3);
        layer.setContents(image);
        layer.setContentsGravity(kCAGravityTopLeft);
        layer.setContentsRect(CGRectMake(0, 0, 0.5, 0.5));
        layer.setContentsScale(2);
        layer.setNeedsDisplayOnBoundsChange(true);
        layer.setName("panel");
    };
    auto expectCopied = [&](const CALayer& model, const CALayer& copy) {
        EXPECT_EQ(copy.bounds(), model.bounds());
        EXPECT_EQ(copy.position(), model.position());
        EXPECT_EQ(copy.zPosition(), model.zPosition());
        EXPECT_EQ(copy.anchorPoint(), model.anchorPoint());
        EXPECT_EQ(copy.anchorPointZ(), model.anchorPointZ());
        EXPECT_TRUE(CATransform3DEqualToTransform(copy.transform(), model.transform()));
        EXPECT_TRUE(CATransform3DEqualToTransform(copy.sublayerTransform(), model.sublayerTransform()));
        EXPECT_EQ(copy.isHidden(), model.isHidden());
        EXPECT_EQ(copy.opacity(), model.opacity());
        EXPECT_EQ(copy.masksToBounds(), model.masksToBounds());
        EXPECT_EQ(copy.mask(), model.mask());
        EXPECT_EQ(copy.cornerRadius(), model.cornerRadius());
        EXPECT_EQ(copy.borderWidth(), model.borderWidth());
        EXPECT_EQ(copy.borderColor(), model.borderColor());
        EXPECT_EQ(copy.backgroundColor(), model.backgroundColor());
        EXPECT_EQ(copy.shadowColor(), model.shadowColor());
        EXPECT_EQ(copy.shadowOpacity(), model.shadowOpacity());
        EXPECT_EQ(copy.shadowOffset(), model.shadowOffset());
        EXPECT_EQ(copy.shadowRadius(), model.shadowRadius());
        EXPECT_EQ(copy.shadowPath(), model.shadowPath());
        EXPECT_EQ(copy.isOpaque(), model.isOpaque());
        EXPECT_EQ(copy.isDoubleSided(), model.isDoubleSided());
        EXPECT_EQ(copy.shouldRasterize(), model.shouldRasterize());
        EXPECT_EQ(copy.rasterizationScale(), model.rasterizationScale());
        EXPECT_EQ(copy.contents(), model.contents());
        EXPECT_EQ(copy.contentsGravity(), model.contentsGravity());
        EXPECT_EQ(copy.contentsRect(), model.contentsRect());
        EXPECT_EQ(copy.contentsScale(), model.contentsScale());
        EXPECT_EQ(copy.needsDisplayOnBoundsChange(), model.needsDisplayOnBoundsChange());
        EXPECT_EQ(copy.name(), model.name());
    };

    auto shape = CAShapeLayer::layer();
    configure(*shape);
    shape->setPath(path);
    shape->setFillColor(blue);
    shape->setFillRule(kCAFillRuleEvenOdd);
    shape->setStrokeColor(red);
    shape->setStrokeStart(0.1);
    shape->setStrokeEnd(0.9);
    shape->setLineWidth(3);
    shape->setMiterLimit(4);
    shape->setLineCap(kCALineCapRound);
    shape->setLineJoin(kCALineJoinBevel);
    shape->setLineDashPhase(2);
    shape->setLineDashPattern({ 1, 2 });
    auto shapeCopy = std::dynamic_pointer_cast<CAShapeLayer>(shape->presentationLayer());
    ASSERT_NE(shapeCopy, nullptr);
    expectCopied(*shape, *shapeCopy);
    EXPECT_EQ(shapeCopy->path(), path);
    EXPECT_EQ(shapeCopy->fillColor(), blue);
    EXPECT_EQ(shapeCopy->fillRule(), NSString(kCAFillRuleEvenOdd));
    EXPECT_EQ(shapeCopy->strokeColor(), red);
    EXPECT_EQ(shapeCopy->strokeStart(), 0.1);
    EXPECT_EQ(shapeCopy->strokeEnd(), 0.9);
    EXPECT_EQ(shapeCopy->lineWidth(), 3);
    EXPECT_EQ(shapeCopy->miterLimit(), 4);
    EXPECT_EQ(shapeCopy->lineCap(), NSString(kCALineCapRound));
    EXPECT_EQ(shapeCopy->lineJoin(), NSString(kCALineJoinBevel));
    EXPECT_EQ(shapeCopy->lineDashPhase(), 2);
    EXPECT_EQ(shapeCopy->lineDashPattern(), (std::vector<CGFloat> { 1, 2 }));

    auto gradient = CAGradientLayer::layer();
    configure(*gradient);
    gradient->setColors({ red, blue });
    gradient->setLocations({ 0.2, 0.8 });
    gradient->setStartPoint(CGPointMake(0, 0));
    gradient->setEndPoint(CGPointMake(1, 1));
    auto gradientCopy = std::dynamic_pointer_cast<CAGradientLayer>(gradient->presentationLayer());
    ASSERT_NE(gradientCopy, nullptr);
    expectCopied(*gradient, *gradientCopy);
    EXPECT_EQ(gradientCopy->colors(), gradient->colors());
    EXPECT_EQ(gradientCopy->locations(), gradient->locations());
    EXPECT_EQ(gradientCopy->startPoint(), CGPointMake(0, 0));
    EXPECT_EQ(gradientCopy->endPoint(), CGPointMake(1, 1));

    auto text = CATextLayer::layer();
    configure(*text);
    text->setString(NSString("科目一"));
    text->setFont(NSString("STHeitiSC-Light"));
    text->setFontSize(17);
    text->setForegroundColor(red);
    text->setWrapped(true);
    text->setTruncationMode(kCATruncationMiddle);
    text->setAlignmentMode(kCAAlignmentCenter);
    auto textCopy = std::dynamic_pointer_cast<CATextLayer>(text->presentationLayer());
    ASSERT_NE(textCopy, nullptr);
    expectCopied(*text, *textCopy);
    EXPECT_TRUE(ns::isEqual(textCopy->string(), text->string()));
    EXPECT_TRUE(ns::isEqual(textCopy->font(), text->font()));
    EXPECT_EQ(textCopy->fontSize(), 17);
    EXPECT_EQ(textCopy->foregroundColor(), red);
    EXPECT_TRUE(textCopy->isWrapped());
    EXPECT_EQ(textCopy->truncationMode(), NSString(kCATruncationMiddle));
    EXPECT_EQ(textCopy->alignmentMode(), NSString(kCAAlignmentCenter));
}

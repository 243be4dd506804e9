#include "tests/graphics/GraphicsTestSupport.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/SystemClock.h"
#include "platform/layers/CABasicAnimation.h"
#include "platform/layers/CAGradientLayer.h"
#include "platform/layers/CAShapeLayer.h"
#include "platform/layers/CATransaction.h"
#include "platform/layers/LayerCompositor.h"

#include <gtest/gtest.h>

namespace {

// Draws a filled square and counts its drawings; may ask to be drawn again from inside.
class CountingLayer : public CALayer {
    NS_OBJECT(CountingLayer, CALayer)
public:
    void drawInContext(const CGContextRef& context) override
    {
        ++draws;
        CGContextSetRGBFillColor(context, 0, 0, 1, 1);
        CGContextFillRect(context, bounds());
        if (redrawRequests > 0) {
            --redrawRequests;
            setNeedsDisplay();
            setNeedsDisplay();
        }
    }
    int draws { 0 };
    int redrawRequests { 0 };
};

Pixel pixel(const std::shared_ptr<LayerCompositor>& compositor, int x, int y)
{
    return imagePixelAt(compositor->image(), x, y);
}

// The rows (device pixels) in which the column has red.
int redRowsInColumn(const std::shared_ptr<LayerCompositor>& compositor, int x)
{
    int rows = 0;
    for (int y = 0; y < int(compositor->size().height * compositor->scale()); ++y)
        rows += pixel(compositor, x, y).r > 128;
    return rows;
}

CALayerRef coloredLayer(CGRect frame, CGFloat r, CGFloat g, CGFloat b)
{
    auto layer = CALayer::layer();
    layer->setFrame(frame);
    layer->setBackgroundColor(CGColorCreateGenericRGB(r, g, b, 1));
    return layer;
}

class LayerCompositorTest : public testing::Test {
protected:
    void SetUp() override
    {
        SystemClock::useManualClock(1000);
        compositor = LayerCompositor::create(CGSizeMake(100, 100), 2.0);
        root = coloredLayer(CGRectMake(0, 0, 100, 100), 0, 0, 0);
        compositor->setRootLayer(root);
    }
    void TearDown() override
    {
        CATransaction::flush();
        NSRunLoop::mainRunLoop()->advanceClock(10);
        SystemClock::useRealClock();
    }

    std::shared_ptr<LayerCompositor> compositor;
    CALayerRef root;
};

} // namespace

TEST_F(LayerCompositorTest, perspectiveTransformDrawsATrapezoid)
{
    auto card = coloredLayer(CGRectMake(25, 25, 50, 50), 1, 0, 0);
    CATransform3D perspective = CATransform3DIdentity;
    perspective.m34 = -1.0 / 100;
    card->setTransform(CATransform3DConcat(CATransform3DMakeRotation(M_PI / 4, 0, 1, 0), perspective));
    root->addSublayer(card);
    compositor->renderFrame();
    // The edge turned towards the viewer is taller than the far one; the middle is in between.
    int left = 0, right = 0;
    for (int x = 0; x < 200; ++x)
        if (redRowsInColumn(compositor, x) > 0) {
            right = x;
            if (!left)
                left = x;
        }
    ASSERT_GT(right - left, 20);
    const int nearHeight = redRowsInColumn(compositor, left + 2);
    const int farHeight = redRowsInColumn(compositor, right - 2);
    const int middle = redRowsInColumn(compositor, (left + right) / 2);
    EXPECT_GT(std::abs(nearHeight - farHeight), 20) << nearHeight << " vs " << farHeight;
    EXPECT_GT(middle, std::min(nearHeight, farHeight));
    EXPECT_LT(middle, std::max(nearHeight, farHeight));
    EXPECT_LT(right - left, 100) << "foreshortened";
}

TEST_F(LayerCompositorTest, maskLayerClipsItsLayer)
{
    auto layer = coloredLayer(CGRectMake(0, 0, 100, 100), 1, 0, 0);
    auto mask = coloredLayer(CGRectMake(0, 0, 50, 100), 1, 1, 1);
    layer->setMask(mask);
    root->addSublayer(layer);
    compositor->renderFrame();
    EXPECT_EQ(pixel(compositor, 40, 100).r, 255);
    EXPECT_EQ(pixel(compositor, 160, 100).r, 0);

    auto shape = CAShapeLayer::layer();
    shape->setFrame(CGRectMake(0, 0, 100, 100));
    shape->setPath(CGPathCreateWithEllipseInRect(CGRectMake(0, 0, 100, 100), nullptr));
    layer->setMask(shape);
    compositor->renderFrame();
    EXPECT_EQ(pixel(compositor, 100, 100).r, 255) << "inside the circle";
    EXPECT_EQ(pixel(compositor, 4, 4).r, 0) << "outside it, in the corner";
}

TEST_F(LayerCompositorTest, masksToBoundsClipsSublayersToTheRoundedCorners)
{
    auto card = coloredLayer(CGRectMake(10, 10, 80, 80), 0, 0, 1);
    card->setCornerRadius(20);
    auto content = coloredLayer(CGRectMake(-10, -10, 100, 100), 1, 0, 0);
    card->addSublayer(content);
    root->addSublayer(card);
    compositor->renderFrame();
    EXPECT_EQ(pixel(compositor, 22, 22).r, 255) << "without clipping the corner shows the sublayer";
    card->setMasksToBounds(true);
    EXPECT_TRUE(compositor->needsFrame());
    compositor->renderFrame();
    EXPECT_EQ(pixel(compositor, 22, 22).r, 0) << "outside the rounded corner";
    EXPECT_EQ(pixel(compositor, 100, 100).r, 255) << "inside";
    EXPECT_EQ(pixel(compositor, 10, 100).r, 0) << "left of the bounds";
}

TEST_F(LayerCompositorTest, redrawsOnlyTheMarkedLayerAndCoalescesRequestsMadeWhileDrawing)
{
    std::vector<std::shared_ptr<CountingLayer>> layers;
    for (int i = 0; i < 4; ++i) {
        auto layer = CountingLayer::create();
        layer->setFrame(CGRectMake(i * 25, 0, 25, 25));
        layer->setNeedsDisplay();
        root->addSublayer(layer);
        layers.push_back(layer);
    }
    compositor->renderFrame();
    for (const auto& layer : layers)
        EXPECT_EQ(layer->draws, 1);
    EXPECT_FALSE(compositor->needsFrame());
    EXPECT_EQ(pixel(compositor, 10, 10).b, 255) << "the backing store shows";

    layers[2]->setNeedsDisplay();
    EXPECT_TRUE(compositor->needsFrame());
    compositor->renderFrame();
    EXPECT_EQ(layers[0]->draws, 1);
    EXPECT_EQ(layers[2]->draws, 2);

    layers[1]->redrawRequests = 1;
    layers[1]->setNeedsDisplay();
    compositor->renderFrame();
    EXPECT_EQ(layers[1]->draws, 2) << "a request made while drawing waits for the next frame";
    EXPECT_TRUE(compositor->needsFrame());
    compositor->renderFrame();
    EXPECT_EQ(layers[1]->draws, 3);
    EXPECT_FALSE(compositor->needsFrame());

    compositor->renderFrame();
    for (const auto& layer : layers)
        EXPECT_LE(layer->draws, 3);

    // renderInContext runs the drawing again.
    auto context = CGBitmapContext::createImageContext(CGSizeMake(100, 100), false, 1);
    root->renderInContext(context);
    EXPECT_EQ(layers[0]->draws, 2);
    EXPECT_EQ(pixelAt(context, 60, 10).b, 255);
}

TEST_F(LayerCompositorTest, framesFollowRunningAnimations)
{
    auto layer = coloredLayer(CGRectMake(0, 0, 20, 20), 1, 0, 0);
    root->addSublayer(layer);
    compositor->renderFrame();
    auto move = CABasicAnimation::animationWithKeyPath("position.x");
    move->setFromValue(NSNumber::numberWithDouble(10));
    move->setToValue(NSNumber::numberWithDouble(90));
    move->setDuration(1);
    layer->addAnimation(move, "move");
    NSRunLoop::mainRunLoop()->advanceClock(0.5);
    EXPECT_TRUE(compositor->needsFrame());
    compositor->renderFrame();
    EXPECT_EQ(pixel(compositor, 100, 20).r, 255) << "drawn at the presentation position 50";
    EXPECT_EQ(pixel(compositor, 10, 20).r, 0);
    NSRunLoop::mainRunLoop()->advanceClock(1);
    compositor->renderFrame();
    EXPECT_FALSE(compositor->needsFrame());
    EXPECT_EQ(pixel(compositor, 10, 20).r, 255) << "back at the model position";
}

TEST_F(LayerCompositorTest, shapeStrokeEndAndGradientCorners)
{
    auto gradient = CAGradientLayer::layer();
    gradient->setFrame(CGRectMake(0, 0, 100, 50));
    gradient->setColors({ CGColorCreateGenericRGB(1, 0, 0, 1), CGColorCreateGenericRGB(0, 0, 1, 1) });
    gradient->setStartPoint({ 0, 0.5 });
    gradient->setEndPoint({ 1, 0.5 });
    root->addSublayer(gradient);
    auto line = CAShapeLayer::layer();
    line->setFrame(CGRectMake(0, 50, 100, 50));
    auto path = CGPathCreateMutable();
    CGPathMoveToPoint(path, nullptr, 0, 25);
    CGPathAddLineToPoint(path, nullptr, 100, 25);
    line->setPath(path);
    line->setStrokeColor(CGColorCreateGenericRGB(0, 1, 0, 1));
    line->setLineWidth(10);
    line->setStrokeEnd(0.5);
    root->addSublayer(line);
    compositor->renderFrame();
    EXPECT_GT(pixel(compositor, 2, 50).r, 240);
    EXPECT_GT(pixel(compositor, 197, 50).b, 240);
    EXPECT_EQ(pixel(compositor, 50, 150).g, 255);
    EXPECT_EQ(pixel(compositor, 150, 150).g, 0) << "the stroke ends half-way";
}

TEST_F(LayerCompositorTest, opacityAppliesToTheLayerAndItsSublayersAsOneAtScreenScale)
{
    auto panel = coloredLayer(CGRectMake(0, 0, 100, 100), 1, 0, 0);
    panel->addSublayer(coloredLayer(CGRectMake(50, 50, 50, 50), 1, 0, 0));
    panel->setOpacity(0.5);
    root->addSublayer(panel);
    compositor->renderFrame();
    // Overlapping red inside one group stays half red instead of adding up.
    EXPECT_NEAR(pixel(compositor, 190, 190).r, 128, 2);
    EXPECT_NEAR(pixel(compositor, 10, 10).r, 128, 2);
}

TEST_F(LayerCompositorTest, aFrameForOneMarkedLayerRecompositesItsAreaAndKeepsTheRest)
{
    auto marked = CountingLayer::create();
    marked->setFrame(CGRectMake(0, 0, 20, 20));
    marked->setNeedsDisplay();
    root->addSublayer(marked);
    // A shape whose path lies outside its (empty) bounds, overlapping the marked layer.
    auto shape = CAShapeLayer::layer();
    shape->setPath(CGPathCreateWithRect(CGRectMake(10, 10, 30, 30), nullptr));
    shape->setFillColor(CGColorCreateGenericRGB(0, 1, 0, 1));
    root->addSublayer(shape);
    compositor->renderFrame();
    EXPECT_EQ(pixel(compositor, 30, 30).g, 255);
    EXPECT_EQ(pixel(compositor, 10, 10).b, 255);

    marked->setNeedsDisplay();
    compositor->renderFrame();
    EXPECT_EQ(marked->draws, 2);
    EXPECT_EQ(pixel(compositor, 30, 30).g, 255) << "the shape over the damaged area is drawn again";
    EXPECT_EQ(pixel(compositor, 70, 70).g, 255) << "and kept outside it";
    EXPECT_EQ(pixel(compositor, 10, 10).b, 255);
}

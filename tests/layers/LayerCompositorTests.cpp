#include "tests/graphics/GraphicsTestSupport.h"
#include "tests/layers/ManualClockLayerTest.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/SystemClock.h"
#include "platform/layers/CABasicAnimation.h"
#include "platform/layers/CAGradientLayer.h"
#include "platform/layers/CAShapeLayer.h"
#include "platform/layers/CATransaction.h"
#include "platform/layers/LayerCompositor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <cstring>

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

class LayerCompositorTest : public ManualClockLayerTest {
protected:
    void SetUp() override
    {
        ManualClockLayerTest::SetUp();
        compositor = LayerCompositor::create(CGSizeMake(100, 100), 2.0);
        root = coloredLayer(CGRectMake(0, 0, 100, 100), 0, 0, 0);
        compositor->setRootLayer(root);
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

namespace {

std::vector<std::uint32_t> frameWords(const std::shared_ptr<LayerCompositor>& compositor)
{
    const CGContextRef& frame = compositor->bitmapContext();
    const auto* data = static_cast<const std::uint8_t*>(CGBitmapContextGetData(frame));
    const std::size_t width = CGBitmapContextGetWidth(frame), height = CGBitmapContextGetHeight(frame);
    std::vector<std::uint32_t> words(width * height);
    for (std::size_t y = 0; y < height; ++y)
        std::memcpy(words.data() + y * width, data + y * CGBitmapContextGetBytesPerRow(frame), width * 4);
    return words;
}

// Puts a colour no layer paints on one device pixel of the last frame, to see whether the next
// frame moves it (the frame was shifted) or paints over it (the frame was composited anew).
constexpr std::uint32_t kMarker = 0xFF123456;
void mark(const std::shared_ptr<LayerCompositor>& compositor, int x, int y)
{
    const CGContextRef& frame = compositor->bitmapContext();
    auto* row = static_cast<std::uint8_t*>(CGBitmapContextGetData(frame)) + y * CGBitmapContextGetBytesPerRow(frame);
    std::memcpy(row + x * 4, &kMarker, 4);
}
std::uint32_t wordAt(const std::shared_ptr<LayerCompositor>& compositor, int x, int y)
{
    return frameWords(compositor)[std::size_t(y) * CGBitmapContextGetWidth(compositor->bitmapContext()) + std::size_t(x)];
}

// How many device pixels of the frame differ from a frame composited from scratch.
int differencesFromAFullFrame(const std::shared_ptr<LayerCompositor>& compositor)
{
    const auto shifted = frameWords(compositor);
    compositor->layerTreeDidChange();
    compositor->renderFrame();
    const auto full = frameWords(compositor);
    int differences = 0;
    for (std::size_t i = 0; i < full.size(); ++i)
        differences += shifted[i] != full[i];
    return differences;
}

// Content that shows every kind of drawing: a gradient, rounded cells, images, shapes, a shadow.
void fillWithContent(const CALayerRef& container, CGFloat height)
{
    auto gradient = CAGradientLayer::layer();
    gradient->setFrame(CGRectMake(0, 0, 100, 20));
    gradient->setColors({ CGColorCreateGenericRGB(0, 0.6, 0.8, 1), CGColorCreateGenericRGB(0, 0.4, 0.7, 1) });
    container->addSublayer(gradient);
    auto icon = CGBitmapContext::createImageContext(CGSizeMake(10, 10), false, 2);
    CGContextSetRGBFillColor(icon, 0.9, 0.3, 0.2, 1);
    CGContextFillEllipseInRect(icon, CGRectMake(0, 0, 10, 10));
    const CGImageRef image = CGBitmapContextCreateImage(icon);
    for (CGFloat y = 24; y + 16 < height; y += 19) {
        auto cell = coloredLayer(CGRectMake(4, y, 92, 16), 1, 1, 1);
        cell->setCornerRadius(4);
        auto picture = CALayer::layer();
        picture->setFrame(CGRectMake(3, 3, 10, 10));
        picture->setContents(image);
        picture->setContentsScale(2);
        cell->addSublayer(picture);
        auto dot = CAShapeLayer::layer();
        dot->setFrame(CGRectMake(70, 2.5, 11, 11));
        dot->setPath(CGPathCreateWithEllipseInRect(CGRectMake(0, 0, 11, 11), nullptr));
        dot->setFillColor(CGColorCreateGenericRGB(0.3, 0.7, 0.3, 1));
        cell->addSublayer(dot);
        container->addSublayer(cell);
    }
    auto panel = coloredLayer(CGRectMake(20, height - 30, 60, 20), 1, 1, 0.9);
    panel->setCornerRadius(5);
    panel->setShadowOpacity(0.4f);
    panel->setShadowRadius(3);
    container->addSublayer(panel);
}

void scroll(const CALayerRef& layer, CGFloat x, CGFloat y)
{
    CATransaction::begin();
    CATransaction::setDisableActions(true);
    layer->setSublayerTransform(CATransform3DMakeTranslation(x, y, 0));
    CATransaction::commit();
}

} // namespace

TEST_F(LayerCompositorTest, aWholePixelScrollShiftsTheLastFrameAndMatchesAFullFrame)
{
    root->setBackgroundColor(CGColorCreateGenericRGB(0.95, 0.95, 0.95, 1));
    fillWithContent(root, 200);
    compositor->renderFrame();

    // Each scroll composites only the strips it exposes: a mark on the old frame moves with it.
    mark(compositor, 50, 60);
    scroll(root, 0, -3);
    compositor->renderFrame();
    EXPECT_EQ(wordAt(compositor, 50, 54), kMarker);
    mark(compositor, 50, 54);
    scroll(root, 2, -5);
    compositor->renderFrame();
    EXPECT_EQ(wordAt(compositor, 54, 50), kMarker);
    compositor->layerTreeDidChange();
    compositor->renderFrame();

    // And the picture is the one a full frame makes, pixel for pixel, scrolled either way and
    // through the bounds' origin as well as the sublayer transform.
    for (const CGPoint offset : { CGPointMake(0, -7), CGPointMake(0, -40), CGPointMake(-3, -12), CGPointMake(0, 2.5) }) {
        scroll(root, offset.x, offset.y);
        compositor->renderFrame();
        EXPECT_EQ(differencesFromAFullFrame(compositor), 0) << offset.x << ", " << offset.y;
    }
    CATransaction::begin();
    CATransaction::setDisableActions(true);
    root->setBounds(CGRectMake(0, 9, 100, 100));
    CATransaction::commit();
    compositor->renderFrame();
    EXPECT_EQ(differencesFromAFullFrame(compositor), 0);
}

TEST_F(LayerCompositorTest, aScrollingLayerInsideTheTreeShiftsOnlyItsOwnPixels)
{
    auto header = coloredLayer(CGRectMake(0, 0, 100, 20), 0.2, 0.4, 0.8);
    auto list = coloredLayer(CGRectMake(0, 20, 100, 80), 0.95, 0.95, 0.95);
    list->setMasksToBounds(true);
    fillWithContent(list, 160);
    root->addSublayer(list);
    root->addSublayer(header);
    compositor->renderFrame();

    mark(compositor, 50, 100);
    mark(compositor, 50, 10);
    scroll(list, 0, -4);
    compositor->renderFrame();
    EXPECT_EQ(wordAt(compositor, 50, 92), kMarker) << "the list moved";
    EXPECT_EQ(wordAt(compositor, 50, 10), kMarker) << "the header stayed";
    compositor->layerTreeDidChange();
    compositor->renderFrame();
    scroll(list, 0, -9);
    compositor->renderFrame();
    EXPECT_EQ(differencesFromAFullFrame(compositor), 0);
}

// A long scroll one way and back slides the picture through all the memory it has to slide in,
// and back to its middle, keeping the header and footer around the list where they are.
TEST_F(LayerCompositorTest, aLongScrollEitherWayKeepsWhatStaysAndMatchesFullFrames)
{
    auto header = coloredLayer(CGRectMake(0, 0, 100, 12), 0.2, 0.4, 0.8);
    auto footer = coloredLayer(CGRectMake(0, 92, 100, 8), 0.8, 0.4, 0.2);
    auto list = coloredLayer(CGRectMake(0, 12, 100, 80), 0.95, 0.95, 0.95);
    list->setMasksToBounds(true);
    fillWithContent(list, 1200);
    root->addSublayer(list);
    root->addSublayer(header);
    root->addSublayer(footer);
    compositor->renderFrame();
    const auto shiftedBefore = compositor->shiftedFrameCount();
    int frames = 0;
    CGFloat y = 0;
    for (CGFloat step : { -7.5, 6.0, -3.5 }) {
        for (int move = 0; move < 40; ++move, ++frames) {
            y += step;
            scroll(list, 0, y);
            mark(compositor, 50, 4);
            compositor->renderFrame();
            ASSERT_EQ(wordAt(compositor, 50, 4), kMarker) << "the header stayed, at " << y;
            // Marking again is no change of the tree: only the full frame puts the header back.
            ASSERT_EQ(differencesFromAFullFrame(compositor), 1) << y;
        }
    }
    EXPECT_EQ(compositor->shiftedFrameCount(), shiftedBefore + NSUInteger(frames));
}

TEST_F(LayerCompositorTest, scrollsThatCannotBeShiftedCompositeTheWholeFrame)
{
    auto list = coloredLayer(CGRectMake(0, 0, 100, 100), 0.95, 0.95, 0.95);
    list->setMasksToBounds(true);
    fillWithContent(list, 160);
    root->addSublayer(list);
    compositor->renderFrame();
    const auto expectRecomposited = [&](const char* why) {
        mark(compositor, 50, 60);
        compositor->renderFrame();
        EXPECT_NE(std::ranges::count(frameWords(compositor), kMarker), 1) << why;
        EXPECT_EQ(differencesFromAFullFrame(compositor), 0) << why;
    };

    // A quarter point is half a device pixel.
    scroll(list, 0, -0.25);
    expectRecomposited("not by whole pixels");
    // Something else changed as well, without telling where it shows.
    scroll(list, 0, -3);
    list->sublayers().back()->setMasksToBounds(true);
    expectRecomposited("another change");
    // A layer drawn above the list covers part of it.
    auto badge = coloredLayer(CGRectMake(80, 80, 10, 10), 1, 0, 0);
    root->addSublayer(badge);
    compositor->renderFrame();
    scroll(list, 0, -6);
    expectRecomposited("a layer above");
    badge->removeFromSuperlayer();
    compositor->renderFrame();
    // The list shows what lies beneath it.
    list->setBackgroundColor(CGColorCreateGenericRGB(0.95, 0.95, 0.95, 0.5));
    compositor->renderFrame();
    scroll(list, 0, -8);
    expectRecomposited("a translucent background");
    list->setBackgroundColor(CGColorCreateGenericRGB(0.95, 0.95, 0.95, 1));
    // The change animates (the list has been through a commit, so it animates implicitly).
    compositor->renderFrame();
    CATransaction::flush();
    list->setSublayerTransform(CATransform3DMakeTranslation(0, -20, 0));
    expectRecomposited("an implicit animation");
}

TEST_F(LayerCompositorTest, aScrollShiftsPastOtherChangesAndRepairsWhereTheyWereAndAre)
{
    auto list = coloredLayer(CGRectMake(0, 10, 100, 90), 0.95, 0.95, 0.95);
    list->setMasksToBounds(true);
    fillWithContent(list, 300);
    root->addSublayer(list);
    // A bar that follows the scroll, as an indicator does, and a layer that draws.
    auto bar = coloredLayer(CGRectMake(96, 2, 2, 8), 0.3, 0.3, 0.3);
    bar->setCornerRadius(1);
    list->addSublayer(bar);
    auto drawn = CountingLayer::create();
    drawn->setFrame(CGRectMake(40, 30, 10, 10));
    list->addSublayer(drawn);
    compositor->renderFrame();
    CATransaction::flush();

    const auto change = [&](CGFloat y, const std::function<void()>& others) {
        CATransaction::begin();
        CATransaction::setDisableActions(true);
        list->setBounds(CGRectMake(0, y, 100, 90));
        others();
        CATransaction::commit();
    };
    const auto shiftedBefore = compositor->shiftedFrameCount();
    // Far from every change, the old frame's pixels move with the scroll.
    mark(compositor, 20, 170);
    change(3, [&] { bar->setPosition(CGPointMake(97, 9)); });
    compositor->renderFrame();
    EXPECT_EQ(wordAt(compositor, 20, 164), kMarker);
    compositor->layerTreeDidChange();
    compositor->renderFrame();
    change(6, [&] { bar->setPosition(CGPointMake(97, 12)); });
    compositor->renderFrame();
    EXPECT_EQ(differencesFromAFullFrame(compositor), 0) << "a moved bar";

    const auto cells = list->sublayers();
    change(10, [&] {
        bar->setPosition(CGPointMake(97, 16));
        cells[3]->setBackgroundColor(CGColorCreateGenericRGB(1, 0.8, 0.8, 1));
        cells[1]->removeFromSuperlayer();
        auto incoming = coloredLayer(CGRectMake(4, 96, 92, 16), 0.8, 0.9, 1);
        list->insertSublayer(incoming, 0);
        drawn->setNeedsDisplay();
    });
    compositor->renderFrame();
    EXPECT_EQ(drawn->draws, 1);
    EXPECT_EQ(differencesFromAFullFrame(compositor), 0) << "rows in and out, a colour, a drawing";
    EXPECT_EQ(compositor->shiftedFrameCount(), shiftedBefore + 3);

    // The scrolled layer itself changing otherwise, or too many changes, composite the whole frame.
    change(14, [&] { list->setBackgroundColor(CGColorCreateGenericRGB(0.9, 0.95, 0.95, 1)); });
    compositor->renderFrame();
    EXPECT_EQ(differencesFromAFullFrame(compositor), 0);
    change(20, [&] {
        for (const auto& cell : list->sublayers()) {
            cell->setOpacity(0.9f);
            for (const auto& part : cell->sublayers())
                part->setOpacity(0.8f);
        }
    });
    compositor->renderFrame();
    EXPECT_EQ(differencesFromAFullFrame(compositor), 0);
    EXPECT_EQ(compositor->shiftedFrameCount(), shiftedBefore + 3);
}

TEST_F(LayerCompositorTest, aNewRootOrBackgroundColourRedrawsTheWholeFrame)
{
    compositor->renderFrame();
    EXPECT_EQ(pixel(compositor, 10, 10).r, 0);
    compositor->setRootLayer(coloredLayer(CGRectMake(0, 0, 100, 100), 1, 0, 0));
    compositor->renderFrame();
    EXPECT_EQ(pixel(compositor, 10, 10).r, 255) << "the new root shows";
    compositor->setRootLayer(nullptr);
    compositor->setBackgroundColor(CGColorCreateGenericRGB(0, 1, 0, 1));
    compositor->renderFrame();
    EXPECT_EQ(pixel(compositor, 10, 10).g, 255) << "the new background shows";
}

// A translucent rounded bar moving by fractions of a pixel as the list under it scrolls (a
// scroll indicator), drawn in place instead of from a picture made again every frame.
TEST_F(LayerCompositorTest, aBarMovingByFractionsOfAPixelWithTheScrollMatchesFullFrames)
{
    auto list = coloredLayer(CGRectMake(0, 0, 100, 100), 0.95, 0.95, 0.95);
    list->setMasksToBounds(true);
    fillWithContent(list, 1200);
    auto bar = CALayer::layer();
    bar->setBackgroundColor(CGColorCreateGenericRGB(0, 0, 0, 0.4));
    bar->setCornerRadius(1.25);
    list->addSublayer(bar);
    root->addSublayer(list);
    const auto place = [&](CGFloat y) {
        CATransaction::begin();
        CATransaction::setDisableActions(true);
        list->setBounds(CGRectMake(0, y, 100, 100));
        bar->setFrame(CGRectMake(94.5, y + 3 + y * 0.013, 2.5, 7));
        CATransaction::commit();
    };
    place(0);
    compositor->renderFrame();
    const auto shiftedBefore = compositor->shiftedFrameCount();
    CGFloat y = 0;
    for (int round = 0; round < 4; ++round) {
        for (int frame = 0; frame < 5; ++frame) {
            y += round % 2 ? -6 : 10;
            place(y);
            compositor->renderFrame();
        }
        EXPECT_EQ(differencesFromAFullFrame(compositor), 0) << "at " << y;
    }
    EXPECT_EQ(compositor->shiftedFrameCount(), shiftedBefore + 20);
}

// An area that lies wholly inside an opaque layer is composited from that layer up: a change
// beneath it stays hidden, and what is drawn above it (an ancestor's border, a sibling over it)
// still shows.
TEST_F(LayerCompositorTest, anAreaInsideAnOpaqueLayerIsCompositedFromThatLayerUp)
{
    auto panel = coloredLayer(CGRectMake(10, 10, 80, 80), 0.5, 0.5, 0.5);
    panel->setBorderWidth(6);
    panel->setBorderColor(CGColorCreateGenericRGB(1, 0, 0, 1));
    auto under = CountingLayer::create();
    under->setFrame(CGRectMake(20, 10, 20, 20));
    under->setNeedsDisplay();
    panel->addSublayer(under);
    auto card = coloredLayer(CGRectMake(0, 0, 80, 40), 1, 1, 1);
    panel->addSublayer(card);
    auto badge = CountingLayer::create();
    badge->setFrame(CGRectMake(2, 10, 10, 10));
    badge->setNeedsDisplay();
    card->addSublayer(badge);
    auto over = CountingLayer::create();
    over->setFrame(CGRectMake(30, 20, 30, 30));
    over->setOpacity(0.5f);
    over->setNeedsDisplay();
    panel->addSublayer(over);
    root->addSublayer(panel);
    compositor->renderFrame();

    for (const auto& changed : { std::static_pointer_cast<CountingLayer>(under), badge, over }) {
        const int draws = changed->draws;
        mark(compositor, 190, 190);
        changed->setNeedsDisplay();
        compositor->renderFrame();
        EXPECT_EQ(changed->draws, draws + 1);
        EXPECT_EQ(wordAt(compositor, 190, 190), kMarker) << "only the changed area was composited";
        EXPECT_EQ(differencesFromAFullFrame(compositor), 1) << "the rest is the full frame";
    }
    EXPECT_EQ(pixel(compositor, 30, 50).r, 255) << "the border shows over the card";
}

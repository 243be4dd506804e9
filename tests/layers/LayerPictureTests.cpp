// The pictures the compositor keeps of layers between frames: every frame must show exactly the
// pixels drawing everything again would, whatever changed in between.
#include "tests/graphics/GraphicsTestSupport.h"
#include "tests/layers/ManualClockLayerTest.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/SystemClock.h"
#include "platform/layers/CABasicAnimation.h"
#include "platform/layers/CAGradientLayer.h"
#include "platform/layers/CAShapeLayer.h"
#include "platform/layers/CATextLayer.h"
#include "platform/layers/CATransaction.h"
#include "platform/layers/LayerCompositor.h"
#include "platform/layers/LayerRenderer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

CGColorRef rgb(CGFloat r, CGFloat g, CGFloat b, CGFloat a = 1) { return CGColorCreateGenericRGB(r, g, b, a); }

CALayerRef roundedLayer(CGRect frame, CGColorRef color, CGFloat radius)
{
    auto layer = CALayer::layer();
    layer->setFrame(frame);
    layer->setBackgroundColor(std::move(color));
    layer->setCornerRadius(radius);
    return layer;
}

class LayerPictureTest : public ManualClockLayerTest {
protected:
    void SetUp() override
    {
        ManualClockLayerTest::SetUp();
        compositor = LayerCompositor::create(CGSizeMake(100, 100), 2.0);
        root = CALayer::layer();
        root->setFrame(CGRectMake(0, 0, 100, 100));
        root->setBackgroundColor(rgb(0.95, 0.95, 0.95));
        compositor->setRootLayer(root);
        CATransaction::setDisableActions(true);
    }

    // A card: a rounded white panel with a shadow, an icon shape, a text and a gradient strip,
    // all inside the panel, so that it is kept as one picture once it stays unchanged.
    void buildCard(CGRect frame)
    {
        card = roundedLayer(frame, rgb(1, 1, 1), 6);
        card->setShadowOpacity(0.4f);
        card->setShadowRadius(1.5);
        card->setShadowOffset(CGSizeMake(0, 2));
        root->addSublayer(card);
        dot = CAShapeLayer::layer();
        dot->setFrame(CGRectMake(8.25, 14.5, 10, 10));
        dot->setPath(CGPathCreateWithEllipseInRect(CGRectMake(0, 0, 10, 10), nullptr));
        dot->setFillColor(rgb(0.2, 0.6, 0.3));
        card->addSublayer(dot);
        text = CATextLayer::layer();
        text->setFrame(CGRectMake(28, 4, 34, 12));
        text->setString(NSString("第 1 题"));
        text->setFontSize(10);
        text->setForegroundColor(rgb(0.2, 0.2, 0.2));
        text->setContentsScale(2);
        card->addSublayer(text);
        strip = CAGradientLayer::layer();
        strip->setFrame(CGRectMake(8, 32, 40, 4));
        strip->setColors({ rgb(0, 0.6, 0.8), rgb(0, 0.4, 0.7) });
        card->addSublayer(strip);
    }

    // What drawing the whole tree again, keeping nothing, gives.
    std::vector<std::uint8_t> drawnAgain() const
    {
        auto context = CGBitmapContext::createImageContext(compositor->size(), false, compositor->scale());
        CGContextClipToRect(context, CGRectMake(0, 0, compositor->size().width, compositor->size().height));
        LayerRenderer renderer(context, { true, true, CACurrentMediaTime() });
        renderer.renderLayerPlaced(*root);
        return bytes(context);
    }
    static std::vector<std::uint8_t> bytes(const CGContextRef& context)
    {
        const auto* data = static_cast<const std::uint8_t*>(CGBitmapContextGetData(context));
        return { data, data + CGBitmapContextGetBytesPerRow(context) * CGBitmapContextGetHeight(context) };
    }
    // Renders a frame and tells whether it equals drawing everything again, byte for byte.
    ::testing::AssertionResult frameMatchesDrawing()
    {
        compositor->layerTreeDidChange();
        compositor->renderFrame();
        const auto frame = bytes(compositor->bitmapContext());
        const auto expected = drawnAgain();
        if (frame == expected)
            return ::testing::AssertionSuccess();
        std::size_t differing = 0, first = 0;
        for (std::size_t i = 0; i < frame.size(); ++i)
            if (frame[i] != expected[i] && differing++ == 0)
                first = i;
        const std::size_t row = first / CGBitmapContextGetBytesPerRow(compositor->bitmapContext());
        const std::size_t word = first / 4 * 4;
        std::uint32_t got = 0, want = 0;
        std::memcpy(&got, &frame[word], 4);
        std::memcpy(&want, &expected[word], 4);
        return ::testing::AssertionFailure() << differing << " bytes differ, the first at row " << row << ", byte "
                                             << first % CGBitmapContextGetBytesPerRow(compositor->bitmapContext()) << std::hex
                                             << ": " << got << " where drawing gives " << want;
    }
    Pixel at(int x, int y) const { return imagePixelAt(compositor->image(), x, y); }

    std::shared_ptr<LayerCompositor> compositor;
    CALayerRef root;
    CALayerRef card;
    std::shared_ptr<CAShapeLayer> dot;
    std::shared_ptr<CATextLayer> text;
    std::shared_ptr<CAGradientLayer> strip;
};

TEST_F(LayerPictureTest, keptPicturesGiveTheDrawnPixelsWhereverTheyGo)
{
    buildCard(CGRectMake(10, 10, 70, 40));
    auto header = CAGradientLayer::layer();
    header->setFrame(CGRectMake(0, 60, 100, 12.25));
    header->setColors({ rgb(0.9, 0.3, 0.1), rgb(0.8, 0.1, 0.1) });
    root->addSublayer(header);
    auto badge = CAShapeLayer::layer();
    badge->setFrame(CGRectMake(70.3, 75.7, 20, 20));
    badge->setPath(CGPathCreateWithRoundedRect(CGRectMake(0, 0, 20, 20), 5, 5, nullptr));
    badge->setFillColor(rgb(0.1, 0.2, 0.9, 1));
    badge->setShadowOpacity(0.5f);
    badge->setShadowPath(CGPathCreateWithRect(CGRectMake(0, 0, 20, 20), nullptr));
    root->addSublayer(badge);
    auto pill = roundedLayer(CGRectMake(5.5, 80.25, 50, 12), rgb(0.3, 0.3, 0.9), 6);
    root->addSublayer(pill);

    // Drawn, then kept, then copied from what was kept.
    for (int frame = 0; frame < 3; ++frame)
        EXPECT_TRUE(frameMatchesDrawing()) << "frame " << frame;
    EXPECT_GT(compositor->keptPictureCount(), 0u);
    EXPECT_GT(compositor->keptPictureBytes(), 0u);

    // Moved by whole device pixels the pictures serve again; by half a pixel they are drawn anew.
    card->setPosition(CGPointMake(card->position().x + 3.5, card->position().y + 1));
    pill->setPosition(CGPointMake(pill->position().x + 0.25, pill->position().y));
    badge->setPosition(CGPointMake(badge->position().x - 10, badge->position().y - 0.5));
    for (int frame = 0; frame < 3; ++frame)
        EXPECT_TRUE(frameMatchesDrawing()) << "moved, frame " << frame;

    // Scaled, the pictures are drawn at the new scale.
    root->setSublayerTransform(CATransform3DMakeScale(0.75, 0.75, 1));
    for (int frame = 0; frame < 2; ++frame)
        EXPECT_TRUE(frameMatchesDrawing()) << "scaled, frame " << frame;
}

TEST_F(LayerPictureTest, aChangeToAnythingAPictureShowsDrawsItAgain)
{
    buildCard(CGRectMake(10, 10, 70, 40));
    auto pill = roundedLayer(CGRectMake(10, 60, 60, 20), rgb(0.3, 0.3, 0.9), 8);
    root->addSublayer(pill);
    auto header = CAGradientLayer::layer();
    header->setFrame(CGRectMake(0, 85, 100, 15));
    header->setColors({ rgb(0.9, 0.3, 0.1), rgb(0.8, 0.1, 0.1) });
    root->addSublayer(header);
    for (int frame = 0; frame < 3; ++frame)
        ASSERT_TRUE(frameMatchesDrawing());

    const std::vector<std::pair<const char*, std::function<void()>>> changes {
        { "background colour", [&] { pill->setBackgroundColor(rgb(0.9, 0.2, 0.2)); } },
        { "corner radius", [&] { pill->setCornerRadius(3); } },
        { "size", [&] { pill->setBounds(CGRectMake(0, 0, 50, 18)); } },
        { "shadow opacity", [&] { card->setShadowOpacity(0.8f); } },
        { "shadow colour", [&] { card->setShadowColor(rgb(0.8, 0, 0)); } },
        { "shadow radius", [&] { card->setShadowRadius(5); } },
        { "shadow offset", [&] { card->setShadowOffset(CGSizeMake(2, 4)); } },
        { "card colour", [&] { card->setBackgroundColor(rgb(1, 1, 0.8)); } },
        { "card corners", [&] { card->setCornerRadius(9); } },
        { "shape colour", [&] { dot->setFillColor(rgb(0.9, 0.1, 0.1)); } },
        { "shape path", [&] { dot->setPath(CGPathCreateWithRect(CGRectMake(1, 1, 8, 8), nullptr)); } },
        { "shape moved inside the card", [&] { dot->setPosition(CGPointMake(dot->position().x + 2, dot->position().y)); } },
        { "text", [&] { text->setString(NSString("第 2 题")); } },
        { "gradient colours", [&] { strip->setColors({ rgb(0.9, 0.9, 0), rgb(0.1, 0.1, 0.1) }); } },
        { "gradient direction", [&] { header->setStartPoint(CGPointMake(0, 0.5)); } },
        { "gradient locations", [&] { header->setLocations({ 0.2, 0.4 }); } },
        { "sublayer hidden", [&] { strip->setHidden(true); } },
        { "sublayer added", [&] { card->addSublayer(roundedLayer(CGRectMake(50, 5, 10, 10), rgb(0, 0, 0), 2)); } },
        { "sublayer removed", [&] { dot->removeFromSuperlayer(); } },
        { "sublayer transform", [&] { card->setSublayerTransform(CATransform3DMakeTranslation(1, 1, 0)); } },
        { "sublayer out of the card", [&] { text->setPosition(CGPointMake(60, 40)); } },
        { "opacity", [&] { card->setOpacity(0.5f); } },
        { "border", [&] { pill->setBorderWidth(2), pill->setBorderColor(rgb(0, 0, 0)); } },
    };
    for (const auto& [what, change] : changes) {
        const auto before = bytes(compositor->bitmapContext());
        change();
        EXPECT_TRUE(frameMatchesDrawing()) << what;
        EXPECT_NE(bytes(compositor->bitmapContext()), before) << what << " shows";
        EXPECT_TRUE(frameMatchesDrawing()) << what << ", kept";
        EXPECT_TRUE(frameMatchesDrawing()) << what << ", kept again";
    }
}

TEST_F(LayerPictureTest, colourChangesShowInPixels)
{
    auto pill = roundedLayer(CGRectMake(10, 10, 40, 20), rgb(1, 0, 0), 5);
    auto inner = roundedLayer(CGRectMake(10, 5, 10, 10), rgb(0, 1, 0), 0);
    pill->addSublayer(inner);
    root->addSublayer(pill);
    for (int frame = 0; frame < 3; ++frame)
        compositor->renderFrame(), compositor->layerTreeDidChange();
    EXPECT_EQ(at(60, 40).r, 255);
    EXPECT_EQ(at(50, 30).g, 255);
    pill->setBackgroundColor(rgb(0, 0, 1));
    compositor->renderFrame();
    EXPECT_EQ(at(60, 40).b, 255) << "the kept picture of the pill was drawn again";
    inner->setBackgroundColor(rgb(1, 1, 0));
    compositor->renderFrame();
    EXPECT_EQ(at(50, 30).r, 255) << "a change below a kept subtree draws it again";
    EXPECT_EQ(at(50, 30).g, 255);
}

TEST_F(LayerPictureTest, animationsStillAnimate)
{
    buildCard(CGRectMake(10, 10, 70, 40));
    auto pill = roundedLayer(CGRectMake(10, 60, 60, 20), rgb(1, 0, 0), 8);
    root->addSublayer(pill);
    for (int frame = 0; frame < 3; ++frame)
        ASSERT_TRUE(frameMatchesDrawing());

    auto fade = CABasicAnimation::animationWithKeyPath("backgroundColor");
    fade->setFromValue(rgb(1, 0, 0));
    fade->setToValue(rgb(0, 0, 1));
    fade->setDuration(1);
    pill->addAnimation(fade, "fade");
    auto slide = CABasicAnimation::animationWithKeyPath("position.x");
    slide->setFromValue(NSNumber::numberWithDouble(10));
    slide->setToValue(NSNumber::numberWithDouble(50));
    slide->setDuration(1);
    dot->addAnimation(slide, "slide");
    NSRunLoop::mainRunLoop()->advanceClock(0.5);
    EXPECT_TRUE(compositor->needsFrame());
    EXPECT_TRUE(frameMatchesDrawing());
    const Pixel middle = at(80, 140);
    EXPECT_GT(middle.r, 60);
    EXPECT_GT(middle.b, 60);
    // The dot, inside a card kept as one picture, shows at its presentation position 30.
    EXPECT_EQ(at(80, 58).g, 153);
    EXPECT_EQ(at(46, 58).g, 255);
    NSRunLoop::mainRunLoop()->advanceClock(0.25);
    EXPECT_TRUE(frameMatchesDrawing());
    EXPECT_GT(at(80, 140).b, middle.b);
    NSRunLoop::mainRunLoop()->advanceClock(1);
    EXPECT_TRUE(frameMatchesDrawing());
    EXPECT_EQ(at(80, 140).r, 255) << "back to the model colour";
    EXPECT_TRUE(frameMatchesDrawing());
}

TEST_F(LayerPictureTest, aMemoryWarningDropsEveryKeptPicture)
{
    auto pill = roundedLayer(CGRectMake(10, 10, 60, 30), rgb(1, 1, 1), 8);
    pill->addSublayer(roundedLayer(CGRectMake(10, 10, 20, 10), rgb(0, 0.5, 0), 0));
    root->addSublayer(pill);
    for (int frame = 0; frame < 3; ++frame)
        ASSERT_TRUE(frameMatchesDrawing());
    ASSERT_GT(compositor->keptPictureCount(), 0u);
    NSNotificationCenter::defaultCenter()->postNotificationName(NSString("UIApplicationDidReceiveMemoryWarningNotification"), nullptr);
    EXPECT_EQ(compositor->keptPictureCount(), 0u);
    EXPECT_EQ(compositor->keptPictureBytes(), 0u);
    EXPECT_TRUE(frameMatchesDrawing());
    EXPECT_TRUE(frameMatchesDrawing());
}

TEST_F(LayerPictureTest, keptPicturesStayWithinTheirBudgetAndLeaveWithTheirLayers)
{
    // Twice the screen's bytes: 200 × 200 pixels of four bytes, twice.
    const std::size_t budget = 200 * 200 * 4 * 2;
    std::vector<CALayerRef> pills;
    for (int i = 0; i < 40; ++i) {
        pills.push_back(roundedLayer(CGRectMake((i % 8) * 12, (i / 8) * 18, 11, 17), rgb(0.1 * (i % 10), 0.5, 0.5), 4));
        root->addSublayer(pills.back());
    }
    for (int frame = 0; frame < 2; ++frame)
        ASSERT_TRUE(frameMatchesDrawing());
    EXPECT_GE(compositor->keptPictureCount(), 40u);
    EXPECT_LE(compositor->keptPictureBytes(), budget);

    // Large pictures crowd out small ones, never the budget.
    std::vector<CALayerRef> large;
    for (int i = 0; i < 6; ++i) {
        large.push_back(roundedLayer(CGRectMake(i * 2, i * 2, 49, 49), rgb(0.2, 0.1 * i, 0.3), 10));
        root->addSublayer(large.back());
    }
    for (int frame = 0; frame < 2; ++frame)
        ASSERT_TRUE(frameMatchesDrawing());
    EXPECT_LE(compositor->keptPictureBytes(), budget);

    // Layers that leave the screen, or the tree, leave no pictures behind.
    for (const auto& layer : large)
        layer->removeFromSuperlayer();
    large.clear();
    for (std::size_t i = 0; i < pills.size(); ++i)
        pills[i]->setPosition(CGPointMake(pills[i]->position().x + (i % 2 ? 400 : 0), pills[i]->position().y));
    ASSERT_TRUE(frameMatchesDrawing());
    EXPECT_EQ(compositor->keptPictureCount(), 20u);
}

TEST_F(LayerPictureTest, aSubtreeThatChangesEveryFrameIsNotKeptWhole)
{
    auto pill = roundedLayer(CGRectMake(10, 10, 60, 30), rgb(1, 1, 1), 8);
    auto inner = roundedLayer(CGRectMake(10, 10, 20, 10), rgb(0, 0.5, 0), 0);
    pill->addSublayer(inner);
    root->addSublayer(pill);
    for (int frame = 0; frame < 4; ++frame) {
        inner->setBackgroundColor(rgb(0, 0.1 * frame, 0));
        ASSERT_TRUE(frameMatchesDrawing()) << frame;
    }
    // Kept whole once it stays the same, then drawn again on the next change.
    EXPECT_TRUE(frameMatchesDrawing());
    EXPECT_TRUE(frameMatchesDrawing());
    inner->setBackgroundColor(rgb(0.9, 0, 0));
    EXPECT_TRUE(frameMatchesDrawing());
    EXPECT_EQ(at(50, 50).r, 230);
}

TEST_F(LayerPictureTest, revisionsCountChangesOfTheLayerAndBelow)
{
    auto parent = CALayer::layer();
    auto child = CALayer::layer();
    parent->addSublayer(child);
    const auto parentOwn = parent->revision(), parentAll = parent->subtreeRevision(), childOwn = child->revision();
    child->setBackgroundColor(rgb(1, 0, 0));
    EXPECT_GT(child->revision(), childOwn);
    EXPECT_EQ(parent->revision(), parentOwn);
    EXPECT_GT(parent->subtreeRevision(), parentAll);
    const auto before = parent->subtreeRevision();
    child->setNeedsDisplay();
    EXPECT_GT(parent->subtreeRevision(), before);
    const auto removed = parent->revision();
    child->removeFromSuperlayer();
    EXPECT_GT(parent->revision(), removed);
}

// Frames scrolled a device pixel at a time shift the last frame and composite only the strips
// they expose, through kept pictures whose antialiased edges a strip cuts or misses, past
// sublayers that reach out of their cells; each shows what drawing everything again gives.
TEST_F(LayerPictureTest, scrolledFramesShowWhatDrawingGives)
{
    std::vector<CALayerRef> badges;
    for (int row = 0; row < 6; ++row) {
        auto cell = roundedLayer(CGRectMake(4, 4 + row * 21, 92, 18), rgb(1, 1, 1), 5);
        auto dotInCell = CAShapeLayer::layer();
        dotInCell->setFrame(CGRectMake(6, 4.5, 9, 9));
        dotInCell->setPath(CGPathCreateWithEllipseInRect(CGRectMake(0, 0, 9, 9), nullptr));
        dotInCell->setFillColor(rgb(0.2, 0.6, 0.3));
        cell->addSublayer(dotInCell);
        auto badge = roundedLayer(CGRectMake(70, 4, 14, 10), rgb(0.8, 0.2, 0.2), 3);
        cell->addSublayer(badge);
        badges.push_back(badge);
        root->addSublayer(cell);
    }
    for (int frame = 0; frame < 2; ++frame)
        ASSERT_TRUE(frameMatchesDrawing());
    ASSERT_GT(compositor->keptPictureCount(), 6u);

    auto scrollTo = [&](CGFloat y) {
        root->setSublayerTransform(CATransform3DMakeTranslation(0, y, 0));
        compositor->renderFrame();
        return bytes(compositor->bitmapContext()) == drawnAgain();
    };
    // The frame is shifted, not composited anew: a pixel no layer paints moves with it.
    const std::uint32_t marker = 0xFF123456;
    auto* data = static_cast<std::uint8_t*>(CGBitmapContextGetData(compositor->bitmapContext()));
    const std::size_t stride = CGBitmapContextGetBytesPerRow(compositor->bitmapContext());
    std::memcpy(data + 100 * stride + 40, &marker, 4);
    root->setSublayerTransform(CATransform3DMakeTranslation(0, -0.5, 0));
    compositor->renderFrame();
    std::uint32_t moved = 0;
    // Read again: a shift may slide the picture within its memory.
    data = static_cast<std::uint8_t*>(CGBitmapContextGetData(compositor->bitmapContext()));
    std::memcpy(&moved, data + 99 * stride + 40, 4);
    ASSERT_EQ(moved, marker);
    compositor->layerTreeDidChange();

    for (int step = 1; step <= 60; ++step)
        ASSERT_TRUE(scrollTo(-0.5 * step)) << "up " << step;
    // A badge moved out below its cell widens what the cell's subtree reaches.
    badges[0]->setPosition(CGPointMake(badges[0]->position().x, 24));
    ASSERT_TRUE(frameMatchesDrawing());
    for (int step = 59; step >= 0; --step)
        ASSERT_TRUE(scrollTo(-0.5 * step)) << "down " << step;
    for (int step = 1; step <= 12; ++step)
        ASSERT_TRUE(scrollTo(-3.5 * step)) << "by seven pixels, " << step;
}

// Contents shown off whole pixels are resampled once and kept for the next frame; a layer taken
// out of the tree gives that copy, and its pictures, back at the next frame, unless it was put
// back in before.
TEST_F(LayerPictureTest, layersTakenOutOfTheTreeGiveBackWhatWasKeptForThem)
{
    auto icon = CGBitmapContext::createImageContext(CGSizeMake(10, 10), false, 2);
    CGContextSetRGBFillColor(icon, 0.9, 0.3, 0.2, 1);
    CGContextFillEllipseInRect(icon, CGRectMake(0, 0, 10, 10));
    const CGImageRef image = CGBitmapContextCreateImage(icon);
    auto picture = [&](CGFloat x, CGFloat y) {
        auto layer = CALayer::layer();
        layer->setFrame(CGRectMake(x, y, 10, 10));
        layer->setContents(image);
        layer->setContentsScale(2);
        return layer;
    };
    auto shown = picture(10.3, 10.3);
    auto leaving = roundedLayer(CGRectMake(40, 10, 30, 20), rgb(1, 1, 1), 6);
    auto leavingIcon = picture(2.3, 2.3);
    leaving->addSublayer(leavingIcon);
    auto moving = picture(10.3, 40.3);
    auto settling = picture(40.3, 40.3);
    auto masked = roundedLayer(CGRectMake(10, 70, 20, 20), rgb(0, 0.5, 0), 0);
    auto mask = picture(0.3, 0.3);
    masked->setMask(mask);
    for (const auto& layer : { shown, leaving, moving, settling, masked })
        root->addSublayer(layer);
    for (int frame = 0; frame < 2; ++frame)
        ASSERT_TRUE(frameMatchesDrawing());
    const std::size_t pictures = compositor->keptPictureCount();
    ASSERT_GT(pictures, 0u);

    leaving->removeFromSuperlayer();
    moving->removeFromSuperlayer();
    masked->addSublayer(moving);
    settling->setPosition(CGPointMake(45, 45));
    masked->setMask(nullptr);
    compositor->renderFrame();
    EXPECT_LT(compositor->keptPictureCount(), pictures) << "the rounded panel's picture went with it";
    EXPECT_EQ(LayerRenderer::releasePlacedContents(*leavingIcon), 0u);
    EXPECT_EQ(LayerRenderer::releasePlacedContents(*mask), 0u);
    EXPECT_EQ(LayerRenderer::releasePlacedContents(*settling), 0u) << "shown on whole pixels now";
    EXPECT_GT(LayerRenderer::releasePlacedContents(*moving), 0u) << "still shown";
    EXPECT_GT(LayerRenderer::releasePlacedContents(*shown), 0u);

    // Put back, they show as before.
    root->addSublayer(leaving);
    masked->setMask(mask);
    EXPECT_TRUE(frameMatchesDrawing());
    EXPECT_TRUE(frameMatchesDrawing());

    // Sublayers replaced wholesale leave too, but those among the new ones stay.
    auto holder = CALayer::layer();
    holder->setFrame(CGRectMake(50, 70, 40, 20));
    auto held = picture(1.3, 1.3);
    auto stays = picture(20.3, 1.3);
    holder->addSublayer(held);
    holder->addSublayer(stays);
    root->addSublayer(holder);
    ASSERT_TRUE(frameMatchesDrawing());
    holder->setSublayers({ stays });
    compositor->renderFrame();
    EXPECT_EQ(LayerRenderer::releasePlacedContents(*held), 0u);
    EXPECT_GT(LayerRenderer::releasePlacedContents(*stays), 0u);

    // A root taken off the screen gives back all of its tree's.
    compositor->setRootLayer(CALayer::layer());
    compositor->renderFrame();
    EXPECT_EQ(compositor->keptPictureCount(), 0u);
    for (const auto& layer : { shown, leavingIcon, moving })
        EXPECT_EQ(LayerRenderer::releasePlacedContents(*layer), 0u);
}

// A host that draws no frame for a long while still lets go of the layers that left.
TEST_F(LayerPictureTest, layersLeavingWithoutFramesAreBounded)
{
    auto pill = roundedLayer(CGRectMake(10, 10, 60, 30), rgb(1, 1, 1), 8);
    root->addSublayer(pill);
    for (int frame = 0; frame < 2; ++frame)
        ASSERT_TRUE(frameMatchesDrawing());
    ASSERT_GT(compositor->keptPictureCount(), 0u);
    pill->removeFromSuperlayer();
    for (int i = 0; i < 1100; ++i) {
        auto layer = CALayer::layer();
        root->addSublayer(layer);
        layer->removeFromSuperlayer();
    }
    EXPECT_EQ(compositor->keptPictureCount(), 0u);
}

} // namespace

#include "PlotRendering.h"

#include "framework/Source/PEBorderedLayer.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PEMutableLineStyle.h"
#include "framework/Source/PEMutableShadow.h"
#include "framework/Source/PEXYGraph.h"
#include "platform/foundation/NSNotificationCenter.h"

#include <gtest/gtest.h>

using namespace plottest;

namespace {

// Counts what a center posts under a name for one object, while it lives.
class PostCounter {
public:
    PostCounter(const char* name, const id& object)
    {
        m_token = NSNotificationCenter::defaultCenter()->addObserverForName(name, object, nullptr,
            [this](const std::shared_ptr<NSNotification>&) { ++count; });
    }
    ~PostCounter() { NSNotificationCenter::defaultCenter()->removeObserver(m_token); }
    int count { 0 };

private:
    id m_token;
};

} // namespace

TEST(PELayer, laysSublayersOutInsideThePaddingsExceptTheExcludedOnes)
{
    auto layer = PEBorderedLayer::create(CGRect { { 0, 0 }, { 200, 100 } });
    layer->setPaddingLeft(10.4);
    layer->setPaddingRight(20);
    layer->setPaddingTop(5);
    layer->setPaddingBottom(15);
    auto border = PEMutableLineStyle::lineStyle();
    border->setLineWidth(4);
    layer->setBorderLineStyle(border);
    auto child = PELayer::create(CGRectZero);
    auto platformChild = CALayer::create();
    layer->addSublayer(child);
    layer->addSublayer(platformChild);
    layer->layoutSublayers();
    // Paddings plus half the border, rounded; the bottom padding comes off the minimum y.
    EXPECT_EQ(child->frame().origin.x, 12);
    EXPECT_EQ(child->frame().origin.y, 17);
    EXPECT_EQ(child->frame().size.width, 166);
    EXPECT_EQ(child->frame().size.height, 76);
    EXPECT_EQ(platformChild->frame().size.width, 0);

    layer->setPaddingLeft(500);
    layer->layoutSublayers();
    EXPECT_EQ(child->frame().size.width, 0);
}

TEST(PELayer, boundsChangesAndRedrawRequestsAreAnnounced)
{
    auto graph = PEXYGraph::create(CGRect { { 0, 0 }, { 100, 100 } });
    auto layer = PELayer::create(CGRect { { 0, 0 }, { 10, 10 } });
    PostCounter bounds(PELayerBoundsDidChangeNotification, layer);
    layer->setBounds(CGRect { { 0, 0 }, { 10, 10 } });
    EXPECT_EQ(bounds.count, 0);
    layer->setBounds(CGRect { { 0, 0 }, { 20, 10 } });
    EXPECT_EQ(bounds.count, 1);

    PostCounter redraws(PEGraphNeedsRedrawNotification, graph);
    layer->setNeedsDisplay();
    EXPECT_EQ(redraws.count, 0);
    layer->setGraph(graph);
    layer->setNeedsDisplay();
    layer->setNeedsLayout();
    layer->setPaddingTop(3);
    layer->setPaddingTop(3);
    EXPECT_EQ(redraws.count, 3);
    // While the tree draws, requests are not posted: the drawing under way shows the change.
    {
        PERenderingScope rendering;
        layer->setNeedsDisplay();
    }
    EXPECT_EQ(redraws.count, 3);
}

TEST(PELayer, aShadowKeepsTheVisibleGeometry)
{
    auto layer = PELayer::create(CGRect { { 0, 0 }, { 100, 40 } });
    auto shadow = PEMutableShadow::shadow();
    shadow->setShadowOffset(CGSize { 3, 0 });
    shadow->setShadowBlurRadius(2);
    layer->setShadow(shadow);
    EXPECT_EQ(layer->bounds().size.width, 100);
    EXPECT_EQ(layer->shadowMargin().width, 5);
    EXPECT_EQ(layer->shadowMargin().height, 2);
    // The anchor refers to the area inside the margin: 1 becomes the inner edge.
    layer->setAnchorPoint(CGPoint { 1, 0.5 });
    EXPECT_NEAR(layer->anchorPoint().x, (1 - 0.5) * 100 / 110 + 0.5, 1e-12);
    shadow->setShadowBlurRadius(40);
    EXPECT_EQ(layer->shadowMargin().width, 5);
}

TEST(PELayer, pixelAlignPutsTheFrameOnWholeDevicePixels)
{
    auto layer = PELayer::create(CGRect { { 10.3, 20.74 }, { 30, 10 } });
    layer->setContentsScale(2);
    layer->pixelAlign();
    EXPECT_NEAR(layer->frame().origin.x, 10.5, 1e-9);
    EXPECT_NEAR(layer->frame().origin.y, 20.5, 1e-9);
    layer->setContentsScale(1);
    layer->setPosition(CGPoint { 40.4, 30.6 });
    layer->pixelAlign();
    EXPECT_NEAR(layer->frame().origin.x, 25, 1e-9);
    EXPECT_NEAR(layer->frame().origin.y, 26, 1e-9);
    layer->setTransform(CATransform3DMakeRotation(0.3, 0, 0, 1));
    layer->setPosition(CGPoint { 40.4, 30.6 });
    layer->pixelAlign();
    EXPECT_EQ(layer->position().x, 40);
    EXPECT_EQ(layer->position().y, 31);
}

TEST(PEBorderedLayer, fillsAndStrokesCrispBordersInsideItsBounds)
{
    auto layer = PEBorderedLayer::create(CGRect { { 0, 0 }, { 40, 30 } });
    layer->setFill(PEFill::fillWithColor(PEColor::colorWithGenericGray(0.5)));
    layer->setBorderLineStyle(PELineStyle::lineStyle());
    Picture picture = render(CGSize { 40, 30 }, 2, [&](const CGContextRef& context) { layer->recursivelyRenderInContext(context); });
    // The one-point border covers the outer two device pixels; the fill lies inside.
    EXPECT_GT(picture.darkness(0, 30), 240);
    EXPECT_GT(picture.darkness(1, 30), 240);
    EXPECT_NEAR(picture.darkness(2, 30), 127, 3);
    EXPECT_NEAR(picture.darkness(40, 30), 127, 3);

    layer->setHidden(true);
    Picture hidden = render(CGSize { 40, 30 }, 1, [&](const CGContextRef& context) { layer->recursivelyRenderInContext(context); });
    EXPECT_LT(hidden.darkness(20, 15), 5);
}

TEST(PEUtilities, alignsAndSnapsThroughDeviceSpace)
{
    render(CGSize { 100, 100 }, 2, [&](const CGContextRef& context) {
        CGPoint aligned = PEPixelAlignPoint(context, CGPoint { 10.1, 20.4 });
        EXPECT_EQ(aligned.x, 10.25);
        EXPECT_EQ(aligned.y, 20.25);
        CGPoint snapped = PEPixelSnapPoint(context, CGPoint { 10.1, 20.4 });
        EXPECT_EQ(snapped.x, 10);
        EXPECT_EQ(snapped.y, 20.5);
        CGRect rect = PEPixelSnapRect(context, CGRect { { 10.1, 10.1 }, { 5.3, 5.3 } });
        EXPECT_EQ(rect.origin.x, 10);
        EXPECT_EQ(rect.size.width, 5.5);
        auto whole = PELineStyle::lineStyle();
        auto half = PELineStyle::lineStyle()->mutableCopyStyle();
        half->setLineWidth(0.5);
        CGRect bordered = PEPixelAlignBorderedRect(context, CGRect { { 10.1, 10.1 }, { 5, 5 } }, whole);
        EXPECT_EQ(bordered.origin.x, 10);
        CGRect centred = PEPixelAlignBorderedRect(context, CGRect { { 10.1, 10.1 }, { 5, 5 } }, half);
        EXPECT_EQ(centred.origin.x, 10.25);
    });

    std::vector<CGPathElementType> types;
    CGPathApply(PENewRoundedRectPath(CGRect { { 0, 0 }, { 20, 10 } }, 50), [&](const CGPathElement& element) { types.push_back(element.type); });
    ASSERT_FALSE(types.empty());
    EXPECT_EQ(types.front(), kCGPathElementMoveToPoint);
    EXPECT_EQ(types.back(), kCGPathElementCloseSubpath);
    EXPECT_TRUE(CGPathIsRect(PENewRoundedRectPath(CGRect { { 0, 0 }, { 20, 10 } }, 0), nullptr));
    EXPECT_EQ(PEPointDistanceSquared(CGPoint { 1, 2 }, CGPoint { 4, 6 }), 25);
}

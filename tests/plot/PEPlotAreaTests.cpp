#include "PlotRendering.h"

#include "framework/Source/PEAxisLabelGroup.h"
#include "framework/Source/PEBorderLayer.h"
#include "framework/Source/PEBorderedLayer.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PEGridLineGroup.h"
#include "framework/Source/PEMaskLayer.h"
#include "framework/Source/PEMutableLineStyle.h"
#include "framework/Source/PEMutableShadow.h"
#include "framework/Source/PEMutableTextStyle.h"
#include "framework/Source/PEPlotArea.h"
#include "framework/Source/PEPlotAreaFrame.h"
#include "framework/Source/PEPlotGroup.h"
#include "framework/Source/PETextLayer.h"
#include "framework/Source/PEXYAxis.h"
#include "framework/Source/PEXYAxisSet.h"
#include "framework/Source/PEXYGraph.h"

#include <gtest/gtest.h>

using namespace plottest;

namespace {

class ThrowingLayer : public PELayer {
    NS_OBJECT(ThrowingLayer, PELayer)
public:
    void renderAsVectorInContext(const CGContextRef& context) override
    {
        PELayer::renderAsVectorInContext(context);
        NSException::raise(NSInternalInconsistencyException, "drawing failed");
    }
};

std::vector<std::shared_ptr<CALayer>> stackOf(const PEPlotArea& area)
{
    std::vector<std::shared_ptr<CALayer>> layers;
    for (const auto& layer : area.sublayers())
        layers.push_back(layer);
    return layers;
}

} // namespace

TEST(PEPlotArea, groupsComeAndGoWithWhatTheAxesNeed)
{
    auto graph = PEXYGraph::create(CGRect { { 0, 0 }, { 200, 200 } });
    auto area = graph->plotAreaFrame()->plotArea();
    auto axes = std::static_pointer_cast<PEXYAxisSet>(graph->axisSet());
    EXPECT_FALSE(area->majorGridLineGroup());
    EXPECT_FALSE(area->minorGridLineGroup());
    EXPECT_FALSE(area->axisTitleGroup());

    axes->yAxis()->setMajorGridLineStyle(PELineStyle::lineStyle());
    ASSERT_TRUE(area->majorGridLineGroup());
    EXPECT_EQ(area->indexForLayerType(PEPlotAreaLayerTypeMajorGridLines), 0u);
    EXPECT_EQ(area->sublayers().front(), area->majorGridLineGroup());
    axes->xAxis()->setTitle("月份");
    ASSERT_TRUE(area->axisTitleGroup());
    EXPECT_EQ(area->axisTitleGroup()->sublayers().size(), 1u);

    // Default stack, bottom to top: grids, axis set, plots, labels, titles.
    auto stack = stackOf(*area);
    ASSERT_GE(stack.size(), 4u);
    EXPECT_EQ(stack[0], area->majorGridLineGroup());
    EXPECT_EQ(stack[1], axes);
    EXPECT_EQ(stack[2], area->plotGroup());

    axes->yAxis()->setMajorGridLineStyle(nullptr);
    EXPECT_FALSE(area->majorGridLineGroup());
    axes->xAxis()->setTitle(NSString());
    EXPECT_FALSE(area->axisTitleGroup());
}

TEST(PEPlotGroup, refusesNilPlotsAndLeavesForeignPlotsAlone)
{
    auto group = PEPlotGroup::create(CGRectZero);
    EXPECT_THROW(group->addPlot(nullptr), NSException);
    auto plot = TestLinePlot::create(CGRectZero);
    EXPECT_THROW(group->insertPlot(plot, 1), NSException);
    group->insertPlot(plot, 0);
    auto elsewhere = PELayer::create(CGRectZero);
    auto foreign = TestLinePlot::create(CGRectZero);
    elsewhere->addSublayer(foreign);
    group->removePlot(foreign);
    EXPECT_EQ(foreign->superlayer(), elsewhere);
    group->removePlot(plot);
    EXPECT_EQ(plot->superlayer(), nullptr);
}

TEST(PEPlotArea, aLayerThatThrowsWhileDrawingIsLeftOutOfTheFrame)
{
    auto graph = PEXYGraph::create(CGRect { { 0, 0 }, { 100, 100 } });
    graph->setFill(PEFill::fillWithColor(PEColor::colorWithGenericGray(0.5)));
    auto broken = ThrowingLayer::create(CGRect { { 0, 0 }, { 100, 100 } });
    graph->plotAreaFrame()->plotArea()->addSublayer(broken);
    Picture picture;
    ASSERT_NO_THROW(picture = renderGraph(graph, 1));
    EXPECT_NEAR(picture.darkness(80, 20), 127, 3);
}

TEST(PEXYAxisSet, startsWithAnXAndAYAxisAndStrokesTheFramesBorder)
{
    auto graph = PEXYGraph::create(CGRect { { 0, 0 }, { 100, 100 } });
    auto axes = std::static_pointer_cast<PEXYAxisSet>(graph->axisSet());
    ASSERT_EQ(axes->axes().size(), 2u);
    EXPECT_EQ(axes->axes()[0]->coordinate(), PECoordinateX);
    EXPECT_EQ(axes->xAxis()->tickDirection(), PESignNegative);
    EXPECT_EQ(axes->yAxis()->tickDirection(), PESignNegative);
    for (const auto& axis : axes->axes())
        axis->setHidden(true);
    graph->plotAreaFrame()->setPaddingLeft(20);
    auto border = PELineStyle::lineStyle();
    axes->setBorderLineStyle(border);
    Picture picture = renderGraph(graph, 1);
    // The border follows the axis set's superlayer, the plot area inside the frame's padding.
    EXPECT_GT(picture.darkness(20, 50), 200);
    EXPECT_LT(picture.darkness(18, 50), 30);
    EXPECT_LT(picture.darkness(22, 50), 30);

    auto twoY = PEXYAxis::create(CGRectZero);
    twoY->setCoordinate(PECoordinateY);
    auto otherY = PEXYAxis::create(CGRectZero);
    otherY->setCoordinate(PECoordinateY);
    axes->setAxes({ twoY, otherY });
    EXPECT_EQ(axes->xAxis(), nullptr);
    EXPECT_EQ(axes->axisForCoordinate(PECoordinateY, 1), otherY);
}

namespace {

// An 80-point bordered layer at (10, 10) in a 100-point host, with a 4-point border, corner radius
// 10, a white fill and an 80-point content layer of the given colour.
struct BorderedInHost {
    std::shared_ptr<PELayer> host = PELayer::create(CGRect { { 0, 0 }, { 100, 100 } });
    std::shared_ptr<PEBorderedLayer> bordered = PEBorderedLayer::create(CGRect { { 10, 10 }, { 80, 80 } });
    std::shared_ptr<PEBorderedLayer> content = PEBorderedLayer::create(CGRect { { 0, 0 }, { 80, 80 } });

    explicit BorderedInHost(const std::shared_ptr<PEColor>& contentColor)
    {
        auto thick = PELineStyle::lineStyle()->mutableCopyStyle();
        thick->setLineWidth(4);
        bordered->setBorderLineStyle(thick);
        bordered->setCornerRadius(10);
        bordered->setFill(PEFill::fillWithColor(PEColor::whiteColor()));
        content->setFill(PEFill::fillWithColor(contentColor));
    }
    Picture draw() const
    {
        return render(CGSize { 100, 100 }, 1, [&](const CGContextRef& context) { host->recursivelyRenderInContext(context); });
    }
};

} // namespace

TEST(PEBorderedLayer, masksToBorderHandsTheBorderToABorderLayerAndClipsInside)
{
    BorderedInHost layers(PEColor::blackColor());
    auto& [host, bordered, content] = layers;
    bordered->addSublayer(content);
    host->addSublayer(bordered);

    bordered->setMasksToBorder(true);
    ASSERT_TRUE(bordered->borderLayer());
    EXPECT_EQ(bordered->superlayer(), bordered->borderLayer());
    EXPECT_EQ(bordered->borderLayer()->superlayer(), host);
    EXPECT_TRUE(std::dynamic_pointer_cast<PEMaskLayer>(bordered->mask()));
    CGRect inner = CGPathGetBoundingBox(bordered->sublayerMaskingPath());
    EXPECT_EQ(inner.size.width, 72);

    bordered->borderLayer()->layoutSublayers();
    EXPECT_EQ(bordered->frame().size.width, 80);
    Picture picture = layers.draw();
    saveSnapshot(picture, "masked-border.png");
    // The black content is clipped inside the rounded border; outside the corner stays white,
    // and the border is drawn above the content.
    EXPECT_GT(picture.darkness(50, 50), 240);
    EXPECT_LT(picture.darkness(11, 11), 30);
    EXPECT_LT(picture.darkness(50, 5), 30);
    EXPECT_GT(picture.darkness(50, 12), 200);

    bordered->setMasksToBorder(false);
    EXPECT_EQ(bordered->superlayer(), host);
    EXPECT_FALSE(bordered->mask());
}

TEST(PEBorderedLayer, aMaskWithItsBorderLayerClipsTheLayersOwnDrawingAtTheCorners)
{
    auto host = PELayer::create(CGRect { { 0, 0 }, { 100, 100 } });
    auto style = PETextStyle::textStyle()->mutableCopyStyle();
    style->setFontSize(64);
    style->setColor(PEColor::blackColor());
    // Lower than its text, so the squares run over the bottom corners of the rounded layer:
    // it spans x 10 to 88 and y 50 to 90 from the top, with corners of radius 20.
    auto text = PETextLayer::create(NSString("■■"), style);
    text->setFrame(CGRect { { 10, 10 }, { 78, 40 } });
    text->setCornerRadius(20);
    host->addSublayer(text);
    const auto draw = [&] { return render(CGSize { 100, 100 }, 1, [&](const CGContextRef& context) { host->recursivelyRenderInContext(context); }); };
    Picture unmasked = draw();
    saveSnapshot(unmasked, "text-layer-unmasked.png");
    ASSERT_GT(unmasked.darkness(15, 87), 200) << "the text reaches the bottom left corner";

    text->setMasksToBorder(true);
    ASSERT_TRUE(text->borderLayer());
    text->borderLayer()->layoutSublayers();
    Picture masked = draw();
    saveSnapshot(masked, "text-layer-masked-corner.png");
    EXPECT_LT(masked.darkness(15, 87), 30) << "outside the rounded corner";
    EXPECT_GT(masked.darkness(30, 80), 200) << "inside it";
    EXPECT_LT(masked.darkness(30, 95), 30) << "below the layer";
}

TEST(PEBorderedLayer, masksToBorderSetOutsideATreeOrOnAGraphStillDrawsFillAndBorder)
{
    BorderedInHost layers(PEColor::grayColor());
    auto& [host, bordered, content] = layers;
    bordered->setMasksToBorder(true);
    bordered->addSublayer(content);
    host->addSublayer(bordered);
    EXPECT_FALSE(bordered->borderLayer());
    Picture picture = layers.draw();
    saveSnapshot(picture, "masked-border-outside-tree.png");
    EXPECT_GT(picture.darkness(50, 12), 200) << "the border";
    EXPECT_NEAR(picture.darkness(50, 50), 127, 10) << "the grey content, inside the border";
    EXPECT_NEAR(picture.darkness(15, 50), 127, 10) << "the content reaches the border";
    EXPECT_LT(picture.darkness(11, 11), 30) << "outside the rounded corner";

    auto graph = PEXYGraph::create(CGRect { { 0, 0 }, { 100, 80 } });
    graph->setFill(PEFill::fillWithColor(PEColor::grayColor()));
    graph->setBorderLineStyle(bordered->borderLineStyle());
    graph->setMasksToBorder(true);
    Picture graphPicture = renderGraph(graph, 1);
    EXPECT_GT(graphPicture.darkness(1, 40), 240) << "the graph's border";
    EXPECT_NEAR(graphPicture.darkness(50, 40), 127, 10) << "the graph's fill";
}

TEST(PEBorderLayer, growsItsMaskedLayerByTheShadowMargin)
{
    auto border = PEBorderLayer::create(CGRect { { 0, 0 }, { 100, 50 } });
    auto bordered = PEBorderedLayer::create(CGRectZero);
    border->setMaskedLayer(bordered);
    border->addSublayer(bordered);
    auto shadow = PEMutableShadow::shadow();
    shadow->setShadowOffset(CGSize { 2, -3 });
    shadow->setShadowBlurRadius(4);
    border->setShadow(shadow);
    border->layoutSublayers();
    EXPECT_EQ(bordered->frame().size.width, 112);
    EXPECT_EQ(bordered->frame().size.height, 64);
    EXPECT_FALSE(bordered->inLayout());

    border->setHidden(true);
    Picture picture = render(CGSize { 100, 50 }, 1, [&](const CGContextRef& context) { border->renderAsVectorInContext(context); });
    EXPECT_LT(picture.darkness(0, 0), 5);
}

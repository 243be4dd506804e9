#include "framework/Source/PEAxisLabel.h"
#include "framework/Source/PEAxisLabelGroup.h"
#include "framework/Source/PELineStyle.h"
#include "framework/Source/PEAxisTitle.h"
#include "framework/Source/PEColor.h"
#include "framework/Source/PEGraph.h"
#include "framework/Source/PEMutableShadow.h"
#include "framework/Source/PEMutableTextStyle.h"
#include "framework/Source/PEPlotArea.h"
#include "framework/Source/PEPlotAreaFrame.h"
#include "framework/Source/PEPlotRange.h"
#include "framework/Source/PETextLayer.h"
#include "framework/Source/PEPlainWhiteTheme.h"
#include "framework/Source/PETheme.h"
#include "framework/Source/PEUtilities.h"
#include "framework/Source/PEXYAxis.h"
#include "framework/Source/PEXYAxisSet.h"
#include "framework/Source/PEXYGraph.h"
#include "framework/Source/PEXYPlotSpace.h"
#include "platform/foundation/NSData.h"
#include "platform/graphics/CGDataProvider.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/uikit/UIImage.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "tests/plot/PlotRendering.h"
#include "framework/Source/PEMutableLineStyle.h"
#include <numbers>

using namespace plottest;

namespace {

std::shared_ptr<PEXYGraph> plainWhiteGraph()
{
    PETheme::registerBuiltInThemes();
    auto graph = PEXYGraph::create(CGRect { { 0, 0 }, { 320, 260 } });
    graph->applyTheme(PETheme::themeNamed("Plain White"));
    graph->setPaddingLeft(10);
    graph->setPaddingTop(30);
    graph->setPaddingRight(10);
    graph->setPaddingBottom(40);
    graph->plotAreaFrame()->setPaddingLeft(50);
    graph->plotAreaFrame()->setPaddingBottom(50);
    graph->plotAreaFrame()->setPaddingTop(10);
    graph->plotAreaFrame()->setPaddingRight(10);
    auto space = std::static_pointer_cast<PEXYPlotSpace>(graph->defaultPlotSpace());
    space->setXRange(PEPlotRange::plotRangeWithLocation(0.0, 4.0));
    space->setYRange(PEPlotRange::plotRangeWithLocation(0.0, 3.0));
    auto axes = std::static_pointer_cast<PEXYAxisSet>(graph->axisSet());
    auto grid = PEMutableLineStyle::lineStyle();
    grid->setLineColor(PEColor::colorWithGenericGray(0.85));
    axes->yAxis()->setMajorGridLineStyle(grid);
    axes->xAxis()->setMajorIntervalLength(PEDecimalWithInt(1));
    axes->yAxis()->setMajorIntervalLength(PEDecimalWithInt(1));
    axes->xAxis()->setTitle("月份");
    axes->yAxis()->setTitle("人数");
    auto titleStyle = PEMutableTextStyle::textStyle();
    titleStyle->setFontSize(16);
    graph->setTitleTextStyle(titleStyle);
    graph->setTitle("教练评分分布");

    auto first = TestLinePlot::create(CGRectZero);
    first->setIdentifier(NSString("科目一"));
    first->points = { { 0, 0.5 }, { 1, 1.5 }, { 2, 1 }, { 3, 2.5 }, { 4, 2 } };
    auto blue = PEMutableLineStyle::lineStyle();
    blue->setLineColor(PEColor::blueColor());
    blue->setLineWidth(2);
    first->lineStyle = blue;
    auto second = TestLinePlot::create(CGRectZero);
    second->setIdentifier(NSString("科目二"));
    second->points = { { 0, 2 }, { 1, 1 }, { 2, 2 }, { 3, 1.5 }, { 4, 0.5 } };
    auto red = PEMutableLineStyle::lineStyle();
    red->setLineColor(PEColor::redColor());
    red->setLineWidth(2);
    second->lineStyle = red;
    graph->addPlot(first);
    graph->addPlot(second);
    auto legend = PELegend::legendWithGraph(graph);
    auto legendStyle = PEMutableTextStyle::textStyle();
    legendStyle->setFontSize(12);
    legend->setTextStyle(legendStyle);
    legend->setNumberOfRows(1);
    graph->setLegend(legend);
    graph->setLegendDisplacement(CGPoint { 0, 4 });
    return graph;
}

} // namespace

TEST(PEXYGraph, plainWhiteRendersCrispAxesAndChineseTitlesAtScale2)
{
    auto graph = plainWhiteGraph();
    Picture picture;
    ASSERT_NO_THROW(picture = renderGraph(graph, 2));
    saveSnapshot(picture, "plain-white-xy-graph@2x.png");
    auto axes = std::static_pointer_cast<PEXYAxisSet>(graph->axisSet());
    // Majors every 1 inside 0...4 and 0...3, minors four per interval.
    EXPECT_EQ(axes->xAxis()->majorTickLocations().size(), 5u);
    EXPECT_EQ(axes->yAxis()->majorTickLocations().size(), 4u);
    EXPECT_EQ(axes->xAxis()->minorTickLocations().size(), 16u);
    EXPECT_EQ(axes->xAxis()->axisLabels().size(), 5u);
    ASSERT_TRUE(graph->plotAreaFrame()->plotArea()->axisTitleGroup());
    EXPECT_EQ(graph->plotAreaFrame()->plotArea()->axisTitleGroup()->sublayers().size(), 2u);
    EXPECT_EQ(graph->legend()->legendEntries().size(), 2u);

    // The frame's one-point border: exactly two device columns, black, with white beside them.
    CGRect frame = graph->plotAreaFrame()->frame();
    auto left = static_cast<std::size_t>(frame.origin.x * 2);
    auto row = static_cast<std::size_t>(picture.height / 2);
    EXPECT_GT(picture.darkness(left, row), 200);
    EXPECT_GT(picture.darkness(left + 1, row), 200);
    EXPECT_LT(picture.darkness(left + 2, row), 30);
    EXPECT_LT(picture.darkness(left - 1, row), 30);

    EXPECT_LT(differenceFromReference(picture, "plain-white-xy-graph@2x.png", 24), 0.01);
}

TEST(PEPlotArea, layerOrderUsesTheFirstSixDistinctTypesAndIgnoresTheRest)
{
    auto graph = plainWhiteGraph();
    auto area = graph->plotAreaFrame()->plotArea();
    area->setTopDownLayerOrder({ 5, 3 });
    auto order = area->bottomUpLayerOrder();
    EXPECT_EQ(std::vector<int>(order.begin(), order.end()), (std::vector<int> { 0, 1, 2, 4, 3, 5 }));
    area->setTopDownLayerOrder({ 0, 1, 2, 3, 4, 5, 3 });
    order = area->bottomUpLayerOrder();
    EXPECT_EQ(std::vector<int>(order.begin(), order.end()), (std::vector<int> { 5, 4, 3, 2, 1, 0 }));
    area->setTopDownLayerOrder({ 3, 3, 9, -1, 3, 2, 2 });
    order = area->bottomUpLayerOrder();
    EXPECT_EQ(std::vector<int>(order.begin(), order.end()), (std::vector<int> { 0, 1, 4, 5, 2, 3 }));
    auto sublayers = area->sublayers();
    EXPECT_LE(area->indexForLayerType(PEPlotAreaLayerTypeAxisTitles), sublayers.size());
    EXPECT_NO_THROW(renderGraph(graph, 1));
}

TEST(PEAxisLabel, anchorFacesTheTickForAnyRotation)
{
    auto style = PETextStyle::textStyle();
    auto label = PEAxisLabel::labelWithText("1", style);
    label->positionRelativeToViewPoint(CGPoint { 100, 100 }, PECoordinateY, PESignNegative);
    EXPECT_DOUBLE_EQ(label->contentLayer()->anchorPoint().x, 0.5);
    EXPECT_DOUBLE_EQ(label->contentLayer()->anchorPoint().y, 1.0);
    label->setRotation(std::numbers::pi / 6);
    label->positionRelativeToViewPoint(CGPoint { 100, 100 }, PECoordinateY, PESignNegative);
    EXPECT_NEAR(label->contentLayer()->anchorPoint().x, 0.789, 0.001);
    EXPECT_DOUBLE_EQ(label->contentLayer()->anchorPoint().y, 1.0);
    EXPECT_THROW(label->positionRelativeToViewPoint(CGPoint {}, PECoordinateY, static_cast<PESign>(2)), NSException);

    auto other = PEAxisLabel::labelWithText("一", style);
    other->setTickLocation(label->tickLocation());
    EXPECT_TRUE(label->isEqual(other));
    EXPECT_EQ(label->hash(), other->hash());
    auto title = PEAxisTitle::titleWithText("1", style);
    EXPECT_FALSE(label->isEqual(title));
    EXPECT_FALSE(title->isEqual(label));
}

TEST(PETheme, registryFindsPlainWhiteAndRefusesRepeatsAndBadGraphClasses)
{
    PETheme::registerBuiltInThemes();
    EXPECT_TRUE(PETheme::themeNamed("Plain White"));
    EXPECT_FALSE(PETheme::themeNamed("No Such Theme"));
    EXPECT_THROW(PETheme::registerTheme<PEPlainWhiteTheme>(), NSException);
    auto theme = PETheme::themeNamed("Slate");
    EXPECT_THROW(theme->setGraphClass(PEGraphClass::of<PEGraph>()), NSException);
    auto graph = theme->newGraph();
    ASSERT_TRUE(graph);
    EXPECT_DOUBLE_EQ(graph->paddingLeft(), 60);
    EXPECT_DOUBLE_EQ(graph->plotAreaFrame()->cornerRadius(), 5);
    auto space = std::static_pointer_cast<PEXYPlotSpace>(graph->defaultPlotSpace());
    EXPECT_DOUBLE_EQ(space->xRange()->locationDouble(), -1);
    EXPECT_DOUBLE_EQ(space->xRange()->lengthDouble(), 1);
}

TEST(PEShadow, negativeBlurIsRefusedAndMarginsGrowTheBounds)
{
    auto shadow = PEMutableShadow::shadow();
    EXPECT_THROW(shadow->setShadowBlurRadius(-0.5), NSException);
    EXPECT_THROW(shadow->setShadowBlurRadius(std::nan("")), NSException);
    shadow->setShadowOffset(CGSize { 2, -3 });
    shadow->setShadowBlurRadius(4);
    EXPECT_EQ(std::string(shadow->copyShadow()->className()), "PEShadow");
    auto layer = PELayer::create(CGRect { { 0, 0 }, { 100, 50 } });
    layer->setShadow(shadow);
    EXPECT_DOUBLE_EQ(layer->shadowMargin().width, 6);
    EXPECT_DOUBLE_EQ(layer->shadowMargin().height, 7);
    EXPECT_DOUBLE_EQ(layer->bounds().size.width, 100);
    EXPECT_DOUBLE_EQ(layer->CALayer::bounds().size.width, 112);
}

TEST(PEAxisLabel, alignmentAlongTheAxisPutsAnEdgeAtTheTick)
{
    auto label = PEAxisLabel::labelWithText("十", PETextStyle::textStyle());
    label->setAlignment(PEAlignmentLeft);
    label->positionRelativeToViewPoint(CGPoint { 100, 100 }, PECoordinateY, PESignNegative);
    EXPECT_NEAR(label->contentLayer()->frame().origin.x, 100, 0.51);
    label->setAlignment(PEAlignmentRight);
    label->positionRelativeToViewPoint(CGPoint { 100, 100 }, PECoordinateY, PESignPositive);
    EXPECT_NEAR(CGRectGetMaxX(label->contentLayer()->frame()), 100, 0.51);
    EXPECT_NEAR(label->contentLayer()->frame().origin.y, 120, 0.51);
    // Beside a vertical axis on the positive side: the left edge faces the tick.
    label->setAlignment(PEAlignmentBottom);
    label->positionRelativeToViewPoint(CGPoint { 100, 100 }, PECoordinateX, PESignPositive);
    EXPECT_NEAR(label->contentLayer()->frame().origin.x, 120, 0.51);
    EXPECT_NEAR(label->contentLayer()->frame().origin.y, 100, 0.51);
    EXPECT_THROW(label->positionRelativeToViewPoint(CGPoint {}, PECoordinateNone, PESignNegative), NSException);
}

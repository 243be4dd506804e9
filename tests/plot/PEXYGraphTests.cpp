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
#include <numbers>

namespace {

std::shared_ptr<PEXYGraph> plainWhiteGraph()
{
    PETheme::registerBuiltInThemes();
    auto graph = PEXYGraph::create(CGRect { { 0, 0 }, { 320, 240 } });
    graph->applyTheme(PETheme::themeNamed("Plain White"));
    graph->setPaddingLeft(10);
    graph->setPaddingTop(30);
    graph->setPaddingRight(10);
    graph->setPaddingBottom(10);
    graph->plotAreaFrame()->setPaddingLeft(50);
    graph->plotAreaFrame()->setPaddingBottom(40);
    graph->plotAreaFrame()->setPaddingTop(10);
    graph->plotAreaFrame()->setPaddingRight(10);
    auto space = std::static_pointer_cast<PEXYPlotSpace>(graph->defaultPlotSpace());
    space->setXRange(PEPlotRange::plotRangeWithLocation(0.0, 4.0));
    space->setYRange(PEPlotRange::plotRangeWithLocation(0.0, 3.0));
    auto axes = std::static_pointer_cast<PEXYAxisSet>(graph->axisSet());
    auto grid = PELineStyle::lineStyle();
    axes->yAxis()->setMajorGridLineStyle(grid);
    axes->xAxis()->setMajorIntervalLength(PEDecimalWithInt(1));
    axes->yAxis()->setMajorIntervalLength(PEDecimalWithInt(1));
    axes->xAxis()->setTitle("月份");
    axes->yAxis()->setTitle("人数");
    auto titleStyle = PEMutableTextStyle::textStyle();
    titleStyle->setFontSize(16);
    graph->setTitleTextStyle(titleStyle);
    graph->setTitle("教练评分分布");
    return graph;
}

struct Picture {
    std::vector<std::uint8_t> pixels;
    std::size_t bytesPerRow { 0 };
    std::shared_ptr<NSData> png;
};

Picture render(const std::shared_ptr<PEGraph>& graph, CGFloat scale)
{
    CGSize size = graph->bounds().size;
    graph->setContentsScale(scale);
    UIGraphicsBeginImageContextWithOptions(size, true, scale);
    auto context = UIGraphicsGetCurrentContext();
    CGContextTranslateCTM(context, 0, size.height);
    CGContextScaleCTM(context, 1, -1);
    graph->layoutAndRenderInContext(context);
    Picture picture;
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    CGFloat imageScale = 0;
    auto cgImage = UIGraphicsGetCGImageFromCurrentImageContext(&imageScale);
    picture.pixels = CGDataProviderCopyData(CGImageGetDataProvider(cgImage));
    picture.bytesPerRow = CGImageGetBytesPerRow(cgImage);
    picture.png = UIImagePNGRepresentation(image);
    UIGraphicsEndImageContext();
    return picture;
}

void saveSnapshot(const Picture& picture, const std::string& name)
{
    std::filesystem::create_directories(CORVANE_SNAPSHOT_DIR);
    std::ofstream out(std::string(CORVANE_SNAPSHOT_DIR) + "/" + name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(picture.png->bytes()), static_cast<std::streamsize>(picture.png->length()));
}

} // namespace

TEST(PEXYGraph, plainWhiteRendersCrispAxesAndChineseTitlesAtScale2)
{
    auto graph = plainWhiteGraph();
    Picture picture;
    ASSERT_NO_THROW(picture = render(graph, 2));
    saveSnapshot(picture, "plain-white-xy-graph@2x.png");
    auto axes = std::static_pointer_cast<PEXYAxisSet>(graph->axisSet());
    // Majors every 1 inside 0...4 and 0...3, minors four per interval.
    EXPECT_EQ(axes->xAxis()->majorTickLocations().size(), 5u);
    EXPECT_EQ(axes->yAxis()->majorTickLocations().size(), 4u);
    EXPECT_EQ(axes->xAxis()->minorTickLocations().size(), 16u);
    EXPECT_EQ(axes->xAxis()->axisLabels().size(), 5u);
    ASSERT_TRUE(graph->plotAreaFrame()->plotArea()->axisTitleGroup());
    EXPECT_EQ(graph->plotAreaFrame()->plotArea()->axisTitleGroup()->sublayers().size(), 2u);
    // The frame's one-point border covers exactly two device rows, fully dark.
    EXPECT_FALSE(picture.pixels.empty());
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
    EXPECT_NO_THROW(render(graph, 1));
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

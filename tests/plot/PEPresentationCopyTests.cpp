// Presentation copies, which the platform draws while a layer animates, carry each engine class's
// own fields, not only the base layer's.
#include "PlotRendering.h"

#include "framework/Source/PEBarPlot.h"
#include "framework/Source/PEBorderLayer.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PEGridLines.h"
#include "framework/Source/PELayerAnnotation.h"
#include "framework/Source/PEPieChart.h"
#include "framework/Source/PEPlotArea.h"
#include "framework/Source/PEPlotGroup.h"
#include "framework/Source/PERangePlot.h"
#include "framework/Source/PEScatterPlot.h"
#include "framework/Source/PETradingRangePlot.h"
#include "platform/foundation/NSNumber.h"

#include <gtest/gtest.h>

using namespace plottest;

namespace {

template <class T>
std::shared_ptr<T> presentationOf(const std::shared_ptr<T>& layer)
{
    auto copy = std::dynamic_pointer_cast<T>(layer->presentationLayer());
    EXPECT_TRUE(copy) << layer->className();
    EXPECT_NE(copy, layer);
    return copy;
}

} // namespace

TEST(PEPresentationCopy, plotsCarryTheirStylesGeometryAndCache)
{
    auto fill = PEFill::fillWithColor(PEColor::redColor());
    auto line = PELineStyle::lineStyle();

    auto bar = PEBarPlot::tubularBarPlotWithColor(PEColor::blueColor(), true);
    bar->setBarCornerRadius(4);
    bar->setBaseValue(PEDecimalWithInt(2));
    bar->setTitle("柱");
    bar->setLabelOffset(7);
    bar->cacheNumbers(NSArray::arrayWithObjects({ NSNumber::numberWithInt(3) }), PEBarPlotFieldBarTip);
    auto barCopy = presentationOf(bar);
    EXPECT_TRUE(barCopy->barsAreHorizontal());
    EXPECT_EQ(barCopy->barCornerRadius(), 4);
    EXPECT_EQ(PEDecimalAsLong(barCopy->baseValue()), 2);
    EXPECT_EQ(barCopy->fill(), bar->fill());
    EXPECT_EQ(barCopy->title(), NSString("柱"));
    EXPECT_EQ(barCopy->labelOffset(), 7);
    EXPECT_EQ(barCopy->cachedNumbersForField(PEBarPlotFieldBarTip), bar->cachedNumbersForField(PEBarPlotFieldBarTip));

    auto pie = PEPieChart::create(CGRectZero);
    pie->setPieRadius(30);
    pie->setPieInnerRadius(5);
    pie->setStartAngle(1);
    pie->setOverlayFill(fill);
    auto pieCopy = presentationOf(pie);
    EXPECT_EQ(pieCopy->pieRadius(), 30);
    EXPECT_EQ(pieCopy->pieInnerRadius(), 5);
    EXPECT_EQ(pieCopy->startAngle(), 1);
    EXPECT_EQ(pieCopy->overlayFill(), pie->overlayFill());

    auto scatter = PEScatterPlot::create(CGRectZero);
    scatter->setDataLineStyle(line);
    scatter->setAreaFill(fill);
    scatter->setInterpolation(PEScatterPlotInterpolationStepped);
    auto scatterCopy = presentationOf(scatter);
    EXPECT_EQ(scatterCopy->dataLineStyle(), scatter->dataLineStyle());
    EXPECT_EQ(scatterCopy->areaFill(), scatter->areaFill());
    EXPECT_EQ(scatterCopy->interpolation(), PEScatterPlotInterpolationStepped);

    auto range = PERangePlot::create(CGRectZero);
    range->setBarWidth(6);
    range->setGapWidth(2);
    range->setAreaFill(fill);
    auto rangeCopy = presentationOf(range);
    EXPECT_EQ(rangeCopy->barWidth(), 6);
    EXPECT_EQ(rangeCopy->gapWidth(), 2);
    EXPECT_EQ(rangeCopy->areaFill(), range->areaFill());

    auto trading = PETradingRangePlot::create(CGRectZero);
    trading->setPlotStyle(PETradingRangePlotStyleCandleStick);
    trading->setStickLength(9);
    trading->setIncreaseFill(fill);
    auto tradingCopy = presentationOf(trading);
    EXPECT_EQ(tradingCopy->plotStyle(), PETradingRangePlotStyleCandleStick);
    EXPECT_EQ(tradingCopy->stickLength(), 9);
    EXPECT_EQ(tradingCopy->increaseFill(), trading->increaseFill());
}

TEST(PEPresentationCopy, theGraphsLayersCarryTheirOwnFields)
{
    auto graph = referenceGraph(4, 4, 1);
    auto area = graph->plotAreaFrame()->plotArea();
    area->setTopDownLayerOrder({ PEPlotAreaLayerTypeAxisLabels });
    auto areaCopy = presentationOf(area);
    EXPECT_EQ(areaCopy->plotGroup(), area->plotGroup());
    EXPECT_EQ(areaCopy->axisSet(), area->axisSet());
    EXPECT_EQ(areaCopy->topDownLayerOrder(), area->topDownLayerOrder());
    EXPECT_FALSE(areaCopy->isUpdatingLayers());

    auto x = std::static_pointer_cast<PEXYAxisSet>(graph->axisSet())->xAxis();
    x->setTitle("时间");
    x->setMajorTickLength(8);
    x->setOrthogonalCoordinateDecimal(PEDecimalWithInt(1));
    auto xCopy = presentationOf(x);
    EXPECT_EQ(xCopy->title(), NSString("时间"));
    EXPECT_EQ(xCopy->majorTickLength(), 8);
    EXPECT_EQ(xCopy->plotSpace(), x->plotSpace());
    EXPECT_EQ(PEDecimalAsLong(xCopy->orthogonalCoordinateDecimal()), 1);

    auto frame = graph->plotAreaFrame();
    frame->setFill(PEFill::fillWithColor(PEColor::blueColor()));
    auto frameCopy = presentationOf(std::static_pointer_cast<PEBorderedLayer>(frame));
    EXPECT_EQ(frameCopy->fill(), frame->fill());
    EXPECT_EQ(frameCopy->borderLineStyle(), frame->borderLineStyle());

    auto plot = TestLinePlot::create(CGRectZero);
    plot->titles = { "甲", "乙" };
    graph->addPlot(plot);
    auto legend = PELegend::legendWithGraph(graph);
    legend->setNumberOfRows(2);
    legend->setSwatchCornerRadius(3);
    auto legendCopy = presentationOf(legend);
    EXPECT_EQ(legendCopy->allPlots().size(), 1u);
    EXPECT_EQ(legendCopy->legendEntries().size(), 2u);
    EXPECT_EQ(legendCopy->numberOfRows(), 2u);
    EXPECT_EQ(legendCopy->swatchCornerRadius(), 3);

    auto host = PEAnnotationHostLayer::create(CGRect { { 0, 0 }, { 50, 50 } });
    auto annotation = PELayerAnnotation::create(std::static_pointer_cast<PELayer>(host));
    host->addAnnotation(annotation);
    auto hostCopy = presentationOf(host);
    ASSERT_EQ(hostCopy->annotations().size(), 1u);
    EXPECT_EQ(hostCopy->annotations().front(), annotation);

    auto border = PEBorderLayer::create(CGRect { { 0, 0 }, { 50, 50 } });
    auto bordered = PEBorderedLayer::create(CGRectZero);
    border->setMaskedLayer(bordered);
    EXPECT_EQ(presentationOf(border)->maskedLayer(), bordered);
}

TEST(PEPresentationCopy, eachPlotTypeRedrawsForItsAnimatableKeys)
{
    auto expectKeys = [](const PEPlot& plot, std::initializer_list<const char*> keys) {
        for (const char* key : keys)
            EXPECT_TRUE(plot.needsDisplayForKey(key)) << plot.className() << " " << key;
        for (const char* key : { "labelOffset", "labelRotation" })
            EXPECT_TRUE(plot.needsDisplayForKey(key)) << plot.className() << " " << key;
        EXPECT_FALSE(plot.needsDisplayForKey("title")) << plot.className();
    };
    expectKeys(*TestLinePlot::create(CGRectZero), {});
    expectKeys(*PEBarPlot::create(CGRectZero), { "barCornerRadius", "barBaseCornerRadius", "barOffsetScale", "barWidthScale" });
    expectKeys(*PEPieChart::create(CGRectZero), { "pieRadius", "pieInnerRadius", "startAngle", "endAngle", "centerAnchor" });
    expectKeys(*PEScatterPlot::create(CGRectZero), {});
    expectKeys(*PERangePlot::create(CGRectZero), { "barWidth", "gapHeight", "gapWidth" });
    expectKeys(*PETradingRangePlot::create(CGRectZero), { "barWidth", "stickLength", "barCornerRadius" });
    EXPECT_FALSE(PEScatterPlot::create(CGRectZero)->needsDisplayForKey("barWidth"));
}

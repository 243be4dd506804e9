#include "framework/Source/PEColor.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PEMutableLineStyle.h"
#include "framework/Source/PEMutableNumericData.h"
#include "framework/Source/PEPlotArea.h"
#include "framework/Source/PEPlotAreaFrame.h"
#include "framework/Source/PEPlotRange.h"
#include "framework/Source/PEPlotSpaceAnnotation.h"
#include "framework/Source/PEMutableTextStyle.h"
#include "framework/Source/PETheme.h"
#include "framework/Source/PETradingRangePlot.h"
#include "framework/Source/PEUtilities.h"
#include "framework/Source/PEXYAxis.h"
#include "framework/Source/PEXYAxisSet.h"
#include "framework/Source/PEXYGraph.h"
#include "framework/Source/PEXYPlotSpace.h"
#include "platform/foundation/NSNumber.h"
#include "tests/plot/PlotRendering.h"

#include <array>
#include <cmath>
#include <gtest/gtest.h>

using namespace plottest;

namespace {

// Records of (x, open, high, low, close).
class QuoteSource : public PETradingRangePlotDataSource, public PETradingRangePlotDelegate {
public:
    std::vector<std::array<double, 5>> quotes;
    std::vector<NSUInteger> selected;

    NSUInteger numberOfRecordsForPlot(PEPlot&) override { return quotes.size(); }
    std::optional<double> doubleForPlot(PEPlot&, NSUInteger field, NSUInteger index) override { return quotes[index][field]; }
    bool barWasSelectedAtRecordIndex(PETradingRangePlot&, NSUInteger index) override
    {
        selected.push_back(index);
        return true;
    }
};

struct Quotes {
    std::shared_ptr<PEXYGraph> graph;
    std::shared_ptr<PETradingRangePlot> plot;
    std::shared_ptr<QuoteSource> source;
};

Quotes quotesOf(std::vector<std::array<double, 5>> quotes)
{
    Quotes made;
    made.graph = PEXYGraph::create(CGRect { { 0, 0 }, { 100, 100 } });
    auto space = std::static_pointer_cast<PEXYPlotSpace>(made.graph->defaultPlotSpace());
    space->setXRange(PEPlotRange::plotRangeWithLocation(0.0, 10.0));
    space->setYRange(PEPlotRange::plotRangeWithLocation(0.0, 10.0));
    made.graph->plotAreaFrame()->plotArea()->setBounds(CGRect { { 0, 0 }, { 100, 100 } });
    made.plot = PETradingRangePlot::create(CGRectZero);
    made.plot->setPlotStyle(PETradingRangePlotStyleCandleStick);
    made.source = std::make_shared<QuoteSource>();
    made.source->quotes = std::move(quotes);
    made.plot->setDataSource(made.source);
    made.plot->setDelegate(made.source);
    made.graph->addPlot(made.plot);
    made.plot->reloadData();
    return made;
}

} // namespace

TEST(TradingRangePlot, candlesChooseTheirStylesByDirectionAndKeepTheHighLowLineWithoutABody)
{
    auto made = quotesOf({ { 2, 3, 8, 1, 6 }, { 5, 6, 8, 1, 3 }, { 8, NAN, 9, 2, NAN } });
    auto& plot = *made.plot;
    EXPECT_EQ(plot.increaseFillForIndex(0), plot.increaseFill());
    EXPECT_EQ(plot.increaseLineStyleForIndex(0), plot.lineStyle());
    auto picture = render(CGSize { 100, 100 }, 1, [&](const CGContextRef& context) { plot.renderAsVectorInContext(context); });
    // The rising candle's body is white inside a black outline, the falling one black.
    EXPECT_LT(picture.darkness(20, 100 - 45), 30);
    EXPECT_GT(picture.darkness(50, 100 - 45), 200);
    // The third record has no open or close and still draws its wick from 2 to 9.
    EXPECT_GT(picture.darkness(80, 100 - 50), 100);
    EXPECT_EQ(plot.fieldIdentifiers(), (std::vector<NSUInteger> { 0, 1, 4, 2, 3 }));
}

TEST(TradingRangePlot, labelsUseThePresentExtremesAndTouchesStayWithinTheBar)
{
    auto made = quotesOf({ { 2, 3, NAN, 1, 6 }, { 5, 6, 8, 1, 3 } });
    auto& plot = *made.plot;
    plot.setLabelTextStyle(PEMutableTextStyle::textStyle());
    plot.relabel();
    auto label = ns::cast<PEPlotSpaceAnnotation>(plot.labelAnnotations()->objectAtIndex(0));
    ASSERT_TRUE(label);
    ASSERT_EQ(label->anchorPlotPoint().size(), 2u);
    EXPECT_EQ(label->anchorPlotPoint()[1]->doubleValue(), 6);
    auto space = std::static_pointer_cast<PEXYPlotSpace>(plot.plotSpace());
    space->setYRange(PEPlotRange::plotRangeWithLocation(10.0, -10.0));
    plot.positionLabelAnnotation(label, 0);
    EXPECT_EQ(label->anchorPlotPoint()[1]->doubleValue(), 1);
    EXPECT_EQ(label->displacement().y, -plot.labelOffset());
    space->setYRange(PEPlotRange::plotRangeWithLocation(0.0, 10.0));

    EXPECT_EQ(plot.dataIndexFromInteractionPoint(CGPoint { 51, 75 }), 1u);
    EXPECT_EQ(plot.dataIndexFromInteractionPoint(CGPoint { 56, 75 }), NSNotFound);
    auto area = made.graph->plotAreaFrame()->plotArea();
    EXPECT_TRUE(plot.pointingDeviceDownEvent(nullptr, made.graph->convertPointFromLayer(CGPoint { 19, 40 }, area)));
    EXPECT_EQ(made.source->selected, (std::vector<NSUInteger> { 0 }));
}

TEST(TradingRangePlot, aCandlestickGraphMatchesItsReferencePicture)
{
    auto graph = referenceGraph(8.0, 10.0, 2);
    auto source = std::make_shared<QuoteSource>();
    source->quotes = { { 1, 4, 6, 3, 5.5 }, { 2, 5.5, 7, 5, 6.5 }, { 3, 6.5, 7.5, 4, 4.5 }, { 4, 4.5, 5, 2, 3 }, { 5, 3, 6, 2.5, 5.8 },
        { 6, 5.8, 8.5, 5.5, 8 }, { 7, 8, 9, 6, 6 } };
    auto plot = PETradingRangePlot::create(CGRectZero);
    plot->setPlotStyle(PETradingRangePlotStyleCandleStick);
    plot->setBarWidth(16);
    plot->setIncreaseFill(PEFill::fillWithColor(PEColor::colorWithComponentRed(0.85, 0.2, 0.2, 1)));
    plot->setDecreaseFill(PEFill::fillWithColor(PEColor::colorWithComponentRed(0.2, 0.6, 0.3, 1)));
    plot->setDataSource(source);
    graph->addPlot(plot);
    Picture picture;
    ASSERT_NO_THROW(picture = renderGraph(graph, 2));
    saveSnapshot(picture, "trading-range-plot@2x.png");
    EXPECT_LT(differenceFromReference(picture, "trading-range-plot@2x.png", 24), 0.01);
}

TEST(PETradingRangePlot, itsValueAndStyleArrayPropertiesAreViewsOfTheCache)
{
    auto plot = PETradingRangePlot::create(CGRectZero);
    plot->setXValues(numberArray({ 1, 2 }));
    plot->setOpenValues(numberArray({ 10, 12 }));
    plot->setHighValues(numberArray({ 14, 15 }));
    plot->setLowValues(numberArray({ 9, 11 }));
    plot->setCloseValues(numberArray({ 12, 11 }));
    for (const auto& values : { plot->xValues(), plot->openValues(), plot->highValues(), plot->lowValues(), plot->closeValues() }) {
        ASSERT_TRUE(values);
        EXPECT_EQ(values->numberOfSamples(), 2u);
    }
    EXPECT_DOUBLE_EQ(plot->cachedDoubleForField(PETradingRangePlotFieldClose, 1), 11);
    plot->reloadDataInIndexRange(NSMakeRange(0, 2));
    for (const auto& values : { plot->xValues(), plot->openValues(), plot->highValues(), plot->lowValues(), plot->closeValues() })
        EXPECT_FALSE(values) << "a reload without a data source empties the values";
    plot->setXValues(numberArray({ 1, 2 }));
    plot->setOpenValues(numberArray({ 10, 12 }));
    plot->setHighValues(numberArray({ 14, 15 }));
    plot->setLowValues(numberArray({ 9, 11 }));
    plot->setCloseValues(numberArray({ 12, 11 }));

    auto green = PEFill::fillWithColor(PEColor::blueColor());
    id dashed = PELineStyle::lineStyle();
    id fill = green;
    plot->setIncreaseFills(NSArray::arrayWithObjects({ fill, PEPlot::nilData() }));
    plot->setDecreaseFills(NSArray::arrayWithObjects({ PEPlot::nilData(), fill }));
    plot->setLineStyles(NSArray::arrayWithObjects({ dashed, dashed }));
    plot->setIncreaseLineStyles(NSArray::arrayWithObjects({ dashed, PEPlot::nilData() }));
    plot->setDecreaseLineStyles(NSArray::arrayWithObjects({ PEPlot::nilData(), dashed }));
    EXPECT_EQ(plot->increaseFills()->count(), 2u);
    EXPECT_EQ(plot->increaseFillForIndex(0), green);
    EXPECT_EQ(plot->increaseFillForIndex(1), plot->increaseFill());
    EXPECT_EQ(plot->decreaseFillForIndex(1), green);
    EXPECT_EQ(id(plot->lineStyleForIndex(1)), dashed);
    EXPECT_EQ(id(plot->increaseLineStyleForIndex(0)), dashed);
    EXPECT_EQ(plot->decreaseLineStyles()->count(), 2u);
    EXPECT_EQ(id(plot->decreaseLineStyleForIndex(1)), dashed);
}

TEST(TradingRangePlot, aRecordWithNeitherOpenNorHighIsLeftOut)
{
    auto made = quotesOf({ { 5, NAN, NAN, 2, 8 } });
    made.plot->setPlotStyle(PETradingRangePlotStyleOHLC);
    auto picture = render(CGSize { 100, 100 }, 1, [&](const CGContextRef& context) { made.plot->renderAsVectorInContext(context); });
    std::size_t dark = 0;
    for (std::size_t y = 0; y < picture.height; ++y)
        for (std::size_t x = 0; x < picture.width; ++x)
            dark += picture.darkness(x, y) > 60;
    EXPECT_EQ(dark, 0u);
}

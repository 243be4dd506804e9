#include "framework/Source/PEColor.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PEMutableLineStyle.h"
#include "framework/Source/PEMutableNumericData.h"
#include "framework/Source/PEPlotArea.h"
#include "framework/Source/PEPlotAreaFrame.h"
#include "framework/Source/PEPlotRange.h"
#include "framework/Source/PERangePlot.h"
#include "framework/Source/PETheme.h"
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

// Records of (x, y, high, low, left, right).
class ErrorSource : public PERangePlotDataSource, public PERangePlotDelegate {
public:
    std::vector<std::array<double, 6>> records;
    bool allAtOnce { false };
    int styleQuestions { 0 };
    std::vector<NSUInteger> selected;

    NSUInteger numberOfRecordsForPlot(PEPlot&) override { return records.size(); }
    std::optional<double> doubleForPlot(PEPlot&, NSUInteger field, NSUInteger index) override { return records[index][field]; }
    std::optional<std::shared_ptr<PENumericData>> dataForPlotRecordIndexRange(PEPlot&, NSRange range) override
    {
        if (!allAtOnce)
            return std::nullopt;
        auto values = NSMutableArray::array();
        for (NSUInteger i = range.location; i < NSMaxRange(range); ++i) {
            for (double value : records[i])
                values->addObject(NSNumber::numberWithDouble(value));
        }
        auto shape = NSArray::arrayWithObjects({ NSNumber::numberWithUnsignedInteger(range.length), NSNumber::numberWithUnsignedInteger(6) });
        return PENumericData::numericDataWithArray(values, NSString("<f8"), shape);
    }
    std::optional<std::shared_ptr<PELineStyle>> barLineStyleForRangePlot(PERangePlot&, NSUInteger index) override
    {
        ++styleQuestions;
        if (index != 1)
            return std::shared_ptr<PELineStyle>();
        auto red = PEMutableLineStyle::lineStyle();
        red->setLineColor(PEColor::redColor());
        red->setLineWidth(2);
        return std::static_pointer_cast<PELineStyle>(red);
    }
    bool rangeWasSelectedAtRecordIndex(PERangePlot&, NSUInteger index) override
    {
        selected.push_back(index);
        return true;
    }
};

struct Ranges {
    std::shared_ptr<PEXYGraph> graph;
    std::shared_ptr<PERangePlot> plot;
    std::shared_ptr<ErrorSource> source;
};

Ranges rangesOf(std::vector<std::array<double, 6>> records, bool allAtOnce = false)
{
    Ranges made;
    made.graph = PEXYGraph::create(CGRect { { 0, 0 }, { 100, 100 } });
    auto space = std::static_pointer_cast<PEXYPlotSpace>(made.graph->defaultPlotSpace());
    space->setXRange(PEPlotRange::plotRangeWithLocation(0.0, 10.0));
    space->setYRange(PEPlotRange::plotRangeWithLocation(0.0, 10.0));
    made.graph->plotAreaFrame()->plotArea()->setBounds(CGRect { { 0, 0 }, { 100, 100 } });
    made.plot = PERangePlot::create(CGRectZero);
    made.source = std::make_shared<ErrorSource>();
    made.source->records = std::move(records);
    made.source->allAtOnce = allAtOnce;
    made.plot->setDataSource(made.source);
    made.plot->setDelegate(made.source);
    made.graph->addPlot(made.plot);
    made.plot->reloadData();
    return made;
}

} // namespace

TEST(RangePlot, viewPointsSpanTheBarsAndAMissingEndLeavesItsSideOut)
{
    auto made = rangesOf({ { 2, 5, 2, 1, 1, NAN } });
    std::vector<bool> flags;
    std::vector<CGPointError> views;
    made.plot->calculatePointsToDraw(flags, 1, *std::static_pointer_cast<PEXYPlotSpace>(made.plot->plotSpace()));
    made.plot->calculateViewPoints(views, flags, 1);
    EXPECT_EQ(views[0].high, 70);
    EXPECT_EQ(views[0].low, 40);
    EXPECT_EQ(views[0].left, 10);
    EXPECT_TRUE(std::isnan(views[0].right));
    EXPECT_EQ(made.plot->fieldIdentifiersForCoordinate(PECoordinateY), (std::vector<NSUInteger> { PERangePlotFieldY }));
}

TEST(RangePlot, stylesArePulledEvenWhenAllFieldsArriveAtOnce)
{
    auto made = rangesOf({ { 2, 5, 1, 1, 1, 1 }, { 6, 5, 1, 1, 1, 1 } }, true);
    EXPECT_EQ(made.plot->cachedDoubleForField(PERangePlotFieldX, 1), 6);
    EXPECT_GT(made.source->styleQuestions, 0);
    EXPECT_EQ(made.plot->barLineStyleForIndex(0), made.plot->barLineStyle());
    EXPECT_NE(made.plot->barLineStyleForIndex(1), made.plot->barLineStyle());
}

TEST(RangePlot, touchesSelectTheNearestCentreOnlyInsideItsBarsAlsoOnAReversedAxis)
{
    auto made = rangesOf({ { 2, 5, 2, 1, 1, 1 }, { 6, 5, 1, 1, 1, 1 } });
    EXPECT_EQ(made.plot->dataIndexFromInteractionPoint(CGPoint { 20, 65 }), 0u);
    // Nearer to record 1's centre but outside its box, though inside nothing else.
    EXPECT_EQ(made.plot->dataIndexFromInteractionPoint(CGPoint { 45, 50 }), NSNotFound);
    auto space = std::static_pointer_cast<PEXYPlotSpace>(made.plot->plotSpace());
    space->setYRange(PEPlotRange::plotRangeWithLocation(10.0, -10.0));
    // With y reversed the high end lies below the centre in view coordinates.
    EXPECT_EQ(made.plot->dataIndexFromInteractionPoint(CGPoint { 20, 35 }), 0u);
    auto area = made.graph->plotAreaFrame()->plotArea();
    EXPECT_TRUE(made.plot->pointingDeviceDownEvent(nullptr, made.graph->convertPointFromLayer(CGPoint { 60, 45 }, area)));
    EXPECT_EQ(made.source->selected, (std::vector<NSUInteger> { 1 }));
}

TEST(RangePlot, aGraphOfErrorBarsWithAnAreaMatchesItsReferencePicture)
{
    auto graph = referenceGraph(6.0, 10.0, 2);
    auto source = std::make_shared<ErrorSource>();
    source->records = { { 1, 3, 1.5, 1, 0.3, 0.3 }, { 2, 5, 1, 2, 0.3, 0.3 }, { 3, 4, 2, 1, 0.3, 0.3 }, { 4, 7, 1, 1.5, 0.3, 0.3 }, { 5, 6, 2, 1, 0.3, 0.3 } };
    auto plot = PERangePlot::create(CGRectZero);
    plot->setBarWidth(10);
    plot->setGapHeight(6);
    plot->setGapWidth(6);
    plot->setAreaFill(PEFill::fillWithColor(PEColor::colorWithComponentRed(0.4, 0.6, 1, 0.3)));
    plot->setDataSource(source);
    graph->addPlot(plot);
    Picture picture;
    ASSERT_NO_THROW(picture = renderGraph(graph, 2));
    saveSnapshot(picture, "range-plot@2x.png");
    EXPECT_LT(differenceFromReference(picture, "range-plot@2x.png", 24), 0.01);
}

TEST(PERangePlot, itsSixValuePropertiesAreViewsOfTheCache)
{
    auto plot = PERangePlot::create(CGRectZero);
    plot->setXValues(numberArray({ 1, 2 }));
    plot->setYValues(numberArray({ 5, 6 }));
    plot->setHighValues(numberArray({ 7, 8 }));
    plot->setLowValues(numberArray({ 3, 4 }));
    plot->setLeftValues(numberArray({ 0.5, 0.5 }));
    plot->setRightValues(numberArray({ 0.25, 0.75 }));
    ASSERT_TRUE(plot->xValues() && plot->yValues());
    EXPECT_EQ(plot->yValues()->count(), 2u);
    EXPECT_DOUBLE_EQ(ns::cast<NSNumber>(plot->yValues()->objectAtIndex(1))->doubleValue(), 6);
    ASSERT_TRUE(plot->highValues() && plot->lowValues() && plot->leftValues() && plot->rightValues());
    EXPECT_EQ(plot->highValues(), plot->cachedNumbersForField(PERangePlotFieldHigh));
    EXPECT_DOUBLE_EQ(plot->cachedDoubleForField(PERangePlotFieldRight, 1), 0.75);
    EXPECT_DOUBLE_EQ(plot->cachedDoubleForField(PERangePlotFieldLow, 0), 3);
    plot->setHighValues(nullptr);
    EXPECT_FALSE(plot->highValues());

    // A reload without a data source empties them all.
    plot->setHighValues(numberArray({ 7, 8 }));
    plot->reloadDataInIndexRange(NSMakeRange(0, 2));
    EXPECT_FALSE(plot->xValues() || plot->yValues() || plot->highValues() || plot->lowValues() || plot->leftValues() || plot->rightValues());
    EXPECT_EQ(plot->cachedDataCount(), 0u);
}

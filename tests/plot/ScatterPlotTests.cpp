#include "framework/Source/PEColor.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PEGradient.h"
#include "framework/Source/PEMutableLineStyle.h"
#include "framework/Source/PEPlotArea.h"
#include "framework/Source/PEPlotAreaFrame.h"
#include "framework/Source/PEPlotRange.h"
#include "framework/Source/PEPlotSymbol.h"
#include "framework/Source/PEScatterPlot.h"
#include "framework/Source/PETheme.h"
#include "framework/Source/PEUtilities.h"
#include "framework/Source/PEXYAxis.h"
#include "framework/Source/PEXYAxisSet.h"
#include "framework/Source/PEXYGraph.h"
#include "framework/Source/PEXYPlotSpace.h"
#include "platform/foundation/NSNumber.h"
#include "tests/plot/PlotRendering.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace plottest;

namespace {

class PointSource : public PEScatterPlotDataSource, public PEScatterPlotDelegate {
public:
    std::vector<CGPoint> points;
    std::vector<NSUInteger> selected;

    NSUInteger numberOfRecordsForPlot(PEPlot&) override { return points.size(); }
    std::optional<std::vector<double>> doublesForPlot(PEPlot&, NSUInteger field, NSRange range) override
    {
        std::vector<double> values;
        for (NSUInteger i = range.location; i < NSMaxRange(range); ++i)
            values.push_back(field == PEScatterPlotFieldX ? points[i].x : points[i].y);
        return values;
    }
    bool plotSymbolWasSelectedAtRecordIndex(PEScatterPlot&, NSUInteger index) override
    {
        selected.push_back(index);
        return true;
    }
};

struct Scatter {
    std::shared_ptr<PEXYGraph> graph;
    std::shared_ptr<PEScatterPlot> plot;
    std::shared_ptr<PointSource> source;
};

// Ranges 0...10 over a 100 × 100 plot area.
Scatter scatterOf(std::vector<CGPoint> points)
{
    Scatter made;
    made.graph = PEXYGraph::create(CGRect { { 0, 0 }, { 100, 100 } });
    auto space = std::static_pointer_cast<PEXYPlotSpace>(made.graph->defaultPlotSpace());
    space->setXRange(PEPlotRange::plotRangeWithLocation(0.0, 10.0));
    space->setYRange(PEPlotRange::plotRangeWithLocation(0.0, 10.0));
    made.graph->plotAreaFrame()->plotArea()->setBounds(CGRect { { 0, 0 }, { 100, 100 } });
    made.plot = PEScatterPlot::create(CGRectZero);
    made.source = std::make_shared<PointSource>();
    made.source->points = std::move(points);
    made.plot->setDataSource(made.source);
    made.plot->setDelegate(made.source);
    made.graph->addPlot(made.plot);
    made.plot->reloadData();
    return made;
}

std::vector<bool> drawFlags(Scatter& made)
{
    std::vector<bool> flags;
    made.plot->calculatePointsToDraw(flags, *std::static_pointer_cast<PEXYPlotSpace>(made.plot->plotSpace()), false, made.plot->cachedDataCount());
    return flags;
}

// The path's elements as (type, end point) pairs.
std::vector<CGPoint> vertices(const CGPathRef& path)
{
    std::vector<CGPoint> points;
    CGPathApply(path, [&](const CGPathElement& element) {
        if (element.type == kCGPathElementMoveToPoint || element.type == kCGPathElementAddLineToPoint)
            points.push_back(element.points[0]);
        else if (element.type == kCGPathElementAddCurveToPoint)
            points.push_back(element.points[2]);
    });
    return points;
}

} // namespace

TEST(ScatterPlot, drawsVisiblePointsAndTheEndsOfSegmentsCrossingTheRanges)
{
    auto made = scatterOf({ { -50, 5 }, { 5, 5 }, { 50, 5 }, { 60, -5 }, { 70, 50 } });
    EXPECT_EQ(drawFlags(made), (std::vector<bool> { true, true, true, false, false }));
    made.plot->setAreaFill(PEFill::fillWithColor(PEColor::blueColor()));
    EXPECT_EQ(drawFlags(made), (std::vector<bool>(5, true)));
    EXPECT_THROW(made.plot->fieldIdentifiersForCoordinate(PECoordinateNone), NSException);
}

TEST(ScatterPlot, interpolationsShapeTheSegments)
{
    auto made = scatterOf({ { 0, 0 }, { 10, 5 } });
    const std::vector<CGPoint> points { { 0, 0 }, { 10, 5 } };
    made.plot->setInterpolation(PEScatterPlotInterpolationHistogram);
    auto histogram = vertices(made.plot->newDataLinePathForViewPoints(points, NSMakeRange(0, 2), NAN));
    ASSERT_EQ(histogram.size(), 4u);
    EXPECT_EQ(histogram[1].x, 5);
    EXPECT_EQ(histogram[1].y, 0);
    EXPECT_EQ(histogram[2].y, 5);
    made.plot->setInterpolation(PEScatterPlotInterpolationStepped);
    auto stepped = vertices(made.plot->newDataLinePathForViewPoints(points, NSMakeRange(0, 2), NAN));
    ASSERT_EQ(stepped.size(), 3u);
    EXPECT_EQ(stepped[1].x, 10);
    EXPECT_EQ(stepped[1].y, 0);

    std::vector<CGPoint> first(3), second(3);
    PEScatterPlot::computeControlPoints(first, second, { { 0, 0 }, { 1, 1 }, { 2, 0 } }, NSMakeRange(0, 3));
    EXPECT_NEAR(first[1].x, 1.0 / 3, 1e-12);
    EXPECT_NEAR(first[1].y, 0.5, 1e-12);
    EXPECT_NEAR(second[1].x, 2.0 / 3, 1e-12);
    EXPECT_NEAR(second[1].y, 1, 1e-12);
    EXPECT_NEAR(first[2].x, 4.0 / 3, 1e-12);
    EXPECT_NEAR(second[2].x, 5.0 / 3, 1e-12);
    EXPECT_NEAR(second[2].y, 0.5, 1e-12);

    // A missing point splits the line; each run closes to the baseline on its own.
    made.plot->setInterpolation(PEScatterPlotInterpolationLinear);
    auto split = vertices(made.plot->newDataLinePathForViewPoints({ { 0, 3 }, { 1, 4 }, { NAN, NAN }, { 3, 4 }, { 4, 3 } }, NSMakeRange(0, 5), 0));
    EXPECT_EQ(split.size(), 8u);
}

TEST(ScatterPlot, touchesSelectTheNearestSymbolWithTheLowerIndexOnTies)
{
    auto made = scatterOf({ { 4, 5 }, { 6, 5 }, { 8, 8 } });
    EXPECT_EQ(made.plot->indexOfVisiblePointClosestToPlotAreaPoint(CGPoint { 50, 50 }), 0u);
    auto area = made.graph->plotAreaFrame()->plotArea();
    // Without a symbol nothing is hit.
    EXPECT_FALSE(made.plot->pointingDeviceDownEvent(nullptr, made.graph->convertPointFromLayer(CGPoint { 60, 50 }, area)));
    auto symbol = PEPlotSymbol::ellipsePlotSymbol();
    symbol->setSize(CGSize { 8, 8 });
    made.plot->setPlotSymbol(symbol);
    EXPECT_TRUE(made.plot->pointingDeviceDownEvent(nullptr, made.graph->convertPointFromLayer(CGPoint { 61, 52 }, area)));
    EXPECT_EQ(made.source->selected, (std::vector<NSUInteger> { 1 }));
    EXPECT_THROW(made.plot->plotAreaPointOfVisiblePointAtIndex(3), NSException);
}

TEST(ScatterPlot, aGraphWithSymbolsACurveAndAnAreaMatchesItsReferencePicture)
{
    auto graph = referenceGraph(6.0, 5.0, 1);

    auto source = std::make_shared<PointSource>();
    source->points = { { 0.5, 1 }, { 1.5, 3 }, { 2.5, 2 }, { 3.5, 4 }, { 4.5, 3.2 }, { 5.5, 4.4 } };
    auto plot = PEScatterPlot::create(CGRectZero);
    auto line = PEMutableLineStyle::lineStyle();
    line->setLineWidth(2);
    line->setLineColor(PEColor::colorWithComponentRed(0.1, 0.5, 0.2, 1));
    plot->setDataLineStyle(line);
    plot->setInterpolation(PEScatterPlotInterpolationCurved);
    auto gradient = PEGradient::gradientWithBeginningColor(PEColor::colorWithComponentRed(0.6, 0.9, 0.6, 0.6), PEColor::colorWithComponentRed(1, 1, 1, 0.2));
    gradient->setAngle(-90);
    plot->setAreaFill(PEFill::fillWithGradient(gradient));
    plot->setAreaBaseValue(PEDecimalWithInt(0));
    auto symbol = PEPlotSymbol::starPlotSymbol();
    symbol->setSize(CGSize { 12, 12 });
    symbol->setFill(PEFill::fillWithColor(PEColor::colorWithComponentRed(1, 0.8, 0, 1)));
    plot->setPlotSymbol(symbol);
    plot->setDataSource(source);
    graph->addPlot(plot);

    Picture picture;
    ASSERT_NO_THROW(picture = renderGraph(graph, 2));
    saveSnapshot(picture, "scatter-plot@2x.png");
    EXPECT_LT(differenceFromReference(picture, "scatter-plot@2x.png", 24), 0.01);
}

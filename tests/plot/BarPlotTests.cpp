#include "framework/Source/PEBarPlot.h"
#include "framework/Source/PEColor.h"
#include "framework/Source/PEExceptions.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PEMutableTextStyle.h"
#include "framework/Source/PEPlotArea.h"
#include "framework/Source/PEPlotAreaFrame.h"
#include "framework/Source/PEPlotRange.h"
#include "framework/Source/PEMutablePlotRange.h"
#include "framework/Source/PEPlotSpaceAnnotation.h"
#include "framework/Source/PECodingRegistry.h"
#include "framework/Source/PETextLayer.h"
#include "platform/foundation/NSKeyedArchiver.h"
#include "platform/foundation/NSKeyedUnarchiver.h"
#include "framework/Source/PETheme.h"
#include "platform/foundation/NSNumber.h"
#include "framework/Source/PEUtilities.h"
#include "framework/Source/PEXYAxis.h"
#include "framework/Source/PEXYAxisSet.h"
#include "framework/Source/PEXYGraph.h"
#include "framework/Source/PEXYPlotSpace.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "tests/plot/PlotRendering.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace plottest;

namespace {

class BarSource : public PEBarPlotDataSource, public PEBarPlotDelegate {
public:
    std::vector<double> locations { 1, 2, 3, 4 };
    std::vector<double> tips { 3, 5, 2, 4 };
    bool fillPerRecord { false };
    std::vector<NSUInteger> selected;

    NSUInteger numberOfRecordsForPlot(PEPlot&) override { return tips.size(); }
    std::optional<double> doubleForPlot(PEPlot&, NSUInteger field, NSUInteger index) override
    {
        return field == PEBarPlotFieldBarLocation ? locations[index] : tips[index];
    }
    bool respondsToBarFillForBarPlot() const override { return fillPerRecord; }
    std::optional<std::shared_ptr<PEFill>> barFillForBarPlot(PEBarPlot&, NSUInteger index) override
    {
        if (!fillPerRecord)
            return std::nullopt;
        if (index == 1)
            return std::shared_ptr<PEFill>();
        return PEFill::fillWithColor(PEColor::colorWithComponentRed(0.2, 0.4 + 0.1 * static_cast<double>(index), 0.9, 1));
    }
    bool barWasSelectedAtRecordIndex(PEBarPlot&, NSUInteger index) override
    {
        selected.push_back(index);
        return true;
    }
};

// A plot space of 0...10 on both axes over a 100 × 100 plot area, so data units are 10 points.
struct Chart {
    std::shared_ptr<PEXYGraph> graph;
    std::shared_ptr<PEBarPlot> plot;
};

Chart plotInSpace()
{
    auto graph = PEXYGraph::create(CGRect { { 0, 0 }, { 100, 100 } });
    graph->layoutIfNeeded();
    auto plot = PEBarPlot::create(CGRectZero);
    graph->addPlot(plot, std::static_pointer_cast<PEPlotSpace>(graph->defaultPlotSpace()));
    auto xy = std::static_pointer_cast<PEXYPlotSpace>(graph->defaultPlotSpace());
    xy->setXRange(PEPlotRange::plotRangeWithLocation(0.0, 10.0));
    xy->setYRange(PEPlotRange::plotRangeWithLocation(0.0, 10.0));
    graph->plotAreaFrame()->plotArea()->setBounds(CGRect { { 0, 0 }, { 100, 100 } });
    return { graph, plot };
}

std::shared_ptr<NSArray> numbers(std::initializer_list<double> values)
{
    auto array = NSMutableArray::array();
    for (double value : values)
        array->addObject(NSNumber::numberWithDouble(value));
    return array;
}

CGRect barRect(PEBarPlot& plot, NSUInteger index)
{
    auto path = plot.newBarPathWithContext(nullptr, index);
    return path ? CGPathGetBoundingBox(path) : CGRectNull;
}

} // namespace

TEST(BarPlot, barsStandOnTheirLocationsFromTheBaseToTheTip)
{
    auto chart = plotInSpace();
    auto& plot = chart.plot;
    plot->setBarTips(numbers({ 1, 2, 3 }));
    plot->reloadDataInIndexRange(NSMakeRange(0, 3));
    EXPECT_EQ(plot->cachedDoubleForField(PEBarPlotFieldBarLocation, 2), 2);
    CGRect bar = barRect(*plot, 2);
    EXPECT_DOUBLE_EQ(CGRectGetMidX(bar), 20);
    EXPECT_DOUBLE_EQ(bar.size.width, 5);
    EXPECT_DOUBLE_EQ(CGRectGetMinY(bar), 0);
    EXPECT_DOUBLE_EQ(CGRectGetMaxY(bar), 30);

    plot->setBarsAreHorizontal(true);
    bar = barRect(*plot, 1);
    EXPECT_DOUBLE_EQ(CGRectGetMidY(bar), 10);
    EXPECT_DOUBLE_EQ(CGRectGetMaxX(bar), 20);

    plot->setBarsAreHorizontal(false);
    plot->setBarOffset(PEDecimalWithInt(1));
    EXPECT_DOUBLE_EQ(CGRectGetMidX(barRect(*plot, 0)), 10);
}

TEST(BarPlot, generatedLocationsCountFromTheWholeRecordSet)
{
    auto chart = plotInSpace();
    auto& plot = chart.plot;
    plot->setPlotRange(PEPlotRange::plotRangeWithLocation(10.0, 4.0));
    plot->setBarTips(numbers({ 1, 1, 1, 1, 1 }));
    plot->reloadDataInIndexRange(NSMakeRange(0, 5));
    for (NSUInteger i = 0; i < 5; ++i)
        EXPECT_EQ(plot->cachedDoubleForField(PEBarPlotFieldBarLocation, i), 10.0 + static_cast<double>(i));
    // A partial reload keeps the later bars beside the earlier ones.
    plot->reloadDataInIndexRange(NSMakeRange(3, 2));
    EXPECT_EQ(plot->cachedDoubleForField(PEBarPlotFieldBarLocation, 3), 13);
    EXPECT_EQ(plot->cachedDoubleForField(PEBarPlotFieldBarLocation, 4), 14);

    plot->setPlotRange(nullptr);
    plot->reloadDataInIndexRange(NSMakeRange(3, 2));
    EXPECT_EQ(plot->cachedDoubleForField(PEBarPlotFieldBarLocation, 4), 4);
    // Fixed bases never cost the plot its record count.
    EXPECT_EQ(plot->cachedDataCount(), 5u);
}

TEST(BarPlot, cornerRadiiAreClampedStoredPositiveAndRoundTheTipOfNegativeBars)
{
    auto chart = plotInSpace();
    auto& plot = chart.plot;
    plot->setBarWidthsAreInViewCoordinates(true);
    plot->setBarWidth(PEDecimalWithInt(10));
    plot->setBarCornerRadius(-3);
    EXPECT_EQ(plot->barCornerRadius(), 3);
    plot->setBarCornerRadius(20);
    auto path = plot->newBarPathWithContext(nullptr, CGPoint { 50, 0 }, CGPoint { 50, 100 });
    // A radius clamped to half the width leaves the corner point (45, 100) outside the path.
    EXPECT_FALSE(CGPathContainsPoint(path, nullptr, CGPoint { 45.3, 99.7 }, false));
    EXPECT_TRUE(CGPathContainsPoint(path, nullptr, CGPoint { 45.3, 0.3 }, false));

    auto negative = plot->newBarPathWithContext(nullptr, CGPoint { 50, 100 }, CGPoint { 50, 0 });
    EXPECT_FALSE(CGPathContainsPoint(negative, nullptr, CGPoint { 45.3, 0.3 }, false));
    EXPECT_TRUE(CGPathContainsPoint(negative, nullptr, CGPoint { 45.3, 99.7 }, false));

    for (CGFloat scale : { 1.0, 2.0 }) {
        auto picture = render(CGSize { 100, 100 }, scale, [&](const CGContextRef& context) {
            auto aligned = plot->newBarPathWithContext(context, CGPoint { 50.3, 80.2 }, CGPoint { 50.3, 10.7 });
            CGRect box = CGPathGetBoundingBox(aligned);
            EXPECT_NEAR(CGRectGetMaxY(box), 80.2, 1.0);
            EXPECT_NEAR(CGRectGetMinY(box), 10.7, 1.0);
        });
        (void)picture;
    }
}

TEST(BarPlot, rangesIncludeTheBaseAndTheBarWidths)
{
    auto chart = plotInSpace();
    auto& plot = chart.plot;
    plot->setBarLocations(numbers({ 0, 1, 2, 3, 4 }));
    plot->setBarTips(numbers({ 5, 10, 6, 7, 8 }));
    auto values = plot->plotRangeForCoordinate(PECoordinateY);
    ASSERT_TRUE(values);
    EXPECT_EQ(values->locationDouble(), 0);
    EXPECT_EQ(values->lengthDouble(), 10);
    auto enclosing = plot->plotRangeEnclosingBars();
    ASSERT_TRUE(enclosing);
    EXPECT_DOUBLE_EQ(enclosing->locationDouble(), -0.25);
    EXPECT_DOUBLE_EQ(enclosing->lengthDouble(), 4.5);

    plot->setBarsAreHorizontal(true);
    plot->setBarBasesVary(true);
    EXPECT_EQ(plot->fieldIdentifiersForCoordinate(PECoordinateX), (std::vector<NSUInteger> { 1, 2 }));
    EXPECT_EQ(plot->fieldIdentifiersForCoordinate(PECoordinateY), (std::vector<NSUInteger> { 0 }));
    EXPECT_THROW(plot->fieldIdentifiersForCoordinate(PECoordinateNone), NSException);
}

TEST(BarPlot, touchesReportTheLowestBarHitAndMissingTipsNever)
{
    auto chart = plotInSpace();
    auto& plot = chart.plot;
    auto source = std::make_shared<BarSource>();
    source->locations = { 2, 2.3, 6 };
    source->tips = { 5, 5, NAN };
    plot->setDataSource(source);
    plot->setDelegate(source);
    plot->reloadData();
    EXPECT_EQ(plot->dataIndexFromInteractionPoint(CGPoint { 22, 20 }), 0u);
    EXPECT_EQ(plot->dataIndexFromInteractionPoint(CGPoint { 25, 20 }), 1u);
    EXPECT_EQ(plot->dataIndexFromInteractionPoint(CGPoint { 60, 1 }), NSNotFound);

    auto graph = plot->graph();
    const CGPoint inGraph = graph->convertPointFromLayer(CGPoint { 22, 20 }, graph->plotAreaFrame()->plotArea());
    EXPECT_TRUE(plot->pointingDeviceDownEvent(nullptr, inGraph));
    EXPECT_EQ(source->selected, (std::vector<NSUInteger> { 0 }));
    plot->setHidden(true);
    EXPECT_FALSE(plot->pointingDeviceDownEvent(nullptr, inGraph));
}

TEST(BarPlot, perRecordFillsListEveryBarInTheLegendAndFallBackToThePlotFill)
{
    auto chart = plotInSpace();
    auto& plot = chart.plot;
    auto source = std::make_shared<BarSource>();
    source->fillPerRecord = true;
    plot->setDataSource(source);
    int redraws = 0;
    auto observer = NSObject::create();
    NSNotificationCenter::defaultCenter()->addObserver(observer, [&](const std::shared_ptr<NSNotification>&) { ++redraws; },
        PELegendNeedsRedrawForPlotNotification, plot);
    plot->reloadData();
    NSNotificationCenter::defaultCenter()->removeObserver(observer);
    EXPECT_EQ(redraws, 1);
    EXPECT_EQ(plot->numberOfLegendEntries(), 4u);
    EXPECT_EQ(plot->barFillForIndex(1), plot->fill());
    EXPECT_NE(plot->barFillForIndex(2), plot->fill());

    source->fillPerRecord = false;
    EXPECT_EQ(plot->numberOfLegendEntries(), 1u);
}

TEST(BarPlot, labelsSitBeyondTheTipAndSwapSidesOnAReversedAxis)
{
    auto chart = plotInSpace();
    auto& plot = chart.plot;
    auto style = PEMutableTextStyle::textStyle();
    plot->setLabelTextStyle(style);
    plot->setBarLocations(numbers({ 1, 2 }));
    plot->setBarTips(numbers({ 3, -2 }));
    plot->relabel();
    ASSERT_TRUE(plot->labelAnnotations());
    auto up = ns::cast<PEPlotSpaceAnnotation>(plot->labelAnnotations()->objectAtIndex(0));
    auto down = ns::cast<PEPlotSpaceAnnotation>(plot->labelAnnotations()->objectAtIndex(1));
    ASSERT_TRUE(up && down);
    EXPECT_EQ(up->displacement().y, 10);
    EXPECT_EQ(down->displacement().y, -10);
    EXPECT_NEAR(up->contentAnchorPoint().x, 0.5, 1e-9);
    EXPECT_EQ(up->contentAnchorPoint().y, 0);
    EXPECT_EQ(std::static_pointer_cast<PETextLayer>(up->contentLayer())->text(), NSString("3.0"));

    auto space = std::static_pointer_cast<PEXYPlotSpace>(plot->plotSpace());
    space->setYRange(PEPlotRange::plotRangeWithLocation(10.0, -10.0));
    plot->repositionAllLabelAnnotations();
    EXPECT_EQ(up->displacement().y, -10);
}

TEST(BarPlot, aGraphOfGradientBarsMatchesItsReferencePicture)
{
    auto graph = referenceGraph(5.0, 6.0, 1);
    auto source = std::make_shared<BarSource>();
    auto plot = PEBarPlot::tubularBarPlotWithColor(PEColor::colorWithComponentRed(0.2, 0.5, 1.0, 1), false);
    plot->setBarWidth(PEDecimalWithDouble(0.6));
    auto labels = PEMutableTextStyle::textStyle();
    labels->setFontSize(12);
    plot->setLabelTextStyle(labels);
    plot->setDataSource(source);
    graph->addPlot(plot);

    Picture picture;
    ASSERT_NO_THROW(picture = renderGraph(graph, 2));
    saveSnapshot(picture, "bar-plot@2x.png");
    // The tallest bar (5 at x = 2) is dark-blue in its lower part, the graph white beside it.
    auto area = graph->plotAreaFrame()->plotArea();
    const CGPoint inside = graph->convertPointFromLayer(CGPoint { area->bounds().size.width * 0.4, 20 }, area);
    EXPECT_GT(picture.darkness(static_cast<std::size_t>(inside.x * 2), static_cast<std::size_t>((240 - inside.y) * 2)), 60);
    EXPECT_LT(differenceFromReference(picture, "bar-plot@2x.png", 24), 0.01);
}

TEST(BarPlot, archivedPlotsComeBackWithTheirSettingsAndPullTheirDataAgain)
{
    PECodingRegistry::registerEngineClasses();
    auto plot = PEBarPlot::tubularBarPlotWithColor(PEColor::redColor(), true);
    plot->setBarCornerRadius(4);
    plot->setBaseValue(PEDecimalWithInt(2));
    plot->setBarTips(numbers({ 1, 2 }));
    auto back = ns::cast<PEBarPlot>(NSKeyedUnarchiver::unarchiveObjectWithData(NSKeyedArchiver::archivedDataWithRootObject(plot)));
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->barsAreHorizontal());
    EXPECT_EQ(back->barCornerRadius(), 4);
    EXPECT_TRUE(PEDecimalIsEqual(back->baseValue(), PEDecimalWithInt(2)));
    EXPECT_TRUE(back->dataNeedsReloading());
    EXPECT_FALSE(back->cachedNumbersForField(PEBarPlotFieldBarTip));
}

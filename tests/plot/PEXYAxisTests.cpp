#include "PlotRendering.h"

#include "framework/Source/PEConstraints.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PELimitBand.h"
#include "framework/Source/PELineCap.h"
#include "framework/Source/PEMutableLineStyle.h"
#include "framework/Source/PEPlotArea.h"
#include "framework/Source/PEPlotAreaFrame.h"
#include "framework/Source/PEPlotRange.h"
#include "framework/Source/PEXYAxis.h"
#include "framework/Source/PEXYAxisSet.h"
#include "framework/Source/PEXYGraph.h"
#include "framework/Source/PEXYPlotSpace.h"

#include <gtest/gtest.h>

using namespace plottest;

namespace {

// A 100 by 100 graph whose plot area is the whole graph, ranges 0...10: ten points per unit.
// Only the x axis draws, at y = 5 (view y 50), without labels.
struct AxisFixture {
    std::shared_ptr<PEXYGraph> graph = PEXYGraph::create(CGRect { { 0, 0 }, { 100, 100 } });
    std::shared_ptr<PEXYPlotSpace> space = std::static_pointer_cast<PEXYPlotSpace>(graph->defaultPlotSpace());
    std::shared_ptr<PEXYAxis> x = std::static_pointer_cast<PEXYAxisSet>(graph->axisSet())->xAxis();
    std::shared_ptr<PEXYAxis> y = std::static_pointer_cast<PEXYAxisSet>(graph->axisSet())->yAxis();

    AxisFixture()
    {
        space->setXRange(PEPlotRange::plotRangeWithLocation(0.0, 10.0));
        space->setYRange(PEPlotRange::plotRangeWithLocation(0.0, 10.0));
        y->setHidden(true);
        x->setLabelingPolicy(PEAxisLabelingPolicyLocationsProvided);
        x->setLabelTextStyle(nullptr);
        x->setOrthogonalCoordinateDecimal(PEDecimalWithInt(5));
        x->setAxisLineStyle(nullptr);
        x->setMajorTickLength(10);
        x->setMajorTickLocations({ PEDecimalWithInt(5) });
    }

    Picture draw(CGFloat scale) { return renderGraph(graph, scale); }
};

std::shared_ptr<PEFill> grayFill(CGFloat gray)
{
    return PEFill::fillWithColor(PEColor::colorWithGenericGray(gray));
}

// A black arrow 10 points long and wide, on an axis line without ticks.
std::shared_ptr<PELineCap> arrowOnPlainLine(AxisFixture& fixture)
{
    fixture.x->setMajorTickLineStyle(nullptr);
    fixture.x->setAxisLineStyle(PELineStyle::lineStyle());
    auto cap = PELineCap::solidArrowPlotLineCap();
    cap->setSize(CGSize { 10, 10 });
    cap->setFill(grayFill(0));
    return cap;
}

} // namespace

TEST(PEXYAxis, ticksGoToTheSideTheirDirectionNames)
{
    struct Case {
        PESign direction;
        bool above;
        bool below;
    };
    for (Case c : { Case { PESignNegative, false, true }, Case { PESignNone, true, true }, Case { PESignPositive, true, false } }) {
        AxisFixture fixture;
        fixture.x->setTickDirection(c.direction);
        Picture picture = fixture.draw(1);
        // The tick at x = 5 is the vertical line at view x 50; the axis sits at view y 50, which
        // is picture row 50 from the top. "Above" is a larger view y.
        EXPECT_EQ(picture.darkness(50, 47) > 128, c.above) << c.direction;
        EXPECT_EQ(picture.darkness(50, 53) > 128, c.below) << c.direction;
        EXPECT_LT(picture.darkness(40, 53), 30);
    }
}

TEST(PEXYAxis, wholeWidthLinesSnapToDevicePixelsOthersToPixelCentres)
{
    AxisFixture scaled;
    Picture atTwo = scaled.draw(2);
    // A one-point tick at scale 2 is centred on the pixel edge 100 and covers device columns
    // 99 and 100 fully.
    EXPECT_GT(atTwo.darkness(99, 110), 240);
    EXPECT_GT(atTwo.darkness(100, 110), 240);
    EXPECT_LT(atTwo.darkness(98, 110), 10);
    EXPECT_LT(atTwo.darkness(101, 110), 10);

    AxisFixture single;
    Picture atOne = single.draw(1);
    // At scale 1 it is moved to the pixel centre and covers one column.
    int dark = 0;
    for (std::size_t column = 48; column <= 52; ++column)
        dark += atOne.darkness(column, 53) > 240;
    EXPECT_EQ(dark, 1);
}

TEST(PEXYAxis, givenLocationsOutsideTheRangeAreNotDrawnButGeneratedOnesNeedNoFilter)
{
    AxisFixture fixture;
    fixture.x->setMajorTickLocations({ PEDecimalWithInt(5), PEDecimalWithInt(8) });
    fixture.x->setVisibleRange(PEPlotRange::plotRangeWithLocation(0.0, 6.0));
    Picture picture = fixture.draw(1);
    EXPECT_GT(picture.darkness(50, 53), 128);
    EXPECT_LT(picture.darkness(80, 53), 30);
    fixture.x->setVisibleRange(nullptr);
    fixture.space->setXRange(PEPlotRange::plotRangeWithLocation(0.0, 8.0));

    fixture.x->setLabelingPolicy(PEAxisLabelingPolicyFixedInterval);
    fixture.x->setMajorIntervalLength(PEDecimalFromString("2.5"));
    fixture.x->setNeedsRelabel();
    fixture.draw(1);
    std::vector<double> majors;
    for (const auto& location : fixture.x->majorTickLocations())
        majors.push_back(PEDecimalAsDouble(location));
    EXPECT_EQ(majors, (std::vector<double> { 0, 2.5, 5, 7.5 }));
    std::vector<double> minors;
    for (const auto& location : fixture.x->minorTickLocations())
        minors.push_back(PEDecimalAsDouble(location));
    EXPECT_EQ(minors, (std::vector<double> { 1.25, 3.75, 6.25 }));
}

TEST(PEXYAxis, alternatingBandsSkipRepeatedTicksAndLeaveNullFillsEmpty)
{
    AxisFixture fixture;
    fixture.space->setXRange(PEPlotRange::plotRangeWithLocation(0.0, 10.0));
    // Ticks 0, 2, 4, 6 (and a repeat of 4) in 0...10 with fills dark and light: no band at 0,
    // then 0-2 dark, 2-4 light, 4-6 dark, and the last band 6-10 light.
    fixture.x->setMajorTickLocations({ PEDecimalWithInt(0), PEDecimalWithInt(2), PEDecimalWithInt(4), PEDecimalWithInt(4), PEDecimalWithInt(6) });
    fixture.x->setMajorTickLineStyle(nullptr);
    fixture.x->setAlternatingBandFills({ grayFill(0.2), grayFill(0.6) });
    Picture picture = fixture.draw(1);
    auto band = [&](std::size_t viewX) { return picture.darkness(viewX, 20); };
    EXPECT_NEAR(band(10), 204, 3);
    EXPECT_NEAR(band(30), 102, 3);
    EXPECT_NEAR(band(50), 204, 3);
    EXPECT_NEAR(band(80), 102, 3);

    fixture.x->setAlternatingBandFills({ grayFill(0.2), nullptr });
    picture = fixture.draw(1);
    EXPECT_NEAR(picture.darkness(10, 20), 204, 3);
    EXPECT_LT(picture.darkness(30, 20), 5);
    EXPECT_NEAR(picture.darkness(50, 20), 204, 3);
    EXPECT_LT(picture.darkness(80, 20), 5);
}

TEST(PEXYAxis, limitBandsAreCutToTheVisibleRange)
{
    AxisFixture fixture;
    fixture.x->setMajorTickLineStyle(nullptr);
    fixture.space->setXRange(PEPlotRange::plotRangeWithLocation(0.0, 5.0));
    fixture.x->addBackgroundLimitBand(PELimitBand::limitBandWithRange(PEPlotRange::plotRangeWithLocation(3.0, 10.0), grayFill(0.2)));
    fixture.x->addBackgroundLimitBand(PELimitBand::limitBandWithRange(PEPlotRange::plotRangeWithLocation(8.0, 1.0), grayFill(0.0)));
    Picture picture = fixture.draw(1);
    // Twenty points per unit now: the band covers 3...5, view x 60...100; the one at 8 is outside.
    EXPECT_LT(picture.darkness(50, 20), 5);
    EXPECT_NEAR(picture.darkness(70, 20), 204, 3);
    EXPECT_NEAR(picture.darkness(99, 20), 204, 3);
}

TEST(PEXYAxis, capsPointOutwardsAlsoOnARangeOfNegativeLength)
{
    AxisFixture fixture;
    auto cap = arrowOnPlainLine(fixture);
    fixture.x->setAxisLineCapMax(cap);
    fixture.x->setVisibleAxisRange(PEPlotRange::plotRangeWithLocation(8.0, -6.0));
    Picture picture = fixture.draw(1);
    // The maximum end is x = 8 (view 80); the arrow's body lies inside, left of its tip at 80,
    // and spreads 5 points above and below the line.
    EXPECT_GT(picture.darkness(77, 48), 128);
    EXPECT_LT(picture.darkness(83, 48), 30);
    EXPECT_LT(picture.darkness(77, 44), 30);
}

TEST(PEXYAxis, capsPointOutwardsOnAPlotSpaceThatRunsBackwards)
{
    AxisFixture fixture;
    auto cap = arrowOnPlainLine(fixture);
    fixture.x->setAxisLineCapMax(cap);
    fixture.x->setAxisLineCapMin(cap);
    fixture.space->setXRange(PEPlotRange::plotRangeWithLocation(10.0, -10.0));
    fixture.x->setVisibleAxisRange(PEPlotRange::plotRangeWithLocation(2.0, 6.0));
    Picture picture = fixture.draw(1);
    saveSnapshot(picture, "axis-caps-backwards.png");
    // x = 8 is at view 20 and x = 2 at view 80: each arrow's body lies inside the line, its tip
    // at the end.
    EXPECT_GT(picture.darkness(23, 48), 128);
    EXPECT_LT(picture.darkness(17, 48), 30);
    EXPECT_GT(picture.darkness(77, 48), 128);
    EXPECT_LT(picture.darkness(83, 48), 30);
}

TEST(PEXYAxis, defaultTitleLocationOnALogAxisNeedsBothEndsAboveZero)
{
    AxisFixture fixture;
    fixture.space->setXScaleType(PEScaleTypeLog);
    fixture.space->setXRange(PEPlotRange::plotRangeWithLocation(1.0, 99.0));
    EXPECT_NEAR(PEDecimalAsDouble(fixture.x->defaultTitleLocation()), 10.0, 1e-6);
    fixture.space->setXRange(PEPlotRange::plotRangeWithLocation(0.0, 100.0));
    EXPECT_DOUBLE_EQ(PEDecimalAsDouble(fixture.x->defaultTitleLocation()), 50.0);
    fixture.space->setXRange(PEPlotRange::plotRangeWithLocation(10.0, -10.0));
    EXPECT_DOUBLE_EQ(PEDecimalAsDouble(fixture.x->defaultTitleLocation()), 5.0);
}

TEST(PEXYAxis, coordinatesOtherThanXAndYAreRefusedAndAlignmentFollowsTheCoordinate)
{
    AxisFixture fixture;
    EXPECT_THROW(fixture.x->setCoordinate(PECoordinateNone), NSException);
    fixture.x->setLabelAlignment(PEAlignmentRight);
    fixture.x->setCoordinate(PECoordinateY);
    EXPECT_EQ(fixture.x->labelAlignment(), PEAlignmentMiddle);
    fixture.x->setCoordinate(PECoordinateX);
    EXPECT_EQ(fixture.x->labelAlignment(), PEAlignmentCenter);
}

TEST(PEXYAxis, aLogAxisOverValuesNotAboveZeroDrawsWithoutThrowing)
{
    AxisFixture fixture;
    fixture.space->setXScaleType(PEScaleTypeLog);
    fixture.space->setXRange(PEPlotRange::plotRangeWithLocation(-1.0, 5.0));
    fixture.x->setAxisLineStyle(PELineStyle::lineStyle());
    EXPECT_NO_THROW(fixture.draw(2));
    CGPoint point = fixture.x->viewPointForCoordinateDecimalNumber(PEDecimalWithInt(2));
    EXPECT_EQ(point.x, 0);
}

TEST(PEXYAxis, constraintsPinTheLineWhateverTheRangesDirection)
{
    AxisFixture fixture;
    fixture.x->setAxisConstraints(PEConstraints::constraintWithRelativeOffset(0.5));
    fixture.x->setOrthogonalCoordinateDecimal(PEDecimalWithInt(9));
    EXPECT_EQ(fixture.x->viewPointForCoordinateDecimalNumber(PEDecimalWithInt(5)).y, 50);
    // A reversed range across the axis puts the location above the end: still no exception.
    fixture.space->setYRange(PEPlotRange::plotRangeWithLocation(10.0, -10.0));
    CGPoint point;
    EXPECT_NO_THROW(point = fixture.x->viewPointForCoordinateDecimalNumber(PEDecimalWithInt(5)));
    EXPECT_EQ(point.y, 50);
    fixture.x->setAxisConstraints(PEConstraints::constraintWithUpperOffset(10));
    EXPECT_EQ(fixture.x->viewPointForCoordinateDecimalNumber(PEDecimalWithInt(5)).y, 90);
    // A degenerate range across gives NaN bounds on a log scale: the constraint is skipped.
    fixture.space->setYScaleType(PEScaleTypeLog);
    fixture.space->setYRange(PEPlotRange::plotRangeWithLocation(-1.0, 5.0));
    EXPECT_NO_THROW(fixture.draw(1));
}

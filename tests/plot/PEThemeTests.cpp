#include "PlotRendering.h"

#include "framework/Source/PEFill.h"
#include "framework/Source/PEGradient.h"
#include "framework/Source/PEPlotAreaFrame.h"
#include "framework/Source/PEPlotRange.h"
#include "framework/Source/PETextStyle.h"
#include "framework/Source/PETheme.h"
#include "framework/Source/PEXYAxis.h"
#include "framework/Source/PEXYAxisSet.h"
#include "framework/Source/PEXYGraph.h"
#include "framework/Source/PEXYPlotSpace.h"
#include "platform/foundation/NSNotificationCenter.h"

#include <gtest/gtest.h>

using namespace plottest;

TEST(PETheme, plainWhiteStylesTheFrameAndEveryAxis)
{
    PETheme::registerBuiltInThemes();
    auto graph = PEXYGraph::create(CGRect { { 0, 0 }, { 200, 200 } });
    graph->applyTheme(PETheme::themeNamed("Plain White"));
    EXPECT_TRUE(graph->fill()->color()->isEqual(PEColor::whiteColor()));
    auto frame = graph->plotAreaFrame();
    EXPECT_EQ(frame->borderLineStyle()->lineWidth(), 1.0);
    EXPECT_TRUE(frame->borderLineStyle()->lineColor()->isEqual(PEColor::blackColor()));
    EXPECT_EQ(frame->cornerRadius(), 0);
    auto axes = std::static_pointer_cast<PEXYAxisSet>(graph->axisSet());
    for (const auto& axis : { axes->xAxis(), axes->yAxis() }) {
        EXPECT_EQ(axis->labelingPolicy(), PEAxisLabelingPolicyFixedInterval);
        EXPECT_EQ(PEDecimalAsDouble(axis->majorIntervalLength()), 0.5);
        EXPECT_EQ(axis->tickDirection(), PESignNone);
        EXPECT_EQ(axis->minorTicksPerInterval(), 4u);
        EXPECT_EQ(axis->majorTickLength(), 7);
        EXPECT_EQ(axis->minorTickLength(), 5);
        EXPECT_TRUE(axis->axisLineStyle()->lineColor()->isEqual(PEColor::colorWithGenericGray(0.5)));
        EXPECT_TRUE(axis->minorTickLineStyle()->lineColor()->isEqual(PEColor::blackColor()));
        EXPECT_EQ(axis->labelTextStyle()->fontSize(), 14);
        EXPECT_EQ(axis->titleTextStyle()->fontSize(), 14);
        EXPECT_EQ(axis->majorGridLineStyle(), nullptr);
    }
    EXPECT_EQ(axes->xAxis()->minorTickLabelTextStyle()->fontSize(), 14);
    EXPECT_EQ(axes->yAxis()->minorTickLabelTextStyle()->fontSize(), 12);
}

TEST(PETheme, darkGradientsBackgroundHasFiveStopsAtNinetyDegrees)
{
    PETheme::registerBuiltInThemes();
    auto graph = PETheme::themeNamed("Dark Gradients")->newGraph();
    auto gradient = graph->fill()->gradient();
    ASSERT_TRUE(gradient);
    EXPECT_EQ(gradient->angle(), 90);
    std::vector<double> positions, grays;
    for (const auto& stop : gradient->colorStops()) {
        positions.push_back(stop.position);
        grays.push_back(CGColorGetComponents(stop.color->cgColor())[0]);
    }
    EXPECT_EQ(positions, (std::vector<double> { 0.0, 0.3, 0.5, 0.6, 1.0 }));
    EXPECT_EQ(grays, (std::vector<double> { 0.1, 0.2, 0.3, 0.2, 0.1 }));
    EXPECT_EQ(graph->plotAreaFrame()->cornerRadius(), 10);
    EXPECT_EQ(graph->plotAreaFrame()->borderLineStyle()->lineWidth(), 4);
    Picture picture = renderGraph(graph, 2);
    saveSnapshot(picture, "dark-gradients-theme@2x.png");
    // Angle 90 runs from the bottom up: the darkest grey at the bottom and top, lighter between.
    EXPECT_GT(picture.darkness(4, picture.height - 2), picture.darkness(4, picture.height / 2));
}

TEST(PEGradient, addingAStopLeavesTheReceiverAndAnglesSpanTheBox)
{
    auto gradient = PEGradient::gradientWithBeginningColor(PEColor::blackColor(), PEColor::whiteColor());
    auto more = gradient->addColorStop(PEColor::redColor(), 0.25);
    EXPECT_EQ(gradient->colorStops().size(), 2u);
    EXPECT_EQ(more->colorStops().size(), 3u);
    EXPECT_EQ(more->colorStops()[1].position, 0.25);
    struct Case {
        CGFloat angle;
        CGPoint start, end;
    };
    CGRect box { { 0, 0 }, { 100, 50 } };
    for (Case c : { Case { 0, { 0, 25 }, { 100, 25 } }, { 90, { 50, 0 }, { 50, 50 } }, { -90, { 50, 50 }, { 50, 0 } } }) {
        gradient->setAngle(c.angle);
        CGPoint start, end;
        gradient->endPointsInRect(box, start, end);
        EXPECT_NEAR(start.x, c.start.x, 1e-9) << c.angle;
        EXPECT_NEAR(start.y, c.start.y, 1e-9) << c.angle;
        EXPECT_NEAR(end.x, c.end.x, 1e-9) << c.angle;
        EXPECT_NEAR(end.y, c.end.y, 1e-9) << c.angle;
    }
}

TEST(PEXYPlotSpace, mapsLinearAndLogarithmicRangesBothWays)
{
    auto graph = PEXYGraph::create(CGRect { { 0, 0 }, { 200, 100 } });
    graph->layoutEntireTree();
    auto space = std::static_pointer_cast<PEXYPlotSpace>(graph->defaultPlotSpace());
    space->setXRange(PEPlotRange::plotRangeWithLocation(10.0, -10.0));
    space->setYRange(PEPlotRange::plotRangeWithLocation(1.0, 999.0));
    space->setYScaleType(PEScaleTypeLog);
    double point[2] = { 2.5, 10 };
    CGPoint view = space->plotAreaViewPointForDoublePrecisionPlotPoint(point, 2);
    EXPECT_DOUBLE_EQ(view.x, 150);
    EXPECT_NEAR(view.y, 100.0 / 3, 1e-9);
    NSDecimal decimals[2] = { PEDecimalFromString("2.5"), PEDecimalWithInt(10) };
    CGPoint exact = space->plotAreaViewPointForPlotPoint(decimals, 2);
    EXPECT_DOUBLE_EQ(exact.x, 150);
    double back[2];
    space->doublePrecisionPlotPoint(back, 2, view);
    EXPECT_NEAR(back[0], 2.5, 1e-9);
    EXPECT_NEAR(back[1], 10, 1e-9);

    double notPositive[2] = { 0, -5 };
    EXPECT_TRUE(std::isnan(space->plotAreaViewPointForDoublePrecisionPlotPoint(notPositive, 2).y));
    space->setXRange(PEPlotRange::plotRangeWithLocation(3.0, 0.0));
    EXPECT_EQ(space->plotAreaViewPointForDoublePrecisionPlotPoint(point, 2).x, 0);
    EXPECT_THROW(space->setXRange(nullptr), NSException);
}

TEST(PEXYPlotSpace, postsMappingChangesOnlyForRealChangesAndKeepsInsideGlobalRanges)
{
    auto space = PEXYPlotSpace::create();
    int posts = 0;
    auto token = NSNotificationCenter::defaultCenter()->addObserverForName(PEPlotSpaceCoordinateMappingDidChangeNotification, space, nullptr,
        [&](const std::shared_ptr<NSNotification>&) { ++posts; });
    space->setXRange(PEPlotRange::plotRangeWithLocation(0.0, 4.0));
    space->setXRange(PEPlotRange::plotRangeWithLocation(0.0, 4.0));
    EXPECT_EQ(posts, 1);
    space->setGlobalXRange(PEPlotRange::plotRangeWithLocation(0.0, 10.0));
    space->setXRange(PEPlotRange::plotRangeWithLocation(8.0, 4.0));
    EXPECT_DOUBLE_EQ(space->xRange()->locationDouble(), 6.0);
    EXPECT_DOUBLE_EQ(space->xRange()->lengthDouble(), 4.0);
    NSNotificationCenter::defaultCenter()->removeObserver(token);
}

#include "framework/Source/PEFunctionDataSource.h"
#include "framework/Source/PEMutablePlotRange.h"
#include "framework/Source/PEPlotRange.h"
#include "framework/Source/PEScatterPlot.h"
#include "framework/Source/PEXYPlotSpace.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/NSNotificationCenter.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

double square(double x) { return x * x; }

struct Curve {
    std::shared_ptr<PEXYPlotSpace> space;
    std::shared_ptr<PEScatterPlot> plot;
    std::shared_ptr<PEFunctionDataSource> source;
};

// A plot 320 points wide over x 0...8.
Curve curve()
{
    Curve made;
    made.space = PEXYPlotSpace::create();
    made.space->setXRange(PEPlotRange::plotRangeWithLocation(0.0, 8.0));
    made.space->setYRange(PEPlotRange::plotRangeWithLocation(0.0, 64.0));
    made.plot = PEScatterPlot::create(CGRect { { 0, 0 }, { 320, 200 } });
    made.plot->setPlotSpace(made.space);
    made.source = PEFunctionDataSource::dataSourceForPlot(made.plot, square);
    return made;
}

} // namespace

TEST(FunctionDataSource, samplesOncePerResolutionAcrossTheVisibleRange)
{
    auto made = curve();
    auto& plot = *made.plot;
    EXPECT_EQ(plot.cachedDataCount(), 321u);
    EXPECT_EQ(plot.cachedDoubleForField(PEScatterPlotFieldX, 0), 0);
    EXPECT_DOUBLE_EQ(plot.cachedDoubleForField(PEScatterPlotFieldX, 320), 8);
    EXPECT_DOUBLE_EQ(plot.cachedDoubleForField(PEScatterPlotFieldY, 160), 16);
    made.source->setResolution(2.0);
    EXPECT_EQ(plot.cachedDataCount(), 161u);
    made.source->setResolution(1.0);
    EXPECT_EQ(plot.cachedDataCount(), 321u);
    plot.setBounds(CGRect { { 0, 0 }, { 100, 200 } });
    EXPECT_EQ(plot.cachedDataCount(), 321u);
    plot.setBounds(CGRect { { 0, 0 }, { 400, 200 } });
    EXPECT_EQ(plot.cachedDataCount(), 401u);
    EXPECT_THROW(made.source->setResolution(0), NSException);
    EXPECT_THROW(PEFunctionDataSource::dataSourceForPlot(PEPlot::create(CGRectZero), square), NSException);
    try {
        PEFunctionDataSource::dataSourceForPlot(PEPlot::create(CGRectZero), square);
    } catch (const NSException& exception) {
        EXPECT_EQ(exception.reason(), NSString("Invalid parameter not satisfying: [plot isKindOfClass:[PEScatterPlot class]]"));
    }
}

TEST(FunctionDataSource, aPanAddsOnlyTheUncoveredStripAtTheSameSpacing)
{
    auto made = curve();
    auto& plot = *made.plot;
    const double step = made.source->cachedStep();
    EXPECT_DOUBLE_EQ(step, 8.0 / 320);
    made.space->setXRange(PEPlotRange::plotRangeWithLocation(2.0, 8.0));
    const NSUInteger added = static_cast<NSUInteger>(std::ceil(2.0 / step));
    EXPECT_EQ(plot.cachedDataCount(), 321u + added);
    // The new samples continue the old spacing.
    const NSUInteger last = plot.cachedDataCount() - 1;
    EXPECT_NEAR(plot.cachedDoubleForField(PEScatterPlotFieldX, 321) - plot.cachedDoubleForField(PEScatterPlotFieldX, 320), step, 1e-9);
    EXPECT_NEAR(plot.cachedDoubleForField(PEScatterPlotFieldX, last), 10.0, step);
    EXPECT_NEAR(plot.cachedDoubleForField(PEScatterPlotFieldY, last), square(plot.cachedDoubleForField(PEScatterPlotFieldX, last)), 1e-9);

    made.space->setXRange(PEPlotRange::plotRangeWithLocation(1.0, 8.0));
    EXPECT_EQ(plot.cachedDataCount(), 321u + added);
    made.space->setXRange(PEPlotRange::plotRangeWithLocation(100.0, 8.0));
    EXPECT_EQ(plot.cachedDataCount(), 321u);
    EXPECT_EQ(plot.cachedDoubleForField(PEScatterPlotFieldX, 0), 100);
}

TEST(FunctionDataSource, aDataRangeLimitsTheSamples)
{
    auto made = curve();
    made.source->setDataRange(PEPlotRange::plotRangeWithLocation(2.0, 2.0));
    EXPECT_EQ(made.plot->cachedDoubleForField(PEScatterPlotFieldX, 0), 2);
    EXPECT_DOUBLE_EQ(made.plot->cachedDoubleForField(PEScatterPlotFieldX, made.plot->cachedDataCount() - 1), 4);
}

TEST(FunctionDataSource, eitherSideMayGoFirst)
{
    {
        auto made = curve();
        const NSUInteger before = NSNotificationCenter::defaultCenter()->observationCount();
        made.source = nullptr;
        EXPECT_LT(NSNotificationCenter::defaultCenter()->observationCount(), before);
        made.space->setXRange(PEPlotRange::plotRangeWithLocation(3.0, 8.0));
        EXPECT_FALSE(made.plot->dataSource());
        made.plot->setPlotSpace(PEXYPlotSpace::create());
    }
    {
        auto made = curve();
        made.plot = nullptr;
        made.space->setXRange(PEPlotRange::plotRangeWithLocation(3.0, 8.0));
        EXPECT_FALSE(made.source->dataPlot());
        made.source->plotBoundsChanged();
        made.source->setResolution(3);
    }
}

#include "PlotRendering.h"

#include "framework/Source/PEPlotRange.h"
#include "framework/Source/PEXYPlotSpace.h"
#include "platform/host/HeadlessHost.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UINavigationController.h"
#include "tools/demo/DemoTour.h"
#include "tools/demo/PlotDemo.h"
#include "tools/demo/PlotTypesDemo.h"

#include <gtest/gtest.h>

using namespace plottest;

TEST(PlotTypesDemo, theChartScreenOpensOneGraphPerPlotTypeAndAnimatesItsRange)
{
    auto host = HeadlessHost::create();
    auto application = DemoTour::launch(*host);
    ASSERT_TRUE(application);
    auto navigation = application->navigationController();
    navigation->pushViewController(PlotDemoViewController::create(), false);
    host->runUntilIdle();
    auto chart = std::dynamic_pointer_cast<PlotDemoViewController>(navigation->topViewController());
    ASSERT_TRUE(chart);
    chart->navigationItem()->rightBarButtonItem()->sendAction();
    host->runUntilIdle();
    auto types = std::dynamic_pointer_cast<PlotTypesViewController>(navigation->topViewController());
    ASSERT_TRUE(types);
    ASSERT_EQ(types->buttons().size(), 6u);

    const char* names[] = { "bars", "pie", "scatter", "ranges", "candles" };
    for (int i = 0; i < 5; ++i) {
        auto button = types->buttons()[i];
        const CGRect frame = button->frame();
        host->tap(button->convertPointToView(CGPointMake(CGRectGetMidX(button->bounds()), CGRectGetMidY(button->bounds())), nullptr));
        host->runUntilIdle();
        (void)frame;
        auto graph = types->hostingView()->hostedGraph();
        ASSERT_TRUE(graph);
        EXPECT_FALSE(graph->allPlots().empty()) << names[i];
        EXPECT_TRUE(host->writePNG(NSString(snapshotPath(std::string("demo-plot-types-") + names[i] + ".png"))));
    }

    // The range moves by half its length over half a second of ticks, ending exactly there.
    types->show(PlotTypesViewController::Kind::Candles);
    auto space = std::static_pointer_cast<PEXYPlotSpace>(types->hostingView()->hostedGraph()->defaultPlotSpace());
    const double start = space->xRange()->locationDouble();
    types->animateRange();
    host->advance(0.25);
    const double midway = space->xRange()->locationDouble();
    EXPECT_GT(midway, start);
    EXPECT_LT(midway, start + 4.5);
    host->advance(0.5);
    EXPECT_DOUBLE_EQ(space->xRange()->locationDouble(), start + 4.5);
    EXPECT_TRUE(host->writePNG(NSString(snapshotPath("demo-plot-types-animated.png"))));
}

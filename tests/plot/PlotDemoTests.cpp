#include "PlotRendering.h"

#include "framework/Source/PEPlotRange.h"
#include "framework/Source/PEXYPlotSpace.h"
#include "platform/host/HeadlessHost.h"
#include "platform/uikit/UINavigationController.h"
#include "tools/demo/DemoTour.h"
#include "tools/demo/PlotDemo.h"

#include <gtest/gtest.h>

using namespace plottest;

TEST(PlotDemo, theFormsChartButtonShowsTheGraphAndAPinchZoomsIt)
{
    auto host = HeadlessHost::create();
    auto application = DemoTour::launch(*host);
    ASSERT_TRUE(application);
    host->tap(CGPointMake(160, 64 + 22));
    host->runUntilIdle();
    auto navigation = application->navigationController();
    auto form = std::dynamic_pointer_cast<RowFormViewController>(navigation->topViewController());
    ASSERT_TRUE(form);
    auto item = form->navigationItem()->rightBarButtonItem();
    ASSERT_TRUE(item);
    item->sendAction();
    host->runUntilIdle();
    auto chart = std::dynamic_pointer_cast<PlotDemoViewController>(navigation->topViewController());
    ASSERT_TRUE(chart);
    EXPECT_TRUE(host->writePNG(NSString(snapshotPath("demo-chart-screen.png"))));
    auto graph = chart->hostingView()->hostedGraph();
    ASSERT_TRUE(graph);
    EXPECT_EQ(graph->allPlots().size(), 2u);
    EXPECT_TRUE(graph->legend());

    auto space = std::static_pointer_cast<PEXYPlotSpace>(graph->defaultPlotSpace());
    double before = space->xRange()->lengthDouble();
    host->touchDown(CGPointMake(130, 250), 0);
    host->touchDown(CGPointMake(190, 250), 1);
    for (int step = 1; step <= 10; ++step) {
        host->touchMove(CGPointMake(130.0 - 4 * step, 250), 0);
        host->touchMove(CGPointMake(190.0 + 4 * step, 250), 1);
        host->advance(0.016);
    }
    host->touchUp(CGPointMake(90, 250), 0);
    host->touchUp(CGPointMake(230, 250), 1);
    host->runUntilIdle();
    EXPECT_LT(space->xRange()->lengthDouble(), before);
    EXPECT_TRUE(host->writePNG(NSString(snapshotPath("demo-chart-screen-pinched.png"))));
}

TEST(PlotDemo, theChartScreensGraphFollowsAFingerAndSpringsBackPastItsData)
{
    auto host = HeadlessHost::create();
    host->showRootViewController(PlotDemoViewController::create());
    host->runUntilIdle();
    auto chart = std::dynamic_pointer_cast<PlotDemoViewController>(host->keyWindow()->rootViewController());
    ASSERT_TRUE(chart);
    auto space = std::static_pointer_cast<PEXYPlotSpace>(chart->hostingView()->hostedGraph()->defaultPlotSpace());
    auto start = space->xRange();

    // Dragged far to the right and held: the lines' start leaves the global range.
    CGPoint from = chart->hostingView()->convertPointToView(CGPointMake(120, 150), nullptr);
    host->touchDown(from);
    for (int step = 1; step <= 10; ++step) {
        host->advance(0.05);
        host->touchMove(CGPointMake(from.x + 12 * step, from.y + 4 * step));
    }
    host->advance(0.3);
    EXPECT_LT(space->xRange()->locationDouble(), -1.0);
    EXPECT_TRUE(host->writePNG(NSString(snapshotPath("demo-chart-screen-dragged.png"))));
    host->touchUp(CGPointMake(from.x + 120, from.y + 40));
    host->runUntilIdle();
    EXPECT_NEAR(space->xRange()->locationDouble(), -1.0, 1e-9);
    EXPECT_TRUE(PEDecimalIsEqual(space->xRange()->length(), start->length()));
    EXPECT_TRUE(host->writePNG(NSString(snapshotPath("demo-chart-screen-sprung-back.png"))));
}

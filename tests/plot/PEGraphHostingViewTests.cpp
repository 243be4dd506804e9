#include "PlotRendering.h"

#include "framework/Source/PEPlotRange.h"
#include "framework/Source/PETheme.h"
#include "framework/Source/PEXYGraph.h"
#include "framework/Source/PEXYPlotSpace.h"
#include "framework/iPhoneOnly/PEGraphHostingView.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/host/HeadlessHost.h"
#include "platform/uikit/UIViewController.h"

#include <gtest/gtest.h>

using namespace plottest;

namespace {

class CountingHostingView : public PEGraphHostingView {
    NS_OBJECT(CountingHostingView, PEGraphHostingView)
public:
    int draws { 0 };
    void drawRect(CGRect rect) override
    {
        ++draws;
        PEGraphHostingView::drawRect(rect);
    }
};

class ThrowingPlot : public TestLinePlot {
    NS_OBJECT(ThrowingPlot, TestLinePlot)
public:
    void renderAsVectorInContext(const CGContextRef&) override { throw std::runtime_error("broken plot"); }
};

class HostingViewTest : public testing::Test {
protected:
    void SetUp() override
    {
        host = HeadlessHost::create();
        root = UIViewController::create();
        host->showRootViewController(root);
        view = CountingHostingView::create(CGRect { { 10, 100 }, { 300, 200 } });
        root->view()->addSubview(view);
        graph = PETheme::themeNamed("Plain White")->newGraph();
        space = std::static_pointer_cast<PEXYPlotSpace>(graph->defaultPlotSpace());
        space->setXRange(PEPlotRange::plotRangeWithLocation(0.0, 10.0));
        space->setYRange(PEPlotRange::plotRangeWithLocation(0.0, 10.0));
        view->setHostedGraph(graph);
        host->runUntilIdle();
    }

    std::shared_ptr<HeadlessHost> host;
    std::shared_ptr<UIViewController> root;
    std::shared_ptr<CountingHostingView> view;
    std::shared_ptr<PEGraph> graph;
    std::shared_ptr<PEXYPlotSpace> space;
};

} // namespace

TEST_F(HostingViewTest, sizesTheGraphToTheViewAndGivesItTheScreensScale)
{
    EXPECT_EQ(graph->bounds().size.width, 300);
    EXPECT_EQ(graph->bounds().size.height, 200);
    EXPECT_EQ(graph->contentsScale(), 2);
    EXPECT_GE(view->draws, 1);
    EXPECT_TRUE(host->writePNG(view, NSString(snapshotPath("hosting-view@2x.png"))));
}

TEST_F(HostingViewTest, manyRedrawRequestsMakeOneDrawing)
{
    int before = view->draws;
    for (int i = 0; i < 10; ++i)
        graph->setNeedsDisplay();
    space->setXRange(PEPlotRange::plotRangeWithLocation(0.0, 5.0));
    host->runUntilIdle();
    EXPECT_EQ(view->draws, before + 1);
    host->runUntilIdle();
    EXPECT_EQ(view->draws, before + 1);
}

TEST_F(HostingViewTest, aPlotThatThrowsIsLeftOutAndTheRestDraws)
{
    auto broken = ThrowingPlot::create(CGRectZero);
    graph->addPlot(broken);
    graph->setNeedsDisplay();
    EXPECT_NO_THROW(host->runUntilIdle());
    EXPECT_TRUE(host->writePNG(view, NSString(snapshotPath("hosting-view-broken-plot@2x.png"))));
}

TEST_F(HostingViewTest, touchesReachThePlotsInGraphCoordinates)
{
    auto plot = TestLinePlot::create(CGRectZero);
    plot->takesTouches = true;
    graph->addPlot(plot);
    host->tap(CGPoint { 60, 150 });
    EXPECT_EQ(plot->downEvents, 1);
    // The view point (50, 50) of a 200-point-high view is the graph point (50, 150).
    EXPECT_EQ(view->graphPointForViewPoint(CGPoint { 50, 50 }).y, 150);
    view->setHostedGraph(nullptr);
    host->tap(CGPoint { 60, 150 });
    EXPECT_EQ(plot->downEvents, 1);
}

TEST_F(HostingViewTest, aPinchScalesThePlotSpacesWhenAllowed)
{
    view->setAllowPinchScaling(true);
    host->touchDown(CGPoint { 130, 200 }, 0);
    host->touchDown(CGPoint { 190, 200 }, 1);
    for (int step = 1; step <= 10; ++step) {
        host->touchMove(CGPoint { 130.0 - 3 * step, 200 }, 0);
        host->touchMove(CGPoint { 190.0 + 3 * step, 200 }, 1);
        host->advance(0.016);
    }
    host->touchUp(CGPoint { 100, 200 }, 0);
    host->touchUp(CGPoint { 220, 200 }, 1);
    host->runUntilIdle();
    EXPECT_LT(space->xRange()->lengthDouble(), 10.0);
    EXPECT_GT(space->xRange()->lengthDouble(), 3.0);

    view->setAllowPinchScaling(false);
    double length = space->xRange()->lengthDouble();
    host->touchDown(CGPoint { 130, 200 }, 0);
    host->touchDown(CGPoint { 190, 200 }, 1);
    host->touchMove(CGPoint { 100, 200 }, 0);
    host->touchMove(CGPoint { 220, 200 }, 1);
    host->touchUp(CGPoint { 100, 200 }, 0);
    host->touchUp(CGPoint { 220, 200 }, 1);
    host->runUntilIdle();
    EXPECT_EQ(space->xRange()->lengthDouble(), length);
}

TEST(PEGraphHostingView, aGraphHostedBeforeTheViewIsShownIsDrawnWhenItAppears)
{
    auto host = HeadlessHost::create();
    auto root = UIViewController::create();
    host->showRootViewController(root);
    auto view = CountingHostingView::create(CGRect { { 0, 0 }, { 320, 300 } });
    auto graph = PETheme::themeNamed("Plain White")->newGraph();
    view->setHostedGraph(graph);
    host->runUntilIdle();
    root->view()->addSubview(view);
    host->runUntilIdle();
    EXPECT_GE(view->draws, 1);
    EXPECT_TRUE(host->writePNG(view, NSString(snapshotPath("hosting-view-shown-later@2x.png"))));
}

#include "PlotRendering.h"

#include "framework/Source/PEAnimation.h"
#include "framework/Source/PECodingRegistry.h"
#include "framework/Source/PEPlotArea.h"
#include "framework/Source/PEPlotAreaFrame.h"
#include "framework/Source/PEPlotRange.h"
#include "framework/Source/PETheme.h"
#include "framework/Source/PEXYPlotSpace.h"
#include "framework/iPhoneOnly/PEGraphHostingView.h"
#include "platform/foundation/NSKeyedArchiver.h"
#include "platform/foundation/NSKeyedUnarchiver.h"
#include "platform/host/HeadlessHost.h"
#include "platform/uikit/UIViewController.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace plottest;

namespace {

constexpr double tick = 1.0 / 60.0;

// Keeps the x range where it is, letting y change.
class PinnedXDelegate : public PEPlotSpaceDelegate {
public:
    std::shared_ptr<PEPlotRange> willChangePlotRangeTo(PEPlotSpace& space, const std::shared_ptr<PEPlotRange>& newRange, PECoordinate coordinate) override
    {
        return coordinate == PECoordinateX ? space.plotRangeForCoordinate(PECoordinateX) : newRange;
    }
};

class PlotSpaceDragTest : public testing::Test {
protected:
    void SetUp() override
    {
        host = HeadlessHost::create();
        root = UIViewController::create();
        host->showRootViewController(root);
        view = PEGraphHostingView::create(CGRect { { 10, 100 }, { 300, 240 } });
        root->view()->addSubview(view);
        graph = PETheme::themeNamed("Plain White")->newGraph();
        space = std::static_pointer_cast<PEXYPlotSpace>(graph->defaultPlotSpace());
        space->setXRange(PEPlotRange::plotRangeWithLocation(0.0, 10.0));
        space->setYRange(PEPlotRange::plotRangeWithLocation(0.0, 10.0));
        space->setAllowsUserInteraction(true);
        view->setHostedGraph(graph);
        host->runUntilIdle();
        area = graph->plotAreaFrame()->plotArea();
        // Wide enough for a throw to carry a range past the edge of its global range.
        ASSERT_GT(area->bounds().size.width, 150);
        ASSERT_GT(area->bounds().size.height, 60);
    }

    // The screen point over a point given as a share of the plot area's width and height.
    CGPoint screenPoint(double across, double up) const
    {
        CGRect bounds = area->bounds();
        CGPoint inArea { bounds.origin.x + across * bounds.size.width, bounds.origin.y + up * bounds.size.height };
        CGPoint inGraph = area->convertPointToLayer(inArea, graph);
        CGPoint inView { inGraph.x, view->bounds().size.height - inGraph.y };
        return view->convertPointToView(inView, nullptr);
    }
    double width() const { return area->bounds().size.width; }
    double height() const { return area->bounds().size.height; }

    // A slow drag that rests before lifting, so nothing glides.
    void slowDrag(double fromAcross, double fromUp, double toAcross, double toUp)
    {
        host->touchDown(screenPoint(fromAcross, fromUp));
        for (int step = 1; step <= 10; ++step) {
            host->advance(0.05);
            double t = step / 10.0;
            host->touchMove(screenPoint(fromAcross + (toAcross - fromAcross) * t, fromUp + (toUp - fromUp) * t));
        }
        host->advance(0.3);
        host->touchUp(screenPoint(toAcross, toUp));
    }
    // A quick throw to the right over a fifth of the plot area, lifted while moving.
    void flickRight(double fromAcross = 0.3)
    {
        host->touchDown(screenPoint(fromAcross, 0.5));
        for (int step = 1; step <= 4; ++step) {
            host->advance(tick);
            host->touchMove(screenPoint(fromAcross + 0.05 * step, 0.5));
        }
        host->touchUp(screenPoint(fromAcross + 0.2, 0.5));
    }
    void ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            host->advance(tick);
    }

    std::shared_ptr<HeadlessHost> host;
    std::shared_ptr<UIViewController> root;
    std::shared_ptr<PEGraphHostingView> view;
    std::shared_ptr<PEGraph> graph;
    std::shared_ptr<PEXYPlotSpace> space;
    std::shared_ptr<PEPlotArea> area;
};

} // namespace

TEST_F(PlotSpaceDragTest, aDragMovesTheRangesByTheDraggedDistanceOnlyWhenAllowed)
{
    // A tenth of the width to the right and a fifth of the height up: the data under the
    // finger follows it, so the ranges move the other way.
    slowDrag(0.5, 0.5, 0.6, 0.7);
    host->runUntilIdle();
    EXPECT_NEAR(space->xRange()->locationDouble(), -1.0, 1e-5);
    EXPECT_NEAR(space->yRange()->locationDouble(), -2.0, 1e-5);
    EXPECT_TRUE(PEDecimalIsEqual(space->xRange()->length(), PEDecimalWithInt(10)));
    EXPECT_TRUE(PEDecimalIsEqual(space->yRange()->length(), PEDecimalWithInt(10)));
    EXPECT_FALSE(space->isDragging());
    EXPECT_TRUE(space->animations().empty());

    // A logarithmic coordinate moves by the same share of its decades.
    space->setXScaleType(PEScaleTypeLog);
    space->setXRange(PEPlotRange::plotRangeWithLocation(1.0, 999.0));
    slowDrag(0.5, 0.5, 0.4, 0.5);
    EXPECT_NEAR(std::log10(space->xRange()->locationDouble()), 0.3, 1e-4);
    EXPECT_NEAR(std::log10(space->xRange()->endDouble()), 3.3, 1e-4);

    space->setAllowsUserInteraction(false);
    auto before = space->xRange();
    slowDrag(0.5, 0.5, 0.9, 0.5);
    EXPECT_TRUE(space->xRange()->isEqual(before));
}

TEST_F(PlotSpaceDragTest, withoutMomentumADragStopsAtTheGlobalRangeAndNothingGlides)
{
    space->setGlobalXRange(PEPlotRange::plotRangeWithLocation(-1.0, 14.0));
    flickRight(0.1);
    EXPECT_TRUE(space->animations().empty());
    host->runUntilIdle();
    EXPECT_NEAR(space->xRange()->locationDouble(), -1.0, 1e-9);
}

TEST_F(PlotSpaceDragTest, aThrownRangeGlidesOnSlowingDownAndStops)
{
    space->setAllowsMomentum(true);
    flickRight();
    const double released = space->xRange()->locationDouble();
    EXPECT_NEAR(released, -2.0, 1e-5);
    EXPECT_EQ(space->animations().size(), 1u);

    std::vector<double> steps;
    double previous = released;
    for (int i = 0; i < 90; ++i) {
        ticks(1);
        double now = space->xRange()->locationDouble();
        steps.push_back(previous - now);
        previous = now;
    }
    // The glide goes on the way the finger went and slows to a stop.
    EXPECT_LT(previous, released - 1.0);
    EXPECT_GT(steps[1], 0);
    for (std::size_t i = 2; i < steps.size(); ++i)
        EXPECT_LE(steps[i], steps[i - 1] + 1e-9) << "tick " << i;
    EXPECT_EQ(steps.back(), 0);
    EXPECT_TRUE(space->animations().empty());
    EXPECT_TRUE(PEDecimalIsEqual(space->xRange()->length(), PEDecimalWithInt(10)));
    // The vertical range had no speed and stayed.
    EXPECT_NEAR(space->yRange()->locationDouble(), 0.0, 1e-9);

    // A new touch stops a glide where it is.
    flickRight();
    ticks(6);
    host->touchDown(screenPoint(0.5, 0.5));
    EXPECT_TRUE(space->animations().empty());
    auto held = space->xRange();
    ticks(60);
    host->touchUp(screenPoint(0.5, 0.5));
    host->runUntilIdle();
    EXPECT_TRUE(space->xRange()->isEqual(held));
}

TEST_F(PlotSpaceDragTest, aRangeDraggedBeyondItsGlobalRangeSpringsBackIntoIt)
{
    space->setAllowsMomentum(true);
    auto global = PEPlotRange::plotRangeWithLocation(0.0, 10.0);
    space->setGlobalXRange(global);
    space->setGlobalYRange(global);
    // Momentum lets the drag carry the range outside while the finger is down.
    slowDrag(0.3, 0.5, 0.6, 0.5);
    EXPECT_NEAR(space->xRange()->locationDouble(), -3.0, 1e-5);
    EXPECT_EQ(space->animations().size(), 1u);
    ticks(12);
    const double midway = space->xRange()->locationDouble();
    EXPECT_GT(midway, -3.0);
    EXPECT_LT(midway, 0.0);
    ticks(30);
    EXPECT_TRUE(space->xRange()->isEqual(global));
    EXPECT_TRUE(space->animations().empty());

    // A throw outwards glides at most a tenth of the plot area past the edge before coming back.
    space->setGlobalXRange(PEPlotRange::plotRangeWithLocation(0.0, 20.0));
    space->setXRange(PEPlotRange::plotRangeWithLocation(4.0, 10.0));
    flickRight();
    EXPECT_NEAR(space->xRange()->locationDouble(), 2.0, 1e-5);
    double furthest = 2;
    for (int i = 0; i < 120; ++i) {
        ticks(1);
        furthest = std::min(furthest, space->xRange()->locationDouble());
    }
    EXPECT_NEAR(furthest, -1.0, 1e-3);
    EXPECT_TRUE(space->xRange()->isEqual(global));
    EXPECT_TRUE(space->yRange()->isEqual(global));
    EXPECT_TRUE(space->animations().empty());
}

TEST_F(PlotSpaceDragTest, aDelegatesRefusalHoldsThroughDragAndGlide)
{
    auto pinned = std::make_shared<PinnedXDelegate>();
    space->setDelegate(pinned);
    space->setAllowsMomentum(true);
    slowDrag(0.5, 0.5, 0.8, 0.7);
    EXPECT_NEAR(space->xRange()->locationDouble(), 0.0, 1e-9);
    EXPECT_NEAR(space->yRange()->locationDouble(), -2.0, 1e-5);
    flickRight();
    host->runUntilIdle();
    EXPECT_NEAR(space->xRange()->locationDouble(), 0.0, 1e-9);
}

TEST(PlotSpaceInteraction, isArchivedAndAnUnknownCurveFallsBackToTheEasing)
{
    PECodingRegistry::registerEngineClasses();
    auto space = PEXYPlotSpace::create();
    space->setAllowsUserInteraction(true);
    space->setAllowsMomentumY(true);
    space->setBounceAnimationCurve(PEAnimationCurveBounceOut);
    auto copy = std::dynamic_pointer_cast<PEXYPlotSpace>(NSKeyedUnarchiver::unarchiveObjectWithData(NSKeyedArchiver::archivedDataWithRootObject(space)));
    ASSERT_TRUE(copy);
    EXPECT_TRUE(copy->allowsUserInteraction());
    EXPECT_FALSE(copy->allowsMomentumX());
    EXPECT_TRUE(copy->allowsMomentumY());
    EXPECT_EQ(copy->bounceAnimationCurve(), PEAnimationCurveBounceOut);
    EXPECT_EQ(copy->momentumAnimationCurve(), PEAnimationCurveQuadraticOut);

    space->setMomentumAnimationCurve(static_cast<PEAnimationCurve>(77));
    copy = std::dynamic_pointer_cast<PEXYPlotSpace>(NSKeyedUnarchiver::unarchiveObjectWithData(NSKeyedArchiver::archivedDataWithRootObject(space)));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->momentumAnimationCurve(), PEAnimationCurveQuadraticOut);
}

TEST(PELayerPresentation, aPresentationCopyKeepsTheEnginesFields)
{
    auto layer = PELayer::create(CGRect { { 0, 0 }, { 40, 30 } });
    layer->setPaddingLeft(3);
    layer->setPaddingBottom(5);
    layer->setIdentifier(NSString("图层"));
    layer->setMasksToBorder(true);
    auto copy = std::dynamic_pointer_cast<PELayer>(layer->presentationLayer());
    ASSERT_TRUE(copy);
    EXPECT_NE(copy, layer);
    EXPECT_EQ(copy->paddingLeft(), 3);
    EXPECT_EQ(copy->paddingBottom(), 5);
    EXPECT_TRUE(copy->identifier()->isEqual(NSString("图层")));
    EXPECT_TRUE(copy->masksToBorder());
    EXPECT_EQ(copy->modelLayer(), layer);
}

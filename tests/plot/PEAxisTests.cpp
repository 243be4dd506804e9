#include "PlotRendering.h"

#include "framework/Source/PEAxisLabel.h"
#include "framework/Source/PEAxisLabelGroup.h"
#include "framework/Source/PEAxisTitle.h"
#include "framework/Source/PEPlotArea.h"
#include "framework/Source/PEPlotAreaFrame.h"
#include "framework/Source/PEPlotGroup.h"
#include "framework/Source/PELayerAnnotation.h"
#include "framework/Source/PETextStyle.h"
#include "framework/Source/PEPlotRange.h"
#include "framework/Source/PEXYAxis.h"
#include "framework/Source/PEXYAxisSet.h"
#include "framework/Source/PEXYGraph.h"
#include "framework/Source/PEXYPlotSpace.h"

#include <gtest/gtest.h>
#include <numbers>

using namespace plottest;

namespace {

struct GraphFixture {
    std::shared_ptr<PEXYGraph> graph = PEXYGraph::create(CGRect { { 0, 0 }, { 300, 200 } });
    std::shared_ptr<PEXYPlotSpace> space = std::static_pointer_cast<PEXYPlotSpace>(graph->defaultPlotSpace());
    std::shared_ptr<PEXYAxisSet> axes = std::static_pointer_cast<PEXYAxisSet>(graph->axisSet());
    std::shared_ptr<PEPlotArea> area = graph->plotAreaFrame()->plotArea();

    GraphFixture()
    {
        graph->setPaddingLeft(50);
        graph->setPaddingBottom(40);
        space->setXRange(PEPlotRange::plotRangeWithLocation(0.0, 10.0));
        space->setYRange(PEPlotRange::plotRangeWithLocation(0.0, 100.0));
    }

    void draw() { renderGraph(graph, 1); }

    static std::vector<double> doubles(const std::vector<NSDecimal>& decimals)
    {
        std::vector<double> values;
        for (const auto& decimal : decimals)
            values.push_back(PEDecimalAsDouble(decimal));
        return values;
    }
};

class VetoingDelegate : public PEAxisDelegate {
public:
    bool allow { false };
    int relabels { 0 };
    bool axisShouldRelabel(PEAxis&) override { return allow; }
    void axisDidRelabel(PEAxis&) override { ++relabels; }
};

} // namespace

TEST(PEAxis, automaticAndEqualDivisionPoliciesPickTicksInsideTheRange)
{
    GraphFixture fixture;
    auto x = fixture.axes->xAxis();
    x->setLabelingPolicy(PEAxisLabelingPolicyAutomatic);
    fixture.space->setXRange(PEPlotRange::plotRangeWithLocation(0.0, 13.0));
    fixture.draw();
    // 13 / 4 = 3.25 is nearest to an interval of 2.
    EXPECT_EQ(GraphFixture::doubles(x->majorTickLocations()), (std::vector<double> { 0, 2, 4, 6, 8, 10, 12 }));

    x->setLabelingPolicy(PEAxisLabelingPolicyEqualDivisions);
    x->setPreferredNumberOfMajorTicks(3);
    fixture.draw();
    EXPECT_EQ(GraphFixture::doubles(x->majorTickLocations()), (std::vector<double> { 0, 6.5, 13 }));

    x->setLabelingPolicy(PEAxisLabelingPolicyFixedInterval);
    x->setMajorIntervalLength(PEDecimalWithInt(0));
    EXPECT_NO_THROW(fixture.draw());
    EXPECT_TRUE(x->majorTickLocations().empty());
}

TEST(PEAxis, labelsSitBesideTheirTicksOnTheNegativeSide)
{
    GraphFixture fixture;
    auto x = fixture.axes->xAxis();
    auto y = fixture.axes->yAxis();
    x->setMajorIntervalLength(PEDecimalWithInt(5));
    y->setMajorIntervalLength(PEDecimalWithInt(50));
    fixture.draw();
    ASSERT_EQ(x->axisLabels().size(), 3u);
    ASSERT_EQ(y->axisLabels().size(), 3u);
    auto labelGroup = fixture.area->axisLabelGroup();
    ASSERT_TRUE(labelGroup);
    for (const auto& label : x->axisLabels()) {
        CGRect frame = labelGroup->convertRectToLayer(label->contentLayer()->frame(), fixture.graph);
        // Below the x axis (graph y 40), centred on the tick.
        EXPECT_LT(CGRectGetMaxY(frame), 40);
        double tickX = 50 + PEDecimalAsDouble(label->tickLocation()) * 25;
        EXPECT_NEAR(CGRectGetMidX(frame), tickX, 1);
    }
    for (const auto& label : y->axisLabels()) {
        CGRect frame = labelGroup->convertRectToLayer(label->contentLayer()->frame(), fixture.graph);
        EXPECT_LT(CGRectGetMaxX(frame), 50);
    }
}

TEST(PEAxis, titlesSitAtTheMiddleOfTheRangeAndTurnBesideAVerticalAxis)
{
    GraphFixture fixture;
    fixture.axes->yAxis()->setTitle("人数");
    fixture.axes->xAxis()->setTitle("月份");
    fixture.draw();
    auto titleGroup = fixture.area->axisTitleGroup();
    ASSERT_TRUE(titleGroup);
    auto yTitle = fixture.axes->yAxis()->axisTitle()->contentLayer();
    CGRect yFrame = titleGroup->convertRectToLayer(yTitle->frame(), fixture.graph);
    EXPECT_GT(yFrame.size.height, yFrame.size.width);
    EXPECT_NEAR(CGRectGetMidY(yFrame), 40 + 80, 1);
    EXPECT_LT(CGRectGetMaxX(yFrame), 50);
    auto xTitle = fixture.axes->xAxis()->axisTitle()->contentLayer();
    CGRect xFrame = titleGroup->convertRectToLayer(xTitle->frame(), fixture.graph);
    EXPECT_NEAR(CGRectGetMidX(xFrame), 50 + 125, 1);
    // A later title only replaces the text.
    auto before = fixture.axes->xAxis()->axisTitle();
    fixture.axes->xAxis()->setTitle("季度");
    EXPECT_EQ(fixture.axes->xAxis()->axisTitle(), before);
}

TEST(PEAxis, aDelegateCanVetoRelabellingAndHearsWhenItHappens)
{
    GraphFixture fixture;
    auto delegate = std::make_shared<VetoingDelegate>();
    auto x = fixture.axes->xAxis();
    x->setDelegate(delegate);
    x->setNeedsRelabel();
    x->relabel();
    EXPECT_TRUE(x->needsRelabel());
    EXPECT_EQ(delegate->relabels, 0);
    delegate->allow = true;
    x->relabel();
    EXPECT_FALSE(x->needsRelabel());
    EXPECT_EQ(delegate->relabels, 1);
    x->relabel();
    EXPECT_EQ(delegate->relabels, 1);
}

TEST(PEAxis, customLabelsCountOncePerTickAndLiveInTheLabelGroup)
{
    GraphFixture fixture;
    auto x = fixture.axes->xAxis();
    x->setLabelingPolicy(PEAxisLabelingPolicyNone);
    auto style = PETextStyle::textStyle();
    auto first = PEAxisLabel::labelWithText("起", style);
    first->setTickLocation(PEDecimalWithInt(0));
    auto same = PEAxisLabel::labelWithText("始", style);
    same->setTickLocation(PEDecimalWithInt(0));
    auto last = PEAxisLabel::labelWithText("终", style);
    last->setTickLocation(PEDecimalWithInt(10));
    x->setAxisLabels({ first, same, last });
    EXPECT_EQ(x->axisLabels().size(), 2u);
    ASSERT_TRUE(fixture.area->axisLabelGroup());
    EXPECT_EQ(first->contentLayer()->superlayer(), fixture.area->axisLabelGroup());
    x->setAxisLabels({});
    EXPECT_EQ(first->contentLayer()->superlayer(), nullptr);
}

TEST(PEGraph, keepsItsPlotsInOrderThroughThePlotGroup)
{
    auto graph = PEXYGraph::create(CGRect { { 0, 0 }, { 100, 100 } });
    auto a = TestLinePlot::create(CGRectZero);
    auto b = TestLinePlot::create(CGRectZero);
    auto c = TestLinePlot::create(CGRectZero);
    graph->addPlot(a);
    graph->addPlot(c);
    graph->insertPlot(b, 1);
    graph->addPlot(nullptr);
    EXPECT_EQ(graph->allPlots(), (std::vector<std::shared_ptr<PEPlot>> { a, b, c }));
    EXPECT_EQ(b->plotSpace(), graph->defaultPlotSpace());
    EXPECT_EQ(b->graph(), graph);
    auto group = graph->plotAreaFrame()->plotGroup();
    EXPECT_EQ(group->sublayers()[1], b);
    graph->removePlot(b);
    EXPECT_EQ(b->superlayer(), nullptr);
    EXPECT_EQ(graph->allPlots().size(), 2u);

    a->setDataNeedsReloading();
    graph->reloadDataIfNeeded();
    EXPECT_FALSE(a->dataNeedsReloading());

    // Touches go to the plots, last added first, until one takes them.
    a->takesTouches = true;
    c->takesTouches = true;
    EXPECT_TRUE(graph->pointingDeviceDownEvent(nullptr, CGPoint { 5, 5 }));
    EXPECT_EQ(c->downEvents, 1);
    EXPECT_EQ(a->downEvents, 0);

    graph->setTopDownLayerOrder({ PEPlotAreaLayerTypeAxisLines });
    EXPECT_EQ(graph->plotAreaFrame()->plotArea()->bottomUpLayerOrder().back(), PEPlotAreaLayerTypeAxisLines);
}

TEST(PEGraph, theTitleSitsAboveThePlotAreaFrame)
{
    auto graph = PEXYGraph::create(CGRect { { 0, 0 }, { 200, 150 } });
    graph->setPaddingTop(30);
    graph->setTitle("标题");
    graph->layoutEntireTree();
    auto title = graph->titleAnnotation()->contentLayer();
    CGRect frame = graph->plotAreaFrame()->frame();
    EXPECT_NEAR(title->frame().origin.y, CGRectGetMaxY(frame), 1);
    EXPECT_NEAR(CGRectGetMidX(title->frame()), CGRectGetMidX(frame), 1);
    graph->setTitle("新标题");
    EXPECT_EQ(graph->titleAnnotation()->contentLayer(), title);
    // At the bottom it hangs below the frame.
    graph->setTitlePlotAreaFrameAnchor(PERectAnchorBottom);
    EXPECT_NEAR(CGRectGetMaxY(title->frame()), frame.origin.y, 1);
}

// The plot types: a scatter plot of 100,000 points reloaded from its data source and drawn,
// beside the same points drawn as one path directly; and the candlestick graph's x range moved
// over 60 animation frames in the headless host, beside 60 frames of a plain filled view of the
// hosting view's size.

#include "bench/BenchScreen.h"
#include "bench/PlainFillView.h"
#include "framework/Source/PEAnimation_PEAnimationPeriodAdditions.h"
#include "framework/Source/PEPlotRange.h"
#include "framework/Source/PEScatterPlot.h"
#include "framework/Source/PEXYGraph.h"
#include "framework/Source/PEXYPlotSpace.h"
#include "framework/iPhoneOnly/PEGraphHostingView.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/host/HeadlessHost.h"
#include "tools/demo/PlotTypesDemo.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

constexpr CGSize kSize { 320, 360 };
constexpr NSUInteger kPoints = 100000;

struct Surface {
    Surface()
    {
        UIGraphicsBeginImageContextWithOptions(kSize, true, 2);
        context = UIGraphicsGetCurrentContext();
    }
    ~Surface() { UIGraphicsEndImageContext(); }
    CGContextRef context;
};

double wave(NSUInteger i) { return 50 + 40 * std::sin(static_cast<double>(i) * 0.001); }

class ManyPoints : public PEScatterPlotDataSource {
public:
    NSUInteger numberOfRecordsForPlot(PEPlot&) override { return kPoints; }
    std::optional<std::vector<double>> doublesForPlot(PEPlot&, NSUInteger field, NSRange range) override
    {
        std::vector<double> values(range.length);
        for (NSUInteger i = 0; i < range.length; ++i)
            values[i] = field == PEScatterPlotFieldX ? static_cast<double>(range.location + i) : wave(range.location + i);
        return values;
    }
};

void BM_Scatter100kReloadAndDraw(benchmark::State& state)
{
    Surface surface;
    auto source = std::make_shared<ManyPoints>();
    // In a graph, so the points map onto a real plot area the size of the surface.
    auto graph = PEXYGraph::create(CGRect { CGPointZero, kSize });
    graph->setAxisSet(nullptr);
    auto space = std::static_pointer_cast<PEXYPlotSpace>(graph->defaultPlotSpace());
    space->setXRange(PEPlotRange::plotRangeWithLocation(0.0, static_cast<double>(kPoints)));
    space->setYRange(PEPlotRange::plotRangeWithLocation(0.0, 100.0));
    auto plot = PEScatterPlot::create(CGRect { CGPointZero, kSize });
    graph->addPlot(plot);
    plot->setDataSource(source);
    graph->layoutAndRenderInContext(surface.context);
    for (auto _ : state) {
        plot->reloadData();
        plot->renderAsVectorInContext(surface.context);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_Scatter100kReloadAndDraw)->Unit(benchmark::kMillisecond);

void BM_Scatter100kAsOnePath(benchmark::State& state)
{
    Surface surface;
    for (auto _ : state) {
        CGContextBeginPath(surface.context);
        for (NSUInteger i = 0; i < kPoints; ++i) {
            const CGFloat x = static_cast<CGFloat>(i) * kSize.width / kPoints;
            const CGFloat y = wave(i) * kSize.height / 100;
            if (i == 0)
                CGContextMoveToPoint(surface.context, x, y);
            else
                CGContextAddLineToPoint(surface.context, x, y);
        }
        CGContextSetRGBStrokeColor(surface.context, 0, 0, 0, 1);
        CGContextStrokePath(surface.context);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_Scatter100kAsOnePath)->Unit(benchmark::kMillisecond);

constexpr NSTimeInterval kFrame = 1.0 / 60;

void BM_AnimatedRange60Frames(benchmark::State& state)
{
    BenchScreen screen;
    std::vector<std::shared_ptr<void>> keepAlive;
    auto hosting = PEGraphHostingView::create(CGRect { CGPointZero, kSize });
    hosting->setHostedGraph(PlotTypesViewController::makeGraph(PlotTypesViewController::Kind::Candles, hosting->bounds(), keepAlive));
    screen.root->view()->addSubview(hosting);
    screen.host->advance(kFrame);
    auto space = std::static_pointer_cast<PEXYPlotSpace>(hosting->hostedGraph()->defaultPlotSpace());
    auto left = PEPlotRange::plotRangeWithLocation(0.0, 9.0);
    auto right = PEPlotRange::plotRangeWithLocation(4.0, 9.0);
    bool toRight = true;
    for (auto _ : state) {
        PEAnimation_PEAnimationPeriodAdditions::animate(space, "xRange", toRight ? left : right, toRight ? right : left, 1.0);
        toRight = !toRight;
        for (int frame = 0; frame < 60; ++frame)
            screen.host->advance(kFrame);
    }
    state.SetItemsProcessed(state.iterations() * 60);
}
BENCHMARK(BM_AnimatedRange60Frames)->Unit(benchmark::kMillisecond);

void BM_PlainFill60Frames(benchmark::State& state) { PlainFillView::measureFrames(state, CGRect { CGPointZero, kSize }); }
BENCHMARK(BM_PlainFill60Frames)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

// The demonstration's chart (an XY graph with the "Plain White" theme, axes, grid lines, labels,
// Chinese titles, two lines and a legend) laid out and drawn into a 320 x 360 point surface at
// scale 2, each iteration from a fresh layout request; beside a plain fill of the same surface.

#include "framework/Source/PEGraph.h"
#include "platform/graphics/UIGraphics.h"
#include "tools/demo/PlotDemo.h"

#include <benchmark/benchmark.h>

namespace {

constexpr CGSize kSize { 320, 360 };

struct Surface {
    Surface()
    {
        UIGraphicsBeginImageContextWithOptions(kSize, true, 2);
        context = UIGraphicsGetCurrentContext();
        CGContextTranslateCTM(context, 0, kSize.height);
        CGContextScaleCTM(context, 1, -1);
    }
    ~Surface() { UIGraphicsEndImageContext(); }
    CGContextRef context;
};

void PlainFill(benchmark::State& state)
{
    Surface surface;
    double shade = 0;
    for (auto _ : state) {
        shade = shade > 0.9 ? 0 : shade + 0.01;
        CGContextSetRGBFillColor(surface.context, shade, 0.5, 0.5, 1);
        CGContextFillRect(surface.context, CGRect { CGPointZero, kSize });
        benchmark::ClobberMemory();
    }
}
BENCHMARK(PlainFill);

void DemoGraphLayoutAndDraw(benchmark::State& state)
{
    Surface surface;
    auto graph = PlotDemoViewController::makeGraph(CGRect { CGPointZero, kSize });
    graph->setContentsScale(2);
    for (auto _ : state) {
        graph->setNeedsLayout();
        CGContextSetRGBFillColor(surface.context, 1, 1, 1, 1);
        CGContextFillRect(surface.context, CGRect { CGPointZero, kSize });
        graph->layoutAndRenderInContext(surface.context);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(DemoGraphLayoutAndDraw);

void DemoGraphBuildLayoutAndDraw(benchmark::State& state)
{
    Surface surface;
    for (auto _ : state) {
        auto graph = PlotDemoViewController::makeGraph(CGRect { CGPointZero, kSize });
        graph->setContentsScale(2);
        graph->layoutAndRenderInContext(surface.context);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(DemoGraphBuildLayoutAndDraw);

} // namespace

BENCHMARK_MAIN();

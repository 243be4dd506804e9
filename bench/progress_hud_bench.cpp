// The progress HUD in its determinate mode, its pie advanced and redrawn for 60 frames in the
// headless host, against the same frames with a plain filled view in its place.

#include "bench/BenchScreen.h"
#include "bench/PlainFillView.h"
#include "library/widgets/progresshud/PRProgressHUD.h"
#include "platform/host/HeadlessHost.h"

#include <benchmark/benchmark.h>

namespace {

constexpr NSTimeInterval kFrame = 1.0 / 60;

void BM_DeterminateHUD60Frames(benchmark::State& state)
{
    BenchScreen screen;
    auto hud = PRProgressHUD::showHUDAddedTo(screen.root->view(), false);
    hud->setMode(PRProgressHUDModeDeterminate);
    hud->setLabelText("正在下载");
    screen.host->advance(kFrame);
    for (auto _ : state) {
        for (int frame = 1; frame <= 60; ++frame) {
            hud->setProgress(frame / 60.0f);
            screen.host->advance(kFrame);
        }
    }
    state.SetItemsProcessed(state.iterations() * 60);
}
BENCHMARK(BM_DeterminateHUD60Frames)->Unit(benchmark::kMillisecond);

void BM_PlainFill60Frames(benchmark::State& state) { PlainFillView::measureFrames(state, CGRectMake(108, 232, 104, 104)); }
BENCHMARK(BM_PlainFill60Frames)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

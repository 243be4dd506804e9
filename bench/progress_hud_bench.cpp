// The progress HUD in its determinate mode, its pie advanced and redrawn for 60 frames in the
// headless host, against the same frames with a plain filled view in its place.

#include "library/widgets/progresshud/PRProgressHUD.h"
#include "platform/host/HeadlessHost.h"

#include <benchmark/benchmark.h>

namespace {

struct Screen {
    std::shared_ptr<HeadlessHost> host { HeadlessHost::create() };
    std::shared_ptr<UIViewController> root { UIViewController::create() };
    Screen()
    {
        host->showRootViewController(root);
        root->view()->setBackgroundColor(UIColor::whiteColor());
        host->runUntilIdle();
    }
};

constexpr NSTimeInterval kFrame = 1.0 / 60;

void BM_DeterminateHUD60Frames(benchmark::State& state)
{
    Screen screen;
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

// The reference: a box of the HUD's size whose colour changes each frame, so that each frame
// redraws as much of the screen with a plain fill.
void BM_PlainFill60Frames(benchmark::State& state)
{
    Screen screen;
    auto box = UIView::create(CGRectMake(108, 232, 104, 104));
    screen.root->view()->addSubview(box);
    screen.host->advance(kFrame);
    for (auto _ : state) {
        for (int frame = 1; frame <= 60; ++frame) {
            box->setBackgroundColor(UIColor::colorWithWhite(frame / 60.0, 0.8));
            screen.host->advance(kFrame);
        }
    }
    state.SetItemsProcessed(state.iterations() * 60);
}
BENCHMARK(BM_PlainFill60Frames)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

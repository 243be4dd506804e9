// Hit testing a tap through a screen of 200 views: 20 rows of 10 cells, every other row turned
// by a transform, over the whole window.

#include "platform/host/HeadlessHost.h"
#include "platform/uikit/UITapGestureRecognizer.h"

#include <benchmark/benchmark.h>

namespace {

struct Screen {
    std::shared_ptr<HeadlessHost> host;
    std::shared_ptr<UIViewController> root;
    std::vector<CGPoint> points;
    int taps { 0 };

    Screen()
    {
        host = HeadlessHost::create();
        root = UIViewController::create();
        host->showRootViewController(root);
        for (int row = 0; row < 20; ++row) {
            auto line = UIView::create(CGRectMake(0, 20 + row * 27, 320, 27));
            if (row % 2)
                line->setTransform(CGAffineTransformMakeScale(0.98, 1));
            for (int column = 0; column < 9; ++column)
                line->addSubview(UIView::create(CGRectMake(column * 35, 1, 34, 25)));
            root->view()->addSubview(line);
        }
        for (int i = 0; i < 64; ++i)
            points.push_back(CGPointMake(5 + (i * 37) % 310, 22 + (i * 53) % 540));
    }
};

void BM_HitTestThrough200Views(benchmark::State& state)
{
    Screen screen;
    auto window = screen.host->keyWindow();
    std::size_t i = 0;
    for (auto _ : state) {
        auto hit = window->hitTest(screen.points[i++ % screen.points.size()], nullptr);
        benchmark::DoNotOptimize(hit);
    }
}
BENCHMARK(BM_HitTestThrough200Views);

// A whole tap: touch-down and lift-off through the gesture environment to a tap recogniser and
// the view.
void BM_TapThrough200Views(benchmark::State& state)
{
    Screen screen;
    auto tap = UITapGestureRecognizer::create([&screen](UIGestureRecognizer&) { ++screen.taps; });
    screen.root->view()->addGestureRecognizer(tap);
    auto application = UIApplication::sharedApplication();
    std::size_t i = 0;
    NSTimeInterval time = HeadlessHost::now();
    for (auto _ : state) {
        const CGPoint point = screen.points[i++ % screen.points.size()];
        application->sendTouch(0, UITouchPhase::Began, point, time);
        time += 0.05;
        application->sendTouch(0, UITouchPhase::Ended, point, time);
        time += 1;
    }
    if (screen.taps != static_cast<int>(state.iterations()))
        state.SkipWithError("a tap was lost");
}
BENCHMARK(BM_TapThrough200Views);

} // namespace

BENCHMARK_MAIN();

// The carousel of 50 pictures flicked in the headless host: each iteration is one frame (the
// finger's move, the layers gliding in perspective with their mirror images, the leaving picture
// fading, the compositing of the whole screen), over runs of 60 frames that each begin with a
// flick; beside a plain Cairo fill of the same screen.

#include "bench/PlainCairoFill.h"
#include "library/widgets/coverflow/CoverFlowView.h"
#include "platform/foundation/SystemClock.h"
#include "platform/host/HeadlessHost.h"
#include "platform/uikit/UIApplication.h"

#include <benchmark/benchmark.h>

namespace {

const char* const kPictures[] = { "cover_stop", "cover_speed", "cover_light", "cover_car", "cover_crossing", "cover_round",
    "cover_parking", "cover_noentry" };

BENCHMARK(PlainCairoFill);

void CoverFlowFlickFrame(benchmark::State& state)
{
    SystemClock::useManualClock();
    auto host = HeadlessHost::create();
    auto controller = UIViewController::create();
    host->showRootViewController(controller);
    std::vector<UIImageRef> images;
    std::vector<NSString> titles;
    for (int i = 0; i < 50; ++i) {
        images.push_back(UIImage::imageNamed(NSString("coverflow/") + kPictures[i % 8] + ".png"));
        titles.push_back(NSString::stringWithFormat("第 %d 张", i + 1));
    }
    auto flow = CoverFlowView::coverFlowViewWithFrame(CGRectMake(0, 100, 320, 300), images, titles, 2, 0.5, 0.8);
    flow->setBackgroundColor(UIColor::blackColor());
    controller->view()->addSubview(flow);
    host->runUntilIdle();
    auto application = UIApplication::sharedApplication();
    const auto& screen = host->screen();

    bool towardsEnd = true;
    int frame = 0;
    CGFloat x = 0;
    for (auto _ : state) {
        const int inRun = frame++ % 60;
        SystemClock::advance(1.0 / 60);
        // A flick over the first ten frames of each run: about 80 points, one step of the row.
        if (inRun == 0) {
            if (flow->currentRenderingImageIndex() == 49)
                towardsEnd = false;
            else if (flow->currentRenderingImageIndex() == 0)
                towardsEnd = true;
            x = towardsEnd ? 260 : 60;
            application->sendTouch(0, UITouchPhase::Began, CGPointMake(x, 250), HeadlessHost::now());
        } else if (inRun <= 10) {
            x += towardsEnd ? -8 : 8;
            application->sendTouch(0, UITouchPhase::Moved, CGPointMake(x, 250), HeadlessHost::now());
        } else if (inRun == 11) {
            application->sendTouch(0, UITouchPhase::Ended, CGPointMake(x, 250), HeadlessHost::now());
        }
        host->drainRunLoop();
        screen->renderFrameIfNeeded();
    }
    state.counters["index"] = flow->currentRenderingImageIndex();
    SystemClock::useRealClock();
}
BENCHMARK(CoverFlowFlickFrame);

} // namespace

BENCHMARK_MAIN();

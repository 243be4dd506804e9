// One frame of a 10,000-row table scrolled 10 points by the finger, from the touch to the
// pixels: the touch move through the pan, the table's layout and cell reuse, the drawing of the
// label of a row that comes into view, and the compositing of the frame; beside a plain Cairo
// fill of the same screen. The goal is a frame within two fills' time: rows that stay in view are
// neither laid out nor drawn again, and the last frame's pixels are shifted, so only the exposed
// strip, the row coming in and the scroll indicator are composited. `shifted_share` is the part
// of the measured frames that took that road.

#include "bench/PlainCairoFill.h"
#include "platform/host/ScreenDriver.h"
#include "platform/layers/LayerCompositor.h"
#include "platform/foundation/SystemClock.h"
#include "platform/host/HeadlessHost.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UITableView.h"

#include <benchmark/benchmark.h>

namespace {

class Questions : public UITableViewDataSource {
public:
    NSInteger numberOfRowsInSection(UITableView&, NSInteger) override { return 10000; }
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath) override
    {
        auto cell = table.dequeueReusableCellWithIdentifier("question");
        if (!cell) {
            cell = UITableViewCell::create(UITableViewCellStyle::Default, "question");
            cell->setAccessoryType(UITableViewCellAccessoryType::DisclosureIndicator);
        }
        cell->textLabel()->setText(NSString::stringWithFormat("第 %ld 题：机动车驾驶人违法驾驶", long(indexPath->row() + 1)));
        return cell;
    }
};

BENCHMARK(PlainCairoFill);

void TableScrollFrame(benchmark::State& state)
{
    SystemClock::useManualClock();
    auto host = HeadlessHost::create();
    auto source = std::make_shared<Questions>();
    auto controller = UIViewController::create();
    auto table = UITableView::create(controller->view()->bounds(), UITableViewStyle::Plain);
    table->setDataSource(source);
    controller->view()->addSubview(table);
    host->showRootViewController(controller);
    host->runUntilIdle();
    auto application = UIApplication::sharedApplication();
    const auto& screen = host->screen();
    constexpr CGFloat kTop = 60;
    constexpr CGFloat kBottom = 540;
    CGFloat y = kBottom;
    // A finger down and past the pan's threshold, so each move of the loop scrolls.
    const auto putFingerDown = [&] {
        y = kBottom;
        host->touchDown(CGPointMake(160, y));
        y -= 20;
        SystemClock::advance(1.0 / 60);
        host->touchMove(CGPointMake(160, y));
        screen->renderFrameIfNeeded();
    };
    putFingerDown();
    const auto& compositor = screen->compositor();
    NSUInteger frames = 0;
    NSUInteger shifted = 0;
    for (auto _ : state) {
        if (y - 10 < kTop) {
            state.PauseTiming();
            // Held still before the lift, so the table does not decelerate.
            SystemClock::advance(0.5);
            host->touchUp(CGPointMake(160, y));
            if (table->contentOffset().y > 400000)
                table->setContentOffset(CGPointZero);
            host->runUntilIdle();
            putFingerDown();
            state.ResumeTiming();
        }
        y -= 10;
        SystemClock::advance(1.0 / 60);
        application->sendTouch(0, UITouchPhase::Moved, CGPointMake(160, y), HeadlessHost::now());
        const NSUInteger framesBefore = compositor->frameCount();
        const NSUInteger shiftedBefore = compositor->shiftedFrameCount();
        screen->renderFrameIfNeeded();
        frames += compositor->frameCount() - framesBefore;
        shifted += compositor->shiftedFrameCount() - shiftedBefore;
    }
    state.counters["shifted_share"] = frames ? double(shifted) / double(frames) : 0;
    host->touchUp(CGPointMake(160, y));
    SystemClock::useRealClock();
}
BENCHMARK(TableScrollFrame);

} // namespace

BENCHMARK_MAIN();

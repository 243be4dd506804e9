// The course list's 100-row page from the service's reply to the drawn table (decoding, the rows
// made mutable with their progress, the table's cells laid out and the frame composited), beside
// decoding the same reply alone. And the course player in the headless host: the main thread's CPU
// time per second of a film played on the clock (decoding runs on the player's own threads).
#include "app/training/VideoStudentViewController.h"
#include "library/json/JSONCodecDeserializing.h"
#include "library/widgets/player/VPMoviePlayerController.h"
#include "library/widgets/player/VPMoviePlayerControls.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/SystemClock.h"
#include "platform/host/HeadlessHost.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <string>
#include <thread>

namespace {

std::string pageReply()
{
    std::string data;
    for (int row = 1; row <= 100; ++row) {
        data += std::string(data.empty() ? "" : ",") + R"({"videoid":"V2)" + std::to_string(1000 + row) + R"(","teachid":"T201","name":"科目二 第)"
            + std::to_string(row) + R"(课 机动车驾驶操作要领","url":"http://127.0.0.1:3600/Tessalane/video/course-signs.ogv","learnedTime":)"
            + std::to_string(row * 7 % 40) + R"(,"videoTime":30})";
    }
    return R"({"code":"0","message":"成功","data":[)" + data + "]}";
}

void VideoPageDecodeOnly(benchmark::State& state)
{
    const NSString reply(pageReply());
    for (auto _ : state)
        benchmark::DoNotOptimize(JSONCodecDeserializing::objectFromJSONString(reply));
}
BENCHMARK(VideoPageDecodeOnly)->Unit(benchmark::kMicrosecond);

void VideoPageReplyToDrawnTable(benchmark::State& state)
{
    SystemClock::useManualClock();
    auto host = HeadlessHost::create();
    const NSString reply(pageReply());
    for (auto _ : state) {
        state.PauseTiming();
        auto screen = VideoStudentViewController::create();
        host->showRootViewController(screen);
        host->screen()->renderFrameIfNeeded();
        state.ResumeTiming();
        // The screen's first request is generation 1.
        screen->videoListReply(JSONCodecDeserializing::objectFromJSONString(reply), 1, 1);
        screen->mTableView()->layoutIfNeeded();
        host->screen()->renderFrameIfNeeded();
        benchmark::DoNotOptimize(screen->itemArray()->count());
    }
}
BENCHMARK(VideoPageReplyToDrawnTable)->Unit(benchmark::kMicrosecond);

double threadSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// One second of the film per iteration, in frames of a 60th of a second.
void PlayerMainThreadPerSecond(benchmark::State& state)
{
    setenv("CORVANE_AUDIO_SINK", "fake", 1);
    SystemClock::useManualClock();
    auto host = HeadlessHost::create();
    auto root = UIViewController::create();
    host->showRootViewController(root);
    auto player = VPMoviePlayerController::create(CGRectMake(0, 79, 320, 246));
    player->setControls(VPMoviePlayerControls::create(player, VPMoviePlayerControlsStyleDefault));
    root->view()->addSubview(player->view());
    player->setContentURL(NSURL::fileURLWithPath(NSString(CORVANE_COURSE_FILM)));
    player->prepareToPlay();
    for (int i = 0; i < 200 && !player->isPreparedToPlay(); ++i) {
        NSRunLoop::mainRunLoop()->runUntilDate(NSDate::dateWithTimeIntervalSinceNow(0.01));
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    player->play();
    double cpu = 0;
    for (auto _ : state) {
        if (player->currentPlaybackTime() > 25) {
            state.PauseTiming();
            player->setCurrentPlaybackTime(0);
            player->play();
            state.ResumeTiming();
        }
        const double start = threadSeconds();
        for (int frame = 0; frame < 60; ++frame) {
            host->advance(1.0 / 60);
            host->screen()->renderFrameIfNeeded();
        }
        cpu += threadSeconds() - start;
    }
    state.counters["main_thread_cpu_per_second"] = benchmark::Counter(cpu / static_cast<double>(state.iterations()));
    player->stop();
}
BENCHMARK(PlayerMainThreadPerSecond)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

BENCHMARK_MAIN();

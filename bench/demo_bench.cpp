// The demonstration's start-up: a fresh process until its first drawn frame, headless, and its
// resident memory then. Each iteration runs `corvane-demo --first-frame` and reads what it prints.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>

namespace {

struct Startup {
    double firstFrameMilliseconds { -1 };
    long residentKilobytes { -1 };
};

Startup runDemo()
{
    Startup result;
    FILE* output = popen(CORVANE_DEMO_PATH " --first-frame", "r");
    if (!output)
        return result;
    char line[256];
    while (std::fgets(line, sizeof line, output)) {
        std::string text(line);
        if (text.rfind("first-frame-ms ", 0) == 0)
            result.firstFrameMilliseconds = std::strtod(line + 15, nullptr);
        else if (text.rfind("resident-kb ", 0) == 0)
            result.residentKilobytes = std::strtol(line + 12, nullptr, 10);
    }
    if (pclose(output) != 0)
        result.firstFrameMilliseconds = -1;
    return result;
}

void BM_DemoStartupToFirstFrame(benchmark::State& state)
{
    double frame = 0;
    double resident = 0;
    for (auto _ : state) {
        const Startup startup = runDemo();
        if (startup.firstFrameMilliseconds < 0) {
            state.SkipWithError("the demonstration drew no frame");
            return;
        }
        frame += startup.firstFrameMilliseconds;
        resident = std::max(resident, static_cast<double>(startup.residentKilobytes));
    }
    state.counters["first_frame_ms"] = frame / static_cast<double>(state.iterations());
    state.counters["resident_MB"] = resident / 1024;
}
BENCHMARK(BM_DemoStartupToFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

BENCHMARK_MAIN();

// The client: a fresh process until its login screen is drawn (headless), and, in this process,
// a login tap until the learner home screen is drawn against the stand-in on loopback, with the
// resident memory once the home screen shows.

#include "app/AppDelegate.h"
#include "app/screens/login/ViewController.h"
#include "app/services/ServiceRoad.h"
#include "app/stores/UserManager.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/host/HeadlessHost.h"
#include "tools/service-standin/ServiceStandIn.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#include <fstream>
#include <string>
#include <thread>

namespace {

long residentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

void BM_ColdStartToDrawnLoginScreen(benchmark::State& state)
{
    double total = 0;
    double resident = 0;
    for (auto _ : state) {
        FILE* output = popen(CORVANE_CLIENT_PATH " --first-frame", "r");
        double frame = -1;
        char line[256];
        while (output && std::fgets(line, sizeof line, output)) {
            const std::string text(line);
            if (text.rfind("first-frame-ms ", 0) == 0)
                frame = std::strtod(line + 15, nullptr);
            else if (text.rfind("resident-kb ", 0) == 0)
                resident = std::max(resident, std::strtod(line + 12, nullptr));
        }
        if (!output || pclose(output) != 0 || frame < 0) {
            state.SkipWithError("the client drew no login screen");
            return;
        }
        total += frame;
    }
    state.counters["first_frame_ms"] = total / static_cast<double>(state.iterations());
    state.counters["resident_MB"] = resident / 1024;
}
BENCHMARK(BM_ColdStartToDrawnLoginScreen)->Unit(benchmark::kMillisecond)->Iterations(10);

bool pump(HeadlessHost& host, const std::function<bool()>& done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        host.drainRunLoop();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

void BM_LoginTapToDrawnHomeScreen(benchmark::State& state)
{
    standin::ServiceStandIn standIn(standin::Options { .keepAlive = false });
    if (!standIn.start()) {
        state.SkipWithError("the stand-in did not start");
        return;
    }
    ::setenv("CORVANE_MAIN_BASE_URL", standIn.mainBaseURL().c_str(), 1);
    // The last login, as a returning learner has it: the screen comes up filled in.
    UserManager::shareInstance()->deleteLoginInfo();
    UserManager::shareInstance()->cacheLoginInfo("510100", "0", "510104199203154321", "123456");
    auto defaults = NSUserDefaults::standardUserDefaults();
    defaults->setObject(NSString("成都市"), "DEPNAME");
    defaults->setObject(NSString("510000"), "PROVINCE");
    auto host = HeadlessHost::create();
    auto application = AppDelegate::create();
    host->launch(application);
    host->runUntilIdle();
    auto navigation = application->navigationController();
    auto login = std::dynamic_pointer_cast<ViewController>(navigation->topViewController());
    double resident = 0;
    for (auto _ : state) {
        host->tap(login->loginBtn());
        if (!pump(*host, [&] { return navigation->viewControllers().size() == 2; })) {
            state.SkipWithError("no home screen");
            break;
        }
        // Drawn: the push has moved the home screen fully in.
        host->advance(0.5);
        state.PauseTiming();
        resident = std::max(resident, double(residentKilobytes()));
        navigation->popToRootViewControllerAnimated(false);
        host->runUntilIdle();
        state.ResumeTiming();
    }
    state.counters["bench_process_resident_MB"] = resident / 1024;
    application.reset();
    host.reset();

    // The client alone: a process of its own logged in through its login screen, with a home
    // folder of its own so that the user's stored login stays as it is.
    const auto home = std::filesystem::temp_directory_path() / ("corvane-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(home);
    const std::string command = "HOME=" + home.string() + " CORVANE_MAIN_BASE_URL=" + standIn.mainBaseURL() + " "
        CORVANE_CLIENT_PATH " --home-memory 510104199203154321 123456";
    FILE* output = popen(command.c_str(), "r");
    char line[256];
    while (output && std::fgets(line, sizeof line, output)) {
        if (std::string(line).rfind("home-resident-kb ", 0) == 0)
            state.counters["client_resident_at_home_MB"] = std::strtod(line + 17, nullptr) / 1024;
    }
    if (output)
        pclose(output);
    std::filesystem::remove_all(home);
}
BENCHMARK(BM_LoginTapToDrawnHomeScreen)->Unit(benchmark::kMillisecond)->Iterations(20)->UseRealTime();

} // namespace

BENCHMARK_MAIN();

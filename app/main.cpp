// The client: opens the window on the login screen.
//
//     corvane                       in a window (headless when there is no display)
//     corvane --open-url URL        then hands URL to the application as if another program opened it
//     corvane --first-frame         headless: prints the time to the first drawn login screen and
//                                   the resident memory then, and quits (for the benchmark)
//     corvane --home-memory ACCOUNT PASSWORD
//                                   headless: logs in as a learner of 成都市 through the login
//                                   screen, prints the resident memory once the home screen has
//                                   rested, quits

#include "app/AppDelegate.h"
#include "app/screens/login/ViewController.h"
#include "app/stores/UserManager.h"
#include "platform/allocator/ProcessAllocator.h"
#include "platform/dispatch/dispatch.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/host/HeadlessHost.h"
#include "platform/host/UIApplicationMain.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Freed pages go back to the system at once only when the first screen is up: drawing it frees and
// takes again the same pages many times (decoded pictures, layer bitmaps), and giving each back at
// once cost a system call and a fresh page fault when it was taken again, a sixth of the start.
constexpr int64_t kResidentMemoryAfterStart = 2 * int64_t(NSEC_PER_SEC);

void preferResidentMemory()
{
#if CORVANE_PROCESS_ALLOCATOR
    corvane::processAllocatorPreferResidentMemory();
#endif
}

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

int firstFrame(std::chrono::steady_clock::time_point start)
{
    auto host = HeadlessHost::create();
    if (!host->launch(AppDelegate::create()))
        return 1;
    host->drainRunLoop();
    host->screen()->renderFrameIfNeeded();
    const auto elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (host->screen()->compositor()->frameCount() == 0) {
        std::fprintf(stderr, "no frame was drawn\n");
        return 1;
    }
    std::printf("first-frame-ms %.1f\nresident-kb %ld\n", elapsed, residentKilobytes());
    return 0;
}

int homeMemory(const char* account, const char* password)
{
    UserManager::shareInstance()->cacheLoginInfo("510100", "0", account, password);
    auto defaults = NSUserDefaults::standardUserDefaults();
    defaults->setObject(NSString("成都市"), "DEPNAME");
    defaults->setObject(NSString("510000"), "PROVINCE");
    auto host = HeadlessHost::create();
    auto application = AppDelegate::create();
    if (!host->launch(application))
        return 1;
    host->runUntilIdle();
    preferResidentMemory();
    auto navigation = application->navigationController();
    auto login = std::dynamic_pointer_cast<ViewController>(navigation->topViewController());
    host->tap(login->loginBtn());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (navigation->viewControllers().size() < 2) {
        if (std::chrono::steady_clock::now() >= deadline) {
            std::fprintf(stderr, "no home screen\n");
            return 1;
        }
        host->drainRunLoop();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    host->runUntilIdle();
    // As a learner looking at it: the screen rests, and what it keeps only for frames goes.
    host->advance(ScreenDriver::fontPagesRest + ScreenDriver::frameInterval);
    std::printf("home-resident-kb %ld\n", residentKilobytes());
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    const auto start = std::chrono::steady_clock::now();
    if (argc >= 2 && std::strcmp(argv[1], "--first-frame") == 0)
        return firstFrame(start);
    if (argc >= 4 && std::strcmp(argv[1], "--home-memory") == 0)
        return homeMemory(argv[2], argv[3]);
    std::string openURL;
    std::vector<char*> arguments;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--open-url") == 0 && i + 1 < argc) {
            openURL = argv[++i];
            continue;
        }
        arguments.push_back(argv[i]);
    }
    arguments.push_back(nullptr);
    dispatch_after(dispatch_time(DISPATCH_TIME_NOW, kResidentMemoryAfterStart), dispatch_get_main_queue(), preferResidentMemory);
    return UIApplicationMain(int(arguments.size() - 1), arguments.data(), [openURL] {
        auto delegate = AppDelegate::create();
        if (!openURL.empty())
            delegate->setURLToOpenAfterLaunch(NSString::stringWithUTF8String(openURL.c_str()));
        return std::static_pointer_cast<UIApplicationDelegate>(delegate);
    });
}

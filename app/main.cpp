// The client: opens the window on the login screen.
//
//     corvane                       in a window (headless when there is no display)
//     corvane --open-url URL        then hands URL to the application as if another program opened it
//     corvane --first-frame         headless: prints the time to the first drawn login screen and
//                                   the resident memory then, and quits (for the benchmark)

#include "app/screens/AppDelegate.h"
#include "platform/host/HeadlessHost.h"
#include "platform/host/UIApplicationMain.h"

#include <chrono>
#include <cstdio>
#include <fstream>

#include <cstring>
#include <string>
#include <vector>

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

} // namespace

int main(int argc, char* argv[])
{
    const auto start = std::chrono::steady_clock::now();
    if (argc >= 2 && std::strcmp(argv[1], "--first-frame") == 0)
        return firstFrame(start);
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
    return UIApplicationMain(int(arguments.size() - 1), arguments.data(), [openURL] {
        auto delegate = AppDelegate::create();
        if (!openURL.empty())
            delegate->setURLToOpenAfterLaunch(NSString::stringWithUTF8String(openURL.c_str()));
        return std::static_pointer_cast<UIApplicationDelegate>(delegate);
    });
}

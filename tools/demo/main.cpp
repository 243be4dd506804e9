// The demonstration of the platform layer: a navigation controller over ten thousand rows, a
// form for a row, a notice presented over it, and a showcase of an alert, a date picker, a page
// and a movie.
//
//     corvane-demo                      in a window (headless when there is no display)
//     corvane-demo --headless DIR       visits every screen and writes DIR/NN-screen.png
//     corvane-demo --first-frame        headless: prints the time to the first drawn frame
//                                       and the resident memory then, and quits

#include "platform/foundation/NSLog.h"
#include "platform/host/UIApplicationMain.h"
#include "tools/demo/DemoTour.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

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
    auto application = DemoTour::launch(*host);
    const auto elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (!application || host->screen()->compositor()->frameCount() == 0) {
        std::fprintf(stderr, "no frame was drawn\n");
        return 1;
    }
    std::printf("first-frame-ms %.1f\nresident-kb %ld\n", elapsed, residentKilobytes());
    return 0;
}

int tour(const std::string& folder)
{
    auto host = HeadlessHost::create();
    auto application = DemoTour::launch(*host);
    if (!application)
        return 1;
    int number = 0;
    bool written = true;
    std::string failed;
    const bool visited = DemoTour::visitEveryScreen(*host, *application, [&](const std::string& name) {
        char file[64];
        std::snprintf(file, sizeof file, "/%02d-%s.png", ++number, name.c_str());
        const std::string path = folder + file;
        if (!host->writePNG(NSString(path))) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            written = false;
        } else {
            std::printf("%s\n", path.c_str());
        }
    }, &failed);
    if (!visited)
        std::fprintf(stderr, "the tour stopped: %s\n", failed.c_str());
    return visited && written ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[])
{
    const auto start = std::chrono::steady_clock::now();
    if (argc >= 2 && std::strcmp(argv[1], "--first-frame") == 0)
        return firstFrame(start);
    if (argc >= 2 && std::strcmp(argv[1], "--headless") == 0)
        return tour(argc >= 3 ? argv[2] : ".");
    return UIApplicationMain(argc, argv, [] { return std::static_pointer_cast<UIApplicationDelegate>(DemoAppDelegate::create()); });
}

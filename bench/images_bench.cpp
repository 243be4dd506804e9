// 200 distinct 640x640 JPEG thumbnails loaded through the image manager into image views against
// a loopback server: cold (download, decode, cache store) and warm (memory). The main thread's
// busy time is its CPU time over the run; decoding happens on the download threads.
#include "library/network/images/RIImageViewCategories.h"
#include "tests/imageio/ImageFixtures.h"
#include "tests/net/LoopbackServer.h"
#include "tests/support/Waiting.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>

namespace {

constexpr int thumbnails = 200;

loopback::Server& server()
{
    static loopback::Server* shared = [] {
        auto* made = new loopback::Server(nullptr, true);
        static const auto jpeg = ImageFixtures::jpeg(640, 640);
        made->routes().Get(R"(/thumb/(.*))", [](const httplib::Request&, httplib::Response& response) {
            response.set_content(std::string(jpeg.begin(), jpeg.end()), "image/jpeg");
        });
        made->start();
        return made;
    }();
    return *shared;
}

double threadSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

std::vector<std::shared_ptr<NSURL>> urlsOfRun(int run)
{
    std::vector<std::shared_ptr<NSURL>> urls;
    for (int i = 0; i < thumbnails; ++i)
        urls.push_back(NSURL::URLWithString(server().URL("/thumb/" + std::to_string(run) + "-" + std::to_string(i) + ".jpg")));
    return urls;
}

// Loads every URL into its own view; true once every view shows its image.
bool loadAll(const std::vector<std::shared_ptr<NSURL>>& urls, std::vector<std::shared_ptr<UIImageView>>& views)
{
    int shown = 0;
    for (std::size_t i = 0; i < urls.size(); ++i) {
        UIImageView_RemoteImage::ri_setImageWithURL(views[i], urls[i], nullptr, 0, nullptr,
            [&shown](const UIImageRef& image, const std::shared_ptr<NSError>&, RIImageCacheType, const std::shared_ptr<NSURL>&) {
                if (image)
                    ++shown;
            });
    }
    return testing_support::runLoopUntil([&] { return shown == int(urls.size()); }, 60);
}

std::vector<std::shared_ptr<UIImageView>> makeViews()
{
    std::vector<std::shared_ptr<UIImageView>> views;
    for (int i = 0; i < thumbnails; ++i)
        views.push_back(UIImageView::create(CGRect { { 0, 0 }, { 80, 80 } }));
    return views;
}

void BM_ColdThumbnails(benchmark::State& state)
{
    auto views = makeViews();
    auto cache = RIImageManager::sharedManager()->imageCache();
    int run = 0;
    double mainBusy = 0;
    for (auto _ : state) {
        const auto urls = urlsOfRun(run++);
        const double before = threadSeconds();
        if (!loadAll(urls, views))
            state.SkipWithError("thumbnails did not arrive");
        mainBusy += threadSeconds() - before;
        state.PauseTiming();
        cache->clearMemory();
        cache->clearDisk();
        cache->getDiskCount();
        state.ResumeTiming();
    }
    state.counters["main_busy_ms_per_run"] = benchmark::Counter(mainBusy * 1e3 / double(state.iterations()));
    state.counters["main_busy_us_per_image"] = benchmark::Counter(mainBusy * 1e6 / double(state.iterations() * thumbnails));
    state.SetItemsProcessed(state.iterations() * thumbnails);
}
BENCHMARK(BM_ColdThumbnails)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_WarmThumbnails(benchmark::State& state)
{
    auto views = makeViews();
    const auto urls = urlsOfRun(1000);
    if (!loadAll(urls, views))
        state.SkipWithError("thumbnails did not arrive");
    double mainBusy = 0;
    double wall = 0;
    for (auto _ : state) {
        const double before = threadSeconds();
        const auto start = std::chrono::steady_clock::now();
        if (!loadAll(urls, views))
            state.SkipWithError("thumbnails did not come from memory");
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        mainBusy += threadSeconds() - before;
    }
    state.counters["us_per_load"] = benchmark::Counter(wall * 1e6 / double(state.iterations() * thumbnails));
    state.counters["main_busy_us_per_image"] = benchmark::Counter(mainBusy * 1e6 / double(state.iterations() * thumbnails));
    state.SetItemsProcessed(state.iterations() * thumbnails);
}
BENCHMARK(BM_WarmThumbnails)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();

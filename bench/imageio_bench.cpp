// A picture decoded whole against the same picture arriving in 100 pieces, as a download shows
// it: the source is asked for its status (and, in the "shown" runs, its image) after each piece.
#include "platform/imageio/CGImageSource.h"
#include "tests/imageio/ImageFixtures.h"

#include <benchmark/benchmark.h>

namespace {

std::uint32_t noise(int x, int y)
{
    std::uint32_t h = static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y) * 19349663u;
    return (h * 2654435761u & 0xFFFFFF00u) | 0xFF;
}

// 0: baseline JPEG, 1: progressive JPEG, 2: PNG, 3: GIF of 24 frames; each about 640 KB.
const std::vector<std::uint8_t>& file(int which)
{
    static const std::vector<std::uint8_t> files[] = { ImageFixtures::jpeg(1280, 800), ImageFixtures::jpeg(1280, 800, std::nullopt, true),
        ImageFixtures::png(470, 470, noise), ImageFixtures::animatedGif(160, 120, 24) };
    return files[which];
}

void label(benchmark::State& state, int which, const char* how)
{
    static const char* const names[] = { "baseline JPEG", "progressive JPEG", "PNG", "GIF" };
    state.SetLabel(std::string(names[which]) + " " + std::to_string(file(which).size() / 1024) + " KiB " + how);
}

void BM_Whole(benchmark::State& state)
{
    const int which = int(state.range(0));
    for (auto _ : state) {
        auto source = CGImageSourceCreateWithData(file(which));
        benchmark::DoNotOptimize(CGImageSourceCreateImageAtIndex(source, CGImageSourceGetCount(source) - 1));
    }
    label(state, which, "whole");
}

// range(1): 1 asks for the image after every piece (of an animation, its newest frame).
void BM_InPieces(benchmark::State& state)
{
    const int which = int(state.range(0));
    const bool shown = state.range(1);
    const auto& bytes = file(which);
    for (auto _ : state) {
        auto source = CGImageSourceCreateIncremental();
        for (std::size_t piece = 1; piece <= 100; ++piece) {
            CGImageSourceUpdateData(source, std::span(bytes).first(bytes.size() * piece / 100), piece == 100);
            benchmark::DoNotOptimize(CGImageSourceGetStatus(source));
            const std::size_t count = CGImageSourceGetCount(source);
            if ((shown || piece == 100) && count > 0)
                benchmark::DoNotOptimize(CGImageSourceCreateImageAtIndex(source, count - 1));
        }
    }
    label(state, which, shown ? "100 pieces, shown each time" : "100 pieces");
}

} // namespace

BENCHMARK(BM_Whole)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InPieces)->ArgsProduct({ { 0, 1, 2, 3 }, { 0, 1 } })->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

// Inputs built to be slow for the parsers beneath the URL loading system: each must cost time in
// proportion to its length. Read the fitted complexity each benchmark reports (BigO, RMS): it
// must stay "N", never "N^2".
#include "platform/foundation/NSXMLParser.h"
#include "platform/net/NSURL.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// range(0): bytes of "../" resolved against a base, then as many segments climbed out of.
void BM_URLResolution(benchmark::State& state)
{
    const auto count = std::size_t(state.range(0)) / 3;
    std::string up;
    for (std::size_t i = 0; i < count; ++i)
        up += "../";
    const NSString relative(up + "g");
    auto base = NSURL::URLWithString("http://a/b/c/d");
    for (auto _ : state) {
        auto resolved = NSURL::URLWithString(relative, base);
        benchmark::DoNotOptimize(resolved->absoluteString());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_URLResolution)->RangeMultiplier(4)->Range(1 << 14, 1 << 20)->Complexity();

} // namespace

BENCHMARK_MAIN();

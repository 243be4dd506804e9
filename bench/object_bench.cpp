// What making an object costs through `create()`: a few classes of the sizes the client makes
// most, from a boxed number to a view. No reference beside them: compare one program built
// before and after a change to object construction, run in alternate rounds.

#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSNumber.h"
#include "platform/uikit/UIView.h"

#include <benchmark/benchmark.h>

namespace {

void BM_NumberCreate(benchmark::State& state)
{
    long value = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(NSNumber::numberWithLong(++value));
}
BENCHMARK(BM_NumberCreate);

void BM_MutableStringCreate(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(NSMutableString::create());
}
BENCHMARK(BM_MutableStringCreate);

void BM_MutableDictionaryCreate(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(NSMutableDictionary::create());
}
BENCHMARK(BM_MutableDictionaryCreate);

void BM_ViewCreate(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(UIView::create(CGRectMake(0, 0, 320, 44)));
}
BENCHMARK(BM_ViewCreate);

} // namespace

BENCHMARK_MAIN();

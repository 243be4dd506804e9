// Decoding inputs built to be slow: a long string with escapes (the token buffer must grow in
// amortised constant time) and keys chosen to collide under an unkeyed string hash.
#include "library/json/JSONCodecDeserializing.h"
#include "library/json/JCDictionary.h"
#include "library/json/JSONDecoder.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

// range(0): MiB of string; range(1): 1 when one escape starts it.
void BM_LongString(benchmark::State& state)
{
    const std::size_t size = std::size_t(state.range(0)) << 20;
    std::string text = "[\"";
    if (state.range(1))
        text += "\\n";
    text += std::string(size, 'a');
    text += "\"]";
    for (auto _ : state) {
        auto decoder = JSONDecoder::decoder();
        id tree = decoder->objectWithUTF8String(text.data(), text.size());
        if (!tree)
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(tree);
    }
    state.SetLabel(state.range(1) ? "escaped" : "plain");
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}

// The string hash the decoder once used.
std::uint64_t unkeyedHash(const std::string& key)
{
    std::uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : key) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

// range(0): 1 when the keys all share one home slot under the unkeyed hash.
void BM_CollidingKeys(benchmark::State& state)
{
    constexpr std::size_t kCount = 5000;
    const NSUInteger capacity = JCDictionaryCapacityForCount(kCount);
    std::vector<std::string> keys;
    for (unsigned candidate = 0; keys.size() < kCount; ++candidate) {
        std::string key = "k" + std::to_string(candidate);
        if (!state.range(0) || unkeyedHash(key) % capacity == 0)
            keys.push_back(std::move(key));
    }
    std::string text = "{";
    for (std::size_t i = 0; i < keys.size(); ++i)
        text += (i ? ",\"" : "\"") + keys[i] + "\":" + std::to_string(i);
    text += "}";
    for (auto _ : state) {
        id tree = JSONCodecDeserializing::objectFromJSONData(NSData::dataWithBytes(text.data(), text.size()));
        auto dictionary = ns::cast<NSDictionary>(tree);
        if (!dictionary || dictionary->count() != kCount)
            state.SkipWithError("decode failed");
        for (const auto& key : keys)
            benchmark::DoNotOptimize(dictionary->objectForKey(NSString(key.c_str())));
    }
    state.SetLabel(state.range(0) ? "colliding" : "ordinary");
}

} // namespace

BENCHMARK(BM_LongString)->Args({ 16, 0 })->Args({ 16, 1 })->Args({ 32, 1 })->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CollidingKeys)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

// The cost of exact decimals against long double, for the plotting engine's range arithmetic.

#include "platform/foundation/NSDecimalNumber.h"

#include <benchmark/benchmark.h>

#include <array>
#include <functional>

namespace {

// Typical chart values: a few digits each side of the point, and one long quotient.
constexpr std::array<const char*, 4> operands { "1234.5678", "0.25", "-98765.4321", "0.3333333333333333333333333333333333333" };

NSDecimal decimalOf(const char* text)
{
    return NSDecimalNumber::decimalNumberWithString(text)->decimalValue();
}

long double longDoubleOf(const char* text)
{
    return static_cast<long double>(NSDecimalNumber::decimalNumberWithString(text)->doubleValue());
}

template <auto operation>
void decimalOperation(benchmark::State& state)
{
    const NSDecimal a = decimalOf(operands[state.range(0)]);
    const NSDecimal b = decimalOf(operands[state.range(1)]);
    NSDecimal result;
    for (auto _ : state) {
        operation(&result, &a, &b, NSRoundBankers);
        benchmark::DoNotOptimize(result);
    }
}

template <class Operation>
void longDoubleOperation(benchmark::State& state)
{
    long double a = longDoubleOf(operands[state.range(0)]);
    long double b = longDoubleOf(operands[state.range(1)]);
    for (auto _ : state) {
        benchmark::DoNotOptimize(a);
        benchmark::DoNotOptimize(b);
        long double result = Operation {}(a, b);
        benchmark::DoNotOptimize(result);
    }
}

void decimalAdd(benchmark::State& state) { decimalOperation<NSDecimalAdd>(state); }
void longDoubleAdd(benchmark::State& state) { longDoubleOperation<std::plus<long double>>(state); }
void decimalDivide(benchmark::State& state) { decimalOperation<NSDecimalDivide>(state); }
void longDoubleDivide(benchmark::State& state) { longDoubleOperation<std::divides<long double>>(state); }

void decimalNumberAdd(benchmark::State& state)
{
    const auto a = NSDecimalNumber::decimalNumberWithString(operands[0]);
    const auto b = NSDecimalNumber::decimalNumberWithString(operands[1]);
    for (auto _ : state)
        benchmark::DoNotOptimize(a->decimalNumberByAdding(b));
}

// (0, 1): short operands at different exponents; (0, 3): a 38-digit operand; (2, 0): mixed signs.
void operandPairs(benchmark::internal::Benchmark* benchmark)
{
    benchmark->Args({ 0, 1 })->Args({ 0, 3 })->Args({ 2, 0 });
}

} // namespace

BENCHMARK(decimalAdd)->Apply(operandPairs);
BENCHMARK(longDoubleAdd)->Apply(operandPairs);
BENCHMARK(decimalDivide)->Apply(operandPairs);
BENCHMARK(longDoubleDivide)->Apply(operandPairs);
BENCHMARK(decimalNumberAdd);

BENCHMARK_MAIN();

// The cost of the date work screens do per table cell: formatting and parsing with a shared
// formatter, with a formatter made for each call (as the date helpers do), and calendar steps.
#include "platform/foundation/NSCalendar.h"
#include "platform/foundation/NSDateFormatter.h"
#include "platform/foundation/NSLocale.h"
#include "platform/foundation/NSTimeZone.h"

#include <benchmark/benchmark.h>

namespace {

std::shared_ptr<NSDateFormatter> wireFormatter()
{
    auto formatter = NSDateFormatter::create();
    formatter->setLocale(NSLocale::localeWithLocaleIdentifier("en_US_POSIX"));
    formatter->setTimeZone(NSTimeZone::timeZoneWithName("Asia/Shanghai"));
    formatter->setDateFormat("yyyy-MM-dd HH:mm:ss");
    return formatter;
}

const auto sample = NSDate::dateWithTimeIntervalSince1970(1433118605.0);

void stringFromDate(benchmark::State& state)
{
    auto formatter = wireFormatter();
    for (auto _ : state)
        benchmark::DoNotOptimize(formatter->stringFromDate(sample));
}
BENCHMARK(stringFromDate);

void parseWithWireFormatter(benchmark::State& state, const NSString& text)
{
    auto formatter = wireFormatter();
    for (auto _ : state)
        benchmark::DoNotOptimize(formatter->dateFromString(text));
}

void dateFromString(benchmark::State& state) { parseWithWireFormatter(state, "2015-06-01 08:30:05"); }
BENCHMARK(dateFromString);

void dateFromStringRejected(benchmark::State& state) { parseWithWireFormatter(state, "2015-13-01 08:30:05"); }
BENCHMARK(dateFromStringRejected);

void stringFromDateWithNewFormatter(benchmark::State& state)
{
    for (auto _ : state) {
        auto formatter = NSDateFormatter::create();
        formatter->setCalendar(NSCalendar::calendarWithIdentifier(NSCalendarIdentifierGregorian));
        formatter->setDateFormat("yyyy-MM-dd");
        benchmark::DoNotOptimize(formatter->stringFromDate(sample));
    }
}
BENCHMARK(stringFromDateWithNewFormatter);

void calendarComponents(benchmark::State& state)
{
    auto calendar = NSCalendar::calendarWithIdentifier(NSCalendarIdentifierGregorian);
    for (auto _ : state)
        benchmark::DoNotOptimize(calendar->components(NSCalendarUnitYear | NSCalendarUnitMonth | NSCalendarUnitDay | NSCalendarUnitWeekday, sample));
}
BENCHMARK(calendarComponents);

void calendarNextDay(benchmark::State& state)
{
    auto calendar = NSCalendar::calendarWithIdentifier(NSCalendarIdentifierGregorian);
    for (auto _ : state)
        benchmark::DoNotOptimize(calendar->dateByAddingUnit(NSCalendarUnitDay, 1, sample, 0));
}
BENCHMARK(calendarNextDay);

} // namespace

BENCHMARK_MAIN();

// Pages through the web view's engine: parsed, laid out at a phone's width and their top drawn.
// Nested divisions must cost time in proportion to their number, as sibling divisions do (read
// the fitted complexity, BigO: "N", never "N^2"; and the nested ÷ sibling ratio). The text runs
// report the peak of heap bytes a page adds per byte of its text (bytes_per_char).
#include "AllocationCounter.h"

#include "platform/graphics/CGBitmapContext.h"
#include "platform/host/HeadlessHost.h"
#include "platform/uikit/WebDocumentContainer.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

std::string repeated(std::string_view piece, std::int64_t count)
{
    std::string text;
    for (std::int64_t i = 0; i < count; ++i)
        text += piece;
    return text;
}

std::shared_ptr<HeadlessHost> host()
{
    static const auto shared = HeadlessHost::create();
    return shared;
}

void showPage(const std::string& html, benchmark::State* state = nullptr)
{
    WebDocumentContainer container({});
    container.load(html, nullptr);
    if (state)
        state->counters["as_text"] = container.isShownAsText() ? 1 : 0;
    container.layout(320, 568);
    static const auto context = CGBitmapContextCreate(nullptr, 320, 568, 8, 0, CGColorSpaceCreateDeviceRGB(),
        kCGImageAlphaPremultipliedLast);
    container.draw(context, CGRectMake(0, 0, 320, 568));
    benchmark::DoNotOptimize(container.shape());
}

// range(0): divisions nested in one another, a word at the bottom.
void BM_NestedDivisions(benchmark::State& state)
{
    host();
    const std::string page = repeated("<div>", state.range(0)) + "字" + repeated("</div>", state.range(0));
    for (auto _ : state)
        showPage(page);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_NestedDivisions)->RangeMultiplier(10)->Range(1000, 100000)->Complexity()->Unit(benchmark::kMillisecond);

// The reference: as many divisions side by side.
void BM_SiblingDivisions(benchmark::State& state)
{
    host();
    const std::string page = repeated("<div>字</div>", state.range(0));
    for (auto _ : state)
        showPage(page);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SiblingDivisions)->RangeMultiplier(10)->Range(1000, 100000)->Complexity()->Unit(benchmark::kMillisecond);

// range(0): bold tags never closed.
void BM_UnclosedBold(benchmark::State& state)
{
    host();
    const std::string page = repeated("<b>", state.range(0)) + "字";
    for (auto _ : state)
        showPage(page);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_UnclosedBold)->RangeMultiplier(5)->Range(1000, 125000)->Complexity()->Unit(benchmark::kMillisecond);

// range(0): tables nested in one another, range(1): paragraphs in the innermost cell. The engine
// lays a table's cells out again for each table around it, so the work multiplies with the
// nesting; past the layout budget the page is shown as its text, and no page under the 1 MB a
// page may have takes more than about a second.
void BM_NestedTables(benchmark::State& state)
{
    host();
    const std::string page = repeated("<table><tr><td>", state.range(0)) + repeated("<p>字 word</p>", state.range(1))
        + repeated("</td></tr></table>", state.range(0));
    for (auto _ : state)
        showPage(page, &state);
    state.counters["page_KiB"] = double(page.size()) / 1024;
}
BENCHMARK(BM_NestedTables)
    ->Args({ 0, 45000 })
    ->Args({ 2, 2000 })
    ->Args({ 4, 2000 })
    ->Args({ 6, 1000 })
    ->Args({ 6, 2000 })
    ->Args({ 8, 2000 })
    ->Args({ 8, 20000 })
    ->Args({ 8, 45000 })
    ->Unit(benchmark::kMillisecond);

// range(0): full-width tables nested in one another, each with a percentage column beside the
// one that holds the next, range(1): paragraphs in the innermost cell. Such tables lay their
// cells out more often than those above; the layout counts what it does, so these too either
// lay out within the budget or are shown as text, in about the same time at most.
void BM_PercentageTables(benchmark::State& state)
{
    host();
    const std::string page = repeated("<table width='100%'><tr><td width='30%'>甲</td><td width='70%'>", state.range(0))
        + repeated("<p>字 word</p>", state.range(1)) + repeated("</td></tr></table>", state.range(0));
    for (auto _ : state)
        showPage(page, &state);
    state.counters["page_KiB"] = double(page.size()) / 1024;
}
BENCHMARK(BM_PercentageTables)
    ->Args({ 4, 2000 })
    ->Args({ 6, 300 })
    ->Args({ 6, 1000 })
    ->Args({ 8, 30 })
    ->Args({ 8, 100 })
    ->Args({ 8, 2000 })
    ->Unit(benchmark::kMillisecond);

// range(0): tables, each nested in the cell of the one before as deep as the filter lets them.
void BM_ManyNestedTables(benchmark::State& state)
{
    host();
    const std::string page = repeated("<table><tr><td>x", state.range(0)) + repeated("</td></tr></table>", state.range(0));
    for (auto _ : state)
        showPage(page, &state);
    state.counters["page_KiB"] = double(page.size()) / 1024;
}
BENCHMARK(BM_ManyNestedTables)->Arg(20000)->Unit(benchmark::kMillisecond);

void pageTextMemory(benchmark::State& state, std::string_view sentence)
{
    host();
    const std::string text = repeated(sentence, std::int64_t(64 * 1024 / sentence.size()));
    const std::string page = "<p>" + text + "</p>";
    std::int64_t peak = 0;
    for (auto _ : state) {
        bench::AllocationMeasurement measurement;
        showPage(page);
        peak = measurement.figures().peakBytes;
    }
    state.counters["bytes_per_char"] = double(peak) / double(text.size());
}

void BM_PageTextMemoryLatin(benchmark::State& state)
{
    pageTextMemory(state, "lorem ipsum dolor sit amet, consectetur adipiscing elit ");
}
BENCHMARK(BM_PageTextMemoryLatin)->Unit(benchmark::kMillisecond);

void BM_PageTextMemoryChinese(benchmark::State& state)
{
    pageTextMemory(state, "驾驶机动车在道路上行驶，应当遵守道路交通安全法律、法规的规定。");
}
BENCHMARK(BM_PageTextMemoryChinese)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

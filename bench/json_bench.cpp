// Decoding realistic service replies to a full object tree: this codec side by side with
// RapidJSON building its Document (with and without UTF-8 validation; the codec always
// validates) and simdjson parsing and then visiting every value (its parse alone builds no tree
// to compare). Decode-and-release is the figure a reply costs; the release alone is reported
// apart, and the Memory runs count allocations and the peak of heap bytes added per decode.
#include "bench/AllocationCounter.h"
#include "library/json/JSONCodecDeserializing.h"
#include "library/json/JSONDecoder.h"

#include <benchmark/benchmark.h>
#include <rapidjson/document.h>
#include <simdjson.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace {

// Common characters of the question bank, three UTF-8 bytes each.
const char* const kHanzi[] = { "机", "动", "车", "驾", "驶", "人", "在", "道", "路", "上", "行", "时", "应", "当", "遵", "守", "交", "通",
    "信", "号", "灯", "规", "定", "的", "是", "否", "正", "确", "考", "试", "科", "目", "一", "安", "全", "文", "明", "常", "识", "成", "功" };

class TextSource {
public:
    std::string chinese(int characters)
    {
        std::string text;
        for (int i = 0; i < characters; ++i)
            text += kHanzi[next() % std::size(kHanzi)];
        return text;
    }
    unsigned next()
    {
        m_state = m_state * 1103515245u + 12345u;
        return (m_state >> 16) & 0x7FFF;
    }

private:
    unsigned m_state { 20150301 };
};

std::string envelope(const std::string& rows)
{
    return R"({"output":{"head":{"retCode":0,"retDesc":"成功"},"body":{"array0":{"rowSet":{"row":[)" + rows + "]}}}}}";
}

std::string loginReply()
{
    return envelope(R"({"USERID":"320102199001011234","USERNAME":"张三","USERTYPE":"1","DEPNAME":"南京市第一驾驶培训学校","PROVINCE":"32",)"
                    R"("CITY":"3201","TALKID":"8f14e45fceea167a5a36dedd4bea2543","SUBJECT":"1","TRAINTIME":1260,"EXAMSTATE":"0",)"
                    R"("PHOTOURL":"http://127.0.0.1:3600/Tessalane/resource/photo/320102199001011234.jpg","LASTLOGIN":"2015-03-01 08:30:00"})");
}

std::string noticeList()
{
    TextSource source;
    std::string rows;
    for (int i = 0; i < 200; ++i) {
        if (i)
            rows += ',';
        rows += R"({"NOTICEID":")" + std::to_string(100000 + i) + R"(","TITLE":")" + source.chinese(12) + R"(","CONTENT":")" + source.chinese(120)
            + R"(","PUBLISHER":")" + source.chinese(6) + R"(","PUBLISHTIME":"2015-03-)" + std::to_string(10 + i % 18) + R"( 10:00:00","ISREAD":")"
            + std::to_string(i % 2) + R"(","TYPE":)" + std::to_string(i % 4) + "}";
    }
    return envelope(rows);
}

std::string questionList()
{
    TextSource source;
    std::string rows;
    for (int i = 0; i < 5000; ++i) {
        if (i)
            rows += ',';
        rows += R"({"QUESTIONID":)" + std::to_string(1000 + i) + R"(,"SUBJECT":")" + std::to_string(1 + i % 2) + R"(","TYPE":")"
            + std::to_string(1 + i % 3) + R"(","QUESTION":")" + source.chinese(36) + R"(","ANSWERA":")" + source.chinese(10)
            + R"(","ANSWERB":")" + source.chinese(10) + R"(","ANSWERC":")" + source.chinese(10) + R"(","ANSWERD":")" + source.chinese(10)
            + R"(","ANSWER":")" + "ABCD"[i % 4] + R"(","EXPLAIN":")" + source.chinese(30) + R"(","IMGURL":"",)"
            + R"("CHAPTER":")" + std::to_string(1 + i % 7) + R"(","DIFFICULTY":)" + std::to_string(i % 5) + R"(,"RATE":0.)" + std::to_string(source.next() % 100) + "}";
    }
    return envelope(rows);
}

const std::string& reply(int which)
{
    static const std::string replies[] = { loginReply(), noticeList(), questionList() };
    return replies[which];
}

void setLabel(benchmark::State& state, int which)
{
    static const char* const names[] = { "login", "notices", "questions" };
    state.SetLabel(std::string(names[which]) + " " + std::to_string(reply(which).size() / 1024) + " KiB");
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(reply(which).size()));
}

// A decoder per reply, as the service clients make one.
void BM_JSONDecoder(benchmark::State& state)
{
    const int which = int(state.range(0));
    const std::string& text = reply(which);
    for (auto _ : state) {
        auto decoder = JSONDecoder::decoder();
        id tree = decoder->objectWithUTF8String(text.data(), text.size());
        if (!tree)
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(tree);
    }
    setLabel(state, which);
}

// One decoder for every reply: its cache carries over.
void BM_JSONDecoderReused(benchmark::State& state)
{
    const int which = int(state.range(0));
    const std::string& text = reply(which);
    auto decoder = JSONDecoder::decoder();
    for (auto _ : state) {
        id tree = decoder->objectWithUTF8String(text.data(), text.size());
        benchmark::DoNotOptimize(tree);
    }
    setLabel(state, which);
}

// The whole road of a reply from its text: UTF-16 string to UTF-8, then decode.
void BM_ObjectFromJSONString(benchmark::State& state)
{
    const int which = int(state.range(0));
    const NSString text(reply(which));
    for (auto _ : state) {
        id tree = JSONCodecDeserializing::objectFromJSONString(text);
        benchmark::DoNotOptimize(tree);
    }
    setLabel(state, which);
}

template <unsigned flags>
void BM_RapidJSON(benchmark::State& state)
{
    const int which = int(state.range(0));
    const std::string& text = reply(which);
    for (auto _ : state) {
        rapidjson::Document document;
        document.Parse<flags>(text.data(), text.size());
        if (document.HasParseError())
            state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(document);
    }
    setLabel(state, which);
}

// Visits every value as a tree consumer would, reading strings and numbers.
std::size_t walk(simdjson::dom::element element)
{
    switch (element.type()) {
    case simdjson::dom::element_type::ARRAY: {
        std::size_t sum = 0;
        for (auto child : simdjson::dom::array(element))
            sum += walk(child);
        return sum;
    }
    case simdjson::dom::element_type::OBJECT: {
        std::size_t sum = 0;
        for (auto field : simdjson::dom::object(element))
            sum += field.key.size() + walk(field.value);
        return sum;
    }
    case simdjson::dom::element_type::STRING:
        return std::string_view(element).size();
    case simdjson::dom::element_type::INT64:
        return std::size_t(int64_t(element));
    case simdjson::dom::element_type::DOUBLE:
        return std::size_t(double(element));
    default:
        return 1;
    }
}

void BM_simdjson(benchmark::State& state)
{
    const int which = int(state.range(0));
    const simdjson::padded_string text(reply(which));
    simdjson::dom::parser parser;
    for (auto _ : state) {
        simdjson::dom::element root;
        if (parser.parse(text).get(root))
            state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(walk(root));
    }
    setLabel(state, which);
}

// The release of a decoded tree alone, timed by hand around it.
void BM_JSONRelease(benchmark::State& state)
{
    const int which = int(state.range(0));
    const std::string& text = reply(which);
    for (auto _ : state) {
        id tree = JSONDecoder::decoder()->objectWithUTF8String(text.data(), text.size());
        const auto start = std::chrono::steady_clock::now();
        tree.reset();
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    setLabel(state, which);
}

void BM_RapidJSONRelease(benchmark::State& state)
{
    const int which = int(state.range(0));
    const std::string& text = reply(which);
    for (auto _ : state) {
        auto document = std::make_unique<rapidjson::Document>();
        document->Parse<rapidjson::kParseValidateEncodingFlag>(text.data(), text.size());
        const auto start = std::chrono::steady_clock::now();
        document.reset();
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    setLabel(state, which);
}

void reportMemory(benchmark::State& state, const bench::AllocationFigures& figures)
{
    state.counters["allocs"] = double(figures.allocations);
    state.counters["peak_KiB"] = double(figures.peakBytes) / 1024.0;
}

// Allocations and peak heap bytes of one decode (the tree still alive), then of its release.
void BM_JSONDecoderMemory(benchmark::State& state)
{
    const int which = int(state.range(0));
    const std::string& text = reply(which);
    bench::AllocationFigures figures;
    for (auto _ : state) {
        bench::AllocationMeasurement measurement;
        id tree = JSONDecoder::decoder()->objectWithUTF8String(text.data(), text.size());
        figures = measurement.figures();
        benchmark::DoNotOptimize(tree);
    }
    reportMemory(state, figures);
    setLabel(state, which);
}

void BM_RapidJSONMemory(benchmark::State& state)
{
    const int which = int(state.range(0));
    const std::string& text = reply(which);
    bench::AllocationFigures figures;
    for (auto _ : state) {
        bench::AllocationMeasurement measurement;
        rapidjson::Document document;
        document.Parse<rapidjson::kParseValidateEncodingFlag>(text.data(), text.size());
        figures = measurement.figures();
        benchmark::DoNotOptimize(document);
    }
    reportMemory(state, figures);
    setLabel(state, which);
}

} // namespace

BENCHMARK(BM_JSONDecoder)->DenseRange(0, 2);
BENCHMARK(BM_JSONDecoderReused)->DenseRange(0, 2);
BENCHMARK(BM_ObjectFromJSONString)->DenseRange(0, 2);
BENCHMARK_TEMPLATE(BM_RapidJSON, rapidjson::kParseDefaultFlags)->Name("BM_RapidJSON")->DenseRange(0, 2);
BENCHMARK_TEMPLATE(BM_RapidJSON, rapidjson::kParseValidateEncodingFlag)->Name("BM_RapidJSONValidated")->DenseRange(0, 2);
BENCHMARK(BM_simdjson)->DenseRange(0, 2);
BENCHMARK(BM_JSONRelease)->DenseRange(0, 2)->UseManualTime()->Iterations(100);
BENCHMARK(BM_RapidJSONRelease)->DenseRange(0, 2)->UseManualTime()->Iterations(100);
BENCHMARK(BM_JSONDecoderMemory)->DenseRange(0, 2)->Iterations(3);
BENCHMARK(BM_RapidJSONMemory)->DenseRange(0, 2)->Iterations(3);

// The client always runs a second thread (the network thread, the dispatch pool), and reference
// counts and the allocator take their threaded paths once one exists: so does this program.
int main(int argc, char** argv)
{
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::thread second([&] {
        std::unique_lock lock(mutex);
        finished.wait(lock, [&] { return done; });
    });
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    {
        std::lock_guard lock(mutex);
        done = true;
    }
    finished.notify_one();
    second.join();
    return 0;
}

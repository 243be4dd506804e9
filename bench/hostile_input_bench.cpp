// Inputs built to be slow for the parsers beneath the URL loading system: each must cost time in
// proportion to its length. Read the fitted complexity each benchmark reports (BigO, RMS): it
// must stay "N", never "N^2".
#include "platform/foundation/NSXMLParser.h"
#include "platform/net/NSURL.h"
#include "platform/net/NSURLConnection.h"
#include "tests/net/ConnectionRecorder.h"
#include "tests/net/RawServer.h"
#include "tests/support/Waiting.h"

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

// range(0): folded lines continuing one header field, in a reply from a loopback server, up to
// the thousand a reply may fold. The request's own round trip is the constant part.
void BM_FoldedHeaderLines(benchmark::State& state)
{
    std::string reply = "HTTP/1.1 200 OK\r\nX-Folded: start\r\n";
    for (std::int64_t i = 0; i < state.range(0); ++i)
        reply += " x\r\n";
    reply += "Content-Length: 0\r\nConnection: close\r\n\r\n";
    RawServer server(reply);
    auto request = NSURLRequest::requestWithURL(NSURL::URLWithString(NSString(server.URL())));
    for (auto _ : state) {
        auto recorder = std::make_shared<ConnectionRecorder>();
        auto connection = NSURLConnection::connectionWithRequest(request, recorder);
        if (!testing_support::runLoopUntil([&] { return recorder->ended(); }, 60) || !recorder->response)
            state.SkipWithError("no reply");
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_FoldedHeaderLines)->RangeMultiplier(2)->Range(128, 1000)->Complexity()->UseRealTime();

} // namespace

BENCHMARK_MAIN();

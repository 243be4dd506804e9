// 1,000 small form POSTs to a loopback server: through the request road (HTTP request operation,
// shared network thread, callbacks on the main queue) and through plain libcurl easy calls, in
// wall time per run. The server records nothing, so its own bookkeeping does not grow.
#include "library/network/request/RQHTTPRequestOperation.h"
#include "platform/foundation/NSOperationQueue.h"
#include "tests/net/LoopbackServer.h"
#include "tests/support/Waiting.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>

namespace {

constexpr int requestsPerRun = 1000;
const std::string body = "METHOD=getQuestion&TALKID=abc&_app_id_=1&_format_=json";

loopback::Server& server()
{
    static loopback::Server* shared = [] {
        auto* made = new loopback::Server(nullptr, true);
        made->setRecording(false);
        made->routes().Post("/form", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("{\"head\":{\"retCode\":0}}", "application/json");
        });
        made->start();
        return made;
    }();
    return *shared;
}

void BM_RequestOperations(benchmark::State& state)
{
    auto URL = NSURL::URLWithString(server().URL("/form"));
    auto bytes = NSString(body).dataUsingEncoding(NSUTF8StringEncoding);
    for (auto _ : state) {
        int completed = 0;
        for (int i = 0; i < requestsPerRun; ++i) {
            auto request = NSMutableURLRequest::requestWithURL(URL);
            request->setHTTPMethod("Post");
            request->setTimeoutInterval(30);
            request->setValue("application/x-www-form-urlencoded; charset=utf-8", "Content-Type");
            request->setHTTPBody(bytes);
            auto operation = RQHTTPRequestOperation::create(request);
            bool done = false;
            operation->setCompletionBlockWithSuccess([&](const auto&, const id&) { done = true; },
                [&](const auto&, const std::shared_ptr<NSError>&) { done = true; });
            auto queue = NSOperationQueue::create();
            queue->addOperation(operation);
            testing_support::runLoopUntil([&] { return done; });
            completed += done;
        }
        benchmark::DoNotOptimize(completed);
    }
    state.SetItemsProcessed(state.iterations() * requestsPerRun);
}

size_t discard(char*, size_t size, size_t count, void*) { return size * count; }

void BM_PlainCurl(benchmark::State& state)
{
    const std::string URL = server().URL("/form");
    CURL* handle = curl_easy_init();
    curl_slist* headers = curl_slist_append(nullptr, "Content-Type: application/x-www-form-urlencoded; charset=utf-8");
    headers = curl_slist_append(headers, "Expect:");
    curl_easy_setopt(handle, CURLOPT_URL, URL.c_str());
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &discard);
    curl_easy_setopt(handle, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    // The options the road's transfers carry, so both sides ask the server for the same reply.
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    curl_easy_setopt(handle, CURLOPT_ACCEPT_ENCODING, "gzip, deflate");
    for (auto _ : state) {
        int completed = 0;
        for (int i = 0; i < requestsPerRun; ++i)
            completed += curl_easy_perform(handle) == CURLE_OK;
        benchmark::DoNotOptimize(completed);
    }
    state.SetItemsProcessed(state.iterations() * requestsPerRun);
    curl_slist_free_all(headers);
    curl_easy_cleanup(handle);
}

} // namespace

// Wall time: the road's work happens on the network thread and the main queue, which CPU time of
// the calling thread would not see.
BENCHMARK(BM_RequestOperations)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_PlainCurl)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK_MAIN();

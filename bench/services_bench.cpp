// Login and region-list round trips through the whole client road (fixed fields, form encoding,
// cookies, the request operation on the network thread, percent and JSON decoding, the envelope
// test, the session record) against the local stand-in of the services on loopback, beside the
// same POST sent by a plain HTTP client. Each road benchmark also reports the share of its time
// spent in the client's own code: building the request and reading the reply, timed alone on
// the reply the stand-in sent.
#include "app/services/HttpService.h"
#include "app/services/ServerUrlManger.h"
#include "app/services/ServiceReply.h"
#include "app/session/User.h"
#include "library/network/request/RQQueryStringPair.h"
#include "tests/support/Waiting.h"
#include "tools/service-standin/ServiceStandIn.h"

#include <benchmark/benchmark.h>
#include <httplib.h>

#include <chrono>
#include <cstdio>
#include <ctime>

namespace {

constexpr const char* kDistribute = "sysbl/ctop/dt/interface/distri/distribute";
constexpr const char* kRegions = "sysbl/ctop/dt/interface/regional/getregional";

standin::ServiceStandIn& standIn()
{
    static standin::ServiceStandIn* shared = [] {
        auto* made = new standin::ServiceStandIn();
        if (!made->start())
            std::fprintf(stdout, "stand-in: %s\n", made->lastError().c_str());
        ServerUrlManger::sharedInstance()->setHttpUrl(NSString(made->mainBaseURL()));
        return made;
    }();
    return *shared;
}

std::shared_ptr<NSMutableDictionary> loginFields()
{
    auto fields = NSMutableDictionary::dictionary();
    fields->setObject(NSString("510000"), "PROVINCE");
    fields->setObject(NSString("510100"), "DEPCODE");
    fields->setObject(NSString("0"), "ROLETYPE");
    fields->setObject(NSString("loginMethod"), "METHOD");
    fields->setObject(NSString("510104199203154321"), "USERCODE");
    fields->setObject(NSString("123456"), "PASSWRD");
    fields->setObject(NSString("1"), "PHONETYPE");
    return fields;
}

std::shared_ptr<NSMutableDictionary> noFields() { return NSMutableDictionary::dictionary(); }

struct Road {
    const char* action;
    std::shared_ptr<NSMutableDictionary> (*fields)();
    bool login;
};

// The reply text exactly as the stand-in sends it, for timing the client's reading alone.
std::string rawReply(const Road& road)
{
    auto fields = road.fields();
    fields->setObject(NSString("json"), "_format_");
    fields->setObject(NSString(kServiceLicenseKey), "_license_key_");
    fields->setObject(NSString(kServiceAppId), "_app_id_");
    httplib::Client client("127.0.0.1", standIn().mainPort());
    auto answer = client.Post(std::string("/Tessalane/resource/") + road.action,
        RQQueryStringFromParameters(fields, NSUTF8StringEncoding).UTF8String(), "application/x-www-form-urlencoded; charset=utf-8");
    return answer ? answer->body : std::string();
}

double threadCPUSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct ClientCost {
    double wall { 0 };
    double cpu { 0 };
};

// Building the request and reading the reply, without the transfer. The login's reading writes
// the user defaults twice (cookies, session id), each an atomic write flushed to the disk.
ClientCost clientCode(const Road& road, const NSString& reply)
{
    constexpr int repetitions = 200;
    const ServiceRoute route { .decoding = ServiceRoute::Decoding::Form,
        .sessionTest = road.login ? ServiceRoute::SessionTest::None : ServiceRoute::SessionTest::MainEnvelope,
        .addsTalkId = !road.login };
    const auto start = std::chrono::steady_clock::now();
    const double startCPU = threadCPUSeconds();
    for (int i = 0; i < repetitions; ++i) {
        if (road.login)
            ServiceRoad::saveSessionCookies();
        benchmark::DoNotOptimize(ServiceRoad::makeRequest(ServerUrlManger::sharedInstance()->getHttpUrl(), road.action, road.fields(), route));
        bool lost = false;
        id decoded = ServiceRoad::readReply(reply, route, lost);
        if (road.login)
            benchmark::DoNotOptimize(User::userFromLoginReply(decoded, "123456"));
        else
            benchmark::DoNotOptimize(ServiceReply::rows(decoded, "array0"));
    }
    return { std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / repetitions,
        (threadCPUSeconds() - startCPU) / repetitions };
}

void roundTrips(benchmark::State& state, const Road& road)
{
    standIn();
    const NSString reply = NSString(rawReply(road));
    auto service = HttpService::create();
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        bool done = false;
        id decoded;
        auto success = [&](const id& object) {
            decoded = object;
            done = true;
        };
        auto failure = [&](const auto&, const std::shared_ptr<NSError>&) { done = true; };
        if (road.login)
            service->httpLogin(success, failure, road.action, nullptr, road.fields());
        else
            service->httpRequestDict(success, failure, road.action, nullptr, road.fields());
        testing_support::runLoopUntil([&] { return done; });
        if (road.login)
            benchmark::DoNotOptimize(User::userFromLoginReply(decoded, "123456"));
        else
            benchmark::DoNotOptimize(ServiceReply::rows(decoded, "array0"));
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    const double perTrip = total / static_cast<double>(state.iterations());
    const ClientCost client = clientCode(road, reply);
    state.counters["client_us"] = client.wall * 1e6;
    state.counters["client_cpu_us"] = client.cpu * 1e6;
    state.counters["client_share_pct"] = 100.0 * client.wall / perTrip;
    state.counters["reply_bytes"] = static_cast<double>(reply.length());
}

void BM_LoginRoundTrip(benchmark::State& state)
{
    roundTrips(state, Road { kDistribute, loginFields, true });
}

void BM_RegionListRoundTrip(benchmark::State& state)
{
    roundTrips(state, Road { kRegions, noFields, false });
}

void plainPosts(benchmark::State& state, const Road& road)
{
    auto fields = road.fields();
    fields->setObject(NSString("json"), "_format_");
    fields->setObject(NSString(kServiceLicenseKey), "_license_key_");
    fields->setObject(NSString(kServiceAppId), "_app_id_");
    const std::string body = RQQueryStringFromParameters(fields, NSUTF8StringEncoding).UTF8String();
    const std::string path = std::string("/Tessalane/resource/") + road.action;
    httplib::Client client("127.0.0.1", standIn().mainPort());
    client.set_keep_alive(true);
    client.set_tcp_nodelay(true);
    for (auto _ : state) {
        auto answer = client.Post(path, body, "application/x-www-form-urlencoded; charset=utf-8");
        benchmark::DoNotOptimize(answer);
    }
}

void BM_LoginPlainHTTP(benchmark::State& state)
{
    plainPosts(state, Road { kDistribute, loginFields, true });
}

void BM_RegionListPlainHTTP(benchmark::State& state)
{
    plainPosts(state, Road { kRegions, noFields, false });
}

} // namespace

BENCHMARK(BM_LoginRoundTrip)->Unit(benchmark::kMicrosecond)->Iterations(500);
BENCHMARK(BM_LoginPlainHTTP)->Unit(benchmark::kMicrosecond)->Iterations(500);
BENCHMARK(BM_RegionListRoundTrip)->Unit(benchmark::kMicrosecond)->Iterations(500);
BENCHMARK(BM_RegionListPlainHTTP)->Unit(benchmark::kMicrosecond)->Iterations(500);

int main(int argc, char** argv)
{
    // The road writes its console lines as the client does; they cost their share of the time
    // but would bury the figures.
    if (!std::getenv("CORVANE_BENCH_LOG"))
        std::freopen("/dev/null", "w", stderr);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

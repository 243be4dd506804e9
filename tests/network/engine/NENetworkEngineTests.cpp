#include "library/network/engine/NENetworkEngine.h"
#include "library/network/engine/UIImageView_NEEngineAdditions.h"

#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/NSKeyedArchiver.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/SystemClock.h"
#include "platform/sysconfig/SCNetworkReachabilityTesting.h"
#include "tests/imageio/ImageFixtures.h"
#include "tests/net/LoopbackServer.h"
#include "tests/net/ReplyHold.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

namespace {

struct Heard {
    int completions { 0 };
    int cached { 0 };
    int errors { 0 };
    int notModified { 0 };
    std::string body;

    void listen(NENetworkOperation& operation)
    {
        operation.onCompletion(
            [this](const std::shared_ptr<NENetworkOperation>& finished) {
                ++completions;
                cached += finished->isCachedResponse() ? 1 : 0;
                auto data = finished->responseData();
                body = data ? std::string(reinterpret_cast<const char*>(data->bytes()), data->length()) : std::string();
            },
            [this](const std::shared_ptr<NSError>&) { ++errors; });
        operation.onNotModified([this] { ++notModified; });
    }
};

NSUInteger frozenFileCount()
{
    NSUInteger count = 0;
    auto names = NSFileManager::defaultManager()->contentsOfDirectoryAtPath(NENetworkEngine::cacheDirectoryName());
    for (const auto& name : names ? *names : *NSArray::array())
        count += NSString::fromId(name).hasSuffix(".neenginefrozenoperation") ? 1 : 0;
    return count;
}

// Runs the main loop a little longer, so that a request that should not go out has had the
// time to show up at the server.
void settle()
{
    testing_support::runLoopUntil([] { return false; }, 0.2);
}

} // namespace

TEST(NENetworkEngineSetUp, buildsOperationURLsFromHostPortAndAPIPath)
{
    auto engine = NENetworkEngine::create("example.com", 8080, "api", nullptr);
    EXPECT_EQ(engine->operationWithPath("/items")->url(), "http://example.com:8080/api/items");
    EXPECT_EQ(engine->operationWithPath("items")->url(), "http://example.com:8080/api/items");
    EXPECT_EQ(engine->operationWithPath("/")->url(), "http://example.com:8080/api");
    EXPECT_EQ(engine->operationWithPath("/items", nullptr, "GET", true)->url(), "https://example.com:8080/api/items");
    EXPECT_EQ(NENetworkEngine::create("example.com")->operationWithPath("")->url(), "http://example.com/");
    EXPECT_EQ(NENetworkEngine::create()->operationWithPath("/items"), nullptr);
    EXPECT_FALSE(NENetworkEngine::create()->isReachable());
    EXPECT_TRUE(engine->operationWithPath("/items")->shouldSendAcceptLanguageHeader());

    auto headers = NENetworkEngine::create("h", NSDictionary::dictionaryWithObjectsAndKeys({ { NSString("x"), NSString("Accept") } }))
                       ->customHeaders();
    EXPECT_EQ(headers->count(), 2u);
    EXPECT_FALSE(NSString::fromId(headers->objectForKey("User-Agent")).isNil());
    auto own = NSDictionary::dictionaryWithObjectsAndKeys({ { NSString("me/1"), NSString("User-Agent") } });
    EXPECT_EQ(NSString::fromId(NENetworkEngine::create("h", own)->customHeaders()->objectForKey("User-Agent")), "me/1");
    EXPECT_EQ(NENetworkEngine::create("h")->customHeaders(), nullptr);
    auto operation = NENetworkEngine::create("h", own)->operationWithPath("/p");
    EXPECT_EQ(operation->readonlyRequest()->valueForHTTPHeaderField("User-Agent"), "me/1");
}

TEST(NENetworkEngineSetUp, showsThePlaceholderAndFetchesNothingWithoutAnEngine)
{
    auto view = UIImageView::create(CGRectMake(0, 0, 10, 10));
    auto url = NSURL::URLWithString("http://127.0.0.1:1/p.png");
    EXPECT_EQ(UIImageView_NEEngineAdditions::setImageFromURL(*view, url), nullptr);
    auto engine = NENetworkEngine::create("127.0.0.1");
    auto operation = UIImageView_NEEngineAdditions::setImageFromURL(*view, url, nullptr, engine, false);
    ASSERT_TRUE(operation);
    EXPECT_EQ(UIImageView_NEEngineAdditions::imageFetchOperation(*view), operation);
    // A second load cancels the first; without an engine it hands back the cancelled one.
    EXPECT_EQ(UIImageView_NEEngineAdditions::setImageFromURL(*view, url, nullptr, nullptr, false), operation);
    EXPECT_TRUE(operation->isCancelled());
    // Nothing may still be in flight when the process ends.
    EXPECT_TRUE(testing_support::runLoopUntil([&] { return operation->isFinished(); }));
    settle();
}

TEST(NENetworkEngineSetUp, keepsNineBodiesInMemoryAndWritesOlderOnesToDisk)
{
    auto engine = NENetworkEngine::create("h");
    engine->useCache();
    for (int i = 0; i < 11; ++i)
        engine->saveCacheData(NSData::dataWithBytes("x", 1), NSString(std::to_string(i)));
    EXPECT_EQ(engine->memoryCacheCount(), 9u);
    auto manager = NSFileManager::defaultManager();
    EXPECT_TRUE(manager->fileExistsAtPath(NENetworkEngine::cacheDirectoryName().stringByAppendingPathComponent("0")));
    EXPECT_TRUE(manager->fileExistsAtPath(NENetworkEngine::cacheDirectoryName().stringByAppendingPathComponent("1")));
    EXPECT_FALSE(manager->fileExistsAtPath(NENetworkEngine::cacheDirectoryName().stringByAppendingPathComponent("2")));
    engine->saveCache();
    EXPECT_EQ(engine->memoryCacheCount(), 0u);
    EXPECT_TRUE(manager->fileExistsAtPath(NENetworkEngine::cacheDirectoryName().stringByAppendingPathExtension("plist")));
    engine->emptyCache();
    EXPECT_FALSE(manager->fileExistsAtPath(NENetworkEngine::cacheDirectoryName().stringByAppendingPathComponent("0")));
}

TEST(NENetworkEngineSetUp, touchesItsCacheTablesFromManyThreadsSafely)
{
    auto engine = NENetworkEngine::create("h");
    engine->useCache();
    auto operation = engine->operationWithPath("/a");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 30; ++i) {
                engine->saveCacheData(NSData::dataWithBytes("x", 1), NSString(std::to_string(t * 1000 + i % 20)));
                engine->cachedDataForOperation(*operation);
                if (i % 15 == 0)
                    engine->saveCache();
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_LE(engine->memoryCacheCount(), 9u);
}

class NENetworkEngineCache : public testing::Test {
protected:
    void SetUp() override
    {
        server.routes().Get("/cached", [this](const httplib::Request& request, httplib::Response& response) {
            response.set_header("ETag", "\"v1\"");
            response.set_header("Cache-Control", cacheControl);
            if (request.get_header_value("If-None-Match") == "\"v1\"") {
                response.status = 304;
                return;
            }
            response.set_content("body-" + std::to_string(++served), "text/plain");
        });
        server.routes().Get("/picture", [](const httplib::Request&, httplib::Response& response) {
            const auto bytes = ImageFixtures::png(3, 2, [](int, int) -> std::uint32_t { return 0x00FF00FF; });
            response.set_header("Cache-Control", "max-age=600");
            response.set_content(std::string(bytes.begin(), bytes.end()), "image/png");
        });
        server.routes().Get("/slow", [this](const httplib::Request&, httplib::Response& response) {
            hold.wait();
            response.set_content("slow", "text/plain");
        });
        server.start();
        engine = NENetworkEngine::create("127.0.0.1", server.port(), NSString(), nullptr);
        engine->useCache();
    }
    void TearDown() override
    {
        hold.end();
        engine->emptyCache();
        if (SystemClock::isManual())
            SystemClock::useRealClock();
    }

    std::shared_ptr<NENetworkOperation> get(const std::string& path, Heard& heard, bool forceReload = false)
    {
        auto operation = engine->operationWithPath(NSString(path));
        heard.listen(*operation);
        engine->enqueueOperation(operation, forceReload);
        return operation;
    }

    loopback::Server server;
    loopback::ReplyHold hold;
    std::shared_ptr<NENetworkEngine> engine;
    std::atomic<int> served { 0 };
    std::string cacheControl { "max-age=60" };
};

TEST_F(NENetworkEngineCache, answersFromTheCacheWithinTheExpiryAndAsksTheServerAfterIt)
{
    SystemClock::useManualClock();
    Heard first;
    get("/cached", first);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return first.completions == 1; }));
    EXPECT_EQ(first.body, "body-1");
    EXPECT_EQ(first.cached, 0);

    Heard second;
    get("/cached", second);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return second.completions == 1; }));
    settle();
    EXPECT_EQ(second.cached, 1);
    EXPECT_EQ(second.body, "body-1");
    EXPECT_EQ(server.requestCount(), 1u);

    NSRunLoop::mainRunLoop()->advanceClock(61);
    Heard third;
    get("/cached", third);
    // The cached body at once, then the server's word that it still holds.
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return third.notModified == 1; }));
    EXPECT_EQ(third.completions, 1);
    EXPECT_EQ(third.cached, 1);
    EXPECT_EQ(third.errors, 0);
    ASSERT_EQ(server.requestCount(), 2u);
    EXPECT_EQ(server.requests().back().header("If-None-Match"), "\"v1\"");

    // Force-reload answers from the cache and then from the network.
    Heard forced;
    get("/cached", forced, true);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return forced.completions + forced.notModified == 2; }));
    EXPECT_EQ(server.requestCount(), 3u);
}

TEST_F(NENetworkEngineCache, neverKeepsANoStoreReplyAndRevalidatesNoCache)
{
    cacheControl = "no-store";
    for (int round = 1; round <= 2; ++round) {
        Heard heard;
        get("/cached", heard);
        ASSERT_TRUE(testing_support::runLoopUntil([&] { return heard.completions == 1; }));
        EXPECT_EQ(heard.cached, 0);
        EXPECT_EQ(heard.body, "body-" + std::to_string(round));
    }
    EXPECT_EQ(server.requestCount(), 2u);
    EXPECT_EQ(engine->memoryCacheCount(), 0u);

    cacheControl = "no-cache";
    Heard stored;
    get("/cached", stored);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return stored.completions == 1; }));
    Heard revalidated;
    get("/cached", revalidated);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return revalidated.notModified == 1; }));
    EXPECT_EQ(revalidated.cached, 1);
    EXPECT_EQ(server.requestCount(), 4u);
}

TEST_F(NENetworkEngineCache, sendsOneRequestForAGetEqualToOneRunning)
{
    Heard first;
    auto running = get("/slow", first);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return server.requestCount() == 1; }));
    Heard second;
    get("/slow", second);
    // The decision is made off the main thread; the shared queue shows whether a second ran.
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return NENetworkEngine::sharedNetworkQueue()->operationCount() == 1; }));
    settle();
    hold.letGo();
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return first.completions == 1 && second.completions == 1; }));
    settle();
    EXPECT_EQ(server.requestCount(), 1u);
    EXPECT_EQ(first.completions, 1);
    EXPECT_EQ(second.completions, 1);
}

class NENetworkEngineFreezing : public NENetworkEngineCache {
protected:
    void SetUp() override
    {
        server.routes().Post("/post", [this](const httplib::Request&, httplib::Response& response) {
            ++posted;
            response.set_content("posted", "text/plain");
        });
        server.routes().Post("/hang", [this](const httplib::Request&, httplib::Response& response) {
            hold.wait();
            response.set_content("late", "text/plain");
        });
        NENetworkEngineCache::SetUp();
        engine->setReachabilityChangedHandler([this](NetworkStatus status) { statuses.push_back(status); });
        // A change left over from an earlier test must not pass for one of this engine's.
        settle();
        statuses.clear();
        // The engine starts its monitor off the main thread, and a change before that goes
        // unnoticed: change the flags (not the status) until one is heard.
        for (int attempt = 0; attempt < 200 && statuses.empty(); ++attempt) {
            SCNetworkReachabilitySimulateFlags(attempt % 2 ? kSCNetworkReachabilityFlagsReachable
                                                           : kSCNetworkReachabilityFlagsReachable | kSCNetworkReachabilityFlagsIsDirect);
            testing_support::runLoopUntil([&] { return !statuses.empty(); }, 0.05);
        }
        ASSERT_FALSE(statuses.empty());
        statuses.clear();
    }
    void TearDown() override
    {
        SCNetworkReachabilitySimulateFlags(kSCNetworkReachabilityFlagsReachable);
        testing_support::runLoopUntil([&] { return !statuses.empty() && statuses.back() == ReachableViaWiFi; }, 2);
        SCNetworkReachabilityEndSimulation();
        // The change the end of the simulation posts is delivered before the process may end.
        settle();
        NENetworkEngineCache::TearDown();
    }
    void networkGoes()
    {
        SCNetworkReachabilitySimulateFlags(0);
        ASSERT_TRUE(testing_support::runLoopUntil([&] { return !statuses.empty() && statuses.back() == NotReachable; }));
    }
    void networkComes(SCNetworkReachabilityFlags flags = kSCNetworkReachabilityFlagsReachable)
    {
        const NetworkStatus expected = flags & kSCNetworkReachabilityFlagsIsWWAN ? ReachableViaWWAN : ReachableViaWiFi;
        SCNetworkReachabilitySimulateFlags(flags);
        ASSERT_TRUE(testing_support::runLoopUntil([&] { return !statuses.empty() && statuses.back() == expected; }));
    }
    std::shared_ptr<NENetworkOperation> post(const std::string& path, Heard& heard)
    {
        auto operation = engine->operationWithPath(NSString(path), nullptr, "POST");
        operation->setFreezable(true);
        heard.listen(*operation);
        return operation;
    }

    std::atomic<int> posted { 0 };
    std::vector<NetworkStatus> statuses;
};

TEST_F(NENetworkEngineFreezing, sendsAnOperationFrozenWhileTheNetworkIsDownOnceItIsBack)
{
    networkGoes();
    Heard heard;
    auto operation = post("/post", heard);
    // The engine cancels the operation once it has written it to disk.
    testing_support::Signal cancelled;
    operation->addObserverForKeyPath("isCancelled", [cancelled](const NSString&) { cancelled.notify(); });
    engine->enqueueOperation(operation);
    ASSERT_TRUE(cancelled.waitUntil([] { return frozenFileCount() == 1; }));
    settle();
    EXPECT_EQ(posted, 0);
    EXPECT_TRUE(operation->isCancelled());

    networkComes();
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return heard.completions == 1; }));
    settle();
    EXPECT_EQ(posted, 1);
    EXPECT_EQ(heard.completions, 1);
    EXPECT_EQ(heard.body, "posted");
    EXPECT_EQ(frozenFileCount(), 0u);
}

TEST_F(NENetworkEngineFreezing, freezesARunningOperationWithoutHoldingItsQueueSlot)
{
    Heard heard;
    auto operation = post("/hang", heard);
    engine->enqueueOperation(operation);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return server.requestCount() == 1; }));
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return operation->isExecuting(); }));
    networkGoes();
    EXPECT_EQ(frozenFileCount(), 1u);
    EXPECT_TRUE(operation->isFinished());
    ASSERT_TRUE(testing_support::returnsWithin([queue = NENetworkEngine::sharedNetworkQueue()] { queue->waitUntilAllOperationsAreFinished(); }));
    hold.letGo();
    networkComes();
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return heard.completions == 1; }));
    EXPECT_EQ(heard.body, "late");
}

TEST_F(NENetworkEngineFreezing, neverWritesAnOperationWithCredentialsToDisk)
{
    networkGoes();
    Heard heard;
    auto operation = post("/post", heard);
    operation->setUsername("u", "secret");
    engine->enqueueOperation(operation);
    // It is not frozen: it stays with the queue, which here still reaches the loopback server.
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return heard.completions == 1; }));
    EXPECT_EQ(frozenFileCount(), 0u);
    EXPECT_EQ(posted, 1);
}

TEST_F(NENetworkEngineFreezing, narrowsTheSharedQueueByNetworkType)
{
    engine->setWifiOnlyMode(true);
    networkComes(kSCNetworkReachabilityFlagsReachable | kSCNetworkReachabilityFlagsIsWWAN);
    EXPECT_EQ(NENetworkEngine::sharedNetworkQueue()->maxConcurrentOperationCount(), 0);
    engine->setWifiOnlyMode(false);
    networkGoes();
    networkComes(kSCNetworkReachabilityFlagsReachable | kSCNetworkReachabilityFlagsIsWWAN);
    EXPECT_EQ(NENetworkEngine::sharedNetworkQueue()->maxConcurrentOperationCount(), 2);
    networkComes();
    EXPECT_EQ(NENetworkEngine::sharedNetworkQueue()->maxConcurrentOperationCount(), 6);
}

TEST_F(NENetworkEngineCache, fetchesAnImageAndThenAnswersItFromTheCache)
{
    const auto url = NSURL::URLWithString(NSString(server.URL("/picture")));
    std::vector<std::pair<CGSize, bool>> images;
    auto record = [&](const std::shared_ptr<UIImage>& image, const std::shared_ptr<NSURL>& from, bool isInCache) {
        EXPECT_EQ(from, url);
        images.emplace_back(image ? image->size() : CGSize {}, isInCache);
    };
    ASSERT_TRUE(engine->imageAtURL(url, record));
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return images.size() == 1; }));
    engine->imageAtURL(url, CGSizeMake(3, 2), record);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return images.size() == 2; }));
    settle();
    EXPECT_EQ(images[0].first.width, 3);
    EXPECT_FALSE(images[0].second);
    EXPECT_EQ(images[1].first.height, 2);
    EXPECT_TRUE(images[1].second);
    EXPECT_EQ(server.requestCount(), 1u);
    EXPECT_EQ(engine->imageAtURL(nullptr, record), nullptr);

    int failures = 0;
    engine->imageAtURL(NSURL::URLWithString(NSString(server.URL("/absent.png"))), record,
        [&](const auto&, const std::shared_ptr<NSError>& error) { failures += error->code() == 404 ? 1 : 0; });
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return failures == 1; }));
}

TEST_F(NENetworkEngineCache, cancelsTheOperationsOfItsHostOnly)
{
    Heard heard;
    auto running = get("/slow", heard);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return server.requestCount() == 1 && running->isExecuting(); }));
    NENetworkEngine::create()->cancelAllOperations();
    NENetworkEngine::cancelOperationsContainingURLString("/elsewhere");
    EXPECT_FALSE(running->isCancelled());
    engine->cancelAllOperations();
    EXPECT_TRUE(running->isCancelled());
    ASSERT_TRUE(testing_support::runLoopUntil([] { return NENetworkEngine::sharedNetworkQueue()->operationCount() == 0; }));
    hold.letGo();
    settle();
    EXPECT_EQ(heard.completions + heard.errors, 0);
}

TEST_F(NENetworkEngineFreezing, sendsOperationsFrozenByAnEarlierRunAndAnnouncesTheQueuesCount)
{
    std::vector<NSUInteger> counts;
    auto listener = NSObject::create();
    NSNotificationCenter::defaultCenter()->addObserver(listener, [&](const std::shared_ptr<NSNotification>& notification) {
        counts.push_back(ns::cast<NSNumber>(notification->object())->unsignedLongLongValue());
    }, kNENetworkEngineOperationCountChanged, nullptr);
    // A frozen file left by an earlier run: restored, it has no callbacks but still goes out once.
    auto earlier = engine->operationWithPath("/post", nullptr, "POST");
    earlier->setFreezable(true);
    ASSERT_TRUE(NSKeyedArchiver::archiveRootObject(earlier, NENetworkEngine::cacheDirectoryName()
        .stringByAppendingPathComponent(earlier->uniqueIdentifier()).stringByAppendingPathExtension("neenginefrozenoperation")));
    // An archive that cannot be read is dropped.
    NSData::dataWithBytes("junk", 4)->writeToFile(
        NENetworkEngine::cacheDirectoryName().stringByAppendingPathComponent("bad.neenginefrozenoperation"), true);
    networkGoes();
    networkComes();
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return posted == 1; }));
    EXPECT_EQ(frozenFileCount(), 0u);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return !counts.empty() && counts.back() == 0; }));
    EXPECT_NE(std::find(counts.begin(), counts.end(), 1u), counts.end());
    NSNotificationCenter::defaultCenter()->removeObserver(listener);
}

TEST_F(NENetworkEngineCache, answersFromTheDiskOnceTheMemoryWasWrittenOutAndTheEngineMadeAgain)
{
    SystemClock::useManualClock();
    Heard first;
    get("/cached", first);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return first.completions == 1; }));
    engine->saveCache();
    EXPECT_EQ(engine->memoryCacheCount(), 0u);

    // As after a restart: a new engine reads the expiries back and the body from its file.
    auto later = NENetworkEngine::create("127.0.0.1", server.port(), NSString(), nullptr);
    later->useCache();
    auto operation = later->operationWithPath("/cached");
    Heard again;
    again.listen(*operation);
    later->enqueueOperation(operation);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return again.completions == 1; }));
    settle();
    EXPECT_EQ(again.cached, 1);
    EXPECT_EQ(again.body, "body-1");
    EXPECT_EQ(server.requestCount(), 1u);
    EXPECT_EQ(later->memoryCacheCount(), 1u);
}

TEST_F(NENetworkEngineCache, aBodyFileEmptiedOverwrittenOrPutThereByOthersIsFetchedAgain)
{
    const std::vector<std::pair<std::string, std::function<void(const std::string&)>>> damages {
        { "emptied", [](const std::string& file) { std::filesystem::resize_file(file, 0); } },
        { "overwritten", [](const std::string& file) { std::ofstream(file, std::ios::binary | std::ios::in) << "jun"; } },
        { "replaced", [](const std::string& file) {
             std::filesystem::remove(file);
             std::ofstream(file, std::ios::binary) << "body-9";
         } },
    };
    for (const auto& [name, damage] : damages) {
        const std::string path = "/cached?case=" + name;
        Heard first;
        auto operation = get(path, first);
        ASSERT_TRUE(testing_support::runLoopUntil([&] { return first.completions == 1; })) << name;
        settle();
        engine->saveCache();
        const std::string file = NENetworkEngine::cacheDirectoryName().stringByAppendingPathComponent(operation->uniqueIdentifier()).UTF8String();
        ASSERT_TRUE(std::filesystem::exists(file)) << name;
        damage(file);
        const int expected = served + 1;

        auto later = NENetworkEngine::create("127.0.0.1", server.port(), NSString(), nullptr);
        later->useCache();
        auto again = later->operationWithPath(NSString(path));
        Heard heard;
        heard.listen(*again);
        later->enqueueOperation(again);
        ASSERT_TRUE(testing_support::runLoopUntil([&] { return heard.completions == 1; })) << name;
        settle();
        EXPECT_EQ(heard.cached, 0) << name;
        EXPECT_EQ(heard.body, "body-" + std::to_string(expected)) << name;
        EXPECT_EQ(heard.completions, 1) << name;
    }
}

TEST_F(NENetworkEngineCache, putsTheFetchedImageIntoTheViewWithOrWithoutATransition)
{
    const auto url = NSURL::URLWithString(NSString(server.URL("/picture")));
    const auto placeholder = UIImage::imageWithData(NSData::dataWithBytes(nullptr, 0));
    for (const bool animated : { false, true }) {
        auto parent = UIView::create(CGRectMake(0, 0, 20, 20));
        auto view = UIImageView::create(CGRectMake(0, 0, 3, 2));
        parent->addSubview(view);
        ASSERT_TRUE(UIImageView_NEEngineAdditions::setImageFromURL(*view, url, placeholder, engine, animated));
        ASSERT_TRUE(testing_support::runLoopUntil([&] { return view->image() && view->image()->size().width == 3; })) << animated;
        EXPECT_EQ(view->image()->size().height, 2);
    }
    // A view gone before its image arrived is left alone.
    auto gone = UIImageView::create(CGRectMake(0, 0, 3, 2));
    const auto other = NSURL::URLWithString(NSString(server.URL("/picture?gone=1")));
    auto operation = UIImageView_NEEngineAdditions::setImageFromURL(*gone, other, nullptr, engine, false);
    ASSERT_TRUE(operation);
    gone.reset();
    EXPECT_TRUE(testing_support::runLoopUntil([&] { return operation->isFinished(); }));
    settle();
}

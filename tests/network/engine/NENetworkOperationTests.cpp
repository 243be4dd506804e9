#include "library/network/engine/NENetworkOperation.h"
#include "library/network/shared/NSJSONReadingOptions.h"
#include "library/network/engine/NSDate_RFC1123.h"
#include "library/network/engine/NSDictionary_RequestEncoding.h"
#include "library/network/engine/NSString_NEEngineAdditions.h"

#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/NSKeyedArchiver.h"
#include "platform/foundation/NSKeyedUnarchiver.h"
#include "platform/foundation/NSNumber.h"
#include "platform/security/SecTrust.h"
#include "platform/foundation/NSOperationQueue.h"
#include "platform/foundation/NSPathUtilities.h"
#include "platform/foundation/NSThread.h"
#include "platform/net/NSURLError.h"
#include "tests/net/LoopbackAuthentication.h"
#include "tests/net/LoopbackServer.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace {

struct Outcome {
    int completions { 0 };
    int errors { 0 };
    int operationErrors { 0 };
    int notModified { 0 };
    bool offMainThread { false };
    std::shared_ptr<NSError> error;
    std::string body;
    int total() const { return completions + errors + notModified; }

    void listen(const std::shared_ptr<NENetworkOperation>& operation)
    {
        operation->onCompletion(
            [this](const std::shared_ptr<NENetworkOperation>& finished) {
                ++completions;
                offMainThread |= !NSThread::isMainThread();
                auto data = finished->responseData();
                body = data ? std::string(reinterpret_cast<const char*>(data->bytes()), data->length()) : std::string();
            },
            [this](const std::shared_ptr<NSError>& failure) {
                ++errors;
                offMainThread |= !NSThread::isMainThread();
                error = failure;
            });
        operation->addCompletionHandler(nullptr, [this](const auto&, const auto&) { ++operationErrors; });
        operation->onNotModified([this] { ++notModified; });
    }
};

std::shared_ptr<NSDictionary> dictionary(std::initializer_list<std::pair<id, id>> objectsAndKeys)
{
    return NSDictionary::dictionaryWithObjectsAndKeys(objectsAndKeys);
}

std::string text(const std::shared_ptr<NSData>& data)
{
    return data ? std::string(reinterpret_cast<const char*>(data->bytes()), data->length()) : std::string();
}

std::string writeFile(const std::string& name, const std::string& contents)
{
    const std::string path = NSTemporaryDirectory().stringByAppendingPathComponent(name).UTF8String();
    std::ofstream(path, std::ios::binary) << contents;
    return path;
}

} // namespace

TEST(NENetworkOperationRequest, buildsTheURLTheBodyKindAndTheContentTypeFromItsArguments)
{
    auto get = NENetworkOperation::create("http://h/p", dictionary({ { NSString("a b"), NSString("q") } }), "GET");
    EXPECT_EQ(get->url(), "http://h/p?q=a%20b");
    EXPECT_TRUE(get->readonlyRequest()->HTTPBody() == nullptr);
    EXPECT_EQ(NENetworkOperation::create("http://h/p", NSDictionary::dictionary(), NSString())->url(), "http://h/p");
    EXPECT_EQ(NENetworkOperation::create("http://h/p", nullptr, NSString())->HTTPMethod(), "GET");

    auto post = NENetworkOperation::create("http://h/p", dictionary({ { NSString("1"), NSString("a") } }), "POST");
    EXPECT_EQ(post->readonlyRequest()->valueForHTTPHeaderField("Content-Type"), "application/x-www-form-urlencoded; charset=utf-8");
    EXPECT_EQ(text(post->bodyData()), "a=1");
    EXPECT_TRUE(NENetworkOperation::create("http://h/p", nullptr, "POST")->readonlyRequest()->valueForHTTPHeaderField("Content-Type").isNil());
    EXPECT_EQ(NENetworkOperation::create(NSString(), nullptr, "GET"), nullptr);

    post->setPostDataEncoding(NEPostDataEncodingTypeJSON);
    EXPECT_EQ(post->readonlyRequest()->valueForHTTPHeaderField("Content-Type"), "application/json; charset=utf-8");
    EXPECT_EQ(text(post->bodyData()), "{\"a\":\"1\"}");
    post->setPostDataEncoding(NEPostDataEncodingTypePlist);
    EXPECT_NE(text(post->bodyData()).find("<key>a</key>"), std::string::npos);
    post->setCustomPostDataEncodingHandler([](const auto& fields) { return NSString::stringWithFormat("n=%lu", fields->count()); }, "text/x-mine");
    EXPECT_EQ(post->readonlyRequest()->valueForHTTPHeaderField("Content-Type"), "text/x-mine; charset=utf-8");
    // The handler is used even when the encoding is set back to form later.
    post->setPostDataEncoding(NEPostDataEncodingTypeURL);
    EXPECT_EQ(text(post->bodyData()), "n=1");
}

TEST(NENetworkOperationRequest, escapesEveryFormValueAndKeepsTheUnreservedCharacters)
{
    using NSDictionary_RequestEncoding::urlEncodedKeyValueString;
    EXPECT_EQ(urlEncodedKeyValueString(dictionary({ { NSString("x y"), NSString("a") }, { NSNumber::numberWithInt(5), NSString("b") } })),
        "a=x%20y&b=5");
    EXPECT_EQ(urlEncodedKeyValueString(dictionary({ { NSString("1+1"), NSString("k.~") } })), "k.~=1%2B1");
    EXPECT_EQ(urlEncodedKeyValueString(NSDictionary::dictionary()), "");
    // A value that is not text brings no "&" or "=" of its own into the body.
    auto injected = urlEncodedKeyValueString(dictionary({ { NSArray::arrayWithObjects({ NSString("v&admin=1") }), NSString("a") } }));
    EXPECT_EQ(injected.UTF8String().find('&'), std::string::npos);
    EXPECT_EQ(NSString_NEEngineAdditions::urlDecodedString("a%20b+c"), "a b c");
    EXPECT_EQ(NSString_NEEngineAdditions::urlDecodedString("%E4%B8%AD"), "中");
    EXPECT_EQ(NSString_NEEngineAdditions::urlDecodedString("%e4%b8%ad"), "中");
    EXPECT_EQ(NSString_NEEngineAdditions::urlDecodedString("%FF"), "");
    EXPECT_EQ(NSString_NEEngineAdditions::md5("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(NSString_NEEngineAdditions::uniqueString().length(), 36u);
}

TEST(NENetworkOperationRequest, identifiesCacheableAndFreezableOperations)
{
    auto first = NENetworkOperation::create("http://h/a", nullptr, "GET");
    auto second = NENetworkOperation::create("http://h/a", nullptr, "GET");
    EXPECT_TRUE(first->isEqual(second));
    EXPECT_EQ(first->hash(), second->hash());
    EXPECT_EQ(first->uniqueIdentifier().length(), 32u);
    auto postA = NENetworkOperation::create("http://h/a", nullptr, "POST");
    auto postB = NENetworkOperation::create("http://h/a", nullptr, "POST");
    EXPECT_FALSE(postA->isEqual(postB));
    EXPECT_TRUE(postA->isEqual(postA));

    first->setFreezable(true);
    EXPECT_FALSE(first->freezable());
    EXPECT_TRUE(first->uniqueId().isNil());
    postA->setFreezable(true);
    postB->setFreezable(true);
    EXPECT_FALSE(postA->uniqueId().isNil());
    EXPECT_NE(postA->uniqueIdentifier(), postB->uniqueIdentifier());

    EXPECT_TRUE(second->isCacheable());
    EXPECT_FALSE(postA->isCacheable());
    auto secure = NENetworkOperation::create("https://h/a", nullptr, "GET");
    EXPECT_FALSE(secure->isCacheable());
    secure->setShouldCacheResponseEvenIfProtocolIsHTTPS(true);
    EXPECT_TRUE(secure->isCacheable());
    second->setUsername("u", "p");
    EXPECT_FALSE(second->isCacheable());
    EXPECT_TRUE(second->carriesCredentials());
    EXPECT_NE(second->uniqueIdentifier(), first->uniqueIdentifier());
    auto withHeader = NENetworkOperation::create("http://h/a", nullptr, "GET");
    withHeader->setUsername("u", "p", true);
    EXPECT_EQ(withHeader->readonlyRequest()->valueForHTTPHeaderField("Authorization"), "Basic dTpw");
}

TEST(NENetworkOperationBody, buildsAMultipartBodyWithARandomBoundaryAndEscapedNames)
{
    const std::string path = writeFile("part.bin", "FILEBYTES");
    auto operation = NENetworkOperation::create("http://h/u", dictionary({ { NSString("v"), NSString("k") } }), "GET");
    operation->addFile(NSString(path), "up\"load");
    operation->addData(NSData::dataWithBytes("DATA", 4), "d", "text/plain", "n\r\nX-Evil: 1");
    EXPECT_EQ(operation->HTTPMethod(), "POST");
    const std::string body = text(operation->bodyData());
    const auto request = operation->readonlyRequest();
    const std::string type = request->valueForHTTPHeaderField("Content-Type").UTF8String();
    ASSERT_EQ(type.rfind("multipart/form-data; charset=utf-8; boundary=0xKhTmLbOuNdArY-", 0), 0u);
    const std::string boundary = type.substr(type.find("boundary=") + 9);
    EXPECT_GT(boundary.size(), std::string("0xKhTmLbOuNdArY").size());
    EXPECT_EQ(request->valueForHTTPHeaderField("Content-Length"), NSString(std::to_string(body.size())));
    EXPECT_EQ(body.rfind("--" + boundary + "\r\nContent-Disposition: form-data; name=\"k\"\r\n\r\nv\r\n", 0), 0u);
    EXPECT_NE(body.find("name=\"up%22load\"; filename=\"part.bin\"\r\nContent-Type: application/octet-stream\r\n"
                        "Content-Transfer-Encoding: binary\r\n\r\nFILEBYTES\r\n"),
        std::string::npos);
    EXPECT_NE(body.find("filename=\"n%0D%0AX-Evil: 1\""), std::string::npos);
    EXPECT_EQ(body.substr(body.size() - boundary.size() - 8), "\r\n--" + boundary + "--\r\n");

    auto other = NENetworkOperation::create("http://h/u", nullptr, "POST");
    other->addData(NSData::data(), "x");
    other->bodyData();
    EXPECT_NE(other->readonlyRequest()->valueForHTTPHeaderField("Content-Type"), request->valueForHTTPHeaderField("Content-Type"));

    auto missing = NENetworkOperation::create("http://h/u", nullptr, "POST");
    missing->addFile("/nonexistent/file", "f");
    std::shared_ptr<NSError> error;
    EXPECT_EQ(missing->bodyData(&error), nullptr);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), NSFileReadNoSuchFileError);

    // A FIFO, a folder or a kernel file in a part's place fails the body at once instead of
    // waiting for a writer or reading without end.
    const std::string fifo = writeFile("fifo-in-place", "");
    std::filesystem::remove(fifo);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : { fifo, std::filesystem::path(fifo).parent_path().string(), std::string("/proc/self/status") }) {
        auto odd = NENetworkOperation::create("http://h/u", nullptr, "POST");
        odd->addFile(NSString(path), "f");
        std::shared_ptr<NSError> refused;
        EXPECT_EQ(odd->bodyData(&refused), nullptr) << path;
        ASSERT_TRUE(refused) << path;
        EXPECT_EQ(refused->code(), NSFileReadNoSuchFileError) << path;
    }
}

TEST(NENetworkOperationBody, writesTheCommandLineOfTheRequest)
{
    auto get = NENetworkOperation::create("http://h/p", nullptr, "GET");
    get->addHeader("Accept", "text/plain");
    EXPECT_EQ(get->curlCommandLineString(), "curl -X GET -H 'Accept: text/plain' 'http://h/p'");

    auto post = NENetworkOperation::create("http://h/p", dictionary({ { NSString("it's"), NSString("a") } }), "POST");
    EXPECT_EQ(post->curlCommandLineString(),
        "curl -X POST -H 'Content-Type: application/x-www-form-urlencoded; charset=utf-8' 'http://h/p' -d 'a=it'\\''s'");
    post->addFile("/tmp/f.png", "photo", "image/png");
    EXPECT_EQ(post->curlCommandLineString(), "curl -X POST 'http://h/p' -F 'a=it'\\''s' -F 'photo=@/tmp/f.png;type=image/png'");
    post->setPostDataEncoding(NEPostDataEncodingTypeJSON);
    EXPECT_NE(post->curlCommandLineString().UTF8String().find("-d '{\"a\":\"it'\\''s\"}'"), std::string::npos);
    EXPECT_NE(post->description().UTF8String().find("\nRequest\n-------\ncurl -X POST"), std::string::npos);
}

class NENetworkOperationExchange : public testing::Test {
protected:
    void SetUp() override
    {
        server.routes().Get("/json", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("{\"a\":1}", "application/json");
        });
        server.routes().Get(R"(/status/(\d+))", [](const httplib::Request& request, httplib::Response& response) {
            response.status = std::stoi(request.matches[1]);
            if (response.status != 304)
                response.set_content("s", "text/plain");
        });
        server.routes().Get("/bytes", [](const httplib::Request& request, httplib::Response& response) {
            // A ranged request from 100 gets the last 50 bytes of 150.
            response.set_content(std::string(request.has_header("Range") ? 150 : 50, 'b'), "application/octet-stream");
        });
        server.routes().Get("/image", [](const httplib::Request& request, httplib::Response& response) {
            if (request.has_param("etag"))
                response.set_header("ETag", "\"v1\"");
            if (request.has_param("cc"))
                response.set_header("Cache-Control", request.get_param_value("cc"));
            response.set_content("img", "image/png");
        });
        server.routes().Get("/moved", [](const httplib::Request&, httplib::Response& response) { response.set_redirect("/stamped"); });
        server.routes().Get("/stamped", [](const httplib::Request& request, httplib::Response& response) {
            response.set_header("Last-Modified", "Tue, 01 Dec 2026 10:00:00 GMT");
            response.set_content(request.get_header_value("X-Stamp") + "|" + request.get_header_value("If-Modified-Since"), "text/plain");
        });
        server.routes().Get("/locked", [](const httplib::Request&, httplib::Response& response) {
            response.status = 401;
            response.set_header("WWW-Authenticate", "Basic realm=\"r\"");
        });
        server.routes().Post("/upload", [this](const httplib::Request& request, httplib::Response& response) {
            std::lock_guard lock(uploadMutex);
            uploadFiles = request.files.size();
            for (const auto& [name, file] : request.files)
                uploadSizes[name] = file.content.size();
            response.set_content("ok", "text/plain");
        });
        server.start();
    }

    std::shared_ptr<NENetworkOperation> run(const std::string& path, Outcome& outcome, const NSString& method = "GET")
    {
        auto operation = NENetworkOperation::create(NSString(server.URL(path)), nullptr, method);
        outcome.listen(operation);
        queue->addOperation(operation);
        EXPECT_TRUE(testing_support::runLoopUntil([&] { return outcome.total() > 0 && operation->isFinished(); }));
        return operation;
    }

    loopback::Server server;
    std::shared_ptr<NSOperationQueue> queue = NSOperationQueue::create();
    std::mutex uploadMutex;
    std::size_t uploadFiles { 0 };
    std::map<std::string, std::size_t> uploadSizes;
};

TEST_F(NENetworkOperationExchange, endsEveryExchangeInExactlyOneOutcomeOnTheMainThread)
{
    Outcome ok;
    auto operation = run("/json", ok);
    EXPECT_EQ(ok.completions, 1);
    EXPECT_EQ(ok.body, "{\"a\":1}");
    auto json = ns::cast<NSDictionary>(operation->responseJSON());
    ASSERT_TRUE(json);
    EXPECT_EQ(ns::cast<NSNumber>(json->objectForKey("a"))->intValue(), 1);
    EXPECT_FALSE(ok.offMainThread);

    for (int status : { 404, 500, 301, 302, 600 }) {
        Outcome outcome;
        auto failed = run("/status/" + std::to_string(status), outcome);
        testing_support::runLoopUntil([] { return false; }, 0.05);
        EXPECT_EQ(outcome.errors, 1) << status;
        EXPECT_EQ(outcome.operationErrors, 1) << status;
        EXPECT_EQ(outcome.total(), 1) << status;
        ASSERT_TRUE(outcome.error) << status;
        EXPECT_EQ(outcome.error->code(), status);
        EXPECT_EQ(outcome.error->domain(), NSURLErrorDomain);
    }
    // A 304 to a request that had nothing cached and nobody listening for it is an error too.
    auto bare = NENetworkOperation::create(NSString(server.URL("/status/304")), nullptr, "GET");
    Outcome notModified;
    bare->onCompletion([&](const auto&) { ++notModified.completions; }, [&](const auto& error) {
        ++notModified.errors;
        notModified.error = error;
    });
    queue->addOperation(bare);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return notModified.total() > 0; }));
    EXPECT_EQ(notModified.errors, 1);
    EXPECT_EQ(notModified.error->code(), 304);
    queue->waitUntilAllOperationsAreFinished();
}

TEST_F(NENetworkOperationExchange, answersA304WithTheNotModifiedCallbacksAndTheCachedBody)
{
    auto operation = NENetworkOperation::create(NSString(server.URL("/status/304")), nullptr, "GET");
    Outcome outcome;
    operation->onNotModified([&] { ++outcome.notModified; });
    operation->onCompletion([&](const auto&) { ++outcome.completions; }, [&](const auto&) { ++outcome.errors; });
    operation->setCachedData(NSData::dataWithBytes("cached", 6));
    EXPECT_EQ(outcome.completions, 1);
    EXPECT_TRUE(operation->isCachedResponse());
    queue->addOperation(operation);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return outcome.notModified == 1; }));
    EXPECT_EQ(outcome.completions, 1);
    EXPECT_EQ(outcome.errors, 0);
    EXPECT_EQ(text(operation->responseData()), "cached");
}

TEST_F(NENetworkOperationExchange, callsNothingAfterCancelAndLeavesNoQueueSlotHeld)
{
    auto operation = NENetworkOperation::create(NSString(server.URL("/json")), nullptr, "GET");
    Outcome outcome;
    outcome.listen(operation);
    operation->cancel();
    queue->addOperation(operation);
    queue->waitUntilAllOperationsAreFinished();
    testing_support::runLoopUntil([] { return false; }, 0.05);
    EXPECT_EQ(outcome.total(), 0);
    EXPECT_TRUE(operation->isFinished());

    // A running operation cancelled before its reply finishes at once.
    auto running = NENetworkOperation::create(NSString(server.URL("/json")), nullptr, "GET");
    Outcome second;
    second.listen(running);
    running->start();
    EXPECT_TRUE(running->isExecuting());
    running->cancel();
    EXPECT_TRUE(running->isFinished());
    testing_support::runLoopUntil([] { return false; }, 0.05);
    EXPECT_EQ(second.total(), 0);
}

TEST_F(NENetworkOperationExchange, isExecutingBeforeItsConnectionStartsOnTheMainThread)
{
    auto operation = NENetworkOperation::create("http://127.0.0.1:1/closed", nullptr, "GET");
    std::vector<int> states;
    operation->setOperationStateChangedHandler([&](NENetworkOperationState state) { states.push_back(state); });
    Outcome outcome;
    outcome.listen(operation);
    operation->start();
    // The connection is made on the main queue, which has not run yet.
    EXPECT_TRUE(operation->isExecuting());
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return outcome.errors == 1; }));
    EXPECT_EQ(states, (std::vector<int> { NENetworkOperationStateExecuting, NENetworkOperationStateFinished }));
    EXPECT_TRUE(operation->isFinished());
}

TEST_F(NENetworkOperationExchange, failsADownloadWhoseStreamCannotTakeTheBytes)
{
    auto operation = NENetworkOperation::create(NSString(server.URL("/bytes")), nullptr, "GET");
    operation->addDownloadStream(NSOutputStream::outputStreamToFileAtPath("/nonexistent/dir/file", false));
    EXPECT_FALSE(operation->isCacheable());
    Outcome outcome;
    outcome.listen(operation);
    queue->addOperation(operation);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return outcome.total() > 0; }));
    EXPECT_EQ(outcome.completions, 0);
    EXPECT_EQ(outcome.errors, 1);

    // A stream that works gets every byte, and the progress counts from the resume position.
    const std::string path = NSTemporaryDirectory().stringByAppendingPathComponent("download.bin").UTF8String();
    auto resumed = NENetworkOperation::create(NSString(server.URL("/bytes")), nullptr, "GET");
    resumed->setHeader("Range", "bytes=100-");
    resumed->addDownloadStream(NSOutputStream::outputStreamToFileAtPath(NSString(path), false));
    std::vector<double> progress;
    resumed->onDownloadProgressChanged([&](double fraction) { progress.push_back(fraction); });
    Outcome done;
    done.listen(resumed);
    queue->addOperation(resumed);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return done.total() > 0; }));
    EXPECT_EQ(done.completions, 1);
    EXPECT_EQ(std::filesystem::file_size(path), 50u);
    ASSERT_FALSE(progress.empty());
    EXPECT_DOUBLE_EQ(progress.back(), 1.0);
}

TEST_F(NENetworkOperationExchange, keepsCacheHeadersByTheReplysRules)
{
    auto expiresIn = [&](const std::string& query) {
        Outcome outcome;
        auto operation = run("/image" + query, outcome);
        auto date = NSDate_RFC1123::dateFromRFC1123(NSString::fromId(operation->cacheHeaders()->objectForKey("Expires")));
        return std::make_pair(operation, date ? date->timeIntervalSinceNow() : -1e9);
    };
    auto [etag, day] = expiresIn("?etag=1");
    EXPECT_NEAR(day, 86400, 3);
    EXPECT_EQ(NSString::fromId(etag->cacheHeaders()->objectForKey("ETag")), "\"v1\"");
    EXPECT_NEAR(expiresIn("").second, 604800, 3);
    EXPECT_NEAR(expiresIn("?cc=max-age%3D30").second, 30, 3);
    // no-cache revalidates every time, whatever comes before it.
    EXPECT_NEAR(expiresIn("?cc=max-age%3D30,%20no-cache").second, 0, 3);
    auto [noStore, unused] = expiresIn("?cc=no-store");
    EXPECT_TRUE(noStore->responseForbidsStorage());
    EXPECT_FALSE(noStore->isCacheable());
}

TEST_F(NENetworkOperationExchange, streamsAMultipartBodyWhoseLengthIsTheBytesSent)
{
    const std::string path = writeFile("big.bin", std::string(3 * 1024 * 1024 + 7, 'z'));
    auto operation = NENetworkOperation::create(NSString(server.URL("/upload")), dictionary({ { NSString("v"), NSString("k") } }), "POST");
    operation->addFile(NSString(path), "file");
    operation->addData(NSData::dataWithBytes("abc", 3), "blob");
    Outcome outcome;
    outcome.listen(operation);
    queue->addOperation(operation);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return outcome.total() > 0; }));
    EXPECT_EQ(outcome.completions, 1);
    // The server parsed every part, so the declared length was the length sent; it is the length
    // of the same body built in memory.
    const auto received = server.requests().back();
    EXPECT_EQ(received.header("Content-Length"), std::to_string(operation->bodyData()->length()));
    std::lock_guard lock(uploadMutex);
    EXPECT_EQ(uploadFiles, 3u);
    EXPECT_EQ(uploadSizes["file"], 3u * 1024 * 1024 + 7);
    EXPECT_EQ(uploadSizes["blob"], 3u);

    auto missing = NENetworkOperation::create(NSString(server.URL("/upload")), nullptr, "POST");
    missing->addFile("/nonexistent/file", "f");
    Outcome failure;
    failure.listen(missing);
    const auto before = server.requestCount();
    queue->addOperation(missing);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return failure.total() > 0; }));
    EXPECT_EQ(failure.errors, 1);
    EXPECT_EQ(server.requestCount(), before);
}

TEST_F(NENetworkOperationExchange, restoresFromAnArchiveReadyAndCallsCallbacksAddedLater)
{
    auto operation = NENetworkOperation::create(NSString(server.URL("/json")), dictionary({ { NSString("1"), NSString("a") } }), "POST");
    operation->setUsername("u", "p");
    operation->addData(NSData::dataWithBytes("x", 1), "d");
    operation->setFreezable(true);
    Outcome ignored;
    ignored.listen(operation);
    operation->start();
    ASSERT_TRUE(operation->isExecuting());
    auto archive = NSKeyedArchiver::archivedDataWithRootObject(operation);
    // Archiving leaves the live operation as it was.
    EXPECT_TRUE(operation->isExecuting());
    operation->cancel();

    auto restored = ns::cast<NENetworkOperation>(NSKeyedUnarchiver::unarchiveObjectWithData(archive));
    ASSERT_TRUE(restored);
    EXPECT_EQ(restored->state(), NENetworkOperationStateReady);
    EXPECT_EQ(restored->username(), "u");
    EXPECT_EQ(restored->password(), "p");
    EXPECT_EQ(restored->dataToBePosted()->count(), 1u);
    EXPECT_EQ(NSString::fromId(restored->readonlyPostDictionary()->objectForKey("a")), "1");
    EXPECT_TRUE(restored->freezable());
    EXPECT_EQ(restored->uniqueIdentifier(), operation->uniqueIdentifier());

    Outcome outcome;
    outcome.listen(restored);
    queue->addOperation(restored);
    // The server answers a POST to /json with 404; what matters is that it is heard.
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return outcome.total() > 0; }));
    EXPECT_EQ(outcome.total(), 1);
    EXPECT_EQ(ignored.total(), 0);

    auto retry = restored->copyForRetry();
    EXPECT_EQ(retry->state(), NENetworkOperationStateReady);
    EXPECT_EQ(retry->username(), "u");
    auto copy = ns::cast<NENetworkOperation>(restored->copy());
    EXPECT_TRUE(copy->isFinished());
}

TEST_F(NENetworkOperationExchange, decodesItsReplyOffTheMainThreadAndSendsACallersStream)
{
    auto operation = NENetworkOperation::create(NSString(server.URL("/json")), nullptr, "GET");
    operation->setShouldSendAcceptLanguageHeader(true);
    Outcome outcome;
    outcome.listen(operation);
    queue->addOperation(operation);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return outcome.total() > 0; }));
    EXPECT_NE(server.requests().back().header("Accept-Language").find("en-us"), std::string::npos);
    EXPECT_NE(operation->description().UTF8String().find("Response\n--------\n{\"a\":1}"), std::string::npos);
    EXPECT_EQ(operation->HTTPStatusCode(), 200);

    id parsed;
    bool answered = false;
    operation->responseJSONWithCompletionHandler([&](const id& object) {
        parsed = object;
        answered = NSThread::isMainThread();
    });
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return answered; }));
    EXPECT_TRUE(ns::cast<NSDictionary>(parsed));
    bool decoded = false;
    operation->decompressedResponseImageOfSize(CGSizeMake(1, 1), [&](const auto& image) { decoded = !image; });
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return decoded; }));
    EXPECT_EQ(operation->responseImage(), nullptr);

    // Sent from a stream of the caller's, the body is that stream's.
    auto upload = NENetworkOperation::create(NSString(server.URL("/upload")), nullptr, "POST");
    upload->setUploadStream(NSInputStream::inputStreamWithData(NSData::dataWithBytes("raw", 3)));
    upload->setHeader("Content-Length", "3");
    std::vector<double> sent;
    upload->onUploadProgressChanged([&](double fraction) { sent.push_back(fraction); });
    Outcome uploaded;
    uploaded.listen(upload);
    queue->addOperation(upload);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return uploaded.total() > 0; }));
    EXPECT_EQ(server.requests().back().body, "raw");
}

TEST_F(NENetworkOperationExchange, passesItsCallbacksToAnOperationThatTakesThemOver)
{
    auto running = NENetworkOperation::create(NSString(server.URL("/json")), nullptr, "GET");
    auto merged = NENetworkOperation::create(NSString(server.URL("/json")), nullptr, "GET");
    Outcome first, second;
    first.listen(running);
    second.listen(merged);
    EXPECT_TRUE(running->adoptHandlersIfPending(*merged));
    queue->addOperation(running);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return first.total() > 0 && second.total() > 0; }));
    EXPECT_EQ(second.completions, 1);
    // Once the outcome is out, nothing more is taken.
    EXPECT_FALSE(running->adoptHandlersIfPending(*merged));

    // Freezing stops the exchange but keeps the callbacks for the restored operation.
    auto frozen = NENetworkOperation::create(NSString(server.URL("/json")), nullptr, "GET");
    Outcome third;
    third.listen(frozen);
    frozen->start();
    frozen->stopForFreezing();
    EXPECT_TRUE(frozen->isFinished());
    auto restored = frozen->copyForRetry();
    EXPECT_FALSE(restored->isCancelled());
    queue->addOperation(restored);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return third.total() > 0; }));
    EXPECT_EQ(third.completions, 1);
}

TEST_F(NENetworkOperationExchange, answersBasicAndDigestChallengesAndEndsAWrongPasswordOnce)
{
    loopback::AuthenticationGuard basic(loopback::AuthenticationGuard::Scheme::basic, "learner", "s3cret");
    loopback::AuthenticationGuard digest(loopback::AuthenticationGuard::Scheme::digest, "learner", "s3cret");
    loopback::Server guarded;
    guarded.routes().Get("/basic", [&](const httplib::Request& request, httplib::Response& response) {
        if (basic.admits(request, response))
            response.set_content("basic in", "text/plain");
    });
    guarded.routes().Get("/digest", [&](const httplib::Request& request, httplib::Response& response) {
        if (digest.admits(request, response))
            response.set_content("digest in", "text/plain");
    });
    guarded.start();

    const auto fetch = [&](const std::string& path, const NSString& password, Outcome& outcome) {
        auto operation = NENetworkOperation::create(NSString(guarded.URL(path)), nullptr, "GET");
        operation->setUsername("learner", password);
        outcome.listen(operation);
        queue->addOperation(operation);
        EXPECT_TRUE(testing_support::runLoopUntil([&] { return outcome.total() > 0 && operation->isFinished(); }));
    };
    for (const auto& [path, guard] : { std::pair { "/basic", &basic }, std::pair { "/digest", &digest } }) {
        Outcome admitted;
        fetch(path, "s3cret", admitted);
        EXPECT_EQ(admitted.completions, 1) << path;
        EXPECT_EQ(admitted.body, std::string(path + 1) + " in");
        EXPECT_EQ(guard->admitted(), 1) << path;
        // The refusals on the way in (Digest's library probes for the nonce once more).
        const int refusedBefore = guard->refused();
        Outcome refused;
        fetch(path, "wrong", refused);
        // Let any further attempt show itself before counting.
        testing_support::runLoopUntil([] { return false; }, 0.1);
        EXPECT_EQ(refused.errors, 1) << path;
        EXPECT_EQ(refused.total(), 1) << path;
        ASSERT_TRUE(refused.error) << path;
        EXPECT_EQ(refused.error->code(), 401) << path;
        // The same way in and the one wrong answer; no loop of retries.
        EXPECT_EQ(guard->refused() - refusedBefore, refusedBefore + 1) << path;
    }
    queue->waitUntilAllOperationsAreFinished();
}

TEST(NENetworkOperationClientCertificate, presentsTheIdentityOfItsPKCS12FileAndFailsWithoutIt)
{
    const auto& pki = loopback::authority();
    ASSERT_FALSE(pki.clientPKCS12Path.empty());
    const loopback::SystemAnchors anchors(pki.authorityPath);
    loopback::Server server(loopback::TLS { &pki.server, pki.authorityPath, true });
    server.routes().Get("/", [](const httplib::Request&, httplib::Response& response) { response.set_content("inside", "text/plain"); });
    server.start();
    auto queue = NSOperationQueue::create();

    const auto fetch = [&](const NSString& path, const NSString& passphrase, Outcome& outcome) {
        auto operation = NENetworkOperation::create(NSString(server.URL("/")), nullptr, "GET");
        operation->setClientCertificate(path);
        operation->setClientCertificatePassword(passphrase);
        EXPECT_FALSE(operation->isCacheable());
        outcome.listen(operation);
        queue->addOperation(operation);
        EXPECT_TRUE(testing_support::runLoopUntil([&] { return outcome.total() > 0 && operation->isFinished(); }));
    };

    Outcome presented;
    fetch(NSString(pki.clientPKCS12Path), NSString(pki.clientPKCS12Password), presented);
    EXPECT_EQ(presented.completions, 1);
    EXPECT_EQ(presented.body, "inside");
    auto seen = server.requests();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].clientCertificate, "corvane-learner");

    // A wrong or missing pass phrase, a damaged bundle and a missing file end in the error path.
    std::ifstream bundle(pki.clientPKCS12Path, std::ios::binary);
    std::string damaged { std::istreambuf_iterator<char>(bundle), std::istreambuf_iterator<char>() };
    damaged.resize(damaged.size() / 2);
    const std::vector<std::pair<NSString, NSString>> failing {
        { NSString(pki.clientPKCS12Path), "wrong" },
        { NSString(pki.clientPKCS12Path), NSString() },
        { NSString(writeFile("ne-damaged.p12", damaged)), NSString(pki.clientPKCS12Password) },
        { NSString(writeFile("ne-empty.p12", "")), NSString(pki.clientPKCS12Password) },
        { "/nonexistent/client.p12", NSString(pki.clientPKCS12Password) },
    };
    for (const auto& [path, passphrase] : failing) {
        Outcome refused;
        fetch(path, passphrase, refused);
        EXPECT_EQ(refused.errors, 1) << path.UTF8String();
        EXPECT_EQ(refused.total(), 1) << path.UTF8String();
        ASSERT_TRUE(refused.error);
        EXPECT_EQ(refused.error->code(), NSURLErrorUserCancelledAuthentication) << path.UTF8String();
    }
    EXPECT_EQ(server.requestCount(), 1u);
    queue->waitUntilAllOperationsAreFinished();
}

TEST_F(NENetworkOperationExchange, followsARedirectWithItsOwnHeadersAndRevalidatesByLastModified)
{
    auto moved = NENetworkOperation::create(NSString(server.URL("/moved")), nullptr, "GET");
    moved->addHeaders(dictionary({ { NSString("s1"), NSString("X-Stamp") } }));
    Outcome outcome;
    outcome.listen(moved);
    queue->addOperation(moved);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return outcome.total() > 0; }));
    EXPECT_EQ(outcome.completions, 1);
    EXPECT_EQ(outcome.body, "s1|");
    auto headers = moved->cacheHeaders();
    ASSERT_TRUE(headers);
    EXPECT_EQ(NSString::fromId(headers->objectForKey(NSString("Last-Modified"))), "Tue, 01 Dec 2026 10:00:00 GMT");

    auto again = NENetworkOperation::create(NSString(server.URL("/stamped")), nullptr, "GET");
    again->updateOperationBasedOnPreviousHeaders(headers);
    Outcome revalidated;
    revalidated.listen(again);
    queue->addOperation(again);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return revalidated.total() > 0; }));
    EXPECT_EQ(revalidated.body, "|Tue, 01 Dec 2026 10:00:00 GMT");
    queue->waitUntilAllOperationsAreFinished();
}

TEST_F(NENetworkOperationExchange, handsChallengesItCannotAnswerToItsHandlerOrDeliversTheRefusal)
{
    // A user without a password is no credential: the handler decides.
    auto handled = NENetworkOperation::create(NSString(server.URL("/locked")), nullptr, "GET");
    handled->setUsername("u", NSString());
    int asked = 0;
    handled->setAuthHandler([&](const std::shared_ptr<NSURLAuthenticationChallenge>& challenge) {
        ++asked;
        challenge->sender()->cancelAuthenticationChallenge(challenge);
    });
    Outcome cancelled;
    cancelled.listen(handled);
    queue->addOperation(handled);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return cancelled.total() > 0 && handled->isFinished(); }));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(cancelled.errors, 1);
    ASSERT_TRUE(cancelled.error);
    EXPECT_EQ(cancelled.error->code(), NSURLErrorUserCancelledAuthentication);

    Outcome refused;
    run("/locked", refused);
    EXPECT_EQ(refused.errors, 1);
    ASSERT_TRUE(refused.error);
    EXPECT_EQ(refused.error->code(), 401);
    queue->waitUntilAllOperationsAreFinished();
}

TEST(NENetworkOperationServerTrust, refusesAnUntrustedServerUnlessToldToContinue)
{
    const auto& pki = loopback::authority();
    ASSERT_FALSE(pki.authorityDER.empty());
    loopback::Server server(loopback::TLS { &pki.server, std::string(), false });
    server.routes().Get("/", [](const httplib::Request&, httplib::Response& response) { response.set_content("inside", "text/plain"); });
    server.start();
    auto queue = NSOperationQueue::create();
    for (const bool proceed : { false, true }) {
        auto operation = NENetworkOperation::create(NSString(server.URL("/")), nullptr, "GET");
        operation->setShouldContinueWithInvalidCertificate(proceed);
        Outcome outcome;
        outcome.listen(operation);
        queue->addOperation(operation);
        ASSERT_TRUE(testing_support::runLoopUntil([&] { return outcome.total() > 0 && operation->isFinished(); }));
        EXPECT_EQ(outcome.completions, proceed ? 1 : 0);
        EXPECT_EQ(outcome.errors, proceed ? 0 : 1);
        EXPECT_EQ(server.requestCount(), proceed ? 1u : 0u);
    }
    queue->waitUntilAllOperationsAreFinished();
}

TEST(NENetworkOperationServerTrust, namesTheTrustOfTheLastChallengeWithoutKeepingIt)
{
    const auto& pki = loopback::authority();
    loopback::Server server(loopback::TLS { &pki.server, std::string(), false });
    server.routes().Get("/", [](const httplib::Request&, httplib::Response& response) { response.set_content("inside", "text/plain"); });
    server.start();
    auto queue = NSOperationQueue::create();
    auto operation = NENetworkOperation::create(NSString(server.URL("/")), nullptr, "GET");
    EXPECT_FALSE(operation->serverTrust());
    operation->setShouldContinueWithInvalidCertificate(true);
    std::shared_ptr<SecTrust> seen;
    bool done = false;
    operation->onCompletion([&](const std::shared_ptr<NENetworkOperation>& finished) {
        seen = finished->serverTrust();
        done = true;
    }, [&](const std::shared_ptr<NSError>&) { done = true; });
    queue->addOperation(operation);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return done; }));
    EXPECT_TRUE(seen);
    EXPECT_EQ(operation->serverTrust(), seen);
    queue->waitUntilAllOperationsAreFinished();
}

TEST_F(NENetworkOperationExchange, readsItsJSONWithTheReadingOptionsGiven)
{
    auto operation = NENetworkOperation::create(NSString(server.URL("/json")), nullptr, "GET");
    Outcome outcome;
    outcome.listen(operation);
    queue->addOperation(operation);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return outcome.total() > 0; }));

    auto read = [&](NSUInteger options) {
        id parsed;
        bool answered = false;
        operation->responseJSONWithOptions(options, [&](const id& object) {
            parsed = object;
            answered = NSThread::isMainThread();
        });
        EXPECT_TRUE(testing_support::runLoopUntil([&] { return answered; }));
        return parsed;
    };
    auto fixed = ns::cast<NSMutableDictionary>(read(0));
    ASSERT_TRUE(fixed);
    EXPECT_ANY_THROW(fixed->setObject(NSString("b"), NSString("c")));
    auto changeable = ns::cast<NSMutableDictionary>(read(NSJSONReadingMutableContainers));
    ASSERT_TRUE(changeable);
    EXPECT_NO_THROW(changeable->setObject(NSString("b"), NSString("c")));
    queue->waitUntilAllOperationsAreFinished();
}

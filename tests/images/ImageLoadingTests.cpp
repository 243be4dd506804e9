#include "library/network/images/RIImageManager.h"
#include "library/network/images/RIImagePrefetcher.h"
#include "library/network/images/RIImageViewCategories.h"
#include "tests/images/ImageTestSupport.h"
#include "tests/net/LoopbackServer.h"
#include "tests/net/ReplyHold.h"

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSNull.h"
#include "platform/foundation/NSThread.h"
#include "platform/foundation/SystemClock.h"
#include "platform/graphics/CGBitmapContext.h"
#include "platform/graphics/CGContext.h"
#include "platform/net/NSURLError.h"
#include "platform/uikit/UIApplication.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <thread>

namespace {

using namespace imagetests;

std::uint32_t noise(int x, int y)
{
    const std::uint32_t h = std::uint32_t(x) * 73856093u ^ std::uint32_t(y) * 19349663u;
    return (h * 2654435761u) | 0xFF;
}

// Rows from the top whose first pixel is opaque.
std::size_t opaqueRows(const UIImageRef& image)
{
    const auto bitmap = image->CGImage();
    const std::size_t width = CGImageGetWidth(bitmap);
    const std::size_t height = CGImageGetHeight(bitmap);
    auto context = CGBitmapContextCreate(nullptr, width, height, 8, width * 4, CGColorSpaceCreateDeviceRGB(),
        CGBitmapInfo(kCGImageAlphaPremultipliedFirst) | kCGBitmapByteOrder32Little);
    CGContextDrawImage(context, CGRect { { 0, 0 }, { CGFloat(width), CGFloat(height) } }, bitmap);
    const auto* bytes = static_cast<const std::uint8_t*>(CGBitmapContextGetData(context));
    std::size_t rows = 0;
    while (rows < height && bytes[rows * CGBitmapContextGetBytesPerRow(context) + 3] == 0xFF)
        ++rows;
    return rows;
}

struct Result {
    UIImageRef image;
    std::shared_ptr<NSError> error;
    RIImageCacheType source { RIImageCacheSourceNone };
    bool onMain { false };
    bool managerRunning { false }; // when the last word came
    int calls { 0 };
};

class ImageLoadingTest : public testing::Test {
protected:
    void SetUp() override
    {
        jpeg = ImageFixtures::jpeg(16, 12);
        server.routes().Get(R"(/img/(.*))", [this](const httplib::Request& request, httplib::Response& response) {
            count(request.path);
            response.set_content(std::string(jpeg.begin(), jpeg.end()), "image/jpeg");
        });
        server.routes().Get(R"(/held/(.*))", [this](const httplib::Request& request, httplib::Response& response) {
            count(request.path);
            hold.wait();
            response.set_content(std::string(jpeg.begin(), jpeg.end()), "image/jpeg");
        });
        server.routes().Get("/truncated.jpg", [](const httplib::Request&, httplib::Response& response) {
            // Cut after the header, in the scan, as a half-uploaded photo is.
            const auto photo = ImageFixtures::jpeg(64, 48);
            response.set_content(std::string(photo.begin(), photo.begin() + long(photo.size() * 2 / 3)), "image/jpeg");
        });
        server.routes().Get("/error-page.jpg", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("<html><body>Server error</body></html>", "image/jpeg");
        });
        server.routes().Get("/missing.jpg", [](const httplib::Request&, httplib::Response& response) {
            response.status = 404;
            response.set_content("not here", "text/plain");
        });
        server.routes().Get("/busy.jpg", [](const httplib::Request&, httplib::Response& response) {
            response.status = 503;
            response.set_content("later", "text/plain");
        });
        server.routes().Get("/unchanged.jpg", [](const httplib::Request&, httplib::Response& response) { response.status = 304; });
        server.routes().Get("/hang.jpg", [this](const httplib::Request& request, httplib::Response& response) {
            count(request.path);
            hold.wait();
            response.set_content("", "image/jpeg");
        });
        server.routes().Get("/animated.gif", [](const httplib::Request&, httplib::Response& response) {
            const auto gif = ImageFixtures::gif({ { 0, 10 }, { 1, 20 }, { 2, 30 } });
            response.set_content(std::string(gif.begin(), gif.end()), "image/gif");
        });
        server.routes().Get("/slow.png", [this](const httplib::Request&, httplib::Response& response) {
            const auto png = std::make_shared<std::vector<std::uint8_t>>(ImageFixtures::png(64, 256, noise));
            response.set_content_provider(png->size(), "image/png", [this, png](size_t offset, size_t, httplib::DataSink& sink) {
                const std::size_t piece = std::min<std::size_t>(png->size() - offset, png->size() / 6 + 1);
                sink.write(reinterpret_cast<const char*>(png->data() + offset), piece);
                // Paced by the test: the next piece goes once a partial image was seen, or soon.
                std::unique_lock lock(paceMutex);
                paceCondition.wait_for(lock, std::chrono::milliseconds(150), [this] { return paced; });
                paced = false;
                return true;
            });
        });
        server.start();
        fallback = UIImage::imageWithData(dataOf(ImageFixtures::png(2, 2, opaqueBlue)));
    }

    void TearDown() override
    {
        hold.end();
        server.stop();
        SystemClock::useRealClock();
    }

    void count(const std::string& path)
    {
        std::lock_guard lock(countMutex);
        ++counts[path];
    }
    int countOf(const std::string& path)
    {
        std::lock_guard lock(countMutex);
        return counts[path];
    }

    std::shared_ptr<NSURL> url(const std::string& path) { return NSURL::URLWithString(server.URL(path)); }

    // Loads through the shared manager as the screens do: the fallback picture when no image.
    std::shared_ptr<RIImageCombinedOperation> load(const std::string& path, Result& result, NSUInteger options = 0,
        const std::shared_ptr<RIImageManager>& manager = RIImageManager::sharedManager())
    {
        return manager->downloadImageWithURL(url(path), options, nullptr,
            [&result, this, weakManager = std::weak_ptr<RIImageManager>(manager)](const UIImageRef& image, const std::shared_ptr<NSError>& error, RIImageCacheType source, bool finished,
                const std::shared_ptr<NSURL>&) {
                if (!finished)
                    return;
                result.image = image ? image : fallback;
                result.error = error;
                result.source = source;
                result.onMain = NSThread::isMainThread();
                auto manager = weakManager.lock();
                result.managerRunning = manager && manager->isRunning();
                ++result.calls;
            });
    }

    std::vector<std::string> failedPaths()
    {
        std::vector<std::string> paths;
        for (const auto& failed : RIImageManager::sharedManager()->failedURLs())
            paths.push_back(failed->absoluteString().UTF8String().substr(server.URL("").size()));
        std::sort(paths.begin(), paths.end());
        return paths;
    }

    loopback::Server server;
    loopback::ReplyHold hold;
    std::vector<std::uint8_t> jpeg;
    UIImageRef fallback;
    std::mutex countMutex;
    std::map<std::string, int> counts;
    std::mutex paceMutex;
    std::condition_variable paceCondition;
    bool paced { false };
};

TEST_F(ImageLoadingTest, TenViewsShareOneDownloadAndACancelledOneLeavesTheOthersServed)
{
    auto placeholder = fallback;
    std::vector<std::shared_ptr<UIImageView>> views;
    std::vector<Result> results(10);
    for (int i = 0; i < 10; ++i) {
        views.push_back(UIImageView::create(CGRect { { 0, 0 }, { 16, 12 } }));
        UIImageView_RemoteImage::ri_setImageWithURL(views[i], url("/held/photo.jpg"), placeholder, 0, nullptr,
            [&results, i](const UIImageRef& image, const std::shared_ptr<NSError>& error, RIImageCacheType source, const std::shared_ptr<NSURL>&) {
                results[i].image = image;
                results[i].error = error;
                results[i].source = source;
                results[i].onMain = NSThread::isMainThread();
                ++results[i].calls;
            });
        EXPECT_EQ(views[i]->image(), placeholder);
    }
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return countOf("/held/photo.jpg") == 1 && RIImageDownloader::sharedDownloader()->pendingURLCount() == 1; }));
    // The first view's request is out, but the others may still be looking on disk: each joins the
    // download once its lookup is answered on the main queue, after which the download may end.
    dispatch_sync(RIImageManager::sharedManager()->imageCache()->ioQueue(), [] { });
    bool joined = false;
    dispatch_async(dispatch_get_main_queue(), [&joined] { joined = true; });
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return joined; }));
    UIImageView_RemoteImage::ri_cancelCurrentImageLoad(*views[3]);
    hold.letGo();
    ASSERT_TRUE(testing_support::runLoopUntil([&] {
        return std::count_if(results.begin(), results.end(), [](const Result& r) { return r.calls > 0; }) == 9;
    }));
    testing_support::runLoopUntil([] { return false; }, 0.1);
    EXPECT_EQ(countOf("/held/photo.jpg"), 1);
    for (int i = 0; i < 10; ++i) {
        if (i == 3) {
            EXPECT_EQ(results[i].calls, 0);
            EXPECT_EQ(views[i]->image(), placeholder);
            continue;
        }
        EXPECT_EQ(results[i].calls, 1) << i;
        ASSERT_TRUE(results[i].image) << i;
        EXPECT_TRUE(results[i].onMain);
        EXPECT_EQ(results[i].source, RIImageCacheSourceNone);
        EXPECT_EQ(views[i]->image(), results[i].image);
        EXPECT_EQ(results[i].image->size().width, 16);
    }
    EXPECT_FALSE(RIImageManager::sharedManager()->isRunning());
}

TEST_F(ImageLoadingTest, ASecondLoadComesFromMemoryAndAfterAMemoryWarningFromDiskWithoutARequest)
{
    Result first;
    load("/img/a.jpg", first);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return first.calls == 1; }));
    ASSERT_FALSE(first.error);
    // A caller told of the end finds the manager idle, whatever thread the download ended on.
    EXPECT_FALSE(first.managerRunning);
    // The file is written byte for byte as the server sent it.
    auto cache = RIImageManager::sharedManager()->imageCache();
    cache->getDiskCount();
    EXPECT_EQ(readFile(cache->defaultCachePathForKey(url("/img/a.jpg")->absoluteString()).UTF8String()), jpeg);

    Result second;
    auto handle = load("/img/a.jpg", second);
    EXPECT_EQ(second.calls, 1);
    EXPECT_EQ(second.source, RIImageCacheSourceMemory);
    EXPECT_EQ(second.image, first.image);
    EXPECT_FALSE(RIImageManager::sharedManager()->isRunning());

    NSNotificationCenter::defaultCenter()->postNotificationName(UIApplicationDidReceiveMemoryWarningNotification, nullptr);
    Result third;
    load("/img/a.jpg", third);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return third.calls == 1; }));
    EXPECT_FALSE(third.managerRunning);
    EXPECT_EQ(third.source, RIImageCacheSourceDisk);
    EXPECT_TRUE(third.onMain);
    EXPECT_EQ(third.image->size().width, 16);
    EXPECT_EQ(countOf("/img/a.jpg"), 1);
}

TEST_F(ImageLoadingTest, FailuresShowTheFallbackAndOnlyPermanentOnesAreRemembered)
{
    SystemClock::useManualClock();
    RIImageDownloader::sharedDownloader()->setDownloadTimeout(5);
    std::map<std::string, Result> results;
    for (const std::string path : { "/truncated.jpg", "/error-page.jpg", "/missing.jpg", "/busy.jpg", "/hang.jpg" })
        load(path, results[path]);
    ASSERT_TRUE(testing_support::runLoopUntil([&] {
        return countOf("/hang.jpg") == 1 && results["/truncated.jpg"].calls && results["/error-page.jpg"].calls && results["/missing.jpg"].calls
            && results["/busy.jpg"].calls;
    }));
    NSRunLoop::currentRunLoop()->advanceClock(6);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return results["/hang.jpg"].calls == 1; }));

    for (auto& [path, result] : results) {
        EXPECT_EQ(result.calls, 1) << path;
        EXPECT_EQ(result.image, fallback) << path;
        ASSERT_TRUE(result.error) << path;
        EXPECT_TRUE(result.onMain) << path;
    }
    EXPECT_EQ(results["/missing.jpg"].error->code(), 404);
    EXPECT_EQ(results["/busy.jpg"].error->code(), 503);
    EXPECT_EQ(results["/hang.jpg"].error->code(), NSURLErrorTimedOut);
    EXPECT_EQ(results["/error-page.jpg"].error->domain(), RIImageErrorDomain);
    EXPECT_EQ(results["/truncated.jpg"].error->domain(), RIImageErrorDomain);
    EXPECT_EQ(results["/truncated.jpg"].error->code(), RIImageErrorIncompleteData);
    EXPECT_EQ(failedPaths(), (std::vector<std::string> { "/error-page.jpg", "/missing.jpg" }));

    // A remembered URL fails at once; a transient failure is tried again.
    Result again;
    load("/missing.jpg", again);
    EXPECT_EQ(again.calls, 1);
    EXPECT_EQ(again.error->code(), NSURLErrorFileDoesNotExist);
    Result retried;
    load("/busy.jpg", retried);
    EXPECT_EQ(retried.calls, 0);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return retried.calls == 1; }));
    EXPECT_EQ(retried.error->code(), 503);
    EXPECT_EQ(failedPaths().size(), 2u);
    EXPECT_TRUE(testing_support::runLoopUntil([] { return !RIImageManager::sharedManager()->isRunning(); }));
}

TEST_F(ImageLoadingTest, ARefusedOrDroppedConnectionIsNeverRemembered)
{
    loopback::Server closed;
    closed.start();
    const std::string refusedURL = closed.URL("/photo.jpg");
    closed.stop();
    server.routes().Get("/dropped.jpg", [this](const httplib::Request&, httplib::Response& response) {
        response.set_content_provider(jpeg.size() * 4, "image/jpeg", [this](size_t offset, size_t, httplib::DataSink& sink) {
            if (offset > 0)
                return false;
            sink.write(reinterpret_cast<const char*>(jpeg.data()), jpeg.size() / 2);
            return true;
        });
    });
    Result refused;
    RIImageManager::sharedManager()->downloadImageWithURL(NSURL::URLWithString(refusedURL), 0, nullptr,
        [&refused](const UIImageRef&, const std::shared_ptr<NSError>& error, RIImageCacheType, bool finished, const std::shared_ptr<NSURL>&) {
            if (finished) {
                refused.error = error;
                ++refused.calls;
            }
        });
    Result dropped;
    load("/dropped.jpg", dropped);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return refused.calls == 1 && dropped.calls == 1; }));
    ASSERT_TRUE(refused.error);
    EXPECT_EQ(refused.error->code(), NSURLErrorCannotConnectToHost);
    ASSERT_TRUE(dropped.error);
    EXPECT_EQ(dropped.image, fallback);
    // Earlier cases in the same process may have left URLs of their own there.
    for (const auto& failed : RIImageManager::sharedManager()->failedURLs()) {
        EXPECT_NE(failed->absoluteString().UTF8String(), refusedURL);
        EXPECT_NE(failed->absoluteString().UTF8String(), server.URL("/dropped.jpg"));
    }
}

TEST_F(ImageLoadingTest, ANotModifiedReplyEndsInExactlyOneCompletion)
{
    Result result;
    load("/unchanged.jpg", result);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return result.calls > 0; }));
    testing_support::runLoopUntil([] { return false; }, 0.1);
    EXPECT_EQ(result.calls, 1);
    ASSERT_TRUE(result.error);
    EXPECT_EQ(result.error->code(), 304);
    EXPECT_FALSE(RIImageManager::sharedManager()->isRunning());
}

// Without the allow-invalid option a server's certificate must chain to a trusted anchor and
// name the host; the challenge is cancelled otherwise and nothing reaches the server.
TEST_F(ImageLoadingTest, AnHTTPSImageNeedsATrustedCertificateForItsHostUnlessInvalidOnesAreAllowed)
{
    const auto& pki = loopback::authority();
    ASSERT_FALSE(pki.server.DER.empty());
    auto serve = [this](const loopback::Certificate& certificate) {
        auto secure = std::make_unique<loopback::Server>(loopback::TLS { &certificate, {}, false });
        secure->routes().Get("/photo.jpg", [this](const httplib::Request&, httplib::Response& response) {
            response.set_content(std::string(jpeg.begin(), jpeg.end()), "image/jpeg");
        });
        secure->start();
        return secure;
    };
    auto fetch = [](const std::string& URL, NSUInteger options) {
        Result result;
        RIImageDownloader::sharedDownloader()->downloadImageWithURL(NSURL::URLWithString(URL), options, nullptr,
            [&result](const UIImageRef& image, const std::shared_ptr<NSData>&, const std::shared_ptr<NSError>& error, bool finished) {
                if (!finished)
                    return;
                result.image = image;
                result.error = error;
                ++result.calls;
            });
        EXPECT_TRUE(testing_support::runLoopUntil([&] { return result.calls > 0; }));
        return result;
    };
    auto secure = serve(pki.server);
    auto misnamed = serve(pki.wrongHost);

    auto untrusted = fetch(secure->URL("/photo.jpg"), 0);
    ASSERT_TRUE(untrusted.error);
    EXPECT_EQ(untrusted.error->code(), NSURLErrorUserCancelledAuthentication);
    EXPECT_FALSE(untrusted.image);
    EXPECT_EQ(secure->requestCount(), 0u);
    auto allowed = fetch(secure->URL("/photo.jpg"), RIImageFetchAllowInvalidCertificates);
    EXPECT_FALSE(allowed.error);
    EXPECT_TRUE(allowed.image);

    loopback::SystemAnchors anchors(pki.authorityPath);
    auto trusted = fetch(secure->URL("/photo.jpg"), 0);
    EXPECT_FALSE(trusted.error);
    EXPECT_TRUE(trusted.image);
    EXPECT_EQ(secure->requestCount(), 2u);
    auto wrongHost = fetch(misnamed->URL("/photo.jpg"), 0);
    ASSERT_TRUE(wrongHost.error);
    EXPECT_EQ(wrongHost.error->code(), NSURLErrorUserCancelledAuthentication);
    EXPECT_EQ(misnamed->requestCount(), 0u);
}

TEST_F(ImageLoadingTest, ProgressiveDecodingDeliversGrowingPartialImagesThenTheWhole)
{
    std::vector<std::size_t> partialRows;
    UIImageRef whole;
    int finals = 0;
    RIImageManager::sharedManager()->downloadImageWithURL(url("/slow.png"), RIImageLoadProgressive, nullptr,
        [&](const UIImageRef& image, const std::shared_ptr<NSError>& error, RIImageCacheType, bool finished, const std::shared_ptr<NSURL>&) {
            EXPECT_TRUE(NSThread::isMainThread());
            EXPECT_FALSE(error);
            if (finished) {
                whole = image;
                ++finals;
                return;
            }
            EXPECT_EQ(finals, 0);
            ASSERT_TRUE(image);
            EXPECT_EQ(image->size().height * image->scale(), 256);
            partialRows.push_back(opaqueRows(image));
            {
                std::lock_guard lock(paceMutex);
                paced = true;
            }
            paceCondition.notify_all();
        });
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return finals == 1; }));
    ASSERT_TRUE(whole);
    EXPECT_EQ(opaqueRows(whole), 256u);
    ASSERT_GE(partialRows.size(), 2u);
    EXPECT_TRUE(std::is_sorted(partialRows.begin(), partialRows.end()));
    EXPECT_GT(partialRows.front(), 0u);
    EXPECT_LT(partialRows.back(), 256u);
}

TEST_F(ImageLoadingTest, AnAnimatedGIFArrivesWithItsFramesAndDelays)
{
    Result result;
    load("/animated.gif", result);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return result.calls == 1; }));
    ASSERT_TRUE(result.image);
    EXPECT_EQ(result.image->images().size(), 3u);
    EXPECT_NEAR(result.image->duration(), 0.6, 1e-5);
}

TEST_F(ImageLoadingTest, ACancelledCallerCannotBeJoinedAndTheNextCallerGetsItsOwnDownload)
{
    Result first;
    auto handle = load("/held/again.jpg", first);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return countOf("/held/again.jpg") == 1; }));
    handle->cancel();
    EXPECT_FALSE(RIImageManager::sharedManager()->isRunning());
    Result second;
    load("/held/again.jpg", second);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return countOf("/held/again.jpg") == 2; }));
    hold.letGo();
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return second.calls == 1; }));
    EXPECT_FALSE(second.error);
    EXPECT_NE(second.image, fallback);
    testing_support::runLoopUntil([] { return false; }, 0.1);
    EXPECT_EQ(first.calls, 0);
}

TEST_F(ImageLoadingTest, AHandleCancelledBeforeTheDiskAnswersLeavesTheRunningList)
{
    auto manager = RIImageManager::sharedManager();
    dispatch_suspend(manager->imageCache()->ioQueue());
    Result result;
    auto handle = load("/img/never.jpg", result);
    EXPECT_TRUE(manager->isRunning());
    handle->cancel();
    EXPECT_FALSE(manager->isRunning());
    dispatch_resume(manager->imageCache()->ioQueue());
    manager->imageCache()->getDiskCount();
    testing_support::runLoopUntil([] { return false; }, 0.1);
    EXPECT_EQ(result.calls, 0);
    EXPECT_EQ(countOf("/img/never.jpg"), 0);

    Result a;
    Result b;
    load("/held/x.jpg", a);
    load("/held/y.jpg", b);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return countOf("/held/x.jpg") == 1 && countOf("/held/y.jpg") == 1; }));
    manager->cancelAll();
    EXPECT_FALSE(manager->isRunning());
    hold.letGo();
    testing_support::runLoopUntil([] { return false; }, 0.1);
    EXPECT_EQ(a.calls + b.calls, 0);
}

TEST_F(ImageLoadingTest, NoURLAndTextURLs)
{
    Result none;
    RIImageManager::sharedManager()->downloadImageWithURL(NSNull::null(), 0, nullptr,
        [&](const UIImageRef& image, const std::shared_ptr<NSError>& error, RIImageCacheType, bool finished, const std::shared_ptr<NSURL>& imageURL) {
            none.image = image;
            none.error = error;
            EXPECT_TRUE(finished);
            EXPECT_FALSE(imageURL);
            ++none.calls;
        });
    EXPECT_EQ(none.calls, 1);
    EXPECT_EQ(none.error->code(), NSURLErrorFileDoesNotExist);

    int calls = 0;
    RIImageManager::sharedManager()->downloadImageWithURL(NSString(server.URL("/img/text.jpg")), 0, nullptr,
        [&](const UIImageRef& image, const std::shared_ptr<NSError>&, RIImageCacheType, bool, const std::shared_ptr<NSURL>& imageURL) {
            EXPECT_TRUE(image);
            EXPECT_EQ(imageURL->absoluteString(), server.URL("/img/text.jpg"));
            ++calls;
        });
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return calls == 1; }));

    auto view = UIImageView::create(CGRectZero);
    std::shared_ptr<NSError> viewError;
    UIImageView_RemoteImage::ri_setImageWithURL(view, nullptr, fallback, 0, nullptr,
        [&](const UIImageRef&, const std::shared_ptr<NSError>& error, RIImageCacheType, const std::shared_ptr<NSURL>&) { viewError = error; });
    EXPECT_EQ(view->image(), fallback);
    ASSERT_TRUE(viewError);
    EXPECT_EQ(viewError->code(), -1);
    EXPECT_EQ(viewError->localizedDescription(), "Trying to load a nil url");
}

TEST_F(ImageLoadingTest, ButtonsAndAnnotationViewsLoadPerStateAndKeepTheirURLs)
{
    Result warm;
    load("/img/button.jpg", warm);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return warm.calls == 1; }));

    auto button = UIButton::create(CGRectZero);
    int completions = 0;
    UIButton_RemoteImage::ri_setImageWithURL(button, url("/img/button.jpg"), UIControlStateNormal, fallback, 0,
        [&](const UIImageRef& image, const std::shared_ptr<NSError>&, RIImageCacheType source, const std::shared_ptr<NSURL>&) {
            EXPECT_EQ(source, RIImageCacheSourceMemory);
            EXPECT_TRUE(image);
            ++completions;
        });
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(button->imageForState(UIControlStateNormal), warm.image);
    EXPECT_EQ(UIButton_RemoteImage::ri_imageURLForState(*button, UIControlStateNormal)->absoluteString(), server.URL("/img/button.jpg"));
    button->setHighlighted(true);
    EXPECT_EQ(UIButton_RemoteImage::ri_currentImageURL(*button)->absoluteString(), server.URL("/img/button.jpg"));

    UIButton_RemoteImage::ri_setBackgroundImageWithURL(button, url("/held/background.jpg"), UIControlStateNormal, fallback);
    UIButton_RemoteImage::ri_setImageWithURL(button, url("/img/button.jpg"), UIControlStateHighlighted);
    EXPECT_EQ(UIView_RemoteImageOperation::ri_imageLoadOperationCount(*button, "UIButtonBackgroundImageOperation0"), 1u);
    EXPECT_EQ(button->backgroundImageForState(UIControlStateNormal), fallback);
    UIButton_RemoteImage::ri_setImageWithURL(button, nullptr, UIControlStateNormal);
    EXPECT_FALSE(UIButton_RemoteImage::ri_imageURLForState(*button, UIControlStateNormal));

    auto pin = MKAnnotationView::create(CGRectZero);
    UIImageRef shown;
    UIImageRef placeholder = fallback;
    MKAnnotationView_RemoteImage::ri_setImageWithURL(pin, url("/img/button.jpg"), placeholder, 0,
        [&](const UIImageRef& image, const std::shared_ptr<NSError>&, RIImageCacheType, const std::shared_ptr<NSURL>&) { shown = image; });
    EXPECT_EQ(pin->image(), warm.image);
    EXPECT_EQ(shown, warm.image);
    EXPECT_EQ(pin->bounds().size.width, 16);
    EXPECT_EQ(MKAnnotationView_RemoteImage::ri_imageURL(*pin)->absoluteString(), server.URL("/img/button.jpg"));
}

TEST_F(ImageLoadingTest, AViewGoneBeforeItsImageHearsNothing)
{
    int completions = 0;
    {
        auto view = UIImageView::create(CGRectZero);
        UIImageView_RemoteImage::ri_setImageWithURL(view, url("/held/gone.jpg"), nullptr, 0, nullptr,
            [&](const UIImageRef&, const std::shared_ptr<NSError>&, RIImageCacheType, const std::shared_ptr<NSURL>&) { ++completions; });
        ASSERT_TRUE(testing_support::runLoopUntil([&] { return countOf("/held/gone.jpg") == 1; }));
    }
    hold.letGo();
    testing_support::runLoopUntil([] { return false; }, 0.2);
    EXPECT_EQ(completions, 0);
    EXPECT_FALSE(RIImageManager::sharedManager()->isRunning());
}

TEST_F(ImageLoadingTest, ThePrefetcherLoadsTwentyURLsThreeAtATimeAndReportsProgress)
{
    std::atomic<int> inFlight { 0 };
    std::atomic<int> mostInFlight { 0 };
    server.routes().Get(R"(/list/(.*))", [&, this](const httplib::Request&, httplib::Response& response) {
        const int now = ++inFlight;
        int seen = mostInFlight.load();
        while (now > seen && !mostInFlight.compare_exchange_weak(seen, now)) { }
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
        --inFlight;
        response.set_content(std::string(jpeg.begin(), jpeg.end()), "image/jpeg");
    });
    std::vector<std::shared_ptr<NSURL>> urls;
    for (int i = 0; i < 20; ++i)
        urls.push_back(url("/list/" + std::to_string(i) + ".jpg"));
    urls[7] = url("/missing.jpg");

    auto prefetcher = RIImagePrefetcher::sharedImagePrefetcher();
    EXPECT_EQ(RIImageDownloader::sharedDownloader()->maxConcurrentDownloads(), 3);
    std::vector<std::pair<NSUInteger, NSUInteger>> progress;
    std::optional<std::pair<NSUInteger, NSUInteger>> done;
    prefetcher->prefetchURLs(urls, [&](NSUInteger finished, NSUInteger total) { progress.emplace_back(finished, total); },
        [&](NSUInteger finished, NSUInteger skipped) { done = std::make_pair(finished, skipped); });
    EXPECT_EQ(prefetcher->requestedCount(), 3u);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return done.has_value(); }));
    EXPECT_EQ(*done, std::make_pair(NSUInteger(20), NSUInteger(1)));
    ASSERT_EQ(progress.size(), 20u);
    for (NSUInteger i = 0; i < 20; ++i)
        EXPECT_EQ(progress[i], std::make_pair(i + 1, NSUInteger(20)));
    EXPECT_LE(mostInFlight.load(), 3);
    EXPECT_TRUE(RIImageManager::sharedManager()->cachedImageExistsForURL(urls[19]));
}

TEST_F(ImageLoadingTest, ANewPrefetchRunIgnoresTheBlocksOfTheCancelledOne)
{
    auto prefetcher = RIImagePrefetcher::create(RIImageManager::create());
    std::vector<std::shared_ptr<NSURL>> first;
    for (int i = 0; i < 6; ++i)
        first.push_back(url("/held/first" + std::to_string(i) + ".jpg"));
    bool firstDone = false;
    prefetcher->prefetchURLs(first, nullptr, [&](NSUInteger, NSUInteger) { firstDone = true; });
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return countOf("/held/first0.jpg") == 1; }));

    std::vector<std::shared_ptr<NSURL>> second;
    for (int i = 0; i < 4; ++i)
        second.push_back(url("/img/second" + std::to_string(i) + ".jpg"));
    std::vector<NSUInteger> finishedCounts;
    std::optional<std::pair<NSUInteger, NSUInteger>> secondDone;
    prefetcher->prefetchURLs(second, [&](NSUInteger finished, NSUInteger) { finishedCounts.push_back(finished); },
        [&](NSUInteger finished, NSUInteger skipped) { secondDone = std::make_pair(finished, skipped); });
    hold.letGo();
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return secondDone.has_value(); }));
    testing_support::runLoopUntil([] { return false; }, 0.2);
    EXPECT_FALSE(firstDone);
    EXPECT_EQ(*secondDone, std::make_pair(NSUInteger(4), NSUInteger(0)));
    EXPECT_EQ(finishedCounts, (std::vector<NSUInteger> { 1, 2, 3, 4 }));
    EXPECT_EQ(prefetcher->requestedCount(), 4u);
    EXPECT_EQ(countOf("/held/first3.jpg"), 0);

    bool empty = false;
    prefetcher->prefetchURLs({}, nullptr, [&](NSUInteger finished, NSUInteger skipped) { empty = finished == 0 && skipped == 0; });
    EXPECT_TRUE(empty);
}

} // namespace

TEST_F(ImageLoadingTest, AnimationFramesAreTheImagesThatArrivedAndACancelledListAddsNone)
{
    auto view = UIImageView::create(CGRectZero);
    UIImageView_RemoteImage::ri_setAnimationImagesWithURLs(view,
        { url("/img/frame1.jpg"), url("/missing.jpg"), url("/error-page.jpg"), url("/img/frame2.jpg") });
    EXPECT_EQ(UIView_RemoteImageOperation::ri_imageLoadOperationCount(*view, "UIImageViewAnimationImages"), 4u);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return !RIImageManager::sharedManager()->isRunning() && view->animationImages().size() == 2; }));
    EXPECT_TRUE(view->isAnimating());

    // A newer list replaces the running one; cancelling it leaves the frames there are.
    UIImageView_RemoteImage::ri_setAnimationImagesWithURLs(view, { url("/held/frame3.jpg") });
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return countOf("/held/frame3.jpg") == 1; }));
    UIImageView_RemoteImage::ri_cancelCurrentAnimationImagesLoad(*view);
    EXPECT_EQ(UIView_RemoteImageOperation::ri_imageLoadOperationCount(*view, "UIImageViewAnimationImages"), 0u);
    hold.letGo();
    testing_support::runLoopUntil([] { return false; }, 0.2);
    EXPECT_EQ(view->animationImages().size(), 2u);
    EXPECT_FALSE(RIImageManager::sharedManager()->isRunning());
}

TEST_F(ImageLoadingTest, AHighlightedImageSetsOnlyOnSuccessAndACancelledLoadIsSilent)
{
    struct Heard {
        UIImageRef image;
        std::shared_ptr<NSError> error;
        int calls { 0 };
    };
    auto view = UIImageView::create(CGRectZero);
    view->setImage(fallback);
    auto recorder = [](Heard& heard) {
        return [&heard](const UIImageRef& image, const std::shared_ptr<NSError>& error, RIImageCacheType, const std::shared_ptr<NSURL>&) {
            heard.image = image;
            heard.error = error;
            ++heard.calls;
        };
    };

    Heard none;
    UIImageView_HighlightedRemoteImage::ri_setHighlightedImageWithURL(view, nullptr, 0, nullptr, recorder(none));
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return none.calls == 1; }));
    ASSERT_TRUE(none.error);
    EXPECT_EQ(none.error->code(), RIImageErrorNilURL);

    Heard missing;
    UIImageView_HighlightedRemoteImage::ri_setHighlightedImageWithURL(view, url("/missing.jpg"), 0, nullptr, recorder(missing));
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return missing.calls == 1; }));
    EXPECT_TRUE(missing.error);
    EXPECT_FALSE(missing.image);
    EXPECT_FALSE(view->highlightedImage());

    Heard cancelled;
    UIImageView_HighlightedRemoteImage::ri_setHighlightedImageWithURL(view, url("/held/pressed.jpg"), 0, nullptr, recorder(cancelled));
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return countOf("/held/pressed.jpg") == 1; }));
    UIImageView_HighlightedRemoteImage::ri_cancelCurrentHighlightedImageLoad(*view);
    hold.letGo();
    testing_support::runLoopUntil([] { return false; }, 0.2);
    EXPECT_EQ(cancelled.calls, 0);
    EXPECT_FALSE(view->highlightedImage());

    Heard loaded;
    UIImageView_HighlightedRemoteImage::ri_setHighlightedImageWithURL(view, url("/img/pressed.jpg"), 0, nullptr, recorder(loaded));
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return loaded.calls == 1; }));
    EXPECT_FALSE(loaded.error);
    EXPECT_EQ(view->highlightedImage(), loaded.image);
    EXPECT_EQ(view->image(), fallback);
}

TEST_F(ImageLoadingTest, AButtonBackgroundWithoutAURLShowsThePlaceholderAndSaysWhy)
{
    auto button = UIButton::create(CGRectZero);
    std::shared_ptr<NSError> error;
    int calls = 0;
    UIButton_RemoteImage::ri_setBackgroundImageWithURL(button, url("/held/back.jpg"), UIControlStateNormal);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return countOf("/held/back.jpg") == 1; }));
    // The newer call without a URL cancels the held one, whose image never lands.
    UIButton_RemoteImage::ri_setBackgroundImageWithURL(button, nullptr, UIControlStateNormal, fallback, 0,
        [&](const UIImageRef&, const std::shared_ptr<NSError>& failure, RIImageCacheType, const std::shared_ptr<NSURL>&) {
            error = failure;
            ++calls;
        });
    hold.letGo();
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return calls == 1; }));
    testing_support::runLoopUntil([] { return false; }, 0.2);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(error->code(), RIImageErrorNilURL);
    EXPECT_EQ(button->backgroundImageForState(UIControlStateNormal), fallback);
}

namespace {

// Declines the URLs whose path holds "declined" and turns every downloaded image into another.
class Curator : public RIImageManagerDelegate {
public:
    std::optional<bool> imageManagerShouldDownloadImageForURL(RIImageManager&, const std::shared_ptr<NSURL>& url) override
    {
        return url->path().UTF8String().find("declined") == std::string::npos;
    }
    std::optional<UIImageRef> imageManagerTransformDownloadedImage(RIImageManager&, const UIImageRef& image, const std::shared_ptr<NSURL>&) override
    {
        seen = image;
        return replacement;
    }
    UIImageRef replacement;
    UIImageRef seen;
};

} // namespace

TEST_F(ImageLoadingTest, ADelegateMayDeclineADownloadOrReplaceTheImageWhichIsWhatTheCacheKeeps)
{
    auto manager = RIImageManager::create();
    auto curator = std::make_shared<Curator>();
    curator->replacement = UIImage::imageWithData(dataOf(ImageFixtures::png(3, 3, opaqueBlue)));
    manager->setDelegate(curator);

    Result declined;
    load("/img/declined.jpg", declined, 0, manager);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return declined.calls == 1; }));
    EXPECT_EQ(declined.image, fallback);
    EXPECT_FALSE(declined.error);
    EXPECT_EQ(declined.source, RIImageCacheSourceNone);
    EXPECT_EQ(countOf("/img/declined.jpg"), 0);
    EXPECT_FALSE(manager->isRunning());

    Result replaced;
    load("/img/replaced.jpg", replaced, 0, manager);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return replaced.calls == 1; }));
    EXPECT_EQ(replaced.image, curator->replacement);
    EXPECT_TRUE(replaced.onMain);
    ASSERT_TRUE(curator->seen);
    EXPECT_EQ(curator->seen->size(), CGSizeMake(16, 12));
    EXPECT_EQ(manager->imageCache()->imageFromMemoryCacheForKey(manager->cacheKeyForURL(url("/img/replaced.jpg"))), curator->replacement);
    EXPECT_FALSE(manager->isRunning());
}

TEST_F(ImageLoadingTest, ACacheKeyFilterLetsURLsThatDifferOnlyInTheirTokenShareOneImage)
{
    auto manager = RIImageManager::create();
    manager->setCacheKeyFilter([](const std::shared_ptr<NSURL>& url) {
        const std::string text = url->absoluteString().UTF8String();
        return NSString(text.substr(0, text.find('?')));
    });
    Result first;
    load("/img/keyed.jpg?token=1", first, 0, manager);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return first.calls == 1; }));
    Result second;
    load("/img/keyed.jpg?token=2", second, 0, manager);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return second.calls == 1; }));
    EXPECT_EQ(second.source, RIImageCacheSourceMemory);
    EXPECT_EQ(second.image, first.image);
    EXPECT_EQ(countOf("/img/keyed.jpg"), 1);
    EXPECT_TRUE(manager->cachedImageExistsForURL(url("/img/keyed.jpg?token=3")));
    EXPECT_FALSE(manager->cachedImageExistsForURL(url("/img/other.jpg?token=1")));
}

TEST_F(ImageLoadingTest, RefreshingACachedImageShowsItAtOnceThenWhatTheServerSends)
{
    Result warm;
    load("/img/refreshed.jpg", warm);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return warm.calls == 1; }));

    std::vector<RIImageCacheType> sources;
    std::vector<UIImageRef> images;
    RIImageManager::sharedManager()->downloadImageWithURL(url("/img/refreshed.jpg"), RIImageLoadRefreshCached, nullptr,
        [&](const UIImageRef& image, const std::shared_ptr<NSError>& error, RIImageCacheType source, bool finished, const std::shared_ptr<NSURL>&) {
            EXPECT_FALSE(error);
            EXPECT_TRUE(finished);
            sources.push_back(source);
            images.push_back(image);
        });
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return sources.size() == 2 && !RIImageManager::sharedManager()->isRunning(); }));
    EXPECT_EQ(sources[0], RIImageCacheSourceMemory);
    EXPECT_EQ(images[0], warm.image);
    EXPECT_EQ(sources[1], RIImageCacheSourceNone);
    ASSERT_TRUE(images[1]);
    EXPECT_EQ(countOf("/img/refreshed.jpg"), 2);
}

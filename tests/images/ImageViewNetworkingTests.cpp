#include "library/network/images/UIImageView_RQNetworking.h"
#include "library/network/request/RQNetworkActivityIndicatorManager.h"
#include "tests/images/ImageTestSupport.h"
#include "tests/net/LoopbackServer.h"

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/SystemClock.h"
#include "platform/uikit/UIApplication.h"

#include <gtest/gtest.h>

namespace {

using namespace imagetests;

class ImageViewNetworkingTest : public testing::Test {
protected:
    void SetUp() override
    {
        png = ImageFixtures::png(6, 4, opaqueBlue);
        server.routes().Get(R"(/pic/(.*))", [this](const httplib::Request&, httplib::Response& response) {
            ++served;
            response.set_content(std::string(png.begin(), png.end()), "image/png");
        });
        server.routes().Get("/gone.png", [](const httplib::Request&, httplib::Response& response) { response.status = 404; });
        server.start();
    }
    void TearDown() override { SystemClock::useRealClock(); }

    std::shared_ptr<NSURL> url(const std::string& path) { return NSURL::URLWithString(server.URL(path)); }

    loopback::Server server;
    std::vector<std::uint8_t> png;
    std::atomic<int> served { 0 };
};

TEST_F(ImageViewNetworkingTest, AnImageIsShownCachedAndTheNextViewTakesItFromTheCache)
{
    auto placeholder = UIImage::imageWithData(dataOf(png));
    auto view = UIImageView::create(CGRectZero);
    UIImageView_RQNetworking::setImageWithURL(view, url("/pic/a.png"), placeholder);
    EXPECT_EQ(view->image(), placeholder);
    EXPECT_TRUE(UIImageView_RQNetworking::rq_imageRequestOperation(*view));
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return view->image() != placeholder; }));
    EXPECT_FALSE(UIImageView_RQNetworking::rq_imageRequestOperation(*view));

    auto other = UIImageView::create(CGRectZero);
    UIImageView_RQNetworking::setImageWithURL(other, url("/pic/a.png"));
    EXPECT_EQ(other->image(), view->image());
    EXPECT_EQ(served.load(), 1);

    // A request that ignores local data misses the cache.
    auto reload = NSMutableURLRequest::requestWithURL(url("/pic/a.png"), NSURLRequestReloadIgnoringLocalCacheData, 30);
    EXPECT_FALSE(UIImageView_RQNetworking::rq_sharedImageCache()->cachedImageForRequest(reload));
    NSNotificationCenter::defaultCenter()->postNotificationName(UIApplicationDidReceiveMemoryWarningNotification, nullptr);
    testing_support::runLoopUntil([] { return false; }, 0.05);
    EXPECT_FALSE(UIImageView_RQNetworking::rq_sharedImageCache()->cachedImageForRequest(NSURLRequest::requestWithURL(url("/pic/a.png"))));
}

TEST_F(ImageViewNetworkingTest, TheSecondOfTwoLoadsWinsAndAFailureLeavesTheViewAsItWas)
{
    auto view = UIImageView::create(CGRectZero);
    UIImageView_RQNetworking::setImageWithURL(view, url("/pic/first.png"));
    UIImageRef second;
    UIImageView_RQNetworking::setImageWithURLRequest(view, NSURLRequest::requestWithURL(url("/pic/second.png")), nullptr,
        [&](const std::shared_ptr<NSURLRequest>&, const std::shared_ptr<NSHTTPURLResponse>&, const UIImageRef& image) { second = image; }, nullptr);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return second != nullptr; }));
    EXPECT_FALSE(view->image());

    std::shared_ptr<NSError> error;
    UIImageView_RQNetworking::setImageWithURLRequest(view, NSURLRequest::requestWithURL(url("/gone.png")), nullptr, nullptr,
        [&](const std::shared_ptr<NSURLRequest>&, const std::shared_ptr<NSHTTPURLResponse>&, const std::shared_ptr<NSError>& failure) { error = failure; });
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return error != nullptr; }));
    EXPECT_EQ(error->code(), NSURLErrorBadServerResponse);
    EXPECT_FALSE(view->image());
}

TEST_F(ImageViewNetworkingTest, TheActivityIndicatorShowsAtOnceAndHidesAfterAPause)
{
    SystemClock::useManualClock();
    auto application = UIApplication::sharedApplication();
    auto manager = RQNetworkActivityIndicatorManager::sharedManager();
    manager->decrementActivityCount();
    EXPECT_EQ(manager->activityCount(), 0);
    manager->incrementActivityCount();
    testing_support::runLoopUntil([] { return false; }, 0.02);
    EXPECT_FALSE(application->isNetworkActivityIndicatorVisible());

    manager->setEnabled(true);
    manager->incrementActivityCount();
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return application->isNetworkActivityIndicatorVisible(); }));
    manager->setActivityCount(0);
    testing_support::runLoopUntil([] { return false; }, 0.02);
    EXPECT_TRUE(application->isNetworkActivityIndicatorVisible());
    NSRunLoop::currentRunLoop()->advanceClock(0.2);
    EXPECT_FALSE(application->isNetworkActivityIndicatorVisible());
}

} // namespace

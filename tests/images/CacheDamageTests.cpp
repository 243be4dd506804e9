#include "library/network/images/RIImageManager.h"
#include "tests/images/ImageTestSupport.h"
#include "tests/net/LoopbackServer.h"
#include "tests/support/Waiting.h"

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/UIApplication.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using namespace imagetests;
namespace fs = std::filesystem;

// Made for each download instead of the downloader's own class, and counted.
std::atomic<int> countedOperations { 0 };
class CountedDownloaderOperation final : public RIImageDownloaderOperation {
    NS_OBJECT(CountedDownloaderOperation, RIImageDownloaderOperation)
protected:
    void init(const std::shared_ptr<NSURLRequest>& request, NSUInteger options, RIImageDownloaderProgressBlock progress,
        RIImageDownloaderCompletedBlock completed, std::function<void()> cancelled)
    {
        ++countedOperations;
        super::init(request, options, std::move(progress), std::move(completed), std::move(cancelled));
    }
};

// A manager of its own over a photo server that counts what it is asked.
class CacheDamageTest : public testing::Test {
protected:
    void SetUp() override
    {
        photo = ImageFixtures::jpeg(64, 48);
        server.routes().Get(R"(/photo/(.*))", [this](const httplib::Request&, httplib::Response& response) {
            ++requests;
            response.set_content(std::string(photo.begin(), photo.end()), "image/jpeg");
        });
        server.start();
        const std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        cache = RIImageCache::create(NSString(name));
        manager = RIImageManager::create(cache, RIImageDownloader::create());
    }

    struct Loaded {
        UIImageRef image;
        RIImageCacheType source { RIImageCacheSourceNone };
        bool done { false };
    };

    Loaded load(const std::string& path)
    {
        Loaded loaded;
        auto handle = manager->downloadImageWithURL(NSURL::URLWithString(server.URL(path)), 0, nullptr,
            [&loaded](const UIImageRef& image, const std::shared_ptr<NSError>&, RIImageCacheType source, bool finished, const std::shared_ptr<NSURL>&) {
                if (!finished)
                    return;
                loaded.image = image;
                loaded.source = source;
                loaded.done = true;
            });
        EXPECT_TRUE(testing_support::runLoopUntil([&] { return loaded.done; })) << path;
        cache->getDiskCount();
        return loaded;
    }

    std::string fileOf(const std::string& path) const
    {
        return cache->defaultCachePathForKey(NSString(server.URL(path))).UTF8String();
    }

    loopback::Server server;
    std::vector<std::uint8_t> photo;
    std::atomic<int> requests { 0 };
    std::shared_ptr<RIImageCache> cache;
    std::shared_ptr<RIImageManager> manager;
};

} // namespace

TEST_F(CacheDamageTest, aCutShortOrOverwrittenEntryIsRemovedAndFetchedAgain)
{
    ASSERT_TRUE(load("/photo/a.jpg").image);
    const std::string file = fileOf("/photo/a.jpg");
    ASSERT_EQ(readFile(file), photo);

    // Cut to half, as a full disk or a kill would leave it; it would still decode in part.
    cache->clearMemory();
    fs::resize_file(file, photo.size() / 2);
    auto again = load("/photo/a.jpg");
    ASSERT_TRUE(again.image);
    EXPECT_EQ(again.source, RIImageCacheSourceNone);
    EXPECT_EQ(again.image->size().width, 64);
    EXPECT_EQ(requests, 2);
    EXPECT_EQ(readFile(file), photo);

    // Bytes changed in place, the length kept.
    cache->clearMemory();
    {
        std::fstream stream(file, std::ios::in | std::ios::out | std::ios::binary);
        stream.seekp(std::streamoff(photo.size() / 2));
        stream.write("\x01\x02\x03\x04", 4);
    }
    EXPECT_FALSE(cache->diskImageForKey(NSString(server.URL("/photo/a.jpg"))));
    EXPECT_FALSE(fs::exists(file));

    // A sound entry is answered from the disk without asking the server.
    ASSERT_TRUE(load("/photo/a.jpg").image);
    cache->clearMemory();
    auto fromDisk = load("/photo/a.jpg");
    EXPECT_EQ(fromDisk.source, RIImageCacheSourceDisk);
    EXPECT_EQ(requests, 3);
}

TEST_F(CacheDamageTest, aFileNotWrittenByTheCacheOrThatDoesNotDecodeIsNeverShown)
{
    const NSString key(server.URL("/photo/b.jpg"));
    fs::create_directories(cache->diskCachePath().UTF8String());
    std::ofstream(fileOf("/photo/b.jpg"), std::ios::binary) << "<html>not a photo</html>";
    EXPECT_FALSE(cache->diskImageForKey(key));
    EXPECT_FALSE(fs::exists(fileOf("/photo/b.jpg")));

    // Stored by the cache, but no image: removed once read.
    cache->storeImage(UIImage::imageWithData(dataOf(photo)), false, NSData::dataWithBytes("GIF89a", 6), key, true);
    cache->getDiskCount();
    cache->clearMemory();
    ASSERT_TRUE(fs::exists(fileOf("/photo/b.jpg")));
    EXPECT_FALSE(cache->diskImageForKey(key));
    EXPECT_FALSE(fs::exists(fileOf("/photo/b.jpg")));
}

TEST_F(CacheDamageTest, copiesLeftByAKillGoWhenTheCacheOpens)
{
    ASSERT_TRUE(load("/photo/c.jpg").image);
    const fs::path left = fileOf("/photo/c.jpg") + ".tmp-k1ll3d";
    std::ofstream(left) << "half";
    auto reopened = RIImageCache::create(NSString(testing::UnitTest::GetInstance()->current_test_info()->name()));
    reopened->getDiskCount();
    EXPECT_FALSE(fs::exists(left));
    EXPECT_TRUE(fs::exists(fileOf("/photo/c.jpg")));
}

TEST_F(CacheDamageTest, theDownloaderMakesTheOperationClassItWasGiven)
{
    countedOperations = 0;
    manager->imageDownloader()->setOperationClass<CountedDownloaderOperation>();
    ASSERT_TRUE(load("/photo/d.jpg").image);
    EXPECT_EQ(countedOperations, 1);

    manager->imageDownloader()->setOperationClass(nullptr);
    ASSERT_TRUE(load("/photo/e.jpg").image);
    EXPECT_EQ(countedOperations, 1);
    EXPECT_EQ(requests, 2);
}

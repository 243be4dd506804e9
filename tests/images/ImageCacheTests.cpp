#include "library/network/images/RIImageCache.h"
#include "library/network/shared/RIImageDecoding.h"
#include "tests/images/ImageTestSupport.h"

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSPathUtilities.h"
#include "platform/foundation/NSThread.h"
#include "platform/foundation/TypedValues.h"
#include "platform/uikit/UIApplication.h"

#include <gtest/gtest.h>

namespace {

using namespace imagetests;
namespace fs = std::filesystem;

class ImageCacheTest : public testing::Test {
protected:
    void SetUp() override
    {
        cache = RIImageCache::create(NSString(testing::UnitTest::GetInstance()->current_test_info()->name()));
        jpegBytes = ImageFixtures::jpeg(8, 8);
        image = UIImage::imageWithData(dataOf(jpegBytes));
        ASSERT_TRUE(image);
    }

    // Waits for the disk queue to run what was queued before.
    void drain() { cache->getDiskCount(); }

    std::string pathFor(const NSString& key) const { return cache->defaultCachePathForKey(key).UTF8String(); }

    std::shared_ptr<RIImageCache> cache;
    std::vector<std::uint8_t> jpegBytes;
    UIImageRef image;
};

TEST_F(ImageCacheTest, FilesAreNamedByTheKeysDigestUnderTheCachesDirectory)
{
    auto shared = RIImageCache::sharedImageCache();
    auto caches = ns::stringValue(NSSearchPathForDirectoriesInDomains(NSCachesDirectory, NSUserDomainMask, true)->objectAtIndex(0));
    EXPECT_EQ(shared->diskCachePath(), caches.stringByAppendingPathComponent("com.lornavest.RIImageCache.default"));
    EXPECT_EQ(shared->defaultCachePathForKey("abc"),
        caches.stringByAppendingPathComponent("com.lornavest.RIImageCache.default/900150983cd24fb0d6963f7d28e17f72"));
    EXPECT_EQ(RIImageCache::cachedFileNameForKey(""), "d41d8cd98f00b204e9800998ecf8427e");
}

TEST_F(ImageCacheTest, StoredBytesAreKeptAsDownloadedOrReencodedByTheirSignature)
{
    cache->storeImage(image, false, dataOf(jpegBytes), "downloaded", true);
    cache->storeImage(image, "made");
    auto png = ImageFixtures::png(8, 8, opaqueBlue);
    cache->storeImage(image, true, dataOf(png), "recalculated-png", true);
    cache->storeImage(image, true, dataOf(jpegBytes), "recalculated-jpeg", true);
    cache->storeImage(nullptr, "no-image");
    cache->storeImage(image, NSString());
    drain();

    EXPECT_EQ(readFile(pathFor("downloaded")), jpegBytes);
    EXPECT_TRUE(RIImageDataHasPNGPrefix(dataOf(readFile(pathFor("made")))));
    const auto recalculatedPNG = readFile(pathFor("recalculated-png"));
    EXPECT_TRUE(RIImageDataHasPNGPrefix(dataOf(recalculatedPNG)));
    EXPECT_NE(recalculatedPNG, png);
    const auto recalculatedJPEG = readFile(pathFor("recalculated-jpeg"));
    ASSERT_GE(recalculatedJPEG.size(), 2u);
    EXPECT_EQ(recalculatedJPEG[0], 0xFF);
    EXPECT_FALSE(fs::exists(pathFor("no-image")));
    // Files are renamed into place: nothing half-written lies beside them.
    EXPECT_EQ(cache->getDiskCount(), 4u);
}

TEST_F(ImageCacheTest, AQueryAnswersFromDiskOnTheMainThreadThenFromMemoryAtOnce)
{
    cache->storeImage(image, false, dataOf(jpegBytes), "key", true);
    drain();
    cache->clearMemory();
    EXPECT_FALSE(cache->imageFromMemoryCacheForKey("key"));

    UIImageRef found;
    RIImageCacheType source = RIImageCacheSourceNone;
    bool onMain = false;
    auto handle = cache->queryDiskCacheForKey("key", [&](const UIImageRef& answer, RIImageCacheType from) {
        found = answer;
        source = from;
        onMain = NSThread::isMainThread();
    });
    EXPECT_TRUE(handle);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return found != nullptr; }));
    EXPECT_EQ(source, RIImageCacheSourceDisk);
    EXPECT_TRUE(onMain);

    bool answered = false;
    EXPECT_FALSE(cache->queryDiskCacheForKey("key", [&](const UIImageRef& answer, RIImageCacheType from) {
        answered = answer && from == RIImageCacheSourceMemory;
    }));
    EXPECT_TRUE(answered);

    bool missed = false;
    cache->queryDiskCacheForKey("nowhere", [&](const UIImageRef& answer, RIImageCacheType from) { missed = !answer && from == RIImageCacheSourceDisk; });
    EXPECT_TRUE(testing_support::runLoopUntil([&] { return missed; }));

    bool noKey = false;
    EXPECT_FALSE(cache->queryDiskCacheForKey(NSString(), [&](const UIImageRef& answer, RIImageCacheType from) { noKey = !answer && from == RIImageCacheSourceNone; }));
    EXPECT_TRUE(noKey);
}

TEST_F(ImageCacheTest, ACancelledQueryNeverAnswers)
{
    cache->storeImage(image, false, dataOf(jpegBytes), "key", true);
    drain();
    cache->clearMemory();
    dispatch_suspend(cache->ioQueue());
    bool answered = false;
    auto handle = cache->queryDiskCacheForKey("key", [&](const UIImageRef&, RIImageCacheType) { answered = true; });
    handle->cancel();
    dispatch_resume(cache->ioQueue());
    drain();
    testing_support::runLoopUntil([] { return false; }, 0.1);
    EXPECT_FALSE(answered);
    EXPECT_FALSE(cache->imageFromMemoryCacheForKey("key"));
}

TEST_F(ImageCacheTest, AMemoryWarningEmptiesTheMemoryLevelOnly)
{
    cache->storeImage(image, false, dataOf(jpegBytes), "key", true);
    drain();
    EXPECT_TRUE(cache->imageFromMemoryCacheForKey("key"));
    NSNotificationCenter::defaultCenter()->postNotificationName(UIApplicationDidReceiveMemoryWarningNotification, nullptr);
    EXPECT_FALSE(cache->imageFromMemoryCacheForKey("key"));
    auto fromDisk = cache->imageFromDiskCacheForKey("key");
    ASSERT_TRUE(fromDisk);
    EXPECT_EQ(cache->imageFromMemoryCacheForKey("key"), fromDisk);
}

TEST_F(ImageCacheTest, RemovalCallsItsCompletionEvenWithoutAKey)
{
    cache->storeImage(image, false, dataOf(jpegBytes), "key", true);
    drain();
    int calls = 0;
    cache->removeImageForKey(NSString(), true, [&] { ++calls; });
    EXPECT_EQ(calls, 1);
    cache->removeImageForKey("key", false, [&] { ++calls; });
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(fs::exists(pathFor("key")));
    cache->removeImageForKey("key", [&] { ++calls; });
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return calls == 3; }));
    EXPECT_FALSE(fs::exists(pathFor("key")));
}

TEST_F(ImageCacheTest, CleanUpRemovesWhatIsAWeekOldAndTrimsTheOldestToHalfTheLimit)
{
    const std::vector<std::uint8_t> block(4096, 0x5A);
    for (int i = 0; i < 6; ++i)
        cache->storeImage(image, false, dataOf(block), NSString(("file" + std::to_string(i)).c_str()), true);
    drain();
    ageFile(pathFor("file0"), 604800 + 5);
    ageFile(pathFor("file1"), 604800 - 60);
    for (int i = 2; i < 6; ++i)
        ageFile(pathFor(NSString(("file" + std::to_string(i)).c_str())), 600 - i * 10);

    bool cleaned = false;
    cache->cleanDiskWithCompletionBlock([&] { cleaned = true; });
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return cleaned; }));
    EXPECT_FALSE(fs::exists(pathFor("file0")));
    EXPECT_EQ(cache->getDiskCount(), 5u);

    // Five blocks kept against a limit of four: the oldest go until less than two remain.
    cache->setMaxCacheSize(4 * 4096);
    cleaned = false;
    cache->cleanDiskWithCompletionBlock([&] { cleaned = true; });
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return cleaned; }));
    EXPECT_FALSE(fs::exists(pathFor("file1")));
    EXPECT_FALSE(fs::exists(pathFor("file2")));
    EXPECT_FALSE(fs::exists(pathFor("file3")));
    EXPECT_FALSE(fs::exists(pathFor("file4")));
    EXPECT_TRUE(fs::exists(pathFor("file5")));

    NSUInteger count = 0;
    NSUInteger size = 0;
    bool measured = false;
    cache->calculateSizeWithCompletionBlock([&](NSUInteger files, NSUInteger bytes) {
        count = files;
        size = bytes;
        measured = true;
    });
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return measured; }));
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(size, 4096u);
    EXPECT_EQ(cache->getSize(), 4096u);
}

TEST_F(ImageCacheTest, ReadOnlyPathsAreSearchedAfterTheOwnDirectoryAndNeverCleaned)
{
    const auto folder = fs::path(NSTemporaryDirectory().UTF8String()) / "read-only-images";
    fs::create_directories(folder);
    const auto file = folder / RIImageCache::cachedFileNameForKey("bundled").UTF8String();
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(jpegBytes.data()), std::streamsize(jpegBytes.size()));
    ageFile(file.string(), 604800 * 2);
    cache->addReadOnlyCachePath(NSString(folder.string()));
    cache->addReadOnlyCachePath(NSString(folder.string()));

    auto found = cache->diskImageForKey("bundled");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->size().width, 8);
    bool cleaned = false;
    cache->cleanDiskWithCompletionBlock([&] { cleaned = true; });
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return cleaned; }));
    cache->removeImageForKey("bundled");
    drain();
    EXPECT_TRUE(fs::exists(file));
}

TEST_F(ImageCacheTest, ExistenceIsAnsweredAtOnceAndOnTheMainQueue)
{
    EXPECT_FALSE(cache->diskImageExistsWithKey("key"));
    cache->storeImage(image, false, dataOf(jpegBytes), "key", true);
    drain();
    EXPECT_TRUE(cache->diskImageExistsWithKey("key"));
    std::optional<bool> answer;
    cache->diskImageExistsWithKey("key", [&](bool exists) { answer = exists; });
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return answer.has_value(); }));
    EXPECT_TRUE(*answer);

    bool cleared = false;
    cache->clearDiskOnCompletion([&] { cleared = true; });
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return cleared; }));
    EXPECT_FALSE(cache->diskImageExistsWithKey("key"));
    EXPECT_TRUE(fs::is_directory(cache->diskCachePath().UTF8String()));
}

TEST_F(ImageCacheTest, MemoryCostIsThePixelCount)
{
    cache->setMaxMemoryCost(8 * 8 * 2);
    cache->storeImage(image, "a", false);
    cache->storeImage(image, "b", false);
    EXPECT_TRUE(cache->imageFromMemoryCacheForKey("a"));
    cache->storeImage(image, "c", false);
    EXPECT_FALSE(cache->imageFromMemoryCacheForKey("b"));
    EXPECT_TRUE(cache->imageFromMemoryCacheForKey("c"));
}

} // namespace

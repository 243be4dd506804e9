#include "library/network/images/RIImageCache.h"

#include "library/network/shared/CacheFileSeal.h"
#include "library/network/shared/RIImageDecoding.h"
#include "platform/crypto/CommonDigest.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSPathUtilities.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NeverDestroyed.h"
#include "platform/foundation/TypedValues.h"
#include "platform/uikit/UIApplication.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr std::uint8_t kPNGSignature[8] = { 0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A };

std::string utf8(const NSString& text) { return text.isNil() ? std::string() : text.UTF8String(); }

void onMain(std::function<void()> block)
{
    if (block)
        dispatch_async(dispatch_get_main_queue(), std::move(block));
}

struct DiskEntry {
    fs::path path;
    std::int64_t modified { 0 }; // nanoseconds since the epoch
    std::uint64_t allocated { 0 };
    std::uint64_t size { 0 };
    bool directory { false };
};

// Every entry below the directory, hidden ones (and what is below them) left out.
std::vector<DiskEntry> walk(const fs::path& root)
{
    std::vector<DiskEntry> entries;
    std::error_code failure;
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, failure);
    for (; !failure && it != fs::recursive_directory_iterator(); it.increment(failure)) {
        const auto name = it->path().filename().string();
        if (!name.empty() && name.front() == '.') {
            if (it->is_directory(failure))
                it.disable_recursion_pending();
            continue;
        }
        struct stat info {};
        if (::lstat(it->path().c_str(), &info) != 0)
            continue;
        DiskEntry entry;
        entry.path = it->path();
        entry.directory = S_ISDIR(info.st_mode);
        entry.modified = std::int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
        entry.allocated = std::uint64_t(info.st_blocks) * 512;
        entry.size = std::uint64_t(info.st_size);
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::int64_t nowNanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

} // namespace

bool RIImageDataHasPNGPrefix(const std::shared_ptr<NSData>& data)
{
    return data && data->length() >= 8 && std::equal(kPNGSignature, kPNGSignature + 8, data->bytes());
}

std::shared_ptr<RIImageCache> RIImageCache::sharedImageCache()
{
    static const NeverDestroyed<std::shared_ptr<RIImageCache>> instance(RIImageCache::create());
    return instance.get();
}

void RIImageCache::init(const NSString& ns)
{
    const NSString fullNamespace = NSString("com.lornavest.RIImageCache.").stringByAppendingString(ns);
    m_ioQueue = dispatch_queue_create("com.lornavest.RIImageCache", nullptr);
    m_memCache = NSCache::create();
    m_memCache->setName(fullNamespace);
    auto paths = NSSearchPathForDirectoriesInDomains(NSCachesDirectory, NSUserDomainMask, true);
    NSString caches = paths && paths->count() ? ns::stringValue(paths->objectAtIndex(0)) : NSTemporaryDirectory();
    m_diskCachePath = caches.stringByAppendingPathComponent(fullNamespace);
    dispatch_sync(m_ioQueue, [this] { m_fileManager = NSFileManager::create(); });
    dispatch_async(m_ioQueue, [path = m_diskCachePath] { CacheFileSeal::removeStaleCopies(path); });

    auto center = NSNotificationCenter::defaultCenter();
    std::weak_ptr<RIImageCache> weakSelf = std::static_pointer_cast<RIImageCache>(self());
    center->addObserver(self(), [weakSelf](const std::shared_ptr<NSNotification>&) {
        if (auto cache = weakSelf.lock())
            cache->clearMemory();
    }, UIApplicationDidReceiveMemoryWarningNotification, nullptr);
    center->addObserver(self(), [weakSelf](const std::shared_ptr<NSNotification>&) {
        if (auto cache = weakSelf.lock())
            cache->cleanDisk();
    }, UIApplicationWillTerminateNotification, nullptr);
    center->addObserver(self(), [weakSelf](const std::shared_ptr<NSNotification>&) {
        if (auto cache = weakSelf.lock())
            cache->backgroundCleanDisk();
    }, UIApplicationDidEnterBackgroundNotification, nullptr);
}

// The centre holds its observers weakly, so the registrations end with the cache. Nothing is
// asked of the centre here: the last reference may go on the disk queue as the process exits.
RIImageCache::~RIImageCache() = default;

void RIImageCache::addReadOnlyCachePath(const NSString& path)
{
    MutexLocker lock(m_customPathsMutex);
    if (std::find(m_customPaths.begin(), m_customPaths.end(), path) == m_customPaths.end())
        m_customPaths.push_back(path);
}

NSString RIImageCache::cachePathForKey(const NSString& key, const NSString& path) const
{
    return path.stringByAppendingPathComponent(cachedFileNameForKey(key));
}

NSString RIImageCache::defaultCachePathForKey(const NSString& key) const { return cachePathForKey(key, m_diskCachePath); }

NSString RIImageCache::cachedFileNameForKey(const NSString& key)
{
    const std::string bytes = utf8(key);
    unsigned char digest[CC_MD5_DIGEST_LENGTH];
    CC_MD5(bytes.data(), static_cast<CC_LONG>(bytes.size()), digest);
    std::string name;
    char buffer[3];
    for (unsigned char byte : digest) {
        std::snprintf(buffer, sizeof buffer, "%02x", unsigned(byte));
        name += buffer;
    }
    return NSString(name);
}

void RIImageCache::storeInMemory(const UIImageRef& image, const NSString& key) const
{
    const CGSize size = image->size();
    const double cost = size.height * size.width * image->scale() * image->scale();
    m_memCache->setObject(image, key, cost > 0 ? static_cast<NSUInteger>(cost) : 0);
}

void RIImageCache::storeImage(const UIImageRef& image, bool recalculate, const std::shared_ptr<NSData>& imageData, const NSString& key,
    bool toDisk)
{
    if (!image || key.isNil())
        return;
    storeInMemory(image, key);
    if (!toDisk)
        return;
    auto self = std::static_pointer_cast<const RIImageCache>(NSObject::self());
    dispatch_async(m_ioQueue, [self, image, recalculate, imageData, key] { self->writeToDisk(image, recalculate, imageData, key); });
}

void RIImageCache::writeToDisk(const UIImageRef& image, bool recalculate, const std::shared_ptr<NSData>& imageData,
    const NSString& key) const
{
    auto data = imageData;
    if (image && (recalculate || !data)) {
        const bool png = data && data->length() >= 8 ? RIImageDataHasPNGPrefix(data) : true;
        data = png ? UIImagePNGRepresentation(image) : UIImageJPEGRepresentation(image, 1.0);
    }
    if (!data)
        return;
    if (!m_fileManager->fileExistsAtPath(m_diskCachePath))
        m_fileManager->createDirectoryAtPath(m_diskCachePath, true, nullptr);
    // Written beside the target and renamed into place, so a kill mid-write never leaves a
    // truncated file under the key's name; the seal catches what happens to it afterwards.
    CacheFileSeal::write(defaultCachePathForKey(key), data);
}

UIImageRef RIImageCache::imageFromMemoryCacheForKey(const NSString& key) const
{
    if (key.isNil())
        return nullptr;
    return std::static_pointer_cast<UIImage>(m_memCache->objectForKey(key));
}

UIImageRef RIImageCache::imageFromDiskCacheForKey(const NSString& key)
{
    if (auto image = imageFromMemoryCacheForKey(key))
        return image;
    auto image = diskImageForKey(key);
    if (image)
        storeInMemory(image, key);
    return image;
}

std::shared_ptr<NSData> RIImageCache::ownEntryForKey(const NSString& key) const
{
    const NSString path = defaultCachePathForKey(key);
    auto state = CacheFileSeal::State::Missing;
    auto data = CacheFileSeal::read(path, &state);
    if (state == CacheFileSeal::State::Damaged || state == CacheFileSeal::State::Unsealed) {
        discardOwnEntry(path);
        return nullptr;
    }
    return data;
}

void RIImageCache::discardOwnEntry(const NSString& path) const
{
    // Shown from disk it would stay wrong for good; gone, the image is fetched again.
    NSLog("Damaged image cache entry removed: %@", path);
    std::error_code failure;
    fs::remove(utf8(path), failure);
}

UIImageRef RIImageCache::imageFromData(const NSString& key, const std::shared_ptr<NSData>& data) const
{
    auto image = scaledImageForKey(key, UIImage_MultiFormat::ri_imageWithData(data));
    if (image && m_shouldDecompressImages)
        image = UIImage_ForceDecode::decodedImageWithImage(image);
    return image;
}

std::shared_ptr<NSData> RIImageCache::diskImageDataBySearchingAllPathsForKey(const NSString& key) const
{
    if (auto data = ownEntryForKey(key))
        return data;
    return readOnlyDataForKey(key);
}

std::shared_ptr<NSData> RIImageCache::readOnlyDataForKey(const NSString& key) const
{
    std::vector<NSString> paths;
    {
        MutexLocker lock(m_customPathsMutex);
        paths = m_customPaths;
    }
    for (const auto& path : paths) {
        if (auto data = NSData::dataWithContentsOfFile(cachePathForKey(key, path)))
            return data;
    }
    return nullptr;
}

UIImageRef RIImageCache::diskImageForKey(const NSString& key) const
{
    if (auto data = ownEntryForKey(key)) {
        if (auto image = imageFromData(key, data))
            return image;
        discardOwnEntry(defaultCachePathForKey(key));
    }
    auto data = readOnlyDataForKey(key);
    return data ? imageFromData(key, data) : nullptr;
}

UIImageRef RIImageCache::scaledImageForKey(const NSString& key, const UIImageRef& image) const { return RIScaledImageForKey(key, image); }

std::shared_ptr<NSOperation> RIImageCache::queryDiskCacheForKey(const NSString& key, QueryCompletedBlock done)
{
    if (!done)
        return nullptr;
    if (key.isNil()) {
        done(nullptr, RIImageCacheSourceNone);
        return nullptr;
    }
    if (auto image = imageFromMemoryCacheForKey(key)) {
        done(image, RIImageCacheSourceMemory);
        return nullptr;
    }
    auto operation = NSOperation::create();
    auto self = std::static_pointer_cast<const RIImageCache>(NSObject::self());
    dispatch_async(m_ioQueue, [self, operation, key, done] {
        if (operation->isCancelled())
            return;
        auto image = self->diskImageForKey(key);
        if (image)
            self->storeInMemory(image, key);
        dispatch_async(dispatch_get_main_queue(), [done, image] { done(image, RIImageCacheSourceDisk); });
    });
    return operation;
}

bool RIImageCache::diskImageExistsWithKey(const NSString& key) const
{
    return NSFileManager::defaultManager()->fileExistsAtPath(defaultCachePathForKey(key));
}

void RIImageCache::diskImageExistsWithKey(const NSString& key, CheckCacheCompletionBlock completion)
{
    auto self = std::static_pointer_cast<const RIImageCache>(NSObject::self());
    dispatch_async(m_ioQueue, [self, key, completion] {
        const bool exists = self->m_fileManager->fileExistsAtPath(self->defaultCachePathForKey(key));
        if (completion)
            onMain([completion, exists] { completion(exists); });
    });
}

void RIImageCache::removeImageForKey(const NSString& key, bool fromDisk, NoParamsBlock completion)
{
    if (key.isNil()) {
        if (completion)
            completion();
        return;
    }
    m_memCache->removeObjectForKey(key);
    if (!fromDisk) {
        if (completion)
            completion();
        return;
    }
    auto self = std::static_pointer_cast<const RIImageCache>(NSObject::self());
    dispatch_async(m_ioQueue, [self, key, completion] {
        self->m_fileManager->removeItemAtPath(self->defaultCachePathForKey(key));
        onMain(completion);
    });
}

void RIImageCache::clearMemory() { m_memCache->removeAllObjects(); }

void RIImageCache::clearDiskOnCompletion(NoParamsBlock completion)
{
    auto self = std::static_pointer_cast<const RIImageCache>(NSObject::self());
    dispatch_async(m_ioQueue, [self, completion] {
        self->m_fileManager->removeItemAtPath(self->m_diskCachePath);
        self->m_fileManager->createDirectoryAtPath(self->m_diskCachePath, true, nullptr);
        onMain(completion);
    });
}

void RIImageCache::cleanDiskWithCompletionBlock(NoParamsBlock completion)
{
    auto self = std::static_pointer_cast<const RIImageCache>(NSObject::self());
    dispatch_async(m_ioQueue, [self, completion] {
        const auto entries = walk(utf8(self->m_diskCachePath));
        const std::int64_t expiry = nowNanoseconds() - std::int64_t(self->m_maxCacheAge.load()) * 1'000'000'000;
        std::vector<const DiskEntry*> kept;
        std::uint64_t total = 0;
        std::error_code failure;
        for (const auto& entry : entries) {
            if (entry.directory)
                continue;
            if (entry.modified <= expiry) {
                fs::remove(entry.path, failure);
                continue;
            }
            total += entry.allocated;
            kept.push_back(&entry);
        }
        const std::uint64_t limit = self->m_maxCacheSize.load();
        if (limit > 0 && total > limit) {
            const std::uint64_t target = limit / 2;
            std::stable_sort(kept.begin(), kept.end(), [](const DiskEntry* a, const DiskEntry* b) { return a->modified < b->modified; });
            for (const auto* entry : kept) {
                if (fs::remove(entry->path, failure)) {
                    total -= entry->allocated;
                    if (total < target)
                        break;
                }
            }
        }
        onMain(completion);
    });
}

void RIImageCache::backgroundCleanDisk()
{
    auto application = UIApplication::sharedApplication();
    if (!application)
        return;
    auto task = std::make_shared<std::atomic<UIBackgroundTaskIdentifier>>(UIBackgroundTaskInvalid);
    std::weak_ptr<UIApplication> weakApplication = application;
    auto end = [weakApplication, task] {
        const auto identifier = task->exchange(UIBackgroundTaskInvalid);
        if (auto app = weakApplication.lock(); app && identifier != UIBackgroundTaskInvalid)
            app->endBackgroundTask(identifier);
    };
    task->store(application->beginBackgroundTaskWithExpirationHandler(end));
    cleanDiskWithCompletionBlock(end);
}

NSUInteger RIImageCache::getSize() const
{
    NSUInteger size = 0;
    dispatch_sync(m_ioQueue, [&] {
        std::error_code failure;
        for (fs::recursive_directory_iterator it(utf8(m_diskCachePath), failure), end; !failure && it != end; it.increment(failure)) {
            if (it->is_regular_file(failure))
                size += it->file_size(failure);
        }
    });
    return size;
}

NSUInteger RIImageCache::getDiskCount() const
{
    NSUInteger count = 0;
    dispatch_sync(m_ioQueue, [&] {
        std::error_code failure;
        for (fs::recursive_directory_iterator it(utf8(m_diskCachePath), failure), end; !failure && it != end; it.increment(failure))
            ++count;
    });
    return count;
}

void RIImageCache::calculateSizeWithCompletionBlock(CalculateSizeBlock completion) const
{
    auto self = std::static_pointer_cast<const RIImageCache>(NSObject::self());
    dispatch_async(m_ioQueue, [self, completion] {
        NSUInteger count = 0;
        NSUInteger total = 0;
        for (const auto& entry : walk(utf8(self->m_diskCachePath))) {
            ++count;
            total += entry.size;
        }
        if (completion)
            onMain([completion, count, total] { completion(count, total); });
    });
}

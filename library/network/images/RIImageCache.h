#pragma once
// Decoded images under text keys at two levels: a memory cache whose cost is the pixel count,
// and one file per key (named by the key's MD5 digest) under the Caches directory, sealed with
// its length and checksum; an entry found damaged or undecodable is removed. Every disk
// write, deletion, clean-up and asynchronous read runs on one serial queue; answers go back on
// the main queue. A memory warning empties the memory level; files older than maxCacheAge go
// when the application ends or enters the background.

#include "platform/dispatch/dispatch.h"
#include "platform/foundation/Mutex.h"
#include "platform/foundation/NSCache.h"
#include "platform/foundation/NSData.h"
#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/NSOperation.h"
#include "platform/uikit/UIImage.h"

#include <vector>

enum RIImageCacheType : NSInteger {
    RIImageCacheSourceNone = 0,
    RIImageCacheSourceDisk = 1,
    RIImageCacheSourceMemory = 2,
};

// Whether the data begins with the eight bytes of the PNG signature.
bool RIImageDataHasPNGPrefix(const std::shared_ptr<NSData>& data);

class RIImageCache : public NSObject {
    NS_OBJECT(RIImageCache, NSObject)
public:
    using QueryCompletedBlock = std::function<void(const UIImageRef& image, RIImageCacheType source)>;
    using CheckCacheCompletionBlock = std::function<void(bool exists)>;
    using CalculateSizeBlock = std::function<void(NSUInteger fileCount, NSUInteger totalSize)>;
    using NoParamsBlock = std::function<void()>;

    ~RIImageCache() override;

    static std::shared_ptr<RIImageCache> sharedImageCache();

    void addReadOnlyCachePath(const NSString& path);
    NSString cachePathForKey(const NSString& key, const NSString& path) const;
    NSString defaultCachePathForKey(const NSString& key) const;
    static NSString cachedFileNameForKey(const NSString& key);

    void storeImage(const UIImageRef& image, bool recalculate, const std::shared_ptr<NSData>& imageData, const NSString& key, bool toDisk);
    void storeImage(const UIImageRef& image, const NSString& key) { storeImage(image, true, nullptr, key, true); }
    void storeImage(const UIImageRef& image, const NSString& key, bool toDisk) { storeImage(image, true, nullptr, key, toDisk); }

    UIImageRef imageFromMemoryCacheForKey(const NSString& key) const;
    UIImageRef imageFromDiskCacheForKey(const NSString& key);
    std::shared_ptr<NSData> diskImageDataBySearchingAllPathsForKey(const NSString& key) const;
    UIImageRef diskImageForKey(const NSString& key) const;
    UIImageRef scaledImageForKey(const NSString& key, const UIImageRef& image) const;
    // Nil for a memory hit (answered before the call returns) or without a key or a callback;
    // otherwise a handle whose cancellation before the disk queue reaches it stops the answer.
    std::shared_ptr<NSOperation> queryDiskCacheForKey(const NSString& key, QueryCompletedBlock done);
    bool diskImageExistsWithKey(const NSString& key) const;
    void diskImageExistsWithKey(const NSString& key, CheckCacheCompletionBlock completion);

    // A nil key removes nothing, but the completion still runs, so nobody waits for ever.
    void removeImageForKey(const NSString& key, bool fromDisk, NoParamsBlock completion);
    void removeImageForKey(const NSString& key) { removeImageForKey(key, true, nullptr); }
    void removeImageForKey(const NSString& key, NoParamsBlock completion) { removeImageForKey(key, true, std::move(completion)); }
    void removeImageForKey(const NSString& key, bool fromDisk) { removeImageForKey(key, fromDisk, nullptr); }

    void clearMemory();
    void clearDiskOnCompletion(NoParamsBlock completion);
    void clearDisk() { clearDiskOnCompletion(nullptr); }
    void cleanDiskWithCompletionBlock(NoParamsBlock completion);
    void cleanDisk() { cleanDiskWithCompletionBlock(nullptr); }
    void backgroundCleanDisk();

    NSUInteger getSize() const;
    NSUInteger getDiskCount() const;
    void calculateSizeWithCompletionBlock(CalculateSizeBlock completion) const;

    bool shouldDecompressImages() const { return m_shouldDecompressImages; }
    void setShouldDecompressImages(bool decompress) { m_shouldDecompressImages = decompress; }
    NSInteger maxCacheAge() const { return m_maxCacheAge; }
    void setMaxCacheAge(NSInteger seconds) { m_maxCacheAge = seconds; }
    NSUInteger maxCacheSize() const { return m_maxCacheSize; }
    void setMaxCacheSize(NSUInteger bytes) { m_maxCacheSize = bytes; }
    NSUInteger maxMemoryCost() const { return m_memCache->totalCostLimit(); }
    void setMaxMemoryCost(NSUInteger cost) { m_memCache->setTotalCostLimit(cost); }
    const NSString& diskCachePath() const { return m_diskCachePath; }
    const std::shared_ptr<NSCache>& memCache() const { return m_memCache; }
    const dispatch_queue_t& ioQueue() const { return m_ioQueue; }

protected:
    void init() { init("default"); }
    void init(const NSString& ns);

private:
    void storeInMemory(const UIImageRef& image, const NSString& key) const;
    void writeToDisk(const UIImageRef& image, bool recalculate, const std::shared_ptr<NSData>& imageData, const NSString& key) const;
    // The own directory's entry when its bytes are as they were stored; a damaged one is removed.
    std::shared_ptr<NSData> ownEntryForKey(const NSString& key) const;
    void discardOwnEntry(const NSString& path) const;
    std::shared_ptr<NSData> readOnlyDataForKey(const NSString& key) const;
    UIImageRef imageFromData(const NSString& key, const std::shared_ptr<NSData>& data) const;

    std::shared_ptr<NSFileManager> m_fileManager;
    std::atomic<bool> m_shouldDecompressImages { true };
    std::atomic<NSInteger> m_maxCacheAge { 604800 };
    std::atomic<NSUInteger> m_maxCacheSize { 0 };
    std::shared_ptr<NSCache> m_memCache;
    NSString m_diskCachePath;
    mutable Mutex m_customPathsMutex;
    std::vector<NSString> m_customPaths GUARDED_BY(m_customPathsMutex);
    dispatch_queue_t m_ioQueue;
};

#pragma once
// The handle of one load through the image manager: cancelling it stops the cache look-up or
// the download under way and forgets the load.

#include "library/network/images/RIImageOperation.h"
#include "platform/foundation/Mutex.h"
#include "platform/foundation/NSOperation.h"

#include <atomic>
#include <functional>

class RIImageManager;

class RIImageCombinedOperation final : public NSObject, public RIImageOperation {
    NS_OBJECT(RIImageCombinedOperation, NSObject)
public:
    void cancel() override;
    bool isCancelled() const { return m_cancelled; }
    // On a handle already cancelled the block runs at once instead of being kept.
    void setCancelBlock(std::function<void()> block);
    std::shared_ptr<NSOperation> cacheOperation() const;
    void setCacheOperation(const std::shared_ptr<NSOperation>& operation);

private:
    friend class RIImageManager;
    mutable Mutex m_mutex;
    std::atomic<bool> m_cancelled { false };
    std::function<void()> m_cancelBlock GUARDED_BY(m_mutex);
    std::shared_ptr<NSOperation> m_cacheOperation GUARDED_BY(m_mutex);
    // Forgets the handle in its manager's running list, whatever stage it was cancelled in.
    std::function<void()> m_forget GUARDED_BY(m_mutex);
};

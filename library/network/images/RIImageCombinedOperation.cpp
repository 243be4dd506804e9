#include "library/network/images/RIImageCombinedOperation.h"

void RIImageCombinedOperation::cancel()
{
    std::function<void()> cancelBlock;
    std::shared_ptr<NSOperation> cacheOperation;
    std::function<void()> forget;
    {
        MutexLocker lock(m_mutex);
        m_cancelled = true;
        cacheOperation.swap(m_cacheOperation);
        cancelBlock.swap(m_cancelBlock);
        forget.swap(m_forget);
    }
    if (cacheOperation)
        cacheOperation->cancel();
    if (cancelBlock)
        cancelBlock();
    // Whatever stage the load was in, a cancelled handle never stays in the running list.
    if (forget)
        forget();
}

void RIImageCombinedOperation::setCancelBlock(std::function<void()> block)
{
    {
        MutexLocker lock(m_mutex);
        if (!m_cancelled) {
            m_cancelBlock = std::move(block);
            return;
        }
    }
    if (block)
        block();
}

std::shared_ptr<NSOperation> RIImageCombinedOperation::cacheOperation() const
{
    MutexLocker lock(m_mutex);
    return m_cacheOperation;
}

void RIImageCombinedOperation::setCacheOperation(const std::shared_ptr<NSOperation>& operation)
{
    MutexLocker lock(m_mutex);
    if (m_cancelled) {
        if (operation)
            operation->cancel();
        return;
    }
    m_cacheOperation = operation;
}

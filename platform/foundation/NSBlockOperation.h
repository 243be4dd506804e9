#pragma once
// An operation that runs blocks; it finishes when all of them have returned.

#include "platform/foundation/NSOperation.h"

class NSBlockOperation : public NSOperation {
    NS_OBJECT(NSBlockOperation, NSOperation)
public:
    static std::shared_ptr<NSBlockOperation> blockOperationWithBlock(std::function<void()> block);

    void addExecutionBlock(std::function<void()> block);
    std::vector<std::function<void()>> executionBlocks() const;
    void main() override;

private:
    Guarded<std::vector<std::function<void()>>> m_blocks;
};

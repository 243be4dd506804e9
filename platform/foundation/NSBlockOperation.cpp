#include "platform/foundation/NSBlockOperation.h"

std::shared_ptr<NSBlockOperation> NSBlockOperation::blockOperationWithBlock(std::function<void()> block)
{
    auto operation = create();
    operation->addExecutionBlock(std::move(block));
    return operation;
}

void NSBlockOperation::addExecutionBlock(std::function<void()> block)
{
    if (!block)
        return;
    std::lock_guard lock(m_blocksMutex);
    m_blocks.push_back(std::move(block));
}

std::vector<std::function<void()>> NSBlockOperation::executionBlocks() const
{
    std::lock_guard lock(m_blocksMutex);
    return m_blocks;
}

void NSBlockOperation::main()
{
    for (const auto& block : executionBlocks())
        block();
}

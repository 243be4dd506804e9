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
    m_blocks.lock()->push_back(std::move(block));
}

std::vector<std::function<void()>> NSBlockOperation::executionBlocks() const
{
    return *m_blocks.lock();
}

void NSBlockOperation::main()
{
    for (const auto& block : executionBlocks())
        block();
}

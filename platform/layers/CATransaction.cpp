#include "platform/layers/CATransaction.h"

#include "platform/foundation/NSRunLoop.h"

#include <optional>

namespace {

struct Frame {
    bool implicit { false };
    bool flushWhenUncovered { false };
    std::optional<bool> disableActions;
    std::optional<CFTimeInterval> duration;
    std::optional<CAMediaTimingFunctionRef> timingFunction;
    std::function<void()> completionBlock;
    std::shared_ptr<CATransactionCompletion> completion { std::make_shared<CATransactionCompletion>() };
};

// Transactions belong to a thread, as on the platform.
struct ThreadTransactions {
    std::vector<Frame> frames;
    NSUInteger commits { 0 };
};

ThreadTransactions& transactions()
{
    thread_local ThreadTransactions state;
    return state;
}

void commitFrame()
{
    auto& state = transactions();
    if (state.frames.empty())
        return;
    Frame frame = std::move(state.frames.back());
    state.frames.pop_back();
    if (state.frames.empty())
        ++state.commits;
    frame.completion->setBlock(std::move(frame.completionBlock));
    frame.completion->release();
}

void openImplicit()
{
    auto& state = transactions();
    Frame frame;
    frame.implicit = true;
    state.frames.insert(state.frames.begin(), std::move(frame));
    const NSUInteger commits = state.commits;
    // The platform commits it when the run loop is about to wait; here, on the loop's next turn.
    NSRunLoop::currentRunLoop()->performInModes({ NSRunLoopCommonModes }, [commits] {
        if (transactions().commits == commits)
            CATransaction::flush();
    });
}

Frame& innermost()
{
    auto& state = transactions();
    if (state.frames.empty())
        openImplicit();
    return state.frames.back();
}

template <class T>
std::optional<T> lookup(std::optional<T> Frame::*field)
{
    const auto& frames = transactions().frames;
    for (auto it = frames.rbegin(); it != frames.rend(); ++it)
        if ((*it).*field)
            return (*it).*field;
    return std::nullopt;
}

} // namespace

void CATransactionCompletion::release()
{
    if (--m_holds > 0 || !m_block)
        return;
    auto block = std::move(m_block);
    m_block = nullptr;
    block();
}

void CATransaction::begin()
{
    transactions().frames.emplace_back();
}

void CATransaction::commit()
{
    auto& frames = transactions().frames;
    // A commit without its begin must not take the implicit transaction with it.
    if (frames.empty() || frames.back().implicit)
        return;
    commitFrame();
    if (frames.size() == 1 && frames.front().flushWhenUncovered)
        commitFrame();
}

void CATransaction::flush()
{
    auto& frames = transactions().frames;
    if (frames.empty() || !frames.front().implicit)
        return;
    if (frames.size() == 1) {
        commitFrame();
        return;
    }
    // Explicit transactions are still open inside it: it commits when the last of them does.
    frames.front().flushWhenUncovered = true;
}

CFTimeInterval CATransaction::animationDuration() { return lookup(&Frame::duration).value_or(0.25); }
void CATransaction::setAnimationDuration(CFTimeInterval duration) { innermost().duration = duration; }

CAMediaTimingFunctionRef CATransaction::animationTimingFunction() { return lookup(&Frame::timingFunction).value_or(nullptr); }
void CATransaction::setAnimationTimingFunction(const CAMediaTimingFunctionRef& function) { innermost().timingFunction = function; }

bool CATransaction::disableActions() { return lookup(&Frame::disableActions).value_or(false); }
void CATransaction::setDisableActions(bool disable) { innermost().disableActions = disable; }

std::function<void()> CATransaction::completionBlock()
{
    const auto& frames = transactions().frames;
    return frames.empty() ? nullptr : frames.back().completionBlock;
}

void CATransaction::setCompletionBlock(std::function<void()> block) { innermost().completionBlock = std::move(block); }

void CATransaction::ensureTransaction() { innermost(); }

NSUInteger CATransaction::commitCount() { return transactions().commits; }

std::vector<std::shared_ptr<CATransactionCompletion>> CATransaction::currentCompletions()
{
    std::vector<std::shared_ptr<CATransactionCompletion>> completions;
    for (const auto& frame : transactions().frames) {
        frame.completion->retain();
        completions.push_back(frame.completion);
    }
    return completions;
}

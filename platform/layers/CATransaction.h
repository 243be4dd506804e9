#pragma once
// Transactions group layer changes of one thread. Explicit ones nest between begin() and
// commit(); a change made outside them opens an implicit transaction that commits when the
// thread's run loop next turns (or at flush()). Settings apply to the innermost transaction
// that made them, falling back to the enclosing ones: actions enabled, a quarter second, no
// timing curve.
//
// A completion block runs once every animation added while its transaction (or one nested in
// it) was open has stopped, or at commit when there were none.

#include "platform/layers/CABase.h"
#include "platform/layers/CAMediaTimingFunction.h"

#include <functional>
#include <vector>

// The completion of one transaction, held by the transaction until it commits and by each
// animation added during it until the animation stops.
class CATransactionCompletion {
public:
    explicit CATransactionCompletion(std::function<void()> block = {}) : m_block(std::move(block)) { }
    void setBlock(std::function<void()> block) { m_block = std::move(block); }
    void retain() { ++m_holds; }
    // Runs the block when the last hold goes.
    void release();

private:
    std::function<void()> m_block;
    int m_holds { 1 };
};

class CATransaction : public NSObject {
    NS_OBJECT(CATransaction, NSObject)
public:
    static void begin();
    static void commit();
    // Commits the implicit transaction now, if there is one.
    static void flush();

    static CFTimeInterval animationDuration();
    static void setAnimationDuration(CFTimeInterval duration);
    static CAMediaTimingFunctionRef animationTimingFunction();
    static void setAnimationTimingFunction(const CAMediaTimingFunctionRef& function);
    static bool disableActions();
    static void setDisableActions(bool disable);
    static std::function<void()> completionBlock();
    static void setCompletionBlock(std::function<void()> block);

    // For layers: opens the implicit transaction when none is open.
    static void ensureTransaction();
    // How many outermost transactions this thread has committed.
    static NSUInteger commitCount();
    // The completions an animation added now must hold.
    static std::vector<std::shared_ptr<CATransactionCompletion>> currentCompletions();
};

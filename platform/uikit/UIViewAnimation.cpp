// The block animations of UIView: while a block runs, the views' layers ask their view for the
// action of each change, and the view answers an animation made from the block's settings.

#include "platform/foundation/NSNull.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/layers/CABasicAnimation.h"
#include "platform/layers/CATransaction.h"
#include "platform/layers/CATransition.h"
#include "platform/uikit/UIView.h"

#include <cmath>

const char* const UIViewAnimationBlocksInteractionKey = "UIViewAnimationBlocksInteraction";

namespace {

// Runs the block's completion once every animation it made has stopped, with whether all of
// them reached their end. One that never stops (its layer went away) counts as interrupted.
class AnimationCompletion : public NSObject, public CAAnimationDelegate {
    NS_OBJECT(AnimationCompletion, NSObject)
public:
    ~AnimationCompletion() override
    {
        if (m_completion && !m_fired)
            completeLater(std::move(m_completion), false);
    }

    void animationWillStart() { ++m_pending; }
    void setCompletion(std::function<void(bool)> completion) { m_completion = std::move(completion); }
    void animationDidStop(CAAnimation&, bool finished) override
    {
        if (!finished)
            m_finished = false;
        if (m_pending > 0)
            --m_pending;
        fireIfDone();
    }
    // The block has returned: no more animations will join.
    void close()
    {
        m_closed = true;
        if (m_pending == 0 && !m_fired) {
            // Nothing animated: the platform still answers on a later turn of the run loop.
            m_fired = true;
            if (m_completion)
                completeLater(std::move(m_completion), m_finished);
        }
    }

    static void completeLater(std::function<void(bool)> completion, bool finished)
    {
        NSRunLoop::mainRunLoop()->performBlock([completion = std::move(completion), finished] { completion(finished); });
    }

protected:
    void init(std::function<void(bool)> completion) { m_completion = std::move(completion); }

private:
    void fireIfDone()
    {
        if (!m_closed || m_pending > 0 || m_fired)
            return;
        m_fired = true;
        if (auto completion = std::move(m_completion))
            completion(m_finished);
    }

    std::function<void(bool)> m_completion;
    NSUInteger m_pending { 0 };
    bool m_finished { true };
    bool m_closed { false };
    bool m_fired { false };
};

// A damped spring from 0 to 1 over the duration, stretched so that it has settled at the end.
class UISpringAnimation : public CABasicAnimation {
    NS_OBJECT(UISpringAnimation, CABasicAnimation)
public:
    id copy() const override { return create(*this); }
    id valueAtFraction(CGFloat fraction, const id& underlying) const override
    {
        return CABasicAnimation::valueAtFraction(progress(fraction), underlying);
    }

protected:
    void init(CGFloat damping, CGFloat velocity, CFTimeInterval duration)
    {
        m_damping = std::clamp(damping, 0.01, 1.0);
        m_velocity = velocity;
        m_settleDuration = duration > 0 ? duration : 0.25;
    }
    void init(const UISpringAnimation& other)
    {
        CABasicAnimation::init(other);
        m_damping = other.m_damping;
        m_velocity = other.m_velocity;
        m_settleDuration = other.m_settleDuration;
    }

private:
    CGFloat progress(CGFloat fraction) const
    {
        if (fraction >= 1)
            return 1;
        if (fraction <= 0)
            return 0;
        const CGFloat t = fraction * m_settleDuration;
        if (m_damping >= 1) {
            // Critically damped: (1 + ωt)e^(−ωt) falls to a thousandth at the end.
            const CGFloat omega = 9.23 / m_settleDuration;
            return 1 - std::exp(-omega * t) * (1 + (omega - m_velocity) * t);
        }
        const CGFloat omega = 6.91 / (m_damping * m_settleDuration);
        const CGFloat damped = omega * std::sqrt(1 - m_damping * m_damping);
        const CGFloat decay = std::exp(-m_damping * omega * t);
        return 1 - decay * (std::cos(damped * t) + (m_damping * omega - m_velocity) / damped * std::sin(damped * t));
    }

    CGFloat m_damping { 1 };
    CGFloat m_velocity { 0 };
    CFTimeInterval m_settleDuration { 0.25 };
};

struct AnimationBlock {
    NSTimeInterval duration { 0 };
    float repeatCount { 0 };
    // The older begin/commit form.
    bool begun { false };
    NSString identifier;
    id context;
    bool hasDelegate { false };
    std::weak_ptr<NSObject> delegate;
    std::function<void(const NSString&, bool, const id&)> didStop;
    UIViewAnimationTransition transition { UIViewAnimationTransition::None };
    std::weak_ptr<UIView> transitionView;
    NSTimeInterval delay { 0 };
    NSUInteger options { 0 };
    bool spring { false };
    CGFloat damping { 1 };
    CGFloat velocity { 0 };
    std::shared_ptr<AnimationCompletion> completion;
};

struct AnimationState {
    std::vector<AnimationBlock> blocks;
    bool enabled { true };
    int withoutAnimation { 0 };
};

AnimationState& state()
{
    static AnimationState animationState;
    return animationState;
}

CAMediaTimingFunctionRef timingFunctionFor(NSUInteger options)
{
    switch ((options >> 16) & 0xF) {
    case 0: return CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseInEaseOut);
    case 1: return CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseIn);
    case 2: return CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseOut);
    case 3: return CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionLinear);
    default:
        // The keyboard's own curve (7): a quick start easing into a long settle.
        return CAMediaTimingFunction::functionWithControlPoints(0.38f, 0.7f, 0.125f, 1.0f);
    }
}

bool viewAnimatesKey(const NSString& key)
{
    static const char* const keys[] = { "position", "bounds", "transform", "opacity", "backgroundColor",
        "contentsRect", "contentsCenter" };
    const std::string name = key.UTF8String();
    return std::any_of(std::begin(keys), std::end(keys), [&](const char* k) { return name == k; });
}

void runBlock(AnimationBlock block, const std::function<void()>& animations)
{
    struct Scope {
        std::shared_ptr<AnimationCompletion> completion;
        explicit Scope(AnimationBlock block) : completion(block.completion)
        {
            state().blocks.push_back(std::move(block));
            CATransaction::begin();
        }
        // Even when the block throws, the stack unwinds and the completion is told.
        ~Scope()
        {
            CATransaction::commit();
            state().blocks.pop_back();
            completion->close();
        }
    } scope(std::move(block));
    if (animations)
        animations();
}

} // namespace

id UIView::actionForLayer(CALayer& layer, const NSString& key)
{
    auto& current = state();
    if (&layer != m_layer.get() || current.blocks.empty() || !current.enabled || current.withoutAnimation > 0)
        return NSNull::null();
    const AnimationBlock& block = current.blocks.back();
    if (block.duration <= 0 || !viewAnimatesKey(key))
        return NSNull::null();
    std::shared_ptr<CABasicAnimation> animation;
    if (block.spring)
        animation = UISpringAnimation::create(block.damping, block.velocity, block.duration);
    else
        animation = CABasicAnimation::create();
    animation->setKeyPath(key);
    animation->setDuration(block.duration);
    animation->setTimingFunction(block.spring ? CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionLinear)
                                              : timingFunctionFor(block.options));
    if (block.delay > 0) {
        animation->setBeginTime(CACurrentMediaTime() + block.delay);
        animation->setFillMode(kCAFillModeBackwards);
    }
    if (block.options & UIViewAnimationOptionRepeat)
        animation->setRepeatCount(HUGE_VALF);
    else if (block.repeatCount > 0)
        animation->setRepeatCount(block.repeatCount);
    if (!(block.options & UIViewAnimationOptionAllowUserInteraction))
        animation->setValue(NSNumber::numberWithBool(true), UIViewAnimationBlocksInteractionKey);
    if (block.options & UIViewAnimationOptionAutoreverse)
        animation->setAutoreverses(true);
    block.completion->animationWillStart();
    animation->setDelegate(block.completion);
    return animation;
}

void UIView::animateWithDuration(NSTimeInterval duration, const std::function<void()>& animations)
{
    animateWithDuration(duration, 0, 0, animations, nullptr);
}

void UIView::animateWithDuration(NSTimeInterval duration, const std::function<void()>& animations,
    std::function<void(bool)> completion)
{
    animateWithDuration(duration, 0, 0, animations, std::move(completion));
}

void UIView::animateWithDuration(NSTimeInterval duration, NSTimeInterval delay, NSUInteger options,
    const std::function<void()>& animations, std::function<void(bool)> completion)
{
    AnimationBlock block;
    block.duration = duration;
    block.delay = delay;
    block.options = options;
    block.completion = AnimationCompletion::create(std::move(completion));
    runBlock(std::move(block), animations);
}

void UIView::animateWithDuration(NSTimeInterval duration, NSTimeInterval delay, CGFloat damping, CGFloat velocity,
    NSUInteger options, const std::function<void()>& animations, std::function<void(bool)> completion)
{
    AnimationBlock block;
    block.duration = duration;
    block.delay = delay;
    block.options = options;
    block.spring = true;
    block.damping = damping;
    block.velocity = velocity;
    block.completion = AnimationCompletion::create(std::move(completion));
    runBlock(std::move(block), animations);
}

void UIView::transitionWithView(const std::shared_ptr<UIView>& view, NSTimeInterval duration, NSUInteger options,
    const std::function<void()>& animations, std::function<void(bool)> completion)
{
    auto tracker = AnimationCompletion::create(std::move(completion));
    performWithoutAnimation(animations);
    const NSUInteger transition = (options >> 20) & 0xF;
    if (view && duration > 0 && transition != 0 && state().enabled) {
        // FIXME: flips and curls show as a cross-dissolve; the renderer has no page geometry.
        auto animation = CATransition::animation();
        animation->setType(kCATransitionFade);
        animation->setDuration(duration);
        animation->setTimingFunction(timingFunctionFor(options));
        tracker->animationWillStart();
        animation->setDelegate(tracker);
        view->layer()->addAnimation(animation, kCATransition);
    }
    tracker->close();
}

void UIView::transitionFromView(const std::shared_ptr<UIView>& fromView, const std::shared_ptr<UIView>& toView,
    NSTimeInterval duration, NSUInteger options, std::function<void(bool)> completion)
{
    if (!fromView || !toView) {
        AnimationCompletion::completeLater(completion ? std::move(completion) : [](bool) { }, true);
        return;
    }
    auto container = fromView->superview();
    transitionWithView(container ? container : fromView, duration, options, [&] {
        if (options & UIViewAnimationOptionShowHideTransitionViews) {
            fromView->setHidden(true);
            toView->setHidden(false);
        } else if (container) {
            container->insertSubviewAboveSubview(toView, fromView);
            fromView->removeFromSuperview();
        }
    }, std::move(completion));
}

void UIView::performWithoutAnimation(const std::function<void()>& actions)
{
    struct Scope {
        Scope()
        {
            ++state().withoutAnimation;
            CATransaction::begin();
            CATransaction::setDisableActions(true);
        }
        ~Scope()
        {
            CATransaction::commit();
            --state().withoutAnimation;
        }
    } scope;
    if (actions)
        actions();
}

void UIView::setAnimationsEnabled(bool enabled) { state().enabled = enabled; }

bool UIView::areAnimationsEnabled() { return state().enabled; }

bool UIView::isInAnimationBlock() { return !state().blocks.empty() && state().withoutAnimation == 0; }

// MARK: The older form

namespace {

AnimationBlock* begunBlock()
{
    auto& blocks = state().blocks;
    if (blocks.empty() || !blocks.back().begun)
        return nullptr;
    return &blocks.back();
}

} // namespace

void UIView::beginAnimations(const NSString& animationID, const id& context)
{
    AnimationBlock block;
    block.begun = true;
    block.duration = 0.2;
    block.identifier = animationID;
    block.context = context;
    // The completion is made at commit, when the stop block is known; hold a slot now.
    block.completion = AnimationCompletion::create(nullptr);
    state().blocks.push_back(std::move(block));
    CATransaction::begin();
}

void UIView::commitAnimations()
{
    auto* block = begunBlock();
    if (!block)
        return;
    AnimationBlock finished = std::move(*block);
    if (auto view = finished.transitionView.lock(); view && finished.transition != UIViewAnimationTransition::None
        && finished.duration > 0 && state().enabled) {
        // FIXME: flips and curls show as a cross-dissolve; the renderer has no page geometry.
        auto animation = CATransition::animation();
        animation->setType(kCATransitionFade);
        animation->setDuration(finished.duration);
        animation->setTimingFunction(timingFunctionFor(finished.options));
        finished.completion->animationWillStart();
        animation->setDelegate(finished.completion);
        view->layer()->addAnimation(animation, kCATransition);
    }
    CATransaction::commit();
    state().blocks.pop_back();
    if (finished.didStop) {
        auto stop = std::move(finished.didStop);
        const bool hasDelegate = finished.hasDelegate;
        std::weak_ptr<NSObject> delegate = finished.delegate;
        finished.completion->setCompletion([stop, hasDelegate, delegate, identifier = finished.identifier,
                                               context = finished.context](bool done) {
            if (hasDelegate && delegate.expired())
                return;
            stop(identifier, done, context);
        });
    }
    finished.completion->close();
}

void UIView::setAnimationDuration(NSTimeInterval duration)
{
    if (auto* block = begunBlock())
        block->duration = duration;
}

void UIView::setAnimationDelay(NSTimeInterval delay)
{
    if (auto* block = begunBlock())
        block->delay = delay;
}

void UIView::setAnimationCurve(UIViewAnimationCurve curve)
{
    if (auto* block = begunBlock())
        block->options = (block->options & ~(NSUInteger(0xF) << 16)) | (NSUInteger(curve) << 16);
}

void UIView::setAnimationRepeatCount(float count)
{
    if (auto* block = begunBlock())
        block->repeatCount = count;
}

void UIView::setAnimationRepeatAutoreverses(bool autoreverses)
{
    if (auto* block = begunBlock())
        block->options = autoreverses ? block->options | UIViewAnimationOptionAutoreverse
                                      : block->options & ~NSUInteger(UIViewAnimationOptionAutoreverse);
}

void UIView::setAnimationBeginsFromCurrentState(bool fromCurrentState)
{
    if (auto* block = begunBlock())
        block->options = fromCurrentState ? block->options | UIViewAnimationOptionBeginFromCurrentState
                                          : block->options & ~NSUInteger(UIViewAnimationOptionBeginFromCurrentState);
}

void UIView::setAnimationDelegate(const id& delegate)
{
    if (auto* block = begunBlock()) {
        block->hasDelegate = delegate != nullptr;
        block->delegate = delegate;
    }
}

void UIView::setAnimationDidStopSelector(std::function<void(const NSString&, bool, const id&)> stopBlock)
{
    if (auto* block = begunBlock())
        block->didStop = std::move(stopBlock);
}

void UIView::setAnimationTransition(UIViewAnimationTransition transition, const std::shared_ptr<UIView>& view, bool)
{
    if (auto* block = begunBlock()) {
        block->transition = transition;
        block->transitionView = view;
    }
}
